#include <algorithm>

#include "platform/image/dds.h"

namespace korvel::image {

namespace {

using namespace dds;

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

// Masks for the extension header's uncompressed formats, byte 0 lowest.
constexpr ChannelMasks kRgba8{32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
constexpr ChannelMasks kBgra8{32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr ChannelMasks kBgrx8{32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
constexpr ChannelMasks kB5G6R5{16, 0xF800, 0x07E0, 0x001F, 0};
constexpr ChannelMasks kB5G5R5A1{16, 0x7C00, 0x03E0, 0x001F, 0x8000};
constexpr ChannelMasks kB4G4R4A4{16, 0x0F00, 0x00F0, 0x000F, 0xF000};

// DXGI format numbers of the extension header (sRGB variants decode alike).
bool encodingFromDxgi(uint32_t format, DdsLayout& out) {
    out.blockCompressed = false;
    switch (format) {
        case 28:
        case 29:
            out.masks = kRgba8;
            return true;
        case 87:
        case 91:
            out.masks = kBgra8;
            return true;
        case 88:
        case 93:
            out.masks = kBgrx8;
            return true;
        case 85:
            out.masks = kB5G6R5;
            return true;
        case 86:
            out.masks = kB5G5R5A1;
            return true;
        case 115:
            out.masks = kB4G4R4A4;
            return true;
        default:
            break;
    }
    out.blockCompressed = true;
    switch (format) {
        case 71:
        case 72:
            out.blocks = BlockFormat::Bc1;
            return true;
        case 74:
        case 75:
            out.blocks = BlockFormat::Bc2;
            return true;
        case 77:
        case 78:
            out.blocks = BlockFormat::Bc3;
            return true;
        default:
            return false;
    }
}

// Four-character codes of the plain header; premultiplied DXT2 and DXT4 are
// decoded like DXT3 and DXT5.
bool encodingFromFourCC(uint32_t code, DdsLayout& out) {
    out.blockCompressed = true;
    if (code == fourCC('D', 'X', 'T', '1'))
        out.blocks = BlockFormat::Bc1;
    else if (code == fourCC('D', 'X', 'T', '2') || code == fourCC('D', 'X', 'T', '3'))
        out.blocks = BlockFormat::Bc2;
    else if (code == fourCC('D', 'X', 'T', '4') || code == fourCC('D', 'X', 'T', '5'))
        out.blocks = BlockFormat::Bc3;
    else
        return false;
    return true;
}

// Alpha masks count only with an alpha flag; alpha-only formats have no
// colour channels.
bool encodingFromMasks(const uint8_t* header, uint32_t flags, DdsLayout& out) {
    auto word = [header](size_t index) { return readWord(header + 4 * index); };
    out.blockCompressed = false;
    out.masks.bitCount = word(RgbBitCount);
    const bool alphaOnly = (flags & (kPixelRgb | kPixelLuminance)) == 0;
    if (!alphaOnly) {
        out.masks.red = word(RedMask);
        out.masks.green = word(GreenMask);
        out.masks.blue = word(BlueMask);
        out.masks.luminance = (flags & kPixelLuminance) != 0;
    }
    if (flags & (kPixelAlphaPixels | kPixelAlpha)) out.masks.alpha = word(AlphaMask);
    return isDecodable(out.masks);
}

// Accepts headers of 2D textures up to kMaxDimension per side, with a mip
// count no larger than the full chain, in BC1 to BC3 or a decodable mask
// format, given with or without the extension header. Whether the file holds
// the pixel data is left to the caller.
bool parseDdsHeader(const uint8_t* data, size_t size, DdsLayout& out) {
    out = {};
    if (size < kMagicBytes + kHeaderBytes || !hasMagic(data, size)) return false;
    const uint8_t* header = data + kMagicBytes;
    auto word = [header](size_t index) { return readWord(header + 4 * index); };
    if (word(Size) != kHeaderBytes || word(PixelFormatSize) != kPixelFormatBytes) return false;

    out.width = word(Width);
    out.height = word(Height);
    if (out.width == 0 || out.height == 0 || out.width > kMaxDimension || out.height > kMaxDimension) return false;
    const bool volume = (word(Caps2) & kCaps2Volume) != 0 || ((word(Flags) & kFlagDepth) != 0 && word(Depth) > 1);
    if (volume) return false;
    out.mipCount = std::max(word(MipMapCount), 1u);
    if (out.mipCount > fullMipCount(out.width, out.height)) return false;
    out.dataOffset = kMagicBytes + kHeaderBytes;

    const uint32_t flags = word(PixelFormatFlags);
    if ((flags & kPixelFourCC) == 0) {
        if ((flags & (kPixelRgb | kPixelLuminance | kPixelAlpha)) == 0) return false;
        return encodingFromMasks(header, flags, out);
    }
    if (word(FourCC) != fourCC('D', 'X', '1', '0')) return encodingFromFourCC(word(FourCC), out);

    if (size - out.dataOffset < kExtensionBytes) return false;
    const uint8_t* extension = data + out.dataOffset;
    out.dataOffset += kExtensionBytes;
    if (readWord(extension + 4 * ResourceDimension) != kResourceTexture2D) return false;
    if (readWord(extension + 4 * ArraySize) == 0) return false;
    return encodingFromDxgi(readWord(extension + 4 * DxgiFormat), out);
}

// Bytes of one mip level of the given size in the layout's encoding.
uint64_t levelBytes(const DdsLayout& layout, uint32_t width, uint32_t height) {
    if (layout.blockCompressed) {
        return uint64_t{(width + 3) / 4} * ((height + 3) / 4) * blockBytes(layout.blocks);
    }
    return uint64_t{width} * height * (layout.masks.bitCount / 8);
}

}  // namespace

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
