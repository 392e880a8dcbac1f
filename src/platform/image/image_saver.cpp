#include <climits>

#include "platform/image/dds_writer.h"
#include "platform/file_bytes.h"
#include "platform/image/image.h"
#include "platform/image/stb_codecs.h"

namespace korvel::image {

namespace {

// The encoders take int sizes and row pitches, so keep width * 4 in range.
bool isValidImage(const gpu::Image& image) {
    if (image.width == 0 || image.height == 0) return false;
    if (image.width > INT_MAX / 4 || image.height > INT_MAX) return false;
    return image.rgba.size() == uint64_t{image.width} * image.height * 4;
}

}  // namespace

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
    if (fileKind == FileKind::Dds) bytes = encodeDds(image);
    else if (!encodeWithStb(fileKind, image, bytes)) return false;
    return platform::writeFileBytes(utf8Path, bytes.data(), bytes.size());
}

}  // namespace korvel::image
