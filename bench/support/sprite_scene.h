// The sprite scene the device and present benchmarks share: rotated,
// alpha-blended 32 x 16 sprites of one texture spread over an 800 x 600
// screen at decreasing depth, so every sprite passes the depth test.
#pragma once

#include <cstdio>
#include <string>

#include "Korvelv0.h"
#include "platform/image/image.h"

namespace korvel::bench {

// A 32 x 16 opaque texture written once to a temporary PNG; -1 on failure.
inline int loadSpriteTexture() {
    gpu::Image image;
    image.width = 32;
    image.height = 16;
    image.rgba.assign(32 * 16 * 4, 200);
    const std::string path = "bench_sprite_32x16.png";
    if (!image::saveImageFile(3, path, image)) return -1;
    const int slot = readtexture(L"bench_sprite_32x16.png");
    std::remove(path.c_str());
    return slot;
}

// Sprite `index` of a frame of `count`.
inline void renderSceneSprite(int texture, int index, int count) {
    const double z = 1.0 - (index + 1) / (count + 1.0);
    RenderSprite(texture, (index * 37) % 760, (index * 53) % 570, 1.0, 1.0, 0, 0, 1, 1, 3, index * 0.01, 16, 8, z, 1.0);
}

// Clears the screen and draws the frame's `count` sprites.
inline void drawSpriteFrame(int texture, int count) {
    ClearColorZ(10, 10, 10, 1.0);
    for (int i = 0; i < count; ++i) renderSceneSprite(texture, i, count);
}

}  // namespace korvel::bench
