// DDS files through the loader: pixel formats, headers and mip chains, and
// the capture writer read back.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "dds_builder.h"
#include "image_test_support.h"
#include "platform/image/file_bytes.h"
#include "platform/image/image.h"

namespace korvel::image {
namespace {

using test::DdsBuilder;
using Pixel = std::array<uint8_t, 4>;

std::vector<Pixel> pixelsOf(const MipLevel& level) {
    std::vector<Pixel> pixels;
    for (size_t i = 0; i < level.rgba.size(); i += 4)
        pixels.push_back({level.rgba[i], level.rgba[i + 1], level.rgba[i + 2], level.rgba[i + 3]});
    return pixels;
}

TextureImage load(const DdsBuilder& file) {
    TextureImage image;
    EXPECT_TRUE(loadTextureMemory(file.bytes().data(), file.bytes().size(), image));
    return image;
}

constexpr uint32_t kRgb = dds::kPixelRgb;
constexpr uint32_t kRgba = dds::kPixelRgb | dds::kPixelAlphaPixels;

TEST(DdsPixelFormats, ByteOrderFollowsTheMasks) {
    const std::vector<uint8_t> bytes = {10, 20, 30, 40, 50, 60, 70, 80};
    const auto abgr = DdsBuilder(2, 1).masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).data(bytes);
    const auto argb = DdsBuilder(2, 1).masks(kRgba, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000).data(bytes);
    const auto xrgb = DdsBuilder(2, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0).data(bytes);
    const auto rgb24 = DdsBuilder(2, 1).masks(kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0).data({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(pixelsOf(load(abgr).mips[0]), (std::vector<Pixel>{{10, 20, 30, 40}, {50, 60, 70, 80}}));
    EXPECT_EQ(pixelsOf(load(argb).mips[0]), (std::vector<Pixel>{{30, 20, 10, 40}, {70, 60, 50, 80}}));
    EXPECT_EQ(pixelsOf(load(xrgb).mips[0]), (std::vector<Pixel>{{30, 20, 10, 255}, {70, 60, 50, 255}}));
    EXPECT_EQ(pixelsOf(load(rgb24).mips[0]), (std::vector<Pixel>{{3, 2, 1, 255}, {6, 5, 4, 255}}));
}

TEST(DdsPixelFormats, AlphaMaskCountsOnlyWithAnAlphaFlag) {
    const auto noFlag = DdsBuilder(1, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000).data({1, 2, 3, 4});
    EXPECT_EQ(pixelsOf(load(noFlag).mips[0])[0], (Pixel{3, 2, 1, 255}));
}

TEST(DdsPixelFormats, NarrowChannelsScaleToFullRange) {
    // R5G6B5: full red, full green, half-range blue 16 / 31.
    const auto r5g6b5 = DdsBuilder(3, 1).masks(kRgb, 16, 0xF800, 0x07E0, 0x001F, 0).data({0x00, 0xF8, 0xE0, 0x07, 0x10, 0x00});
    EXPECT_EQ(pixelsOf(load(r5g6b5).mips[0]),
              (std::vector<Pixel>{{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 132, 255}}));
    // A4R4G4B4 through the extension header (B4G4R4A4 in its naming).
    const auto argb4 = DdsBuilder(1, 1).extension(115).data({0x5A, 0xF3});
    EXPECT_EQ(pixelsOf(load(argb4).mips[0])[0], (Pixel{51, 85, 170, 255}));
}

TEST(DdsPixelFormats, LuminanceAndAlphaOnly) {
    const auto a8l8 = DdsBuilder(1, 1).masks(dds::kPixelLuminance | dds::kPixelAlphaPixels, 16, 0xFF, 0, 0, 0xFF00).data({90, 7});
    const auto a8 = DdsBuilder(1, 1).masks(dds::kPixelAlpha, 8, 0xFF, 0xFF, 0xFF, 0xFF).data({77});
    EXPECT_EQ(pixelsOf(load(a8l8).mips[0])[0], (Pixel{90, 90, 90, 7}));
    EXPECT_EQ(pixelsOf(load(a8).mips[0])[0], (Pixel{0, 0, 0, 77}));
}

TEST(DdsPixelFormats, ExtensionHeaderRgbaAndBgra) {
    const std::vector<uint8_t> bytes = {10, 20, 30, 40};
    EXPECT_EQ(pixelsOf(load(DdsBuilder(1, 1).extension(28).data(bytes)).mips[0])[0], (Pixel{10, 20, 30, 40}));
    EXPECT_EQ(pixelsOf(load(DdsBuilder(1, 1).extension(87).data(bytes)).mips[0])[0], (Pixel{30, 20, 10, 40}));
    EXPECT_EQ(pixelsOf(load(DdsBuilder(1, 1).extension(88).data(bytes)).mips[0])[0], (Pixel{30, 20, 10, 255}));
}

TEST(DdsPixelFormats, BlockCompressedByFourCCAndExtension) {
    // One solid red BC1 block; BC3 with the same colour and alpha 0 throughout.
    const std::vector<uint8_t> bc1 = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};
    std::vector<uint8_t> bc3 = {0x00, 0x00, 0, 0, 0, 0, 0, 0};
    bc3.insert(bc3.end(), bc1.begin(), bc1.end());
    const Pixel red{255, 0, 0, 255};
    const Pixel clearRed{255, 0, 0, 0};
    EXPECT_EQ(pixelsOf(load(DdsBuilder(3, 2).fourCC(dds::fourCC('D', 'X', 'T', '1')).data(bc1)).mips[0]),
              std::vector<Pixel>(6, red));
    EXPECT_EQ(pixelsOf(load(DdsBuilder(4, 4).extension(71).data(bc1)).mips[0]), std::vector<Pixel>(16, red));
    EXPECT_EQ(pixelsOf(load(DdsBuilder(2, 2).fourCC(dds::fourCC('D', 'X', 'T', '5')).data(bc3)).mips[0]),
              std::vector<Pixel>(4, clearRed));
    EXPECT_EQ(pixelsOf(load(DdsBuilder(2, 2).extension(78).data(bc3)).mips[0]), std::vector<Pixel>(4, clearRed));
}

TEST(DdsMipChain, CompleteChainFromTheFileIsKept) {
    // 4 x 2 -> 2 x 1 -> 1 x 1, each level a grey value unrelated to the one above.
    DdsBuilder file(4, 2);
    file.masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).set(dds::MipMapCount, 3);
    file.data(std::vector<uint8_t>(4 * 2 * 4, 200)).data(std::vector<uint8_t>(2 * 4, 100)).data({7, 7, 7, 7});
    const TextureImage image = load(file);
    ASSERT_EQ(image.mips.size(), 3u);
    EXPECT_EQ(image.mips[1].rgba, std::vector<uint8_t>(8, 100));
    EXPECT_EQ(image.mips[2].rgba, std::vector<uint8_t>(4, 7));
}

TEST(DdsMipChain, PartialOrMissingChainIsCompletedFromTheLastLevel) {
    DdsBuilder partial(8, 4);
    partial.masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).set(dds::MipMapCount, 2);
    partial.data(std::vector<uint8_t>(8 * 4 * 4, 200)).data(std::vector<uint8_t>(4 * 2 * 4, 50));
    const TextureImage image = load(partial);
    ASSERT_EQ(image.mips.size(), 4u);
    EXPECT_EQ(image.mips[2].width, 2u);
    EXPECT_EQ(image.mips[2].height, 1u);
    EXPECT_EQ(image.mips[3].rgba, std::vector<uint8_t>(4, 50));

    DdsBuilder single(5, 3);
    single.fourCC(dds::fourCC('D', 'X', 'T', '1')).data(std::vector<uint8_t>(2 * 8, 0));
    const TextureImage fromOne = load(single);
    ASSERT_EQ(fromOne.mips.size(), 3u);
    EXPECT_EQ(fromOne.mips[1].width, 2u);
    EXPECT_EQ(fromOne.mips[1].height, 1u);
}

TEST(DdsMipChain, CompressedLevelsBelowOneBlockStillTakeWholeBlocks) {
    // 4 x 4 BC1 with three levels: 4x4, 2x2 and 1x1 each use one 8-byte block.
    DdsBuilder file(4, 4);
    file.fourCC(dds::fourCC('D', 'X', 'T', '1')).set(dds::MipMapCount, 3);
    file.data({0x00, 0xF8, 0, 0, 0, 0, 0, 0}).data({0x1F, 0x00, 0, 0, 0, 0, 0, 0}).data({0xE0, 0x07, 0, 0, 0, 0, 0, 0});
    const TextureImage image = load(file);
    ASSERT_EQ(image.mips.size(), 3u);
    EXPECT_EQ(pixelsOf(image.mips[1]), std::vector<Pixel>(4, Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelsOf(image.mips[2]), std::vector<Pixel>(1, Pixel{0, 255, 0, 255}));
}

TEST(DdsMipChain, FirstElementOfAnArrayIsRead) {
    const auto array = DdsBuilder(1, 1).extension(28, 3, 2).data({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(pixelsOf(load(array).mips[0])[0], (Pixel{1, 2, 3, 4}));
}

class DdsCapture : public test::ScratchFolder {};

TEST_F(DdsCapture, WrittenFileHasPlainRgbaHeaderAndReadsBackExactly) {
    const gpu::Image image = test::gradientImage(7, 5);
    ASSERT_TRUE(saveImageFile(4, pathOf("capture.dds"), image));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readFileBytes(pathOf("capture.dds"), bytes));
    ASSERT_EQ(bytes.size(), 128u + 7 * 5 * 4);
    auto word = [&bytes](size_t index) { return dds::readWord(bytes.data() + 4 + 4 * index); };
    EXPECT_EQ(dds::readWord(bytes.data()), dds::kMagic);
    EXPECT_EQ(word(dds::Width), 7u);
    EXPECT_EQ(word(dds::Height), 5u);
    EXPECT_EQ(word(dds::PitchOrLinearSize), 28u);
    EXPECT_EQ(word(dds::PixelFormatFlags), dds::kPixelRgb | dds::kPixelAlphaPixels);
    EXPECT_EQ(word(dds::RgbBitCount), 32u);
    EXPECT_EQ(word(dds::RedMask), 0xFFu);
    EXPECT_EQ(word(dds::AlphaMask), 0xFF000000u);

    TextureImage loaded;
    ASSERT_TRUE(loadTextureFile(pathOf("capture.dds"), loaded));
    EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
    EXPECT_EQ(loaded.mips.size(), 3u);
}

}  // namespace
}  // namespace korvel::image
