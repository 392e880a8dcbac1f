#include "options.h"

#include <cstdlib>
#include <cstring>

namespace xconv {

const char* const kUsage =
    "usage: korvel-xconv [-n 0|1] [-s SCALE] [-k 0|1|2] [--no-device] FILE.x...\n"
    "  writes FILE.pt3 next to each X file\n"
    "  -n  normal mode: 1 computes normals (default 0)\n"
    "  -s  scale for positions, joint positions and key translations (default 1)\n"
    "  -k  skin mode: 0 geometry only, 1 skin and joints, 2 also animations (default 2)\n"
    "  --no-device  do not open a headless device: textures do not load and are\n"
    "               written as None\n";

namespace {

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

Options parseOptions(int argc, char** argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--no-device") == 0) {
            o.device = false;
            continue;
        }
        const bool valued = std::strcmp(arg, "-n") == 0 || std::strcmp(arg, "-s") == 0 || std::strcmp(arg, "-k") == 0;
        if (!valued) {
            if (arg[0] == '-') error = std::string("unknown option ") + arg;
            o.inputs.push_back(arg);
            continue;
        }
        double value = 0.0;
        if (i + 1 >= argc || !number(argv[i + 1], value)) {
            error = std::string(arg) + " needs a number";
            return o;
        }
        ++i;
        if (arg[1] == 's') {
            o.scale = value;
        } else if (arg[1] == 'n' && (value == 0 || value == 1)) {
            o.normalmode = static_cast<int>(value);
        } else if (arg[1] == 'k' && (value == 0 || value == 1 || value == 2)) {
            o.skinmode = static_cast<int>(value);
        } else {
            error = std::string(arg) + " takes " + (arg[1] == 'n' ? "0 or 1" : "0, 1 or 2");
        }
    }
    if (error.empty() && o.inputs.empty()) error = "no input file";
    return o;
}

}  // namespace xconv
