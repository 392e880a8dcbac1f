// PNG, JPG, BMP, TGA and GIF decoding and BMP, JPG and PNG encoding through
// the system's stb_image and stb_image_write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/image.h"

namespace korvel::image {

// Decodes any format stb_image reads into RGBA8; rejects images larger than
// kMaxDimension on either side before any pixel is decoded.
bool decodeWithStb(const uint8_t* data, size_t size, MipLevel& out);

// Encodes a validated image as BMP (32-bit), PNG (RGBA) or JPG (quality 90,
// alpha dropped). kind must be one of those three.
bool encodeWithStb(FileKind kind, const gpu::Image& image, std::vector<uint8_t>& out);

}  // namespace korvel::image
