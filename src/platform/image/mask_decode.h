// Decoding of uncompressed pixels described by channel bit masks (8, 16, 24
// or 32 bits per pixel, little-endian), such as A8R8G8B8, X8R8G8B8,
// A8B8G8R8, R5G6B5, A1R5G5B5, L8 and A8.
#pragma once

#include <cstdint>

#include "platform/image/image.h"

namespace korvel::image {

// A zero colour mask reads as 0 (or as the luminance), a zero alpha mask as
// 255. With luminance set, the red mask feeds red, green and blue.
struct ChannelMasks {
    uint32_t bitCount = 0;
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;
    bool luminance = false;
};

// True when the bit count is 8, 16, 24 or 32, every mask is one run of set
// bits inside the pixel and at least one mask is set.
bool isDecodable(const ChannelMasks& masks);

// Decodes width x height pixels of bitCount / 8 bytes each, rows tightly
// packed; data must hold all of them and masks must be decodable.
MipLevel decodeMasked(const ChannelMasks& masks, const uint8_t* data, uint32_t width, uint32_t height);

}  // namespace korvel::image
