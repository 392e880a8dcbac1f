// Byte layout of DDS files: the magic number, the 124-byte header with its
// 32-byte pixel format, the optional 20-byte extension header, and the flag
// and format values that the reader and writer use. All fields are
// little-endian 32-bit words.
#pragma once

#include <cstddef>
#include <cstdint>

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

inline bool hasMagic(const uint8_t* data, size_t size) {
    return size >= kMagicBytes && readWord(data) == kMagic;
}

}  // namespace korvel::image::dds
