// Builds DDS files field by field for the reader tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/image/dds_format.h"

namespace korvel::image::test {

class DdsBuilder {
public:
    // A plain header for a width x height texture with no pixel format yet.
    DdsBuilder(uint32_t width, uint32_t height) : bytes_(dds::kMagicBytes + dds::kHeaderBytes, 0) {
        dds::writeWord(bytes_.data(), dds::kMagic);
        set(dds::Size, dds::kHeaderBytes);
        set(dds::Flags, dds::kFlagCaps | dds::kFlagHeight | dds::kFlagWidth | dds::kFlagPixelFormat);
        set(dds::Width, width);
        set(dds::Height, height);
        set(dds::PixelFormatSize, dds::kPixelFormatBytes);
        set(dds::Caps, dds::kCapsTexture);
    }

    DdsBuilder& set(dds::HeaderWord word, uint32_t value) {
        dds::writeWord(bytes_.data() + dds::kMagicBytes + 4 * word, value);
        return *this;
    }

    DdsBuilder& masks(uint32_t flags, uint32_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        set(dds::PixelFormatFlags, flags).set(dds::RgbBitCount, bitCount);
        return set(dds::RedMask, r).set(dds::GreenMask, g).set(dds::BlueMask, b).set(dds::AlphaMask, a);
    }

    DdsBuilder& fourCC(uint32_t code) { return set(dds::PixelFormatFlags, dds::kPixelFourCC).set(dds::FourCC, code); }

    // Switches to the extension header; call before adding pixel data.
    DdsBuilder& extension(uint32_t dxgiFormat, uint32_t dimension = 3, uint32_t arraySize = 1) {
        fourCC(dds::fourCC('D', 'X', '1', '0'));
        for (uint32_t value : {dxgiFormat, dimension, 0u, arraySize, 0u}) word(value);
        return *this;
    }

    DdsBuilder& data(std::initializer_list<uint8_t> values) {
        bytes_.insert(bytes_.end(), values);
        return *this;
    }
    DdsBuilder& data(const std::vector<uint8_t>& values) {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return *this;
    }
    DdsBuilder& word(uint32_t value) {
        bytes_.resize(bytes_.size() + 4);
        dds::writeWord(bytes_.data() + bytes_.size() - 4, value);
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace korvel::image::test
