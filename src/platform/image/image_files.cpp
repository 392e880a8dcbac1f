#include <climits>
#include <cstring>
#include <memory>
#include <stb_image.h>
#include <stb_image_write.h>

#include "platform/files.h"
#include "platform/image/dds.h"
#include "platform/image/image.h"

namespace korvel::image {

namespace {

bool startsWith(const uint8_t* data, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(data, signature, length) == 0;
}

uint32_t read16(const uint8_t* bytes) { return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8; }

// A TGA header (18 bytes) of a colour-mapped, true-colour or grey image,
// plain or run-length encoded, followed by at least the bytes its pixels
// need: all of them when plain, one packet of up to 128 pixels per
// (1 + pixel bytes) when encoded.
bool isPlausibleTga(const uint8_t* data, size_t size) {
    constexpr size_t kHeaderBytes = 18;
    if (size < kHeaderBytes) return false;
    const uint32_t idLength = data[0], mapType = data[1], imageType = data[2];
    const uint32_t mapLength = read16(data + 5), mapEntryBits = data[7];
    const uint32_t width = read16(data + 12), height = read16(data + 14), bits = data[16];
    if (mapType > 1 || width == 0 || height == 0) return false;
    const uint32_t baseType = imageType & ~8u;
    if ((imageType & ~11u) != 0 || baseType < 1 || baseType > 3) return false;
    if ((baseType == 1) != (mapType == 1)) return false;
    if (bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32) return false;

    const uint64_t mapBytes = mapType ? uint64_t{mapLength} * ((mapEntryBits + 7) / 8) : 0;
    const uint64_t pixelBytes = (bits + 7) / 8;
    const uint64_t pixels = uint64_t{width} * height;
    const uint64_t dataBytes = (imageType & 8) ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    return kHeaderBytes + idLength + mapBytes + dataBytes <= size;
}

// Recognises the formats handed to stb_image before it sees them, so that
// only PNG, JPG, BMP, GIF and TGA reach its decoders, and TGA files (which
// have no signature and which the decoder pads with zeros when short) are
// checked against the pixel data their header requires.
bool isAcceptedStbFormat(const uint8_t* data, size_t size) {
    return startsWith(data, size, "\x89PNG\r\n\x1A\n", 8) || startsWith(data, size, "\xFF\xD8\xFF", 3) ||
           startsWith(data, size, "BM", 2) || startsWith(data, size, "GIF87a", 6) ||
           startsWith(data, size, "GIF89a", 6) || isPlausibleTga(data, size);
}

constexpr int kJpgQuality = 90;

// Compressed formats can describe far more pixels than their bytes hold, and
// the decoder allocates and fills the whole image before noticing missing
// data. Images up to kFreePixels decode at any file size; larger ones need
// one file byte per kPixelsPerFileByte pixels, which keeps the work linear
// in the file size (a flat 16384 x 16384 RGBA PNG is about 1 MB).
constexpr uint64_t kFreePixels = uint64_t{1} << 22;
constexpr uint64_t kPixelsPerFileByte = 1024;

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// Decodes any format stb_image reads into RGBA8; rejects images larger than
// kMaxDimension on either side before any pixel is decoded.
bool decodeWithStb(const uint8_t* data, size_t size, MipLevel& out) {
    if (size == 0 || size > INT_MAX || !isAcceptedStbFormat(data, size)) return false;
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return false;
    if (width <= 0 || height <= 0 || static_cast<uint32_t>(width) > kMaxDimension ||
        static_cast<uint32_t>(height) > kMaxDimension)
        return false;
    const uint64_t pixelCount = uint64_t(width) * uint64_t(height);
    if (pixelCount > kFreePixels && pixelCount / kPixelsPerFileByte > size) return false;

    int decodedWidth = 0, decodedHeight = 0;
    std::unique_ptr<stbi_uc, StbFree> decoded(
        stbi_load_from_memory(data, length, &decodedWidth, &decodedHeight, &channels, 4));
    if (!decoded || decodedWidth != width || decodedHeight != height) return false;
    out.width = static_cast<uint32_t>(width);
    out.height = static_cast<uint32_t>(height);
    out.rgba.assign(decoded.get(), decoded.get() + pixelCount * 4);
    return true;
}

// Encodes a validated image as BMP (32-bit), PNG (RGBA) or JPG (quality 90,
// alpha dropped). kind must be one of those three.
bool encodeWithStb(FileKind kind, const gpu::Image& image, std::vector<uint8_t>& out) {
    out.clear();
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    const void* pixels = image.rgba.data();
    switch (kind) {
        case FileKind::Bmp:
            return stbi_write_bmp_to_func(appendBytes, &out, width, height, 4, pixels) != 0;
        case FileKind::Png:
            return stbi_write_png_to_func(appendBytes, &out, width, height, 4, pixels, width * 4) != 0;
        case FileKind::Jpg:
            return stbi_write_jpg_to_func(appendBytes, &out, width, height, 4, pixels, kJpgQuality) != 0;
        case FileKind::Dds:
            break;
    }
    return false;
}

// The encoders take int sizes and row pitches, so keep width * 4 in range.
bool isValidImage(const gpu::Image& image) {
    if (image.width == 0 || image.height == 0) return false;
    if (image.width > INT_MAX / 4 || image.height > INT_MAX) return false;
    return image.rgba.size() == uint64_t{image.width} * image.height * 4;
}

}  // namespace

bool loadTextureFile(const std::string& utf8Path, TextureImage& out) {
    out = {};
    std::vector<uint8_t> bytes;
    return platform::readFileBytes(utf8Path, kMaxImageFileBytes, bytes) == platform::FileRead::ok &&
           loadTextureMemory(bytes.data(), bytes.size(), out);
}

bool loadTextureMemory(const uint8_t* data, size_t size, TextureImage& out) {
    out = {};
    if (data == nullptr || size == 0) return false;
    std::vector<MipLevel> mips(1);
    const bool decoded = dds::hasMagic(data, size) ? readDds(data, size, mips) : decodeWithStb(data, size, mips[0]);
    if (!decoded) return false;
    completeMipChain(mips);
    out.width = mips[0].width;
    out.height = mips[0].height;
    out.mips = std::move(mips);
    return true;
}

bool saveImageFile(int kind, const std::string& utf8Path, const gpu::Image& image) {
    const auto fileKind = static_cast<FileKind>(kind);
    switch (fileKind) {
        case FileKind::Bmp:
        case FileKind::Jpg:
        case FileKind::Png:
        case FileKind::Dds:
            break;
        default:
            return false;
    }
    if (!isValidImage(image)) return false;
    std::vector<uint8_t> bytes;
    if (fileKind == FileKind::Dds)
        bytes = encodeDds(image);
    else if (!encodeWithStb(fileKind, image, bytes))
        return false;
    return platform::writeFileBytes(utf8Path, bytes.data(), bytes.size());
}

}  // namespace korvel::image
