// korvel-import: converts a model file that the asset importer reads to a
// PT3 file. Exit status 0 on success, 1 when the file cannot be converted
// (one message naming the file and the reason), 2 for a bad command line.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "converter.h"
#include "import_error.h"
#include "options.h"
#include "written_files.h"

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
    const std::filesystem::path output =
        line.output.empty() ? std::filesystem::path(input).replace_extension(".pt3") : std::filesystem::path(line.output);
    std::vector<std::string> warnings;
    try {
        std::error_code ignored;
        if (std::filesystem::equivalent(input, output, ignored)) throw ImportError("the output would replace the input");
        const std::filesystem::path source = std::filesystem::absolute(input);
        const std::filesystem::path target = std::filesystem::absolute(output);
        Assimp::Importer importer;
        const aiScene& scene = readWithinLimit(importer, input, line.readLimitSeconds);
        std::vector<TextureFile> textures;
        const Model model = convertScene(scene, source, target, line.options, textures, warnings);
        writeModelFiles(model, textures, target);
        for (const std::string& w : warnings) std::fprintf(stderr, "korvel-import: %s: warning: %s\n", input.c_str(), w.c_str());
        std::printf("%s -> %s: %zu parts, %zu vertices, %zu faces, %zu materials, %zu joints, %zu motions, %zu shape keys\n",
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
