// The demo's textures, drawn by code and written as PNG files at start-up so
// that the demo needs no image files of its own.
#pragma once

#include <string>

namespace demo {

// File names the generated models refer to (written into one folder).
inline constexpr const char* kGrassTexture = "grass.png";
inline constexpr const char* kStoneTexture = "stone.png";
inline constexpr const char* kWoodTexture = "wood.png";
inline constexpr const char* kFlameTexture = "flame.png";

// Writes grass.png and stone.png (128 x 128, tiling), wood.png (64 x 64
// planks) and flame.png (32 x 32, a soft glow with alpha) into folder;
// false when a file cannot be written.
bool writeDemoTextures(const std::string& folder);

}  // namespace demo
