// Mip chains: each level halves both sizes (rounding down, never below 1)
// and is the area-weighted box filter of the level above.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/image/image.h"

namespace korvel::image {

// Number of levels from width x height down to 1 x 1.
uint32_t fullMipCount(uint32_t width, uint32_t height);

// The next smaller level of source. Every destination pixel averages the
// source area it covers, so odd sizes weigh edge pixels by their overlap.
MipLevel downsample(const MipLevel& source);

// Appends box-filtered levels to a non-empty chain until it reaches 1 x 1.
void completeMipChain(std::vector<MipLevel>& mips);

}  // namespace korvel::image
