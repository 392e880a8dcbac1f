// korvel-import: converts a model file that the asset importer reads to a
// PT3 file. Exit status 0 on success, 1 when the file cannot be converted
// (one message naming the file and the reason), 2 for a bad command line.
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "converter.h"

namespace korvel_import {

namespace {

// The command line of korvel-import.
struct CommandLine {
    Options options;
    unsigned readLimitSeconds = 120;
    std::string input;
    std::string output;  // empty: the input's name with .pt3, in the input's folder
};

constexpr const char* kUsage =
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

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

// The command line, or an error message in error.
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
                error = arg + (arg == "-s"      ? " takes a positive number"
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

}  // namespace

}  // namespace korvel_import

namespace {

// Some broken files make the importer loop over a count far beyond the
// file's size; reading that lasts past the limit ends the program with the
// usual message. The message is made before the alarm, as the handler may
// only write it.
char gLateMessage[4096];
size_t gLateLength = 0;

extern "C" void readingTooLong(int) {
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, gLateMessage, gLateLength);
    _exit(1);
}

const aiScene& readWithinLimit(Assimp::Importer& importer, const std::filesystem::path& input, unsigned seconds) {
    std::snprintf(gLateMessage, sizeof gLateMessage,
                  "korvel-import: %s: still reading after %u s; the file probably declares far more than it holds\n",
                  input.c_str(), seconds);
    gLateLength = std::strlen(gLateMessage);
    std::signal(SIGALRM, readingTooLong);
    alarm(seconds);
    const aiScene& scene = korvel_import::readScene(importer, std::filesystem::absolute(input));
    alarm(0);
    return scene;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace korvel_import;
    std::string error;
    const CommandLine line = parseCommandLine(argc, argv, error);
    if (!error.empty()) {
        std::fprintf(stderr, "korvel-import: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    const std::filesystem::path input = line.input;
    const std::filesystem::path output = line.output.empty() ? std::filesystem::path(input).replace_extension(".pt3")
                                                             : std::filesystem::path(line.output);
    std::vector<std::string> warnings;
    try {
        std::error_code ignored;
        if (std::filesystem::equivalent(input, output, ignored))
            throw ImportError("the output would replace the input");
        const std::filesystem::path source = std::filesystem::absolute(input);
        const std::filesystem::path target = std::filesystem::absolute(output);
        Assimp::Importer importer;
        const aiScene& scene = readWithinLimit(importer, input, line.readLimitSeconds);
        std::vector<TextureFile> textures;
        const Model model = convertScene(scene, source, target, line.options, textures, warnings);
        writeModelFiles(model, textures, target);
        for (const std::string& w : warnings)
            std::fprintf(stderr, "korvel-import: %s: warning: %s\n", input.c_str(), w.c_str());
        std::printf(
            "%s -> %s: %zu parts, %zu vertices, %zu faces, %zu materials, %zu joints, %zu motions, %zu shape keys\n",
            input.c_str(), output.c_str(), model.parts.size(), model.vertices.size(), model.faces.size(),
            model.materials.size(), model.joints.size(), model.motions.size(), model.shapekeys.size());
        return 0;
    } catch (const ImportError& e) {
        std::fprintf(stderr, "korvel-import: %s: %s\n", input.c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "korvel-import: %s: out of memory\n", input.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvel-import: %s: %s\n", input.c_str(), e.what());
    }
    return 1;
}
