#include "platform/image/dds_writer.h"

#include <algorithm>

#include "platform/image/dds_format.h"

namespace korvel::image {

std::vector<uint8_t> encodeDds(const gpu::Image& image) {
    using namespace dds;
    const size_t headerEnd = kMagicBytes + kHeaderBytes;
    std::vector<uint8_t> bytes(headerEnd + image.rgba.size(), 0);
    writeWord(bytes.data(), kMagic);
    uint8_t* header = bytes.data() + kMagicBytes;
    auto set = [header](size_t index, uint32_t value) { writeWord(header + 4 * index, value); };
    set(Size, kHeaderBytes);
    set(Flags, kFlagCaps | kFlagHeight | kFlagWidth | kFlagPitch | kFlagPixelFormat);
    set(Height, image.height);
    set(Width, image.width);
    set(PitchOrLinearSize, image.width * 4);
    set(PixelFormatSize, kPixelFormatBytes);
    set(PixelFormatFlags, kPixelRgb | kPixelAlphaPixels);
    set(RgbBitCount, 32);
    set(RedMask, 0x000000FF);
    set(GreenMask, 0x0000FF00);
    set(BlueMask, 0x00FF0000);
    set(AlphaMask, 0xFF000000);
    set(Caps, kCapsTexture);
    std::copy(image.rgba.begin(), image.rgba.end(), bytes.begin() + headerEnd);
    return bytes;
}

}  // namespace korvel::image
