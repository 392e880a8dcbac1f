// The effect source file "Korvelv0.fx", read from the working directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvel::device {

inline constexpr const char* kEffectFileName = "Korvelv0.fx";

// The largest effect file read (the shader compiler takes no more).
inline constexpr uint64_t kMaxEffectFileBytes = 256 * 1024;

// Reads the file into text; returns why it cannot be read, or nothing. Only
// a regular file of at most kMaxEffectFileBytes is read, without blocking.
std::optional<std::string> readEffectFile(std::string& text);

// A library must never block on a dialog: the compiler's text (if any) and
// then the message "Error: The FX file cannot be compiled. ..." go to stderr.
void reportCompileFailure(const std::string& compilerText);

}  // namespace korvel::device
