// Every format the loader reads, decoded against hand-computed pixels; the
// mip chains it builds; captures written and read back, at UTF-8 paths made
// from wide strings.
#include <filesystem>
#include <utility>
#include <vector>

#include "dds_builder.h"
#include "platform/files.h"
#include "platform/image/image.h"
#include "support/pixels.h"

namespace korvel::image {
namespace {

using test::DdsBuilder;
using korvel::testing::tempPath;
using Pixel = korvel::testing::Rgba;
using korvel::testing::pixelsOf;

constexpr uint32_t kRgb = dds::kPixelRgb;
constexpr uint32_t kRgba = dds::kPixelRgb | dds::kPixelAlphaPixels;
constexpr uint8_t kRamp = 0xE4;  // BC colour indices 0, 1, 2, 3 across a row

std::vector<uint8_t> dds4x1(const char* code, std::vector<uint8_t> block) {
    return DdsBuilder(4, 1).fourCC(code[0], code[1], code[2], code[3]).data(block).bytes();
}

// BC3 alpha endpoints with indices 0, 1, 6, 7 on the first row, over opaque
// white colour.
std::vector<uint8_t> bc3Alpha(uint8_t a0, uint8_t a1) {
    return dds4x1("DXT5", {a0, a1, 0x88, 0x0F, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

// Uncompressed 2 x 2 32-bit TGA: blue, green on the first stored row; red,
// white on the second. Descriptor 0x28 stores the top row first.
std::vector<uint8_t> tga2x2(uint8_t descriptor) {
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, descriptor,
            255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0};
}

TEST(ImageFormats, DecodeToTheirPixels) {
    const std::vector<uint8_t> two = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<uint8_t> redBc1 = {0x00, 0xF8, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> blueBc1 = {0x1F, 0x00, 0, 0, 0, 0, 0, 0};
    const Pixel red{255, 0, 0, 255}, blue{0, 0, 255, 255}, none{0, 0, 0, 0};
    const Pixel grey{132, 130, 132, 255}, tgaBlue{0, 0, 255, 255}, tgaGreen{0, 255, 0, 128};
    const Pixel tgaRed{255, 0, 0, 64}, tgaWhite{255, 255, 255, 0};
    const std::vector<std::tuple<const char*, std::vector<uint8_t>, std::vector<Pixel>>> cases = {
        {"A8B8G8R8", DdsBuilder(2, 1).masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).data(two).bytes(),
         {{10, 20, 30, 40}, {50, 60, 70, 80}}},
        {"X8R8G8B8", DdsBuilder(2, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0).data(two).bytes(),
         {{30, 20, 10, 255}, {70, 60, 50, 255}}},
        {"R8G8B8", DdsBuilder(2, 1).masks(kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0).data({1, 2, 3, 4, 5, 6}).bytes(),
         {{3, 2, 1, 255}, {6, 5, 4, 255}}},
        {"R5G6B5 scaled to full range",
         DdsBuilder(3, 1).masks(kRgb, 16, 0xF800, 0x07E0, 0x001F, 0).data({0x00, 0xF8, 0xE0, 0x07, 0x10, 0}).bytes(),
         {red, {0, 255, 0, 255}, {0, 0, 132, 255}}},
        {"A8L8", DdsBuilder(1, 1).masks(dds::kPixelLuminance | dds::kPixelAlphaPixels, 16, 0xFF, 0, 0, 0xFF00)
                     .data({90, 7}).bytes(), {{90, 90, 90, 7}}},
        {"A8", DdsBuilder(1, 1).masks(dds::kPixelAlpha, 8, 0xFF, 0xFF, 0xFF, 0xFF).data({77}).bytes(), {{0, 0, 0, 77}}},
        {"extension R8G8B8A8", DdsBuilder(1, 1).extension(28).data(two).bytes(), {{10, 20, 30, 40}}},
        {"extension B8G8R8X8", DdsBuilder(1, 1).extension(88).data(two).bytes(), {{30, 20, 10, 255}}},
        {"extension B4G4R4A4", DdsBuilder(1, 1).extension(115).data({0x5A, 0xF3}).bytes(), {{51, 85, 170, 255}}},
        {"extension array, first element", DdsBuilder(1, 1).extension(28, 3, 2).data(two).bytes(), {{10, 20, 30, 40}}},
        {"extension BC1", DdsBuilder(4, 4).extension(71).data(redBc1).bytes(), std::vector<Pixel>(16, red)},
        {"BC1 red above blue: four colours", dds4x1("DXT1", {0x00, 0xF8, 0x1F, 0, kRamp, kRamp, kRamp, kRamp}),
         {red, blue, {170, 0, 85, 255}, {85, 0, 170, 255}}},
        {"BC1 blue below red: halfway and transparent", dds4x1("DXT1", {0x1F, 0, 0, 0xF8, kRamp, kRamp, kRamp, kRamp}),
         {blue, red, {128, 0, 128, 255}, none}},
        {"BC1 equal ends: three colours, 565 by bit replication",
         dds4x1("DXT1", {0x10, 0x84, 0x10, 0x84, kRamp, kRamp, kRamp, kRamp}), {grey, grey, grey, none}},
        {"BC1 edge blocks cropped", DdsBuilder(5, 1).fourCC('D', 'X', 'T', '1').data(redBc1).data(blueBc1).bytes(),
         {red, red, red, red, blue}},
        {"BC2 explicit alpha, always four colours",
         dds4x1("DXT3", {0x10, 0x32, 0, 0, 0, 0, 0, 0, 0x1F, 0, 0, 0xF8, kRamp, kRamp, kRamp, kRamp}),
         {{0, 0, 255, 0}, {255, 0, 0, 17}, {85, 0, 170, 34}, {170, 0, 85, 51}}},
        {"BC3 alpha, first end above: six interpolated", bc3Alpha(255, 0),
         {{255, 255, 255, 255}, {255, 255, 255, 0}, {255, 255, 255, 73}, {255, 255, 255, 36}}},
        {"BC3 alpha, first end not above: four, then 0 and 255", bc3Alpha(0, 255),
         {{255, 255, 255, 0}, {255, 255, 255, 255}, {255, 255, 255, 0}, {255, 255, 255, 255}}},
        {"TGA top row first", tga2x2(0x28), {tgaBlue, tgaGreen, tgaRed, tgaWhite}},
        {"TGA bottom row first", tga2x2(0x08), {tgaRed, tgaWhite, tgaBlue, tgaGreen}},
        // 1 x 1, two-entry table (red, black), LZW codes clear, 0, end.
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1,
                 0, 0, 2, 2, 0x44, 0x01, 0, ';'}, {red}},
    };
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        TextureImage image;
        ASSERT_TRUE(loadTextureMemory(bytes.data(), bytes.size(), image));
        EXPECT_EQ(pixelsOf(image.mips[0].rgba), expected);
    }
}

TEST(MipChain, FileLevelsAreKeptAndTheRestBoxFilteredDownToOneByOne) {
    // 8 x 4 BC1 with two of four levels: red, then blue (unrelated to red).
    DdsBuilder file(8, 4);
    file.fourCC('D', 'X', 'T', '1').set(dds::MipMapCount, 2).data({0x00, 0xF8, 0, 0, 0, 0, 0, 0});
    file.data({0x00, 0xF8, 0, 0, 0, 0, 0, 0}).data({0x1F, 0, 0, 0, 0, 0, 0, 0});
    TextureImage image;
    const std::vector<uint8_t> bytes = file.bytes();
    ASSERT_TRUE(loadTextureMemory(bytes.data(), bytes.size(), image));
    ASSERT_EQ(image.mips.size(), 4u);
    EXPECT_EQ(pixelsOf(image.mips[1].rgba), std::vector<Pixel>(8, Pixel{0, 0, 255, 255}));  // 4 x 2
    EXPECT_EQ(image.mips[2].width, 2u);
    EXPECT_EQ(image.mips[3].height, 1u);
    EXPECT_EQ(pixelsOf(image.mips[3].rgba), std::vector<Pixel>(1, Pixel{0, 0, 255, 255}));
    EXPECT_EQ(fullMipCount(1, 9), 4u);
}

TEST(MipChain, BoxFilterWeighsPixelsByCoveredArea) {
    const auto grey = [](uint32_t w, uint32_t h, const std::vector<uint8_t>& values) {
        MipLevel level{w, h, {}};
        for (uint8_t v : values) level.rgba.insert(level.rgba.end(), {v, v, v, v});
        return level;
    };
    const std::vector<std::pair<MipLevel, std::vector<uint8_t>>> cases = {
        // 2 x 2 means rounded half up (3 / 4 -> 1, 2 / 4 -> 1, 1 / 4 -> 0).
        {grey(6, 2, {0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0}), {1, 1, 0}},
        {grey(5, 1, {10, 20, 30, 40, 50}), {18, 42}},  // weights (2, 2, 1) / 5 and (1, 2, 2) / 5
        {grey(3, 3, {0, 10, 20, 30, 40, 50, 60, 70, 125}), {45}},
        {grey(5, 3, {0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255}), {0, 102}},
    };
    for (const auto& [source, red] : cases) {
        std::vector<uint8_t> got;
        for (const Pixel& p : pixelsOf(downsample(source).rgba)) got.push_back(p.r);
        EXPECT_EQ(got, red) << source.width << " x " << source.height;
    }
    // Channels are filtered independently.
    EXPECT_EQ(downsample(MipLevel{2, 1, {255, 0, 10, 0, 0, 255, 20, 255}}).rgba,
              (std::vector<uint8_t>{128, 128, 15, 128}));
}

// The lossless kinds read back exactly, also at a UTF-8 path; kinds, images
// and folders that cannot be written leave no file.
TEST(SaveLoad, LosslessKindsReadBackAsWrittenFailuresWriteNothing) {
    gpu::Image image = korvel::testing::gradientImage(37, 21);
    for (size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i + 2] = static_cast<uint8_t>(255 - image.rgba[i]);
    const std::string png = platform::utf8FromWide(L"\u30c6\u30af\u30b9\u30c1\u30e3.png");
    for (const auto& [kind, name] : {std::pair{0, std::string("capture.bmp")}, {3, png}, {4, "capture.dds"}}) {
        ASSERT_TRUE(saveImageFile(kind, tempPath(name), image)) << name;
        TextureImage loaded;
        ASSERT_TRUE(loadTextureFile(tempPath(name), loaded)) << name;
        EXPECT_EQ(loaded.width, 37u);
        EXPECT_EQ(loaded.mips[0].rgba, image.rgba) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(tempPath("")) / u8"\u30c6\u30af\u30b9\u30c1\u30e3.png"));

    gpu::Image shortPixels = image;
    shortPixels.rgba.pop_back();
    for (const auto& [kind, picture] : {std::pair{2, image}, {5, image}, {-1, image}, {3, shortPixels},
                                        {3, gpu::Image{}}}) {
        EXPECT_FALSE(saveImageFile(kind, tempPath("capture"), picture)) << kind;
        EXPECT_FALSE(std::filesystem::exists(tempPath("capture"))) << kind;
    }
    EXPECT_FALSE(saveImageFile(3, tempPath("missing/folder/capture.png"), image));
}

TEST(WideStrings, EncodeEveryLengthAndReplaceInvalidValues) {
    EXPECT_EQ(platform::utf8FromWide(L"a\u00e9\u30c6\U0001F600"), "a\xC3\xA9\xE3\x83\x86\xF0\x9F\x98\x80");
    const wchar_t invalid[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-5), L'b', 0};
    EXPECT_EQ(platform::utf8FromWide(invalid), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(platform::utf8FromWide(nullptr), "");
}

}  // namespace
}  // namespace korvel::image
