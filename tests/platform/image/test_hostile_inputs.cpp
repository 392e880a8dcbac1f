// Truncated, corrupt, hostile and oversized inputs: every one is refused
// without crashing, reading out of bounds, blocking, or allocating for data
// the file lacks.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dds_builder.h"
#include "platform/files.h"
#include "platform/image/image.h"
#include "support/pixels.h"

namespace korvel::image {
namespace {

using korvel::testing::gradientImage;
using korvel::testing::tempPath;

using test::DdsBuilder;

// A valid width x height A8B8G8R8 file.
DdsBuilder validRgba(uint32_t width = 4, uint32_t height = 4) {
    DdsBuilder file(width, height);
    file.masks(dds::kPixelRgb | dds::kPixelAlphaPixels, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    return file.data(std::vector<uint8_t>(size_t{width} * height * 4, 1));
}

std::vector<uint8_t> dxt1(uint32_t width, uint32_t height, uint32_t mips, size_t dataBytes) {
    return DdsBuilder(width, height).fourCC('D', 'X', 'T', '1').set(dds::MipMapCount, mips)
        .data(std::vector<uint8_t>(dataBytes, 0)).bytes();
}

std::vector<uint8_t> altered(const std::function<void(DdsBuilder&)>& change) {
    DdsBuilder file = validRgba();
    change(file);
    return file.bytes();
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
        {"extension unknown format", DdsBuilder(1, 1).extension(2).data({1, 2, 3, 4}).bytes()},
        {"extension 3D texture", DdsBuilder(1, 1).extension(28, 4).data({1, 2, 3, 4}).bytes()},
        {"extension empty array", DdsBuilder(1, 1).extension(28, 3, 0).data({1, 2, 3, 4}).bytes()},
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
        {saved(3, "valid.png"), 12}, {validRgba(3, 3).bytes(), 0}, {dxt1(8, 8, 4, 4 * 8 + 8 + 8 + 8), 0},
        {DdsBuilder(1, 1).extension(28).data({1, 2, 3, 4}).bytes(), 0}};
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
