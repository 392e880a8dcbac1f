#include "platform/image/stb_codecs.h"

#include <climits>
#include <memory>
#include <stb_image.h>
#include <stb_image_write.h>

#include "platform/image/format_sniff.h"

namespace korvel::image {

namespace {

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

}  // namespace

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

}  // namespace korvel::image
