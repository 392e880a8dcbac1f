// Image files for textures and captures: decoding into RGBA8 mip chains and
// encoding RGBA8 images as BMP, JPG, PNG or DDS files. Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::image {

// One mip level: RGBA8, tightly packed, top row first.
struct MipLevel {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

// A decoded texture: width and height of level 0 and a complete mip chain
// down to 1 x 1 (each level halves both sizes, rounding down, never below 1).
struct TextureImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<MipLevel> mips;
};

// Mip chains: each level halves both sizes (rounding down, never below 1)
// and is the area-weighted box filter of the level above.

// Number of levels from width x height down to 1 x 1.
uint32_t fullMipCount(uint32_t width, uint32_t height);

// The next smaller level of source. Every destination pixel averages the
// source area it covers, so odd sizes weigh edge pixels by their overlap.
MipLevel downsample(const MipLevel& source);

// Appends box-filtered levels to a non-empty chain until it reaches 1 x 1.
void completeMipChain(std::vector<MipLevel>& mips);

// Largest width or height accepted by the loaders: every OpenGL 4.5 device
// takes textures of this size, so a loaded image always fits the device.
inline constexpr uint32_t kMaxDimension = 16384;

// Largest image file the loaders read into memory.
inline constexpr uint64_t kMaxImageFileBytes = uint64_t{1} << 30;

// Decodes PNG, JPG, BMP, TGA, GIF (first frame) and DDS (uncompressed RGB
// masks, BC1, BC2, BC3). DDS files keep their own mip levels and the chain is
// completed with a box filter; other formats get a box-filtered chain. Returns
// false, leaving out empty, for unreadable, unsupported or corrupt input.
bool loadTextureFile(const std::string& utf8Path, TextureImage& out);
bool loadTextureMemory(const uint8_t* data, size_t size, TextureImage& out);

// The capture kinds by number; every other number writes nothing.
enum class FileKind { Bmp = 0, Jpg = 1, Png = 3, Dds = 4 };

// Writes image to utf8Path in the format that kind selects (JPG drops alpha;
// DDS is uncompressed 32-bit RGBA). Returns false for an unknown kind, an
// image whose pixel array does not match its size, or a failed write.
bool saveImageFile(int kind, const std::string& utf8Path, const gpu::Image& image);

}  // namespace korvel::image
