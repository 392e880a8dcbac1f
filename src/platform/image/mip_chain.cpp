#include "platform/image/image.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace korvel::image {

namespace {

// Source pixels and their weights for one destination index along one axis.
// Destination pixel d covers [d * src, (d + 1) * src) and source pixel s
// covers [s * dst, (s + 1) * dst) in units of 1 / dst source pixels; the
// weights are the overlaps divided by gcd(src, dst) and add up to
// src / gcd. Halving keeps src / dst <= 3, so at most three source pixels
// contribute.
struct AxisTaps {
    uint32_t first = 0;
    uint32_t count = 0;
    uint32_t weight[3] = {};
};

std::vector<AxisTaps> axisTaps(uint32_t src, uint32_t dst) {
    const uint32_t unit = std::gcd(src, dst);
    std::vector<AxisTaps> taps(dst);
    for (uint32_t d = 0; d < dst; ++d) {
        const uint64_t begin = uint64_t{d} * src;
        const uint64_t end = begin + src;
        AxisTaps& tap = taps[d];
        tap.first = static_cast<uint32_t>(begin / dst);
        for (uint32_t s = tap.first; uint64_t{s} * dst < end; ++s) {
            const uint64_t lo = std::max<uint64_t>(begin, uint64_t{s} * dst);
            const uint64_t hi = std::min<uint64_t>(end, uint64_t{s + 1} * dst);
            tap.weight[tap.count++] = static_cast<uint32_t>((hi - lo) / unit);
        }
    }
    return taps;
}

}  // namespace

uint32_t fullMipCount(uint32_t width, uint32_t height) {
    return static_cast<uint32_t>(std::bit_width(std::max({width, height, 1u})));
}

MipLevel downsample(const MipLevel& source) {
    MipLevel level;
    level.width = std::max(source.width / 2, 1u);
    level.height = std::max(source.height / 2, 1u);
    level.rgba.resize(size_t{level.width} * level.height * 4);

    const std::vector<AxisTaps> columns = axisTaps(source.width, level.width);
    const std::vector<AxisTaps> rows = axisTaps(source.height, level.height);
    const uint64_t total = uint64_t{source.width / std::gcd(source.width, level.width)} *
                           (source.height / std::gcd(source.height, level.height));

    uint8_t* out = level.rgba.data();
    for (uint32_t y = 0; y < level.height; ++y) {
        const AxisTaps& row = rows[y];
        for (uint32_t x = 0; x < level.width; ++x) {
            const AxisTaps& column = columns[x];
            uint64_t sum[4] = {};
            for (uint32_t j = 0; j < row.count; ++j) {
                const uint8_t* line = source.rgba.data() + size_t{row.first + j} * source.width * 4;
                for (uint32_t i = 0; i < column.count; ++i) {
                    const uint8_t* pixel = line + size_t{column.first + i} * 4;
                    const uint64_t weight = uint64_t{row.weight[j]} * column.weight[i];
                    for (int c = 0; c < 4; ++c) sum[c] += pixel[c] * weight;
                }
            }
            for (int c = 0; c < 4; ++c) *out++ = static_cast<uint8_t>((sum[c] + total / 2) / total);
        }
    }
    return level;
}

void completeMipChain(std::vector<MipLevel>& mips) {
    while (mips.back().width > 1 || mips.back().height > 1) mips.push_back(downsample(mips.back()));
}

}  // namespace korvel::image
