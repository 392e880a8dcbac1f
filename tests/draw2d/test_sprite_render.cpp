// Sprites drawn on the headless 800 x 600 back buffer, checked pixel by pixel.
#include <gtest/gtest.h>

#include <numbers>

#include "Korvelv0.h"
#include "device/device_fixture.h"
#include "draw2d/texture_numbers.h"

namespace korvel::testing {
namespace {

const Rgba kClear{1, 0, 0};  // red 1: the smallest value that clears colour
const Rgba kBlue{0, 0, 255};
const Rgba kGreen{0, 255, 0};

void clearScreen() { ClearColorZ(1, 0, 0, 1.0); }

void sprite(int texno, int x, int y, int blend = 0, double angle = 0.0, double tu0 = 0.0, double factor = 1.0,
            double z = 0.5) {
    RenderSprite(texno, x, y, 1.0, 1.0, tu0, 0.0, 1.0, 1.0, blend, angle, 0, 0, z, factor);
}

using SpriteRender = DeviceTest;

TEST_F(SpriteRender, ScreenRectangleFollowsTextureSizeRectangleAndRotation) {
    const int solid = loadSolidTexture(256, 128, kBlue);
    const int halves = loadTexture(256, 128, [](uint32_t x, uint32_t) { return x < 128 ? Rgba{255, 0, 0} : kGreen; });
    ASSERT_GE(solid, 0);
    ASSERT_GE(halves, 0);

    clearScreen();
    sprite(solid, 0, 0);
    gpu::Image image = captureBackBuffer();
    ASSERT_EQ(image.width, 800u);
    ASSERT_EQ(image.height, 600u);
    EXPECT_PIXEL(image, 0, 0, kBlue);
    EXPECT_PIXEL(image, 255, 127, kBlue);
    EXPECT_PIXEL(image, 256, 60, kClear);
    EXPECT_PIXEL(image, 60, 128, kClear);

    // tu0 = 0.5: 128 pixels wide, the right (green) half of the texture.
    clearScreen();
    sprite(halves, 300, 200, 0, 0.0, 0.5);
    image = captureBackBuffer();
    EXPECT_PIXEL(image, 302, 260, kGreen);
    EXPECT_PIXEL(image, 425, 260, kGreen);
    EXPECT_PIXEL(image, 430, 260, kClear);

    // Angle pi/2 about the top-left corner: the sprite hangs down and to the left.
    clearScreen();
    sprite(solid, 400, 100, 0, std::numbers::pi / 2);
    image = captureBackBuffer();
    EXPECT_PIXEL(image, 340, 300, kBlue);   // x in 272..400, y in 100..356
    EXPECT_PIXEL(image, 450, 150, kClear);  // where the unrotated sprite would be
    EXPECT_PIXEL(image, 340, 360, kClear);
}

TEST_F(SpriteRender, BlendModesAndOutOfRangeModesKeepingThePreviousOne) {
    const int blue = loadSolidTexture(32, 32, kBlue);
    ASSERT_GE(blue, 0);
    ClearColorZ(200, 0, 0, 1.0);
    sprite(blue, 0, 0, 4, 0.0, 0.0, 0.25);    // a quarter over the red
    sprite(blue, 100, 0, 6, 0.0, 0.0, 0.9);   // mode 6: still the quarter blend
    sprite(blue, 200, 0, 0);                  // opaque
    sprite(blue, 300, 0, -1, 0.0, 0.0, 0.25); // mode -1: still opaque
    sprite(blue, 400, 0, 1);                  // add
    sprite(blue, 500, 0, 2);                  // red minus blue
    const int halfBlue = loadSolidTexture(32, 32, Rgba{0, 0, 255, 128});
    sprite(halfBlue, 600, 0, 3);              // alpha: half over the red
    const gpu::Image image = captureBackBuffer();
    const Rgba quarter{150, 0, 64};
    EXPECT_PIXEL(image, 16, 16, quarter);
    EXPECT_PIXEL(image, 116, 16, quarter);
    EXPECT_PIXEL(image, 216, 16, kBlue);
    EXPECT_PIXEL(image, 316, 16, kBlue);
    EXPECT_PIXEL(image, 416, 16, (Rgba{200, 0, 255}));
    EXPECT_PIXEL(image, 516, 16, (Rgba{200, 0, 0}));
    EXPECT_PIXEL(image, 616, 16, (Rgba{100, 0, 128}));
}

TEST_F(SpriteRender, DepthTestKeepsNearerSprites) {
    const int blue = loadSolidTexture(16, 16, kBlue);
    const int green = loadSolidTexture(16, 16, kGreen);
    ClearColorZ(255, 0, 0, 0.5);
    sprite(blue, 0, 0, 0, 0.0, 0.0, 1.0, 0.6);   // behind the cleared depth
    sprite(blue, 40, 0, 0, 0.0, 0.0, 1.0, 0.4);
    sprite(green, 40, 0, 0, 0.0, 0.0, 1.0, 0.4); // equal depth fails "less"
    gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 8, 8, (Rgba{255, 0, 0}));
    EXPECT_PIXEL(image, 48, 8, kBlue);

    // Red 0 or below clears depth only: the colour stays, the far sprite passes.
    ClearColorZ(0, 0, 255, 1.0);
    ClearColorZ(-1, 0, 0, 1.0);
    sprite(green, 0, 0, 0, 0.0, 0.0, 1.0, 0.6);
    image = captureBackBuffer();
    EXPECT_PIXEL(image, 8, 8, kGreen);
    EXPECT_PIXEL(image, 48, 8, kBlue);
    EXPECT_PIXEL(image, 300, 300, (Rgba{255, 0, 0}));
}

TEST_F(SpriteRender, OffscreenTargetIsDrawnAtItsOwnSize) {
    ASSERT_EQ(CreateTextureforRTandSRV(256, 128), 101);
    SetViewportsandRenderTargets(101);
    ClearColorZ(255, 255, 0, 1.0);
    SetViewportsandRenderTargets(0);
    clearScreen();
    sprite(101, 10, 20);
    gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 11, 21, (Rgba{255, 255, 0}));
    EXPECT_PIXEL(image, 264, 146, (Rgba{255, 255, 0}));
    EXPECT_PIXEL(image, 268, 100, kClear);
    EXPECT_PIXEL(image, 100, 150, kClear);

    // With the off-screen target selected, a red-0 clear touches only its
    // depth: neither colour buffer changes.
    SetViewportsandRenderTargets(101);
    ClearColorZ(0, 0, 0, 1.0);
    SetViewportsandRenderTargets(0);
    ClearColorZ(-1, 0, 0, 1.0);
    sprite(101, 300, 300, 0, 0.0, 0.0, 1.0, 0.4);
    image = captureBackBuffer();
    EXPECT_PIXEL(image, 310, 310, (Rgba{255, 255, 0}));
    EXPECT_PIXEL(image, 100, 100, (Rgba{255, 255, 0}));
}

TEST_F(SpriteRender, WorldSpriteFacesTheCameraOnlyFromTheFront) {
    const int blue = loadSolidTexture(8, 8, kBlue);
    const double X[4] = {-1, 1, -1, 1}, Y[4] = {1, 1, -1, -1}, Z[4] = {0, 0, 0, 0};
    const double U[4] = {0, 1, 0, 1}, V[4] = {0, 0, 1, 1};

    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    clearScreen();
    RenderSprite3d(blue, 0, 1.0, X, Y, Z, U, V);
    gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 400, 300, kBlue);
    // Half width in pixels: 1 / 5 x 1.8117 x 400 = 145.
    EXPECT_PIXEL(image, 400 + 140, 300, kBlue);
    EXPECT_PIXEL(image, 400 + 150, 300, kClear);

    ViewMatrixValueSet(0, 0, 5, 0, 0, 0, 0, 1, 0);  // from behind: culled
    clearScreen();
    RenderSprite3d(blue, 0, 1.0, X, Y, Z, U, V);
    image = captureBackBuffer();
    EXPECT_PIXEL(image, 400, 300, kClear);
}

TEST_F(SpriteRender, TextureTableSlotsAndInvalidNumbersAreSafe) {
    std::vector<int> slots;
    for (int i = 0; i < 100; ++i) slots.push_back(loadSolidTexture(4 + i % 3, 4, kBlue));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(slots[i], i);
    EXPECT_EQ(loadSolidTexture(4, 4, kBlue), -1);  // full
    CleanupDeviceSRV(7);
    EXPECT_EQ(readtexture(L"/nonexistent/file.png"), -1);  // the failure leaves 7 free
    EXPECT_EQ(loadSolidTexture(4, 4, kGreen), 7);

    // A freed slot draws nothing visible but keeps its size; bad numbers and
    // null arrays do nothing.
    CleanupDeviceSRV(8);
    clearScreen();
    sprite(8, 0, 0);
    sprite(102, 0, 0);
    sprite(-5, 0, 0);
    RenderSprite3d(1, 0, 1.0, nullptr, nullptr, nullptr, nullptr, nullptr);
    CleanupDeviceSRV(-1);
    CleanupDeviceSRV(100);
    CleanupDeviceSRV(8);
    EXPECT_EQ(readtexture(nullptr), -1);
    draw2d::TextureBinding freed;
    ASSERT_TRUE(draw2d::resolveTexture(8, freed));
    EXPECT_EQ(freed.view, nullptr);
    EXPECT_EQ(freed.width, 6u);
    EXPECT_EQ(freed.height, 4u);
    const gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 300, 300, kClear);
}

}  // namespace
}  // namespace korvel::testing
