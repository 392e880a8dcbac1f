#include "platform/image/dds_reader.h"

#include <algorithm>

#include "platform/image/dds_header.h"

namespace korvel::image {

bool readDds(const uint8_t* data, size_t size, std::vector<MipLevel>& mips) {
    mips.clear();
    DdsLayout layout;
    if (!parseDdsHeader(data, size, layout)) return false;

    uint64_t total = 0;
    for (uint32_t level = 0; level < layout.mipCount; ++level) {
        total += levelBytes(layout, std::max(layout.width >> level, 1u), std::max(layout.height >> level, 1u));
    }
    if (total > size - layout.dataOffset) return false;

    const uint8_t* pixels = data + layout.dataOffset;
    mips.reserve(layout.mipCount);
    for (uint32_t level = 0; level < layout.mipCount; ++level) {
        const uint32_t width = std::max(layout.width >> level, 1u);
        const uint32_t height = std::max(layout.height >> level, 1u);
        mips.push_back(layout.blockCompressed ? decodeBlocks(layout.blocks, pixels, width, height)
                                              : decodeMasked(layout.masks, pixels, width, height));
        pixels += levelBytes(layout, width, height);
    }
    return true;
}

}  // namespace korvel::image
