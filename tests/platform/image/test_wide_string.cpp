// Wide-character paths from the C interface converted to UTF-8.
#include <string>

#include "image_test_support.h"
#include "platform/image/image.h"
#include "platform/wide_string.h"

namespace korvel::platform {
namespace {

TEST(Utf8FromWide, EncodesEachLength) {
    EXPECT_EQ(utf8FromWide(L"abc"), "abc");
    EXPECT_EQ(utf8FromWide(L"\u00e9"), "\xC3\xA9");
    EXPECT_EQ(utf8FromWide(L"\u30c6"), "\xE3\x83\x86");
    EXPECT_EQ(utf8FromWide(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf8FromWide, NullAndEmptyGiveEmpty) {
    EXPECT_EQ(utf8FromWide(nullptr), "");
    EXPECT_EQ(utf8FromWide(L""), "");
}

TEST(Utf8FromWide, InvalidValuesBecomeReplacementCharacter) {
    const std::string replacement = "\xEF\xBF\xBD";
    const wchar_t invalid[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-5), L'b', 0};
    EXPECT_EQ(utf8FromWide(invalid), "a" + replacement + replacement + replacement + "b");
}

class NonAsciiPath : public image::test::ScratchFolder {};

TEST_F(NonAsciiPath, SavesAndLoadsUnderJapaneseName) {
    const std::string path = pathOf(utf8FromWide(L"\u30c6\u30af\u30b9\u30c1\u30e3.png"));
    const gpu::Image image = image::test::gradientImage(5, 3);
    ASSERT_TRUE(image::saveImageFile(3, path, image));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder_) / u8"\u30c6\u30af\u30b9\u30c1\u30e3.png"));
    image::TextureImage loaded;
    ASSERT_TRUE(image::loadTextureFile(path, loaded));
    EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
}

}  // namespace
}  // namespace korvel::platform
