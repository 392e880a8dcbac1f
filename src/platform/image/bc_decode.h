// Software decoding of the block-compressed formats BC1, BC2 and BC3 into
// RGBA8, so that textures need no driver support for compression.
#pragma once

#include <cstdint>

#include "platform/image/image.h"

namespace korvel::image {

enum class BlockFormat { Bc1, Bc2, Bc3 };

// Bytes per 4 x 4 block: 8 for BC1, 16 for BC2 and BC3.
uint32_t blockBytes(BlockFormat format);

// Decodes a width x height image stored as ceil(width / 4) x ceil(height / 4)
// blocks, row by row; data must hold all of them. Pixels of edge blocks that
// fall outside the image are dropped.
MipLevel decodeBlocks(BlockFormat format, const uint8_t* data, uint32_t width, uint32_t height);

}  // namespace korvel::image
