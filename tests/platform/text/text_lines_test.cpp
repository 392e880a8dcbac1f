// Line breaks and "&" prefixes of the text drawing call.
#include <gtest/gtest.h>

#include "platform/text/text_lines.h"

namespace {

using namespace korvel::platform::text;

TEST(TextLines, BreaksAtCrLfAndCrLfPairs) {
    EXPECT_EQ(nextLine(U"ab\ncd").length, 2u);
    EXPECT_EQ(nextLine(U"ab\ncd").breakLength, 1u);
    EXPECT_EQ(nextLine(U"ab\r\ncd").breakLength, 2u);
    EXPECT_EQ(nextLine(U"ab\rcd").breakLength, 1u);
    EXPECT_EQ(nextLine(U"ab\r\rcd").breakLength, 1u);  // two CRs: two breaks
    EXPECT_EQ(nextLine(U"abc").length, 3u);
    EXPECT_EQ(nextLine(U"abc").breakLength, 0u);
}

TEST(TextLines, AmpersandUnderlinesTheNextCharacterAndDoubledStandsForItself) {
    std::u32string shown;
    std::vector<uint32_t> underlined;
    resolvePrefixes(U"&File", shown, underlined);
    EXPECT_EQ(shown, U"File");
    EXPECT_EQ(underlined, std::vector<uint32_t>{0});
    resolvePrefixes(U"a&&b&c&", shown, underlined);
    EXPECT_EQ(shown, U"a&bc");
    EXPECT_EQ(underlined, std::vector<uint32_t>{3});
}

}  // namespace
