// Formats the loader reads but the saver never writes (GIF, TGA), and the
// checks that keep short files from decoding into large images.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "image_test_support.h"
#include "platform/image/file_bytes.h"
#include "platform/image/image.h"

namespace korvel::image {
namespace {

using Pixel = std::array<uint8_t, 4>;

Pixel pixelAt(const TextureImage& image, uint32_t x, uint32_t y) {
    const uint8_t* p = &image.mips[0].rgba[(size_t{y} * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool load(const std::vector<uint8_t>& bytes, TextureImage& image) {
    return loadTextureMemory(bytes.data(), bytes.size(), image);
}

// Uncompressed 32-bit TGA header; descriptor 0x28 stores the top row first,
// 0x08 the bottom row first.
std::vector<uint8_t> tgaHeader(uint16_t width, uint16_t height, uint8_t descriptor, uint8_t type = 2) {
    return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), 32, descriptor};
}

std::vector<uint8_t> tga2x2(uint8_t descriptor) {
    std::vector<uint8_t> file = tgaHeader(2, 2, descriptor);
    // BGRA: blue, green on the first stored row; red, white on the second.
    file.insert(file.end(), {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0});
    return file;
}

TEST(ReadOnlyFormats, TgaInEitherRowOrderLoadsTopRowFirst) {
    TextureImage top, bottom;
    ASSERT_TRUE(load(tga2x2(0x28), top));
    ASSERT_TRUE(load(tga2x2(0x08), bottom));
    EXPECT_EQ(pixelAt(top, 0, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(top, 1, 0), (Pixel{0, 255, 0, 128}));
    EXPECT_EQ(pixelAt(top, 0, 1), (Pixel{255, 0, 0, 64}));
    EXPECT_EQ(pixelAt(bottom, 0, 0), (Pixel{255, 0, 0, 64}));
    EXPECT_EQ(pixelAt(bottom, 1, 1), (Pixel{0, 255, 0, 128}));
    EXPECT_EQ(top.mips.size(), 2u);
}

TEST(ReadOnlyFormats, GifFirstFrameFromItsColourTable) {
    // 1 x 1, two-entry table (red, black), LZW codes clear, 0, end.
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,
                                      255, 0, 0, 0, 0, 0,
                                      ',', 0, 0, 0, 0, 1, 0, 1, 0, 0,
                                      2, 2, 0x44, 0x01, 0, ';'};
    TextureImage image;
    ASSERT_TRUE(load(gif, image));
    EXPECT_EQ(pixelAt(image, 0, 0), (Pixel{255, 0, 0, 255}));
}

TEST(ReadOnlyFormats, TgaShorterThanItsPixelsIsRefused) {
    std::vector<uint8_t> file = tga2x2(0x28);
    file.pop_back();
    TextureImage image;
    EXPECT_FALSE(load(file, image));
    // A run-length encoded 10000 x 10000 header followed by a few bytes.
    std::vector<uint8_t> encoded = tgaHeader(10000, 10000, 0x28, 10);
    encoded.insert(encoded.end(), {0xFF, 1, 2, 3, 4, 0xFF, 1, 2, 3, 4});
    EXPECT_FALSE(load(encoded, image));
}

class LargeClaims : public test::ScratchFolder {};

// A saved JPG whose frame header is patched to a larger size: the decoder
// would pad the missing data, so the file size must refuse it.
TEST_F(LargeClaims, SmallFileDescribingAHugeImageIsRefused) {
    ASSERT_TRUE(saveImageFile(1, pathOf("small.jpg"), test::gradientImage(16, 16)));
    std::vector<uint8_t> jpg;
    ASSERT_TRUE(readFileBytes(pathOf("small.jpg"), jpg));
    size_t frame = 2;
    while (frame + 9 < jpg.size() && !(jpg[frame] == 0xFF && jpg[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 9, jpg.size());
    TextureImage image;
    ASSERT_TRUE(load(jpg, image));
    for (size_t i : {frame + 5, frame + 7}) {  // height, width: 16000 big-endian
        jpg[i] = 16000 >> 8;
        jpg[i + 1] = 16000 & 0xFF;
    }
    EXPECT_FALSE(load(jpg, image));
    EXPECT_TRUE(image.mips.empty());
}

}  // namespace
}  // namespace korvel::image
