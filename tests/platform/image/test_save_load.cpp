// Capture kinds written by saveImageFile and read back by the loader, and
// paths given as wide strings.
#include <cmath>
#include <filesystem>
#include <vector>

#include "image_test_support.h"
#include "platform/wide_string.h"

namespace korvel::image {
namespace {

class SaveLoad : public test::ScratchFolder {};

TEST_F(SaveLoad, LosslessKindsRoundTripExactly) {
    const gpu::Image image = test::gradientImage(37, 21);
    for (const auto& [kind, name] : {std::pair{0, "capture.bmp"}, std::pair{3, "capture.png"}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(saveImageFile(kind, pathOf(name), image));
        TextureImage loaded;
        ASSERT_TRUE(loadTextureFile(pathOf(name), loaded));
        EXPECT_EQ(loaded.width, 37u);
        EXPECT_EQ(loaded.height, 21u);
        EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
    }
}

TEST_F(SaveLoad, JpgRoundTripIsCloseAndOpaque) {
    gpu::Image image = test::gradientImage(64, 48);
    for (size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i + 2] = static_cast<uint8_t>(255 - image.rgba[i]);
    ASSERT_TRUE(saveImageFile(1, pathOf("capture.jpg"), image));
    TextureImage loaded;
    ASSERT_TRUE(loadTextureFile(pathOf("capture.jpg"), loaded));
    ASSERT_EQ(loaded.mips[0].rgba.size(), image.rgba.size());
    double error = 0;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        for (int c = 0; c < 3; ++c) error += std::abs(loaded.mips[0].rgba[i + c] - image.rgba[i + c]);
        EXPECT_EQ(loaded.mips[0].rgba[i + 3], 255);
    }
    EXPECT_LT(error / (64.0 * 48 * 3), 3.0);  // mean absolute error per channel
}

TEST_F(SaveLoad, FailuresWriteNothing) {
    const gpu::Image image = test::gradientImage(4, 4);
    for (int kind : {2, 5, -1}) {
        EXPECT_FALSE(saveImageFile(kind, pathOf("kind"), image));
        EXPECT_FALSE(std::filesystem::exists(pathOf("kind")));
    }
    gpu::Image shortPixels = image;
    shortPixels.rgba.pop_back();
    EXPECT_FALSE(saveImageFile(3, pathOf("short.png"), shortPixels));
    EXPECT_FALSE(saveImageFile(3, pathOf("empty.png"), gpu::Image{}));
    EXPECT_FALSE(std::filesystem::exists(pathOf("short.png")));
    EXPECT_FALSE(saveImageFile(3, pathOf("missing/folder/capture.png"), image));
}

TEST_F(SaveLoad, WidePathWithJapaneseNameRoundTrips) {
    const std::string path = pathOf(platform::utf8FromWide(L"\u30c6\u30af\u30b9\u30c1\u30e3.png"));
    const gpu::Image image = test::gradientImage(5, 3);
    ASSERT_TRUE(saveImageFile(3, path, image));
    EXPECT_TRUE(std::filesystem::exists(folder_ / u8"\u30c6\u30af\u30b9\u30c1\u30e3.png"));
    TextureImage loaded;
    ASSERT_TRUE(loadTextureFile(path, loaded));
    EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
}

TEST(Utf8FromWide, EncodesEveryLengthAndReplacesInvalidValues) {
    EXPECT_EQ(platform::utf8FromWide(L"a\u00e9\u30c6\U0001F600"), "a\xC3\xA9\xE3\x83\x86\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::utf8FromWide(nullptr), "");
    EXPECT_EQ(platform::utf8FromWide(L""), "");
    const wchar_t invalid[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-5), L'b', 0};
    EXPECT_EQ(platform::utf8FromWide(invalid), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace korvel::image
