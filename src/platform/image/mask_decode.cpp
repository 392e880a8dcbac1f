#include "platform/image/mask_decode.h"

#include <bit>

namespace korvel::image {

namespace {

bool isContiguousWithin(uint32_t mask, uint32_t bitCount) {
    if (mask == 0) return true;
    if (bitCount < 32 && (mask >> bitCount) != 0) return false;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

// Extracts one channel and scales it to 0..255: wider channels keep their
// top eight bits, narrower ones are scaled with rounding.
class Channel {
public:
    Channel(uint32_t mask, uint8_t absent)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)), absent_(absent) {}

    uint8_t operator()(uint32_t pixel) const {
        if (mask_ == 0) return absent_;
        const uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<uint8_t>(value >> (bits_ - 8));
        const uint32_t maximum = (1u << bits_) - 1;
        return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
    }

private:
    uint32_t mask_;
    int shift_;
    int bits_;
    uint8_t absent_;
};

}  // namespace

bool isDecodable(const ChannelMasks& masks) {
    const uint32_t bits = masks.bitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if ((masks.red | masks.green | masks.blue | masks.alpha) == 0) return false;
    for (uint32_t mask : {masks.red, masks.green, masks.blue, masks.alpha})
        if (!isContiguousWithin(mask, bits)) return false;
    return true;
}

MipLevel decodeMasked(const ChannelMasks& masks, const uint8_t* data, uint32_t width, uint32_t height) {
    MipLevel level{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
    const Channel red(masks.red, 0);
    const Channel green(masks.luminance ? masks.red : masks.green, 0);
    const Channel blue(masks.luminance ? masks.red : masks.blue, 0);
    const Channel alpha(masks.alpha, 255);
    const uint32_t pixelBytes = masks.bitCount / 8;
    uint8_t* out = level.rgba.data();
    for (size_t i = 0, count = size_t{width} * height; i < count; ++i, data += pixelBytes) {
        uint32_t pixel = 0;
        for (uint32_t b = 0; b < pixelBytes; ++b) pixel |= uint32_t{data[b]} << (8 * b);
        *out++ = red(pixel);
        *out++ = green(pixel);
        *out++ = blue(pixel);
        *out++ = alpha(pixel);
    }
    return level;
}

}  // namespace korvel::image
