// The demo's textures, drawn by code and written as PNG files at start-up so
// that the demo needs no asset files.
#pragma once

#include <string>
#include <vector>

namespace demo {

// Writes checker.png (64 x 64), disc.png (64 x 64, soft alpha edge) and
// arrow.png (32 x 16) into folder; returns their paths in that order, or an
// empty list when a file cannot be written.
std::vector<std::string> writeDemoTextures(const std::string& folder);

}  // namespace demo
