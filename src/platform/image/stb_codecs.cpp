#include "platform/image/stb_codecs.h"

#include <climits>
#include <memory>
#include <stb_image.h>
#include <stb_image_write.h>

namespace korvel::image {

namespace {

constexpr int kJpgQuality = 90;

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
    if (size == 0 || size > INT_MAX) return false;
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return false;
    if (width <= 0 || height <= 0 || static_cast<uint32_t>(width) > kMaxDimension ||
        static_cast<uint32_t>(height) > kMaxDimension)
        return false;

    std::unique_ptr<stbi_uc, StbFree> pixels(stbi_load_from_memory(data, length, &width, &height, &channels, 4));
    if (!pixels || width <= 0 || height <= 0 || static_cast<uint32_t>(width) > kMaxDimension ||
        static_cast<uint32_t>(height) > kMaxDimension)
        return false;
    out.width = static_cast<uint32_t>(width);
    out.height = static_cast<uint32_t>(height);
    out.rgba.assign(pixels.get(), pixels.get() + size_t{out.width} * out.height * 4);
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
