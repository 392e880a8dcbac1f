#include "device/effect_file.h"

#include <cstdio>

#include "platform/files.h"

namespace korvel::device {

namespace {
constexpr const char* kCaption = "Error";
constexpr const char* kMessage =
    "The FX file cannot be compiled.  Please run this executable from the directory that contains the FX file.";
}  // namespace

std::optional<std::string> readEffectFile(std::string& text) {
    switch (platform::readFileText(kEffectFileName, kMaxEffectFileBytes, text)) {
        case platform::FileRead::ok: return std::nullopt;
        case platform::FileRead::missing: return "cannot open the file";
        case platform::FileRead::notRegular: return "not a regular file";
        case platform::FileRead::tooLarge:
            return "larger than the " + std::to_string(kMaxEffectFileBytes) + " bytes an effect file may hold";
        case platform::FileRead::failed: break;
    }
    return "cannot read the file";
}

void reportCompileFailure(const std::string& compilerText) {
    if (!compilerText.empty()) {
        std::fputs(compilerText.c_str(), stderr);
        if (compilerText.back() != '\n') std::fputc('\n', stderr);
    }
    std::fprintf(stderr, "%s: %s\n", kCaption, kMessage);
    std::fflush(stderr);
}

}  // namespace korvel::device
