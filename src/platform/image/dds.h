// DDS files: the byte layout (the magic number, the 124-byte header with its
// 32-byte pixel format, the optional 20-byte extension header, all fields
// little-endian 32-bit words), the pixel encodings the reader decodes in
// software (block-compressed BC1, BC2 and BC3, so that textures need no
// driver support for compression, and uncompressed pixels described by
// channel bit masks), the reader and the writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/image.h"

namespace korvel::image::dds {

inline constexpr uint32_t kMagic = 0x20534444;  // "DDS "
inline constexpr size_t kMagicBytes = 4;
inline constexpr uint32_t kHeaderBytes = 124;
inline constexpr uint32_t kPixelFormatBytes = 32;
inline constexpr size_t kExtensionBytes = 20;

// Word offsets inside the header, counted from the end of the magic number.
enum HeaderWord : size_t {
    Size = 0,
    Flags = 1,
    Height = 2,
    Width = 3,
    PitchOrLinearSize = 4,
    Depth = 5,
    MipMapCount = 6,
    PixelFormatSize = 18,
    PixelFormatFlags = 19,
    FourCC = 20,
    RgbBitCount = 21,
    RedMask = 22,
    GreenMask = 23,
    BlueMask = 24,
    AlphaMask = 25,
    Caps = 26,
    Caps2 = 27,
};

// Word offsets inside the extension header.
enum ExtensionWord : size_t { DxgiFormat = 0, ResourceDimension = 1, MiscFlag = 2, ArraySize = 3 };

// Header flags.
inline constexpr uint32_t kFlagCaps = 0x1;
inline constexpr uint32_t kFlagHeight = 0x2;
inline constexpr uint32_t kFlagWidth = 0x4;
inline constexpr uint32_t kFlagPitch = 0x8;
inline constexpr uint32_t kFlagPixelFormat = 0x1000;
inline constexpr uint32_t kFlagDepth = 0x800000;

// Pixel format flags.
inline constexpr uint32_t kPixelAlphaPixels = 0x1;
inline constexpr uint32_t kPixelAlpha = 0x2;
inline constexpr uint32_t kPixelFourCC = 0x4;
inline constexpr uint32_t kPixelRgb = 0x40;
inline constexpr uint32_t kPixelLuminance = 0x20000;

inline constexpr uint32_t kCapsTexture = 0x1000;
inline constexpr uint32_t kCaps2Volume = 0x200000;
inline constexpr uint32_t kResourceTexture2D = 3;

constexpr uint32_t fourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

inline uint32_t readWord(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

inline void writeWord(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline bool hasMagic(const uint8_t* data, size_t size) { return size >= kMagicBytes && readWord(data) == kMagic; }

}  // namespace korvel::image::dds

namespace korvel::image {

// Block-compressed pixels: BC1, BC2 and BC3.
enum class BlockFormat { Bc1, Bc2, Bc3 };

// Bytes per 4 x 4 block: 8 for BC1, 16 for BC2 and BC3.
uint32_t blockBytes(BlockFormat format);

// Decodes a width x height image stored as ceil(width / 4) x ceil(height / 4)
// blocks, row by row; data must hold all of them. Pixels of edge blocks that
// fall outside the image are dropped.
MipLevel decodeBlocks(BlockFormat format, const uint8_t* data, uint32_t width, uint32_t height);

// Uncompressed pixels described by channel bit masks (8, 16, 24 or 32 bits
// per pixel, little-endian), such as A8R8G8B8, X8R8G8B8, A8B8G8R8, R5G6B5,
// A1R5G5B5, L8 and A8. A zero colour mask reads as 0 (or as the luminance), a zero alpha mask as
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

// Decodes every mip level the file declares (the first element only of array
// and cube textures). Fails without decoding anything when the headers are
// invalid or the file is shorter than the levels they describe.
bool readDds(const uint8_t* data, size_t size, std::vector<MipLevel>& mips);

// An RGBA8 image as an uncompressed 32-bit DDS file: the plain
// (pre-extension) header with A8B8G8R8 masks, one mip level, followed by the
// pixels as they are. The image must be consistent.
std::vector<uint8_t> encodeDds(const gpu::Image& image);

}  // namespace korvel::image
