// Command line of korvel-xconv.
#pragma once

#include <string>
#include <vector>

namespace xconv {

struct Options {
    int normalmode = 0;
    double scale = 1.0;
    int skinmode = 2;
    bool device = true;
    std::vector<std::string> inputs;
};

// The options, or an error message in error.
Options parseOptions(int argc, char** argv, std::string& error);

extern const char* const kUsage;

}  // namespace xconv
