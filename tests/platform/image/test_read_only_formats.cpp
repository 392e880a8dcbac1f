// Formats the loader reads but the saver never writes (GIF, TGA), and the
// checks that keep short files from decoding into large images.
#include <vector>

#include "image_test_support.h"
#include "platform/file_bytes.h"

namespace korvel::image {
namespace {

using test::Pixel;

// Uncompressed 32-bit TGA header; descriptor 0x28 stores the top row first,
// 0x08 the bottom row first.
std::vector<uint8_t> tgaHeader(uint16_t width, uint16_t height, uint8_t descriptor, uint8_t type = 2) {
    return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), 32, descriptor};
}

// 2 x 2 BGRA: blue, green on the first stored row; red, white on the second.
std::vector<uint8_t> tga2x2(uint8_t descriptor) {
    std::vector<uint8_t> file = tgaHeader(2, 2, descriptor);
    for (const uint8_t byte : {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0}) file.push_back(byte);
    return file;
}

TEST(ReadOnlyFormats, TgaAndGifLoadTopRowFirst) {
    const Pixel blue{0, 0, 255, 255}, green{0, 255, 0, 128}, red{255, 0, 0, 64}, white{255, 255, 255, 0};
    TextureImage image;
    ASSERT_TRUE(test::loadBytes(tga2x2(0x28), image));
    EXPECT_EQ(test::pixelsOf(image.mips[0]), (std::vector<Pixel>{blue, green, red, white}));
    ASSERT_TRUE(test::loadBytes(tga2x2(0x08), image));
    EXPECT_EQ(test::pixelsOf(image.mips[0]), (std::vector<Pixel>{red, white, blue, green}));

    // 1 x 1 GIF, two-entry table (red, black), LZW codes clear, 0, end.
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 0,
                                      ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};
    ASSERT_TRUE(test::loadBytes(gif, image));
    EXPECT_EQ(test::pixelsOf(image.mips[0]), (std::vector<Pixel>{{255, 0, 0, 255}}));
}

class ShortFiles : public test::ScratchFolder {};

// The decoder pads missing TGA and JPG data, so sizes are checked first.
TEST_F(ShortFiles, DescribingMorePixelsThanTheyHoldAreRefused) {
    TextureImage image;
    std::vector<uint8_t> tga = tga2x2(0x28);
    tga.pop_back();
    EXPECT_FALSE(test::loadBytes(tga, image));
    std::vector<uint8_t> encoded = tgaHeader(10000, 10000, 0x28, 10);  // run-length encoded
    encoded.insert(encoded.end(), {0xFF, 1, 2, 3, 4, 0xFF, 1, 2, 3, 4});
    EXPECT_FALSE(test::loadBytes(encoded, image));

    // A saved JPG whose frame header is patched from 16 x 16 to 16000 x 16000.
    ASSERT_TRUE(saveImageFile(1, pathOf("small.jpg"), test::gradientImage(16, 16)));
    std::vector<uint8_t> jpg;
    ASSERT_TRUE(platform::readFileBytes(pathOf("small.jpg"), kMaxImageFileBytes, jpg) == platform::FileRead::ok);
    size_t frame = 2;
    while (frame + 9 < jpg.size() && !(jpg[frame] == 0xFF && jpg[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 9, jpg.size());
    for (size_t i : {frame + 5, frame + 7}) {
        jpg[i] = 16000 >> 8;
        jpg[i + 1] = 16000 & 0xFF;
    }
    EXPECT_FALSE(test::loadBytes(jpg, image));
    EXPECT_TRUE(image.mips.empty());
}

}  // namespace
}  // namespace korvel::image
