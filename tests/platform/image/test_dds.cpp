// DDS files through the loader (pixel formats, headers, mip chains) and the
// capture writer read back.
#include <vector>

#include "dds_builder.h"
#include "image_test_support.h"
#include "platform/file_bytes.h"

namespace korvel::image {
namespace {

using test::DdsBuilder;
using test::Pixel;

constexpr uint32_t kRgb = dds::kPixelRgb;
constexpr uint32_t kRgba = dds::kPixelRgb | dds::kPixelAlphaPixels;

struct FormatCase {
    const char* name;
    DdsBuilder file;
    std::vector<Pixel> expected;
};

TEST(DdsReader, DecodesEachPixelFormat) {
    const std::vector<uint8_t> two = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<uint8_t> redBc1 = {0x00, 0xF8, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> redBc3 = {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0, 0, 0, 0, 0, 0};
    const Pixel red{255, 0, 0, 255}, clearRed{255, 0, 0, 0};
    const std::vector<FormatCase> cases = {
        {"A8B8G8R8", DdsBuilder(2, 1).masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).data(two),
         {{10, 20, 30, 40}, {50, 60, 70, 80}}},
        {"A8R8G8B8", DdsBuilder(2, 1).masks(kRgba, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000).data(two),
         {{30, 20, 10, 40}, {70, 60, 50, 80}}},
        {"X8R8G8B8", DdsBuilder(2, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0).data(two),
         {{30, 20, 10, 255}, {70, 60, 50, 255}}},
        {"alpha mask without alpha flag", DdsBuilder(1, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000).data(two),
         {{30, 20, 10, 255}}},
        {"R8G8B8", DdsBuilder(2, 1).masks(kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0).data({1, 2, 3, 4, 5, 6}),
         {{3, 2, 1, 255}, {6, 5, 4, 255}}},
        {"R5G6B5 scaled to full range", DdsBuilder(3, 1).masks(kRgb, 16, 0xF800, 0x07E0, 0x001F, 0).data({0x00, 0xF8, 0xE0, 0x07, 0x10, 0x00}),
         {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 132, 255}}},
        {"A8L8", DdsBuilder(1, 1).masks(dds::kPixelLuminance | dds::kPixelAlphaPixels, 16, 0xFF, 0, 0, 0xFF00).data({90, 7}),
         {{90, 90, 90, 7}}},
        {"A8", DdsBuilder(1, 1).masks(dds::kPixelAlpha, 8, 0xFF, 0xFF, 0xFF, 0xFF).data({77}), {{0, 0, 0, 77}}},
        {"extension R8G8B8A8", DdsBuilder(1, 1).extension(28).data(two), {{10, 20, 30, 40}}},
        {"extension B8G8R8A8", DdsBuilder(1, 1).extension(87).data(two), {{30, 20, 10, 40}}},
        {"extension B8G8R8X8", DdsBuilder(1, 1).extension(88).data(two), {{30, 20, 10, 255}}},
        {"extension B4G4R4A4", DdsBuilder(1, 1).extension(115).data({0x5A, 0xF3}), {{51, 85, 170, 255}}},
        {"extension array, first element", DdsBuilder(1, 1).extension(28, 3, 2).data(two), {{10, 20, 30, 40}}},
        {"DXT1 cropped to 3 x 2", DdsBuilder(3, 2).fourCC('D', 'X', 'T', '1').data(redBc1), std::vector<Pixel>(6, red)},
        {"extension BC1", DdsBuilder(4, 4).extension(71).data(redBc1), std::vector<Pixel>(16, red)},
        {"DXT5", DdsBuilder(2, 2).fourCC('D', 'X', 'T', '5').data(redBc3), std::vector<Pixel>(4, clearRed)},
        {"extension BC3 sRGB", DdsBuilder(2, 2).extension(78).data(redBc3), std::vector<Pixel>(4, clearRed)},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextureImage image;
        ASSERT_TRUE(test::loadBytes(c.file.bytes(), image));
        EXPECT_EQ(test::pixelsOf(image.mips[0]), c.expected);
    }
}

TEST(DdsReader, KeepsTheFileLevelsAndCompletesTheChain) {
    // 4 x 4 BC1 with all three levels: each a solid colour unrelated to the
    // one above; levels of 2 x 2 and 1 x 1 still take a whole block.
    DdsBuilder complete(4, 4);
    complete.fourCC('D', 'X', 'T', '1').set(dds::MipMapCount, 3);
    complete.data({0x00, 0xF8, 0, 0, 0, 0, 0, 0}).data({0x1F, 0, 0, 0, 0, 0, 0, 0}).data({0xE0, 0x07, 0, 0, 0, 0, 0, 0});
    TextureImage image;
    ASSERT_TRUE(test::loadBytes(complete.bytes(), image));
    ASSERT_EQ(image.mips.size(), 3u);
    EXPECT_EQ(test::pixelsOf(image.mips[1]), std::vector<Pixel>(4, Pixel{0, 0, 255, 255}));
    EXPECT_EQ(test::pixelsOf(image.mips[2]), std::vector<Pixel>(1, Pixel{0, 255, 0, 255}));

    // 8 x 4 with two of four levels: the rest are filtered from level 1.
    DdsBuilder partial(8, 4);
    partial.masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).set(dds::MipMapCount, 2);
    partial.data(std::vector<uint8_t>(8 * 4 * 4, 200)).data(std::vector<uint8_t>(4 * 2 * 4, 50));
    ASSERT_TRUE(test::loadBytes(partial.bytes(), image));
    ASSERT_EQ(image.mips.size(), 4u);
    EXPECT_EQ(image.mips[2].width, 2u);
    EXPECT_EQ(image.mips[2].height, 1u);
    EXPECT_EQ(image.mips[3].rgba, std::vector<uint8_t>(4, 50));
}

class DdsCapture : public test::ScratchFolder {};

TEST_F(DdsCapture, WritesAPlainRgbaFileThatReadsBackExactly) {
    const gpu::Image image = test::gradientImage(7, 5);
    ASSERT_TRUE(saveImageFile(4, pathOf("capture.dds"), image));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::readFileBytes(pathOf("capture.dds"), kMaxImageFileBytes, bytes) == platform::FileRead::ok);
    ASSERT_EQ(bytes.size(), 128u + 7 * 5 * 4);
    auto word = [&bytes](dds::HeaderWord index) { return dds::readWord(bytes.data() + 4 + 4 * index); };
    EXPECT_EQ(word(dds::PitchOrLinearSize), 28u);
    EXPECT_EQ(word(dds::PixelFormatFlags), kRgba);
    EXPECT_EQ(word(dds::RedMask), 0xFFu);
    EXPECT_EQ(word(dds::AlphaMask), 0xFF000000u);

    TextureImage loaded;
    ASSERT_TRUE(loadTextureFile(pathOf("capture.dds"), loaded));
    EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
    EXPECT_EQ(loaded.mips.size(), 3u);
}

}  // namespace
}  // namespace korvel::image
