#include <bit>
#include <cstring>

#include "platform/image/dds.h"

namespace korvel::image {

namespace {

using Block = uint8_t[16][4];  // one decoded 4 x 4 block, row by row

uint32_t read16(const uint8_t* bytes) { return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8; }

void expand565(uint32_t colour, uint8_t* rgb) {
    const uint32_t r = colour >> 11, g = (colour >> 5) & 0x3F, b = colour & 0x1F;
    rgb[0] = static_cast<uint8_t>(r << 3 | r >> 2);
    rgb[1] = static_cast<uint8_t>(g << 2 | g >> 4);
    rgb[2] = static_cast<uint8_t>(b << 3 | b >> 2);
}

// The 8-byte colour part shared by all three formats. BC1 with the first
// endpoint not above the second switches to three colours plus transparent
// black; BC2 and BC3 always use four colours.
void decodeColours(const uint8_t* bytes, bool allowThreeColour, Block& out) {
    const uint32_t c0 = read16(bytes), c1 = read16(bytes + 2);
    uint8_t palette[4][4] = {};
    expand565(c0, palette[0]);
    expand565(c1, palette[1]);
    palette[0][3] = palette[1][3] = 255;
    const bool fourColour = c0 > c1 || !allowThreeColour;
    for (int c = 0; c < 3; ++c) {
        const uint32_t a = palette[0][c], b = palette[1][c];
        if (fourColour) {
            palette[2][c] = static_cast<uint8_t>((2 * a + b + 1) / 3);
            palette[3][c] = static_cast<uint8_t>((a + 2 * b + 1) / 3);
        } else {
            palette[2][c] = static_cast<uint8_t>((a + b + 1) / 2);
        }
    }
    palette[2][3] = 255;
    palette[3][3] = fourColour ? 255 : 0;

    const uint32_t indices = read16(bytes + 4) | read16(bytes + 6) << 16;
    for (int i = 0; i < 16; ++i) std::memcpy(out[i], palette[(indices >> (2 * i)) & 3], 4);
}

// BC2 alpha: sixteen explicit 4-bit values.
void decodeExplicitAlpha(const uint8_t* bytes, Block& out) {
    for (int i = 0; i < 16; ++i) {
        const uint32_t nibble = (bytes[i / 2] >> (4 * (i % 2))) & 0xF;
        out[i][3] = static_cast<uint8_t>(nibble * 17);
    }
}

// BC3 alpha: two endpoints and sixteen 3-bit indices into eight values,
// six interpolated when the first endpoint is larger, otherwise four
// interpolated plus 0 and 255.
void decodeInterpolatedAlpha(const uint8_t* bytes, Block& out) {
    const uint32_t a0 = bytes[0], a1 = bytes[1];
    uint8_t palette[8] = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1)};
    if (a0 > a1) {
        for (uint32_t k = 1; k < 7; ++k) palette[k + 1] = static_cast<uint8_t>(((7 - k) * a0 + k * a1 + 3) / 7);
    } else {
        for (uint32_t k = 1; k < 5; ++k) palette[k + 1] = static_cast<uint8_t>(((5 - k) * a0 + k * a1 + 2) / 5);
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i) indices |= uint64_t{bytes[2 + i]} << (8 * i);
    for (int i = 0; i < 16; ++i) out[i][3] = palette[(indices >> (3 * i)) & 7];
}

void decodeBlock(BlockFormat format, const uint8_t* bytes, Block& out) {
    switch (format) {
        case BlockFormat::Bc1:
            decodeColours(bytes, true, out);
            break;
        case BlockFormat::Bc2:
            decodeColours(bytes + 8, false, out);
            decodeExplicitAlpha(bytes, out);
            break;
        case BlockFormat::Bc3:
            decodeColours(bytes + 8, false, out);
            decodeInterpolatedAlpha(bytes, out);
            break;
    }
}

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

uint32_t blockBytes(BlockFormat format) { return format == BlockFormat::Bc1 ? 8 : 16; }

MipLevel decodeBlocks(BlockFormat format, const uint8_t* data, uint32_t width, uint32_t height) {
    MipLevel level{width, height, std::vector<uint8_t>(size_t{width} * height * 4)};
    const uint32_t stride = blockBytes(format);
    Block block;
    for (uint32_t by = 0; by < height; by += 4) {
        for (uint32_t bx = 0; bx < width; bx += 4, data += stride) {
            decodeBlock(format, data, block);
            for (uint32_t y = by; y < by + 4 && y < height; ++y) {
                for (uint32_t x = bx; x < bx + 4 && x < width; ++x) {
                    std::memcpy(&level.rgba[(size_t{y} * width + x) * 4], block[(y - by) * 4 + (x - bx)], 4);
                }
            }
        }
    }
    return level;
}

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
