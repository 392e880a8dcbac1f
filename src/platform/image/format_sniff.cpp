#include "platform/image/format_sniff.h"

#include <cstring>

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

}  // namespace

bool isAcceptedStbFormat(const uint8_t* data, size_t size) {
    return startsWith(data, size, "\x89PNG\r\n\x1A\n", 8) || startsWith(data, size, "\xFF\xD8\xFF", 3) ||
           startsWith(data, size, "BM", 2) || startsWith(data, size, "GIF87a", 6) ||
           startsWith(data, size, "GIF89a", 6) || isPlausibleTga(data, size);
}

}  // namespace korvel::image
