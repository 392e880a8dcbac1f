// Fonts drawn into a small 24-bit surface: sizes, the opaque cell
// background, clipping, lines, decorations and fallback glyphs.
#include <gtest/gtest.h>

#include <vector>

#include "platform/text/font.h"

namespace {

using namespace korvel::platform::text;

constexpr int kW = 320;
constexpr int kH = 160;
constexpr uint8_t kSentinel = 77;

struct Canvas {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kW * kH * 3, kSentinel);
    BgrSurface surface{pixels.data(), kW, kH, kW * 3};

    const uint8_t* at(int x, int y) const { return &pixels[static_cast<size_t>((y * kW + x) * 3)]; }
    bool untouched(int x, int y) const { return at(x, y)[0] == kSentinel && at(x, y)[2] == kSentinel; }
    bool black(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
    // Pixels in the region with any of the text colour's red channel.
    int ink(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += at(x, y)[2] > 0 && at(x, y)[2] != kSentinel;
        return n;
    }
    // Rows of the region holding any ink.
    std::vector<int> inkRows(int x0, int y0, int x1, int y1) const {
        std::vector<int> rows;
        for (int y = y0; y < y1; ++y)
            if (ink(x0, y, x1, y + 1) > 0) rows.push_back(y);
        return rows;
    }
};

constexpr TextColor kWhite{255, 255, 255};

std::unique_ptr<Font> font(int height, const char* face = "DejaVu Sans", int width = 0) {
    FontRequest r;
    r.height = height;
    r.width = width;
    r.face = face;
    r.preferJapanese = true;
    auto f = Font::create(r);
    EXPECT_TRUE(f);
    return f;
}

TEST(Font, HeightSelectsCellOrCharacterHeightAndZeroADefault) {
    EXPECT_EQ(font(32)->metrics().cellHeight, 32);
    const int fromCharacter = font(-32)->metrics().cellHeight;
    EXPECT_GT(fromCharacter, 32);  // the cell adds the space above and below the em
    EXPECT_LT(fromCharacter, 48);
    EXPECT_GT(font(0)->metrics().cellHeight, 8);
}

TEST(Font, ExtremeSizesAreClampedAndStillDraw) {
    FontRequest r;
    r.height = -2147483647 - 1;
    r.width = 2147483647;
    r.face = "DejaVu Sans";
    auto huge = Font::create(r);
    ASSERT_TRUE(huge);
    EXPECT_LE(huge->metrics().cellHeight, 8192);
    Canvas c;
    huge->drawText(U"W", c.surface, {0, 0, kW, kH}, kWhite);
    EXPECT_TRUE(c.black(0, 0));
}

TEST(Font, CellsAreFilledBlackFromTheTopLeftAndNothingIsDrawnOutsideTheRectangle) {
    Canvas c;
    auto f = font(20);
    f->drawText(U"Hello\r\nWorld wide and long", c.surface, {10, 10, 120, 50}, kWhite);
    EXPECT_TRUE(c.black(10, 10));   // cell background at the corner
    EXPECT_TRUE(c.untouched(9, 10));
    EXPECT_TRUE(c.untouched(10, 9));
    EXPECT_TRUE(c.black(119, 30));  // second line runs to the clip edge
    for (int y = 0; y < kH; ++y) {
        EXPECT_TRUE(c.untouched(120, y)) << y;
        if (y >= 50) {
            EXPECT_TRUE(c.untouched(60, y)) << y;  // a third line would start at 50
        }
    }
    EXPECT_GT(c.ink(10, 10, 120, 30), 30);
    EXPECT_GT(c.ink(10, 30, 120, 50), 30);
    EXPECT_TRUE(c.untouched(100, 20));  // "Hello" ends before x = 100: no cell there
}

TEST(Font, WidthStretchesGlyphs) {
    Canvas narrow, wide;
    font(20, "DejaVu Sans", 6)->drawText(U"mmmm", narrow.surface, {0, 0, kW, 40}, kWhite);
    font(20, "DejaVu Sans", 16)->drawText(U"mmmm", wide.surface, {0, 0, kW, 40}, kWhite);
    auto lastInk = [](const Canvas& c) {
        for (int x = kW - 1; x >= 0; --x)
            if (c.ink(x, 0, x + 1, 40) > 0) return x;
        return -1;
    };
    EXPECT_GT(lastInk(wide), 2 * lastInk(narrow));
}

TEST(Font, UnderlineStrikeoutAndPrefixUnderlineDrawFullRows) {
    FontRequest r;
    r.height = 24;
    r.face = "DejaVu Sans";
    r.underline = true;
    Canvas under;
    Font::create(r)->drawText(U"ab", under.surface, {0, 0, kW, 40}, kWhite);
    const FontMetrics m = font(24)->metrics();
    const int underlineRow = m.ascent + m.underlineOffset;
    EXPECT_EQ(under.at(1, underlineRow)[2], 255);

    r.underline = false;
    r.strikeout = true;
    Canvas strike;
    Font::create(r)->drawText(U"ab", strike.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_EQ(strike.at(1, m.ascent - m.strikeoutOffset)[2], 255);

    Canvas prefix;
    font(24)->drawText(U"a&bc", prefix.surface, {0, 0, kW, 40}, kWhite);
    int underlined = 0;
    for (int x = 0; x < 60; ++x) underlined += prefix.at(x, underlineRow)[2] == 255;
    EXPECT_GT(underlined, 5);   // under the "b"
    EXPECT_EQ(prefix.at(1, underlineRow)[2], 0);  // not under the "a"
}

TEST(Font, SyntheticBoldAndMissingCharactersFromAJapaneseFace) {
    FontRequest r;
    r.height = 24;
    r.face = "DejaVu Sans Mono";
    Canvas regular, bold;
    Font::create(r)->drawText(U"lll", regular.surface, {0, 0, kW, 40}, kWhite);
    r.weight = 900;  // heavier than the family's bold: synthesised
    Font::create(r)->drawText(U"lll", bold.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_GT(bold.ink(0, 0, kW, 40), regular.ink(0, 0, kW, 40));

    Canvas kana;
    font(24)->drawText(U"日本", kana.surface, {0, 0, kW, 40}, kWhite);
    EXPECT_GT(kana.ink(0, 0, kW, 40), 100);
}

}  // namespace
