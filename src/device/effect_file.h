// The effect source file "Korvelv0.fx", read from the working directory.
#pragma once

#include <optional>
#include <string>

namespace korvel::device {

inline constexpr const char* kEffectFileName = "Korvelv0.fx";

// The file's text, or nothing when it cannot be read.
std::optional<std::string> readEffectFile();

// A library must never block on a dialog: the compiler's text (if any) and
// then the message "Error: The FX file cannot be compiled. ..." go to stderr.
void reportCompileFailure(const std::string& compilerText);

}  // namespace korvel::device
