// Fonts, the text texture and RenderText on the headless 800 x 600 device,
// probed in back-buffer captures.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "support/device.h"
#include "draw2d/text_surface.h"

namespace korvel::testing {
namespace {

const Rgba kWhite{255, 255, 255};
const wchar_t* const kBlocks = L"\u2588\u2588\u2588\u2588";  // full blocks: solid ink

class Text : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(font, myCreateFont(32, 0, 400, 0, 0, 0, 0, L"DejaVu Sans"));
    }
    // Writes a string with colour arguments (c1, c2, c3) into (0, 0, 256, 32).
    void write(const wchar_t* text, Rgba c, int clear, double alpha = 1.0) {
        WriteTextTexture(text, font, c.r, c.g, c.b, alpha, 0, 0, 256, 32, clear);
    }
    // The text rectangle (0, 0, width, height) shown at (100, 50) over white.
    static void show(int width = 256, int height = 32) {
        ClearColorZ(255, 255, 255, 1.0);
        RenderText(0, 0, width, height, 100, 50);
    }
    const int font = 0;
};

TEST_F(Text, SixFontsFillTheTableAndADeletedSlotIsReused) {
    for (int expected : {1, 2, 3, 4}) EXPECT_EQ(myCreateFont(-12, 0, 700, 1, 1, 1, 1, L"Noto Sans CJK JP"), expected);
    EXPECT_EQ(myCreateFont(0, 0, 0, 0, 0, 0, 0, L""), -1);
    myDleteFont(2);
    EXPECT_EQ(myCreateFont(16, 8, 0, 0, 0, 0, 0, L"DejaVu Sans Mono"), 2);
}

TEST_F(Text, ColourArgumentsShowSwappedAndTheRectangleLandsOneTexelPerPixel) {
    write(L" \u2588", kRed, 1);  // a space first: texel (0, 0) is an empty black cell
    show();
    // Inside the block c1 = 255 shows as blue; texels (0, 0) and (255, 31)
    // are black and opaque; around them the white background.
    expectPixels({{118, 66, kBlue},
                  {100, 50, kBlack},
                  {355, 81, kBlack},
                  {99, 50, kWhite},
                  {100, 49, kWhite},
                  {356, 81, kWhite},
                  {355, 82, kWhite}});
}

TEST_F(Text, TextStopsShortOfTheRectanglesLastColumnAndRow) {
    write(kBlocks, kGreen, 1);
    WriteTextTexture(L"\u2588", font, 255, 0, 0, 1.0, 20, 4, 12, 12, 0);
    show(32, 16);
    // Texel (30, 14) holds the new block; the last column and row keep the old text.
    expectPixels({{130, 64, kBlue}, {131, 64, kGreen}, {130, 65, kGreen}});
}

TEST_F(Text, OpacityIsAlphaTimes255TruncatedToItsLowByte) {
    for (const auto& [alpha, byte] : {std::pair{1.0, 255}, {0.5, 127}, {0.0, 0}, {1.5, 126}, {-0.5, 129}})
        EXPECT_EQ(draw2d::opacityByte(alpha), byte) << alpha;
    write(kBlocks, kBlack, 1, 0.5);
    show();
    expectPixels({{105, 66, {128, 128, 128}}});  // black at 127/255 over white
}

TEST_F(Text, IgnoredCallsChangeNothingAndWithoutTheClearFlagNewTextOverlaysTheOld) {
    write(kBlocks, kGreen, 1);
    // Free font slots and rectangles outside the surface do nothing; null
    // text copies the unchanged bitmap.
    for (const int slot : {3, 9}) WriteTextTexture(kBlocks, slot, 0, 0, 255, 1.0, 0, 0, 256, 32, 1);
    for (const int x : {900, -1}) WriteTextTexture(kBlocks, font, 0, 0, 255, 1.0, x, 0, 256, 32, 1);
    WriteTextTexture(nullptr, font, 0, 0, 255, 1.0, 0, 0, 256, 32, 0);
    write(L"\u2588", kBlue, 0);
    show();
    expectPixels({{105, 66, kRed}, {165, 66, kGreen}});  // the new first block, the old third
    write(L"\u2588", kBlue, 1);
    show();
    expectPixels({{165, 66, kBlack}});
}

}  // namespace
}  // namespace korvel::testing
