// Writing an RGBA8 image as an uncompressed 32-bit DDS file.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::image {

// The plain (pre-extension) header with A8B8G8R8 masks, one mip level,
// followed by the pixels as they are. The image must be consistent.
std::vector<uint8_t> encodeDds(const gpu::Image& image);

}  // namespace korvel::image
