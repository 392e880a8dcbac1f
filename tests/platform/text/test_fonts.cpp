// Fonts drawn into a small 24-bit surface: sizes, the opaque cell
// background, clipping, lines, decorations and fallback glyphs.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/text/font.h"

namespace {

using namespace korvel::platform::text;

constexpr int kW = 320, kH = 160;
constexpr uint8_t kSentinel = 77;
constexpr TextColor kWhite{255, 255, 255};

struct Canvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kW * kH * 3, kSentinel);
    BgrSurface surface{pixels.data(), kW, kH, kW * 3};

    const uint8_t* at(int x, int y) const { return &pixels[static_cast<size_t>((y * kW + x) * 3)]; }
    bool untouched(int x, int y) const { return at(x, y)[0] == kSentinel && at(x, y)[2] == kSentinel; }
    bool black(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
    // Pixels of the region holding some of the text colour.
    int ink(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += at(x, y)[2] > 0 && at(x, y)[2] != kSentinel;
        return n;
    }
};

// A font with Japanese preferred (italic and fixed pitch off).
std::unique_ptr<Font> font(int height, const char* face = "DejaVu Sans", int width = 0, int weight = 0,
                           bool underline = false, bool strikeout = false) {
    auto f = Font::create({height, width, weight, false, underline, strikeout, false, true, face});
    EXPECT_TRUE(f);
    return f;
}

TEST(Font, HeightSelectsCellOrCharacterHeightAndExtremesAreClamped) {
    EXPECT_EQ(font(32)->metrics().cellHeight, 32);
    const int fromCharacter = font(-32)->metrics().cellHeight;
    EXPECT_GT(fromCharacter, 32);  // the cell adds the space above and below the em
    EXPECT_LT(fromCharacter, 48);
    EXPECT_GT(font(0)->metrics().cellHeight, 8);

    auto huge = font(INT_MIN, "DejaVu Sans", INT_MAX);
    EXPECT_LE(huge->metrics().cellHeight, 8192);
    Canvas c;
    huge->drawText(U"W", c.surface, {0, 0, kW, kH}, kWhite);
    EXPECT_TRUE(c.black(0, 0));
}

TEST(Font, CellsAreFilledBlackFromTheTopLeftAndNothingIsDrawnOutsideTheRectangle) {
    Canvas c;
    font(20)->drawText(U"Hello\r\nWorld wide and long\rthird", c.surface, {10, 10, 120, 50}, kWhite);
    EXPECT_TRUE(c.black(10, 10));  // cell background at the corner
    EXPECT_TRUE(c.untouched(9, 10));
    EXPECT_TRUE(c.untouched(10, 9));
    EXPECT_TRUE(c.black(119, 30));  // the second line runs to the clip edge
    for (int y = 0; y < kH; ++y) {
        EXPECT_TRUE(c.untouched(120, y)) << y;
        EXPECT_TRUE(y < 50 || c.untouched(60, y)) << y;  // a third line would start at 50
    }
    EXPECT_GT(c.ink(10, 10, 120, 30), 30);
    EXPECT_GT(c.ink(10, 30, 120, 50), 30);
    EXPECT_TRUE(c.untouched(100, 20));  // "Hello" ends before x = 100: no cell there
}

TEST(Font, WidthStretchesAndWeightEmboldens) {
    const auto lastInk = [](const Canvas& c) {
        for (int x = kW - 1; x >= 0; --x)
            if (c.ink(x, 0, x + 1, 40) > 0) return x;
        return -1;
    };
    Canvas narrow, wide, regular, bold;
    font(20, "DejaVu Sans", 6)->drawText(U"mmmm", narrow.surface, {0, 0, kW, 40}, kWhite);
    font(20, "DejaVu Sans", 16)->drawText(U"mmmm", wide.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_GT(lastInk(wide), 2 * lastInk(narrow));
    font(24, "DejaVu Sans Mono")->drawText(U"lll", regular.surface, {0, 0, kW, 40}, kWhite);
    font(24, "DejaVu Sans Mono", 0, 900)->drawText(U"lll", bold.surface, {0, 0, kW, 40}, kWhite);  // synthesised
    EXPECT_GT(bold.ink(0, 0, kW, 40), regular.ink(0, 0, kW, 40));
}

TEST(Font, UnderlineStrikeoutAndPrefixUnderlineDrawFullRows) {
    const FontMetrics m = font(24)->metrics();
    const int underlineRow = m.ascent + m.underlineOffset;
    Canvas under, strike, prefix;
    font(24, "DejaVu Sans", 0, 0, true)->drawText(U"ab", under.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_EQ(under.at(1, underlineRow)[2], 255);
    font(24, "DejaVu Sans", 0, 0, false, true)->drawText(U"ab", strike.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_EQ(strike.at(1, m.ascent - m.strikeoutOffset)[2], 255);
    font(24)->drawText(U"a&bc", prefix.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_GT(prefix.ink(0, underlineRow, 60, underlineRow + 1), 5);  // under the "b"
    EXPECT_EQ(prefix.at(1, underlineRow)[2], 0);                      // not under the "a"
}

TEST(Font, CharactersMissingFromTheFaceComeFromAJapaneseFace) {
    Canvas kana;
    font(24)->drawText(U"日本", kana.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_GT(kana.ink(0, 0, kW, 40), 100);
}

TEST(TextLines, BreaksAndAmpersandPrefixes) {
    for (const auto& [text, length, breakLength] :
         {std::tuple{U"ab\ncd", 2u, 1u}, {U"ab\r\ncd", 2u, 2u}, {U"ab\r\rcd", 2u, 1u}, {U"abc", 3u, 0u}}) {
        EXPECT_EQ(nextLine(text).length, length);
        EXPECT_EQ(nextLine(text).breakLength, breakLength);
    }
    std::u32string shown;
    std::vector<uint32_t> underlined;
    resolvePrefixes(U"a&&b&c&", shown, underlined);  // "&&" is "&", a lone final "&" is dropped
    EXPECT_EQ(shown, U"a&bc");
    EXPECT_EQ(underlined, std::vector<uint32_t>{3});
}

}  // namespace
