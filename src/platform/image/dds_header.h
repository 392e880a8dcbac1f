// Validation of a DDS file's headers into the layout of its pixel data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/image/bc_decode.h"
#include "platform/image/mask_decode.h"

namespace korvel::image {

// A 2D texture's size, mip count and pixel encoding. Only the first element
// of an array or cube texture is described.
struct DdsLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mipCount = 0;
    bool blockCompressed = false;
    BlockFormat blocks = BlockFormat::Bc1;  // when blockCompressed
    ChannelMasks masks;                     // otherwise
    size_t dataOffset = 0;                  // first byte of level 0
};

// Accepts headers of 2D textures up to kMaxDimension per side, with a mip
// count no larger than the full chain, in BC1 to BC3 or a decodable mask
// format, given with or without the extension header. Whether the file holds
// the pixel data is left to the caller.
bool parseDdsHeader(const uint8_t* data, size_t size, DdsLayout& out);

// Bytes of one mip level of the given size in the layout's encoding.
uint64_t levelBytes(const DdsLayout& layout, uint32_t width, uint32_t height);

}  // namespace korvel::image
