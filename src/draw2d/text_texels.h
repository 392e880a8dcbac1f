// How text-bitmap pixels become text-texture texels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::draw2d {

// alpha * 255 truncated toward zero, low 8 bits (0.5 gives 127).
uint8_t opacityByte(double alpha);

// Copies the pixels of a rectangle of a 24-bit bitmap (blue, green, red per
// pixel) to the same texels of a mapped RGBA8 texture: bytes 0 to 2 keep the
// bitmap's byte order and byte 3 is the opacity, so the texture shows red
// and blue swapped.
void copyTextTexels(const uint8_t* bitmap, size_t bitmapRowBytes, uint8_t* texels, size_t texelRowPitch, int x,
                    int y, int width, int height, uint8_t opacity);

}  // namespace korvel::draw2d
