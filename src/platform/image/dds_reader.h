// Reading the mip levels of a DDS file into RGBA8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/image.h"

namespace korvel::image {

// Decodes every mip level the file declares (the first element only of array
// and cube textures). Fails without decoding anything when the headers are
// invalid or the file is shorter than the levels they describe.
bool readDds(const uint8_t* data, size_t size, std::vector<MipLevel>& mips);

}  // namespace korvel::image
