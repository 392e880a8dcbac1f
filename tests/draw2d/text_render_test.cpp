// Fonts, the text texture and RenderText on the headless 800 x 600 device,
// probed in back-buffer captures.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/device_fixture.h"
#include "draw2d/text_texels.h"

namespace korvel::testing {
namespace {

const Rgba kWhite{255, 255, 255};
const Rgba kBlack{0, 0, 0};
const Rgba kBlue{0, 0, 255};
const wchar_t* const kBlocks = L"\u2588\u2588\u2588\u2588";  // full blocks: solid ink

class TextRender : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        font = myCreateFont(32, 0, 400, 0, 0, 0, 0, L"DejaVu Sans");
        ASSERT_EQ(font, 0);
    }
    void TearDown() override {
        myDleteFont(font);
        DeviceTest::TearDown();
    }
    // The text rectangle (0, 0, 256, 32) shown at (100, 50) over white.
    gpu::Image show() {
        ClearColorZ(255, 255, 255, 1.0);
        RenderText(0, 0, 256, 32, 100, 50);
        return captureBackBuffer();
    }
    int font = -1;
};

TEST_F(TextRender, SixFontsFillTheTableAndADeletedSlotIsReused) {
    for (int expected : {1, 2, 3, 4}) EXPECT_EQ(myCreateFont(-12, 0, 700, 1, 1, 1, 1, L"Noto Sans CJK JP"), expected);
    EXPECT_EQ(myCreateFont(0, 0, 0, 0, 0, 0, 0, L""), -1);
    myDleteFont(2);
    EXPECT_EQ(myCreateFont(16, 8, 0, 0, 0, 0, 0, L"DejaVu Sans Mono"), 2);
    for (int slot : {1, 2, 3, 4}) myDleteFont(slot);
}

TEST_F(TextRender, ColourArgumentsShowSwappedAndTheRectangleLandsOneTexelPerPixel) {
    // A space first, so that texel (0, 0) is an empty black cell.
    WriteTextTexture(L" \u2588", font, 255, 0, 0, 1.0, 0, 0, 256, 32, 1);
    const gpu::Image image = show();
    EXPECT_PIXEL(image, 118, 66, kBlue);   // inside the block: c1 = 255 shows as blue
    EXPECT_PIXEL(image, 100, 50, kBlack);  // texel (0, 0): opaque black cell
    EXPECT_PIXEL(image, 355, 81, kBlack);  // texel (255, 31): cleared, opaque
    EXPECT_PIXEL(image, 99, 50, kWhite);
    EXPECT_PIXEL(image, 100, 49, kWhite);
    EXPECT_PIXEL(image, 356, 81, kWhite);
    EXPECT_PIXEL(image, 355, 82, kWhite);
}

TEST_F(TextRender, OpacityIsAlphaTimes255TruncatedToItsLowByte) {
    EXPECT_EQ(draw2d::opacityByte(1.0), 255);
    EXPECT_EQ(draw2d::opacityByte(0.5), 127);
    EXPECT_EQ(draw2d::opacityByte(0.0), 0);
    EXPECT_EQ(draw2d::opacityByte(1.5), 126);   // 382 & 0xFF
    EXPECT_EQ(draw2d::opacityByte(-0.5), 129);  // -127 & 0xFF
    WriteTextTexture(kBlocks, font, 0, 0, 0, 0.5, 0, 0, 256, 32, 1);
    const gpu::Image image = show();
    EXPECT_PIXEL(image, 105, 66, (Rgba{128, 128, 128}));  // black at 127/255 over white
}

TEST_F(TextRender, TextStopsShortOfTheRectanglesLastColumnAndRow) {
    WriteTextTexture(kBlocks, font, 0, 255, 0, 1.0, 0, 0, 256, 32, 1);
    WriteTextTexture(L"\u2588", font, 255, 0, 0, 1.0, 0, 0, 12, 12, 0);
    ClearColorZ(255, 255, 255, 1.0);
    RenderText(0, 0, 12, 12, 100, 50);
    const gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 110, 60, kBlue);              // texel (10, 10): the new block
    EXPECT_PIXEL(image, 111, 60, (Rgba{0, 255, 0}));  // last column keeps the old text
    EXPECT_PIXEL(image, 110, 61, (Rgba{0, 255, 0}));  // so does the last row
}

TEST_F(TextRender, WithoutTheClearFlagNewTextOverlaysTheOld) {
    WriteTextTexture(kBlocks, font, 0, 255, 0, 1.0, 0, 0, 256, 32, 1);
    WriteTextTexture(L"\u2588", font, 0, 0, 255, 1.0, 0, 0, 256, 32, 0);
    gpu::Image image = show();
    EXPECT_PIXEL(image, 105, 66, (Rgba{255, 0, 0}));  // the new first block
    EXPECT_PIXEL(image, 165, 66, (Rgba{0, 255, 0}));  // the old third block survives
    WriteTextTexture(L"\u2588", font, 0, 0, 255, 1.0, 0, 0, 256, 32, 1);
    image = show();
    EXPECT_PIXEL(image, 165, 66, kBlack);
}

TEST_F(TextRender, FreeFontSlotsAndRectanglesOutsideTheSurfaceDoNothing) {
    WriteTextTexture(kBlocks, font, 0, 255, 0, 1.0, 0, 0, 256, 32, 1);
    WriteTextTexture(kBlocks, 3, 0, 0, 255, 1.0, 0, 0, 256, 32, 1);
    WriteTextTexture(kBlocks, 9, 0, 0, 255, 1.0, 0, 0, 256, 32, 1);
    WriteTextTexture(kBlocks, font, 0, 0, 255, 1.0, 900, 0, 256, 32, 1);
    WriteTextTexture(kBlocks, font, 0, 0, 255, 1.0, -1, 0, 256, 32, 1);
    WriteTextTexture(nullptr, font, 0, 0, 255, 1.0, 0, 0, 256, 32, 0);  // copies the unchanged bitmap
    const gpu::Image image = show();
    EXPECT_PIXEL(image, 105, 66, (Rgba{0, 255, 0}));
}

}  // namespace
}  // namespace korvel::testing
