// korvel-xconv: converts text X files of the paired exporter's layout to PT3
// files next to them, through ReadXfile with writept3 2. A headless device
// is opened first so that materials' textures load and keep their names in
// the PT3 file. Exit status 0 when every file converted, 1 when one failed,
// 2 for a bad command line.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Korvelv0.h"
#include "model/xfile/import.h"
#include "options.h"

namespace {

// UTF-8 to the wide strings of the C interface; bytes that are not UTF-8
// pass through one by one.
std::wstring wideFromUtf8(const std::string& s) {
    auto continuation = [&](size_t i) { return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u; };
    std::wstring out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        for (size_t k = 1; k <= extra; ++k)
            if (!continuation(i + k)) extra = 0;
        unsigned value = extra == 0 ? c : c & (0x3Fu >> extra);
        for (size_t k = 1; k <= extra; ++k) value = (value << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        out.push_back(static_cast<wchar_t>(value));
        i += extra + 1;
    }
    return out;
}

const char* failure(int code) {
    switch (code) {
        case -2:
            return "the path is longer than 511 bytes";
        case -3:
            return "the file cannot be opened or is not a regular file";
        case -4:
            return "out of memory (header or working tables)";
        case -5:
            return "out of memory (face table)";
        case -6:
            return "out of memory (vertex table)";
        case -7:
            return "out of memory (material table)";
        case -8:
            return "out of memory (normal table)";
        case -9:
            return "the PT3 file name is longer than 511 bytes";
        case -10:
            return "out of memory (weight table)";
        case -11:
            return "out of memory (joint table)";
        case -13:
            return "the file cannot make a consistent model: a count or index is out of range, as in a file of "
                   "another exporter's layout or a damaged one";
        case -14:
            return "a binary X file: only text X files are read";
        case -15:
            return "a compressed X file: only uncompressed text X files are read";
        case -16:
            return "another exporter's layout: the file holds meshes, but not where this importer reads them";
        case -17:
            return "no mesh: the file holds no mesh with vertices";
        default:
            return "unexpected result";
    }
}

// Files that the importer refuses for their kind or layout, which the
// general converter reads.
bool otherConverterReads(int code) { return code >= -16 && code <= -13; }

// Opens a headless device where the effect file is; false when none opens.
bool openDevice() {
    namespace fs = std::filesystem;
    if (!fs::exists("Korvelv0.fx") && fs::exists(fs::path(KORVEL_XCONV_FX_DIR) / "Korvelv0.fx") &&
        chdir(KORVEL_XCONV_FX_DIR) != 0)
        return false;
    const int result = InitDevice(nullptr);
    if (result >= 0) return true;
    CleanupDevice();
    std::fprintf(stderr, "korvel-xconv: no headless device (InitDevice %d); textures are written as None\n", result);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const xconv::Options options = xconv::parseOptions(argc, argv, error);
    if (!error.empty()) {
        std::fprintf(stderr, "korvel-xconv: %s\n%s", error.c_str(), xconv::kUsage);
        return 2;
    }
    std::vector<std::string> inputs;
    for (const std::string& input : options.inputs) inputs.push_back(std::filesystem::absolute(input).string());
    const bool device = options.device && openDevice();

    int failures = 0;
    for (const std::string& input : inputs) {
        const int result =
            ReadXfile(wideFromUtf8(input).c_str(), options.normalmode, options.scale, options.skinmode, 2);
        const std::string pt3 = korvel::model::xfile::pt3PathFor(input);
        if (result == -1) {  // written and released; a fresh process has free slots
            std::printf("%s -> %s\n", input.c_str(), pt3.c_str());
            continue;
        }
        ++failures;
        if (result >= 0) {
            std::fprintf(stderr, "korvel-xconv: %s: cannot create %s\n", input.c_str(), pt3.c_str());
            ClearObj3d(result, 1);
        } else {
            std::fprintf(stderr, "korvel-xconv: %s: %s (%d)\n", input.c_str(), failure(result), result);
            if (otherConverterReads(result))
                std::fprintf(stderr, "korvel-xconv: %s: convert it with korvel-import instead\n", input.c_str());
        }
    }
    if (device) CleanupDevice();
    return failures == 0 ? 0 : 1;
}
