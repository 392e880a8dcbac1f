// Command line of korvel-import.
#pragma once

#include <string>

#include "converter.h"

namespace korvel_import {

struct CommandLine {
    Options options;
    unsigned readLimitSeconds = 120;
    std::string input;
    std::string output;  // empty: the input's name with .pt3, in the input's folder
};

// The command line, or an error message in error.
CommandLine parseCommandLine(int argc, char** argv, std::string& error);

extern const char* const kUsage;

}  // namespace korvel_import
