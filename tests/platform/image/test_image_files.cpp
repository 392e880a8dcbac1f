// Image files: every format the loader reads, decoded against hand-computed
// pixels, and the mip chains it builds; truncated, corrupt, hostile and
// oversized inputs, each refused without crashing, reading out of bounds or
// allocating for data the file lacks; captures written and read back, at
// UTF-8 paths made from wide strings.
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/image/dds.h"
#include "platform/image/image.h"
#include "support/pixels.h"

namespace korvel::image {
namespace {

using korvel::testing::gradientImage;
using korvel::testing::pixelsOf;
using korvel::testing::tempPath;
using Pixel = korvel::testing::Rgba;

// Builds DDS files field by field.
class DdsBuilder {
public:
    // A plain header for a width x height texture with no pixel format yet.
    DdsBuilder(uint32_t width, uint32_t height) : bytes_(dds::kMagicBytes + dds::kHeaderBytes, 0) {
        dds::writeWord(bytes_.data(), dds::kMagic);
        set(dds::Size, dds::kHeaderBytes).set(dds::Width, width).set(dds::Height, height);
        set(dds::Flags, dds::kFlagCaps | dds::kFlagHeight | dds::kFlagWidth | dds::kFlagPixelFormat);
        set(dds::PixelFormatSize, dds::kPixelFormatBytes).set(dds::Caps, dds::kCapsTexture);
    }

    DdsBuilder& set(dds::HeaderWord word, uint32_t value) {
        dds::writeWord(bytes_.data() + dds::kMagicBytes + 4 * word, value);
        return *this;
    }
    DdsBuilder& masks(uint32_t flags, uint32_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        set(dds::PixelFormatFlags, flags).set(dds::RgbBitCount, bitCount).set(dds::RedMask, r);
        return set(dds::GreenMask, g).set(dds::BlueMask, b).set(dds::AlphaMask, a);
    }
    DdsBuilder& fourCC(char a, char b, char c, char d) {
        return set(dds::PixelFormatFlags, dds::kPixelFourCC).set(dds::FourCC, dds::fourCC(a, b, c, d));
    }
    // Adds the extension header; call before adding pixel data.
    DdsBuilder& extension(uint32_t dxgiFormat, uint32_t dimension = 3, uint32_t arraySize = 1) {
        fourCC('D', 'X', '1', '0');
        for (uint32_t value : {dxgiFormat, dimension, 0u, arraySize, 0u})
            for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }
    DdsBuilder& data(const std::vector<uint8_t>& values) {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return *this;
    }

    operator std::vector<uint8_t>() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

constexpr uint32_t kRgb = dds::kPixelRgb, kAlpha = dds::kPixelAlphaPixels, kRgba = kRgb | kAlpha;
constexpr uint8_t kRamp = 0xE4;  // BC colour indices 0, 1, 2, 3 across a row

std::vector<uint8_t> dds4x1(const char* code, std::vector<uint8_t> block) {
    return DdsBuilder(4, 1).fourCC(code[0], code[1], code[2], code[3]).data(block);
}

// BC3 alpha endpoints with indices 0, 1, 6, 7 on the first row, over opaque
// white colour.
std::vector<uint8_t> bc3Alpha(uint8_t a0, uint8_t a1) {
    return dds4x1("DXT5", {a0, a1, 0x88, 0x0F, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

// Uncompressed 2 x 2 32-bit TGA: blue, green on the first stored row; red,
// white on the second. Descriptor 0x28 stores the top row first.
std::vector<uint8_t> tga2x2(uint8_t descriptor) {
    return {0,          0,   2, 0, 0,   0, 0,   0, 0,   0, 0, 0,   2,  0,   2,   0,   32,
            descriptor, 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0};
}

TEST(ImageFormats, DecodeToTheirPixels) {
    const std::vector<uint8_t> two = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::vector<uint8_t> redBc1 = {0x00, 0xF8, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> blueBc1 = {0x1F, 0x00, 0, 0, 0, 0, 0, 0};
    const Pixel red{255, 0, 0, 255}, blue{0, 0, 255, 255}, none{0, 0, 0, 0}, grey{132, 130, 132, 255};
    const Pixel tgaGreen{0, 255, 0, 128}, tgaRed{255, 0, 0, 64};
    const auto white = [](int alpha) { return Pixel{255, 255, 255, alpha}; };
    // The bytes of two as RGBA, and their first pixel as BGRX.
    const Pixel first{10, 20, 30, 40}, second{50, 60, 70, 80}, firstBgr{30, 20, 10, 255};
    const std::vector<std::tuple<const char*, std::vector<uint8_t>, std::vector<Pixel>>> cases = {
        {"A8B8G8R8", DdsBuilder(2, 1).masks(kRgba, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000).data(two), {first, second}},
        {"X8R8G8B8",
         DdsBuilder(2, 1).masks(kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0).data(two),
         {firstBgr, {70, 60, 50, 255}}},
        {"R8G8B8",
         DdsBuilder(2, 1).masks(kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0).data({1, 2, 3, 4, 5, 6}),
         {{3, 2, 1, 255}, {6, 5, 4, 255}}},
        {"R5G6B5 scaled to full range",
         DdsBuilder(3, 1).masks(kRgb, 16, 0xF800, 0x07E0, 0x001F, 0).data({0x00, 0xF8, 0xE0, 0x07, 0x10, 0}),
         {red, {0, 255, 0, 255}, {0, 0, 132, 255}}},
        {"A8L8",
         DdsBuilder(1, 1).masks(dds::kPixelLuminance | kAlpha, 16, 0xFF, 0, 0, 0xFF00).data({90, 7}),
         {{90, 90, 90, 7}}},
        {"A8", DdsBuilder(1, 1).masks(dds::kPixelAlpha, 8, 0xFF, 0xFF, 0xFF, 0xFF).data({77}), {{0, 0, 0, 77}}},
        {"extension R8G8B8A8", DdsBuilder(1, 1).extension(28).data(two), {first}},
        {"extension B8G8R8X8", DdsBuilder(1, 1).extension(88).data(two), {firstBgr}},
        {"extension B4G4R4A4", DdsBuilder(1, 1).extension(115).data({0x5A, 0xF3}), {{51, 85, 170, 255}}},
        {"extension array, first element", DdsBuilder(1, 1).extension(28, 3, 2).data(two), {first}},
        {"extension BC1", DdsBuilder(4, 4).extension(71).data(redBc1), std::vector<Pixel>(16, red)},
        {"BC1 red above blue: four colours",
         dds4x1("DXT1", {0x00, 0xF8, 0x1F, 0, kRamp, kRamp, kRamp, kRamp}),
         {red, blue, {170, 0, 85, 255}, {85, 0, 170, 255}}},
        {"BC1 blue below red: halfway and transparent",
         dds4x1("DXT1", {0x1F, 0, 0, 0xF8, kRamp, kRamp, kRamp, kRamp}),
         {blue, red, {128, 0, 128, 255}, none}},
        {"BC1 equal ends: three colours, 565 by bit replication",
         dds4x1("DXT1", {0x10, 0x84, 0x10, 0x84, kRamp, kRamp, kRamp, kRamp}),
         {grey, grey, grey, none}},
        {"BC1 edge blocks cropped",
         DdsBuilder(5, 1).fourCC('D', 'X', 'T', '1').data(redBc1).data(blueBc1),
         {red, red, red, red, blue}},
        {"BC2 explicit alpha, always four colours",
         dds4x1("DXT3", {0x10, 0x32, 0, 0, 0, 0, 0, 0, 0x1F, 0, 0, 0xF8, kRamp, kRamp, kRamp, kRamp}),
         {{0, 0, 255, 0}, {255, 0, 0, 17}, {85, 0, 170, 34}, {170, 0, 85, 51}}},
        {"BC3 alpha a0 > a1: six interpolated", bc3Alpha(255, 0), {white(255), white(0), white(73), white(36)}},
        {"BC3 alpha a0 <= a1: four, then 0 and 255", bc3Alpha(0, 255), {white(0), white(255), white(0), white(255)}},
        {"TGA top row first", tga2x2(0x28), {blue, tgaGreen, tgaRed, white(0)}},
        {"TGA bottom row first", tga2x2(0x08), {tgaRed, white(0), blue, tgaGreen}},
        // 1 x 1, two-entry table (red, black), LZW codes clear, 0, end.
        {"GIF",
         {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255,  0,    0, 0,  0,
          0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0, ';'},
         {red}},
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
    const std::vector<uint8_t> bytes = file;
    ASSERT_TRUE(loadTextureMemory(bytes.data(), bytes.size(), image));
    ASSERT_EQ(image.mips.size(), 4u);
    EXPECT_EQ(pixelsOf(image.mips[1].rgba), std::vector<Pixel>(8, Pixel{0, 0, 255, 255}));  // 4 x 2
    EXPECT_EQ(image.mips[2].width, 2u);
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
    gpu::Image image = gradientImage(37, 21);
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
    for (const auto& [kind, picture] :
         {std::pair{2, image}, {5, image}, {-1, image}, {3, shortPixels}, {3, gpu::Image{}}}) {
        EXPECT_FALSE(saveImageFile(kind, tempPath("capture"), picture)) << kind;
        EXPECT_FALSE(std::filesystem::exists(tempPath("capture"))) << kind;
    }
    EXPECT_FALSE(saveImageFile(3, tempPath("missing/folder/capture.png"), image));
}

TEST(WideStrings, EncodeEveryLengthAndReplaceInvalidValues) {
    EXPECT_EQ(platform::utf8FromWide(L"a\u00e9\u30c6\U0001F600"), "a\xC3\xA9\xE3\x83\x86\xF0\x9F\x98\x80");
    // Unpaired surrogates; on Windows the emoji above is a pair, joined.
    const wchar_t unpaired[] = {L'a', static_cast<wchar_t>(0xD800), L'x', static_cast<wchar_t>(0xDC00), L'b', 0};
    EXPECT_EQ(platform::utf8FromWide(unpaired),
              "a\xEF\xBF\xBDx\xEF\xBF\xBD"
              "b");
    if constexpr (sizeof(wchar_t) == 4) {
        const wchar_t beyond[] = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-5), 0};
        EXPECT_EQ(platform::utf8FromWide(beyond), "\xEF\xBF\xBD\xEF\xBF\xBD");
    }
    EXPECT_EQ(platform::utf8FromWide(nullptr), "");
}

// A valid width x height A8B8G8R8 file.
DdsBuilder validRgba(uint32_t width = 4, uint32_t height = 4) {
    DdsBuilder file(width, height);
    file.masks(dds::kPixelRgb | dds::kPixelAlphaPixels, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    return file.data(std::vector<uint8_t>(size_t{width} * height * 4, 1));
}

std::vector<uint8_t> dxt1(uint32_t width, uint32_t height, uint32_t mips, size_t dataBytes) {
    return DdsBuilder(width, height)
        .fourCC('D', 'X', 'T', '1')
        .set(dds::MipMapCount, mips)
        .data(std::vector<uint8_t>(dataBytes, 0));
}

std::vector<uint8_t> altered(const std::function<void(DdsBuilder&)>& change) {
    DdsBuilder file = validRgba();
    change(file);
    return file;
}

// Writes a big-endian size field of width bytes at offset (the decoder
// skips checksums).
std::vector<uint8_t> patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value, int width = 4) {
    for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
    return bytes;
}

std::vector<uint8_t> saved(int kind, const std::string& name) {
    EXPECT_TRUE(saveImageFile(kind, tempPath(name), gradientImage(16, 16)));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(platform::readFileBytes(tempPath(name), kMaxImageFileBytes, bytes), platform::FileRead::ok);
    return bytes;
}

TEST(HostileInputs, AreRefusedWithEmptyOutput) {
    const std::vector<uint8_t> png = saved(3, "valid.png");
    const std::vector<uint8_t> jpg = saved(1, "valid.jpg");
    size_t frame = 2;  // the JPG frame header, whose height and width follow at +5 and +7
    while (frame + 9 < jpg.size() && !(jpg[frame] == 0xFF && jpg[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 9, jpg.size());
    const std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 0x28};
    std::vector<uint8_t> tgaRuns = patched(patched(patched(tga, 2, 10, 1), 12, 0x1027, 2), 14, 0x1027, 2);
    tgaRuns.insert(tgaRuns.end(), {0xFF, 1, 2, 3, 4, 0xFF, 1, 2, 3, 4});
    const std::string text = "this is not an image file at all";
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"text", std::vector<uint8_t>(text.begin(), text.end())},
        {"garbage", std::vector<uint8_t>(4096, 0xA5)},  // 0xA5 starts no accepted format
        {"dds magic only", {'D', 'D', 'S', ' '}},
        {"wrong header size", altered([](DdsBuilder& f) { f.set(dds::Size, 100); })},
        {"wrong pixel format size", altered([](DdsBuilder& f) { f.set(dds::PixelFormatSize, 0); })},
        {"zero width", altered([](DdsBuilder& f) { f.set(dds::Width, 0); })},
        {"width above the ceiling", altered([](DdsBuilder& f) { f.set(dds::Width, kMaxDimension + 1); })},
        {"sizes overflowing 32 bits", dxt1(0xFFFFFFFF, 0xFFFFFFFF, 1, 64)},
        {"largest size without its data", dxt1(kMaxDimension, kMaxDimension, 15, 64)},
        {"mip count beyond the chain", altered([](DdsBuilder& f) { f.set(dds::MipMapCount, 4); })},
        {"mip count huge", altered([](DdsBuilder& f) { f.set(dds::MipMapCount, 0xFFFFFFFF); })},
        {"mips declared but missing", altered([](DdsBuilder& f) { f.set(dds::MipMapCount, 3); })},
        {"volume texture", altered([](DdsBuilder& f) { f.set(dds::Caps2, dds::kCaps2Volume); })},
        {"unknown four-character code", altered([](DdsBuilder& f) { f.fourCC('A', 'T', 'I', '2'); })},
        {"no pixel format flags", altered([](DdsBuilder& f) { f.set(dds::PixelFormatFlags, 0); })},
        {"bit count 12", altered([](DdsBuilder& f) { f.set(dds::RgbBitCount, 12); })},
        {"mask outside the pixel", altered([](DdsBuilder& f) { f.set(dds::RgbBitCount, 16); })},
        {"split mask", altered([](DdsBuilder& f) { f.set(dds::RedMask, 0x0F0F); })},
        {"all masks zero", altered([](DdsBuilder& f) { f.masks(dds::kPixelRgb, 32, 0, 0, 0, 0); })},
        {"extension unknown format", DdsBuilder(1, 1).extension(2).data({1, 2, 3, 4})},
        {"extension 3D texture", DdsBuilder(1, 1).extension(28, 4).data({1, 2, 3, 4})},
        {"extension empty array", DdsBuilder(1, 1).extension(28, 3, 0).data({1, 2, 3, 4})},
        {"png width above the ceiling", patched(png, 16, kMaxDimension + 1)},
        {"png width negative as int", patched(png, 16, 0x80000000)},
        // Decoders pad missing TGA and JPG data, so their sizes are checked
        // against the file's length first.
        {"jpg 16000 x 16000 in a 16 x 16 file", patched(patched(jpg, frame + 5, 16000, 2), frame + 7, 16000, 2)},
        {"jpg start marker only", {0xFF, 0xD8, 0xFF}},
        {"tga pixels missing", tga},
        {"tga run-length 10000 x 10000 in ten bytes", tgaRuns},
        {"bmp header only", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}},
        {"gif header only", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        TextureImage image{99, 99, {}};
        EXPECT_FALSE(loadTextureMemory(bytes.data(), bytes.size(), image));
        EXPECT_EQ(image.width, 0u);
        EXPECT_TRUE(image.mips.empty());
    }
    TextureImage image;
    EXPECT_FALSE(loadTextureMemory(nullptr, 128, image));
}

TEST(HostileInputs, EveryTruncationOfValidFilesIsRefused) {
    // The PNG decoder needs no end chunk (12 bytes) after the pixel data.
    const std::vector<std::pair<std::vector<uint8_t>, size_t>> files = {
        {saved(3, "valid.png"), 12},
        {validRgba(3, 3), 0},
        {dxt1(8, 8, 4, 4 * 8 + 8 + 8 + 8), 0},
        {DdsBuilder(1, 1).extension(28).data({1, 2, 3, 4}), 0}};
    for (const auto& [file, optionalTail] : files) {
        TextureImage image;
        ASSERT_TRUE(loadTextureMemory(file.data(), file.size(), image));
        for (size_t size = 0; size < file.size() - optionalTail; ++size)
            EXPECT_FALSE(loadTextureMemory(file.data(), size, image)) << size << " of " << file.size();
    }
}

// The file is sparse: it takes no disk.
TEST(HostileInputs, FilesBeyondTheCeilingAreRefusedUnread) {
    const std::string large = tempPath("large.png");
    std::ofstream(large).close();
    std::filesystem::resize_file(large, kMaxImageFileBytes + 1);
    TextureImage image;
    EXPECT_FALSE(loadTextureFile(large, image));
}

}  // namespace
}  // namespace korvel::image
