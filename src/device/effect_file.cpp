#include "device/effect_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvel::device {

namespace {
constexpr const char* kCaption = "Error";
constexpr const char* kMessage =
    "The FX file cannot be compiled.  Please run this executable from the directory that contains the FX file.";
}  // namespace

std::optional<std::string> readEffectFile() {
    std::ifstream file(kEffectFileName, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return std::move(text).str();
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
