#include "options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace korvel_import {

const char* const kUsage =
    "usage: korvel-import [-s SCALE] [-l] [--fps N] [-o OUTPUT.pt3] INPUT\n"
    "  converts a model file (glTF 2, FBX, Collada, OBJ, 3DS, B3D, MS3D, SMD, X and\n"
    "  the other formats the asset importer reads) to PT3; textures are copied\n"
    "  next to the PT3 file\n"
    "  -o      output file (default: INPUT with the extension .pt3)\n"
    "  -s      scale for positions, joint positions and translations (default 1)\n"
    "  -l, --left-handed  mirror z: turns a +y-up right-handed file into the\n"
    "          library's left-handed axes\n"
    "  --fps   key frames per second of the motions and animated shape keys\n"
    "          (1 to 1000, default 30)\n"
    "  --read-limit SECONDS  give up on a file still being read after this long\n"
    "          (1 to 86400, default 120)\n";

namespace {

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv, std::string& error) {
    CommandLine c;
    for (int i = 1; i < argc && error.empty(); ++i) {
        const std::string arg = argv[i];
        if (arg == "-l" || arg == "--left-handed") {
            c.options.leftHanded = true;
        } else if (arg == "-s" || arg == "--fps" || arg == "-o" || arg == "--read-limit") {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                break;
            }
            const char* value = argv[++i];
            double v = 0;
            if (arg == "-o") {
                c.output = value;
            } else if (arg == "-s" && number(value, v) && v > 0) {
                c.options.scale = v;
            } else if (arg == "--fps" && number(value, v) && v >= 1 && v <= 1000 && v == std::floor(v)) {
                c.options.fps = static_cast<int>(v);
            } else if (arg == "--read-limit" && number(value, v) && v >= 1 && v <= 86400 && v == std::floor(v)) {
                c.readLimitSeconds = static_cast<unsigned>(v);
            } else {
                error = arg + (arg == "-s"     ? " takes a positive number"
                               : arg == "--fps" ? " takes a whole number from 1 to 1000"
                                                : " takes a whole number of seconds from 1 to 86400");
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
        } else if (!c.input.empty()) {
            error = "one input file at a time";
        } else {
            c.input = arg;
        }
    }
    if (error.empty() && c.input.empty()) error = "no input file";
    return c;
}

}  // namespace korvel_import
