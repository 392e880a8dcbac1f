// Capture kinds written by saveImageFile and read back by the loader, and
// paths given as wide strings.
#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/image/image.h"
#include "support/pixels.h"
#include "platform/wide_string.h"

namespace korvel::image {
namespace {

using korvel::testing::gradientImage;
using korvel::testing::tempPath;

class SaveLoad : public ::testing::Test {};

TEST_F(SaveLoad, EveryKindReadsBackAsWritten) {
    gpu::Image image = gradientImage(37, 21);
    for (size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i + 2] = static_cast<uint8_t>(255 - image.rgba[i]);
    const std::string png = platform::utf8FromWide(L"\u30c6\u30af\u30b9\u30c1\u30e3.png");  // a UTF-8 path
    for (const auto& [kind, name] : {std::pair{0, std::string("capture.bmp")}, {3, png}, {4, "capture.dds"},
                                     {1, "capture.jpg"}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(saveImageFile(kind, tempPath(name), image));
        TextureImage loaded;
        ASSERT_TRUE(loadTextureFile(tempPath(name), loaded));
        ASSERT_EQ(loaded.width, 37u);
        ASSERT_EQ(loaded.mips[0].rgba.size(), image.rgba.size());
        if (kind != 1) {
            EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
            continue;
        }
        double error = 0;  // JPG: close, and opaque
        for (size_t i = 0; i < image.rgba.size(); ++i)
            if (i % 4 != 3) error += std::abs(loaded.mips[0].rgba[i] - image.rgba[i]);
        EXPECT_LT(error / (37.0 * 21 * 3), 3.0);
        EXPECT_EQ(loaded.mips[0].rgba[3], 255);
    }
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(tempPath("")) / u8"\u30c6\u30af\u30b9\u30c1\u30e3.png"));
}

TEST_F(SaveLoad, FailuresWriteNothing) {
    const gpu::Image image = gradientImage(4, 4);
    gpu::Image shortPixels = image;
    shortPixels.rgba.pop_back();
    for (const auto& [kind, picture] : {std::pair{2, image}, {5, image}, {-1, image}, {3, shortPixels},
                                        {3, gpu::Image{}}}) {
        EXPECT_FALSE(saveImageFile(kind, tempPath("capture"), picture)) << kind;
        EXPECT_FALSE(std::filesystem::exists(tempPath("capture"))) << kind;
    }
    EXPECT_FALSE(saveImageFile(3, tempPath("missing/folder/capture.png"), image));
}

TEST(WidePaths, EncodeEveryLengthAndReplaceInvalidValues) {
    EXPECT_EQ(platform::utf8FromWide(L"a\u00e9\u30c6\U0001F600"), "a\xC3\xA9\xE3\x83\x86\xF0\x9F\x98\x80");
    const wchar_t invalid[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-5), L'b', 0};
    EXPECT_EQ(platform::utf8FromWide(invalid), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(platform::utf8FromWide(nullptr), "");
}

}  // namespace
}  // namespace korvel::image
