// Builds DDS files field by field for the reader tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/image/dds.h"

namespace korvel::image::test {

class DdsBuilder {
public:
    // A plain header for a width x height texture with no pixel format yet.
    DdsBuilder(uint32_t width, uint32_t height) : bytes_(dds::kMagicBytes + dds::kHeaderBytes, 0) {
        dds::writeWord(bytes_.data(), dds::kMagic);
        set(dds::Size, dds::kHeaderBytes).set(dds::Width, width).set(dds::Height, height);
        set(dds::Flags, dds::kFlagCaps | dds::kFlagHeight | dds::kFlagWidth | dds::kFlagPixelFormat);
        set(dds::PixelFormatSize, dds::kPixelFormatBytes).set(dds::Caps, dds::kCapsTexture);
    }

    DdsBuilder& set(dds::HeaderWord word, uint32_t value) {
        dds::writeWord(bytes_.data() + dds::kMagicBytes + 4 * word, value);
        return *this;
    }
    DdsBuilder& masks(uint32_t flags, uint32_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        set(dds::PixelFormatFlags, flags).set(dds::RgbBitCount, bitCount).set(dds::RedMask, r);
        return set(dds::GreenMask, g).set(dds::BlueMask, b).set(dds::AlphaMask, a);
    }
    DdsBuilder& fourCC(char a, char b, char c, char d) {
        return set(dds::PixelFormatFlags, dds::kPixelFourCC).set(dds::FourCC, dds::fourCC(a, b, c, d));
    }
    // Adds the extension header; call before adding pixel data.
    DdsBuilder& extension(uint32_t dxgiFormat, uint32_t dimension = 3, uint32_t arraySize = 1) {
        fourCC('D', 'X', '1', '0');
        for (uint32_t value : {dxgiFormat, dimension, 0u, arraySize, 0u})
            for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    DdsBuilder& data(const std::vector<uint8_t>& values) {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace korvel::image::test
