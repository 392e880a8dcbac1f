// Sprites and the texture table on the headless 800 x 600 back buffer,
// checked pixel by pixel.
#include <gtest/gtest.h>

#include <numbers>

#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

const Rgba kClear{1, 0, 0};  // red 1: the smallest value that clears colour

void clearScreen() { ClearColorZ(1, 0, 0, 1.0); }

void sprite(int texno, int x, int y, int blend = 0, double factor = 1.0, double z = 0.5) {
    RenderSprite(texno, x, y, 1.0, 1.0, 0.0, 0.0, 1.0, 1.0, blend, 0.0, 0, 0, z, factor);
}

using Sprites = DeviceTest;

TEST_F(Sprites, ScreenRectangleFollowsTextureSizeRectangleScaleAndRotation) {
    const int solid = loadSolidTexture(256, 128, kBlue);
    // Left half red; right half green above blue.
    const int halves = loadTexture(256, 128, [](uint32_t x, uint32_t y) {
        return x < 128 ? Rgba{255, 0, 0} : y < 64 ? kGreen : kBlue;
    });
    clearScreen();
    sprite(solid, 0, 0);
    // tu0 = 0.5: 128 pixels wide, the right half, twice as high.
    RenderSprite(halves, 300, 200, 1.0, 2.0, 0.5, 0.0, 1.0, 1.0, 0, 0.0, 0, 0, 0.5, 1.0);
    RenderSprite(solid, 700, 500, -1.0, 1.0, 0.0, 0.0, 1.0, 1.0, 0, 0.0, 0, 0, 0.5, 1.0);  // mirrored: culled
    expectPixels({{0, 0, kBlue},
                  {255, 127, kBlue},
                  {256, 60, kClear},
                  {60, 128, kClear},
                  {302, 450, kBlue},
                  {427, 260, kGreen},
                  {430, 260, kClear},
                  {300, 458, kClear},
                  {600, 550, kClear}});

    struct Turn {
        double angle;
        int pivotx, pivoty;
        uint32_t insideX, insideY, outsideX, outsideY;
    };
    for (const Turn t : {Turn{std::numbers::pi / 2, 0, 0, 340, 300, 450, 150},   // hangs down and left of (400, 100)
                         Turn{std::numbers::pi, 128, 64, 500, 200, 390, 90}}) {  // half a turn about its centre
        clearScreen();
        RenderSprite(solid, 400, 100, 1.0, 1.0, 0.0, 0.0, 1.0, 1.0, 0, t.angle, t.pivotx, t.pivoty, 0.5, 1.0);
        SCOPED_TRACE(t.angle);
        expectPixels({{t.insideX, t.insideY, kBlue}, {t.outsideX, t.outsideY, kClear}});
    }
}

TEST_F(Sprites, BlendModesAndOutOfRangeModesKeepingThePreviousOne) {
    const int opaque = loadSolidTexture(8, 8, kBlue);
    const int half = loadSolidTexture(8, 8, Rgba{0, 0, 255, 128});
    const int faint = loadSolidTexture(8, 8, Rgba{0, 0, 255, 64});
    struct Case {
        int texture, mode;
        double factor;
        Rgba expected;
    };
    // Drawn in this order over red 200: a mode outside 0 to 5 keeps the
    // blend state of the draw before it.
    const Case cases[] = {
        {opaque, 4, 0.25, {150, 0, 64}},  // a quarter over the red
        {opaque, 6, 0.9, {150, 0, 64}},  {opaque, 0, 1.0, kBlue},
        {opaque, -1, 0.25, kBlue},       {opaque, 1, 1.0, {200, 0, 255}},  // add
        {opaque, 2, 1.0, {200, 0, 0}},                                     // red minus blue
        {half, 3, 1.0, {100, 0, 128}},                                     // the texel's alpha
        {faint, 4, 0.5, {100, 0, 128}},                                    // the factor, whatever the texel's alpha
        {faint, 5, 0.5, {200, 0, 0}},                                      // texels below alpha one half are dropped
        {half, 5, 0.5, {100, 0, 128}},
    };
    ClearColorZ(200, 0, 0, 1.0);
    for (int i = 0; i < std::ssize(cases); ++i) sprite(cases[i].texture, 20 * i, 0, cases[i].mode, cases[i].factor);
    std::vector<Probe> probes;
    for (int i = 0; i < std::ssize(cases); ++i) probes.push_back({20u * i + 4, 4, cases[i].expected});
    expectPixels(probes);
}

TEST_F(Sprites, DepthTestKeepsOnlyStrictlyNearerSprites) {
    const int blue = loadSolidTexture(16, 16, kBlue);
    const int green = loadSolidTexture(16, 16, kGreen);
    ClearColorZ(255, 0, 0, 0.5);
    sprite(blue, 0, 0, 0, 1.0, 0.6);  // behind the cleared depth
    sprite(blue, 40, 0, 0, 1.0, 0.4);
    sprite(green, 40, 0, 0, 1.0, 0.4);  // equal depth is hidden
    sprite(green, 80, 0, 0, 1.0, 0.4);
    sprite(blue, 80, 0, 0, 1.0, 0.3);  // nearer wins
    expectPixels({{8, 8, {255, 0, 0}}, {48, 8, kBlue}, {88, 8, kBlue}});
}

TEST_F(Sprites, WorldSpriteFacesTheCameraOnlyFromTheFront) {
    const int blue = loadSolidTexture(8, 8, kBlue);
    const double X[4] = {-1, 1, -1, 1}, Y[4] = {1, 1, -1, -1}, Z[4] = {0, 0, 0, 0};
    const double U[4] = {0, 1, 0, 1}, V[4] = {0, 0, 1, 1};
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    clearScreen();
    RenderSprite3d(blue, 0, 1.0, X, Y, Z, U, V);
    // Half width in pixels: 1 / 5 x 1.8117 x 400 = 145.
    expectPixels({{400, 300, kBlue}, {540, 300, kBlue}, {550, 300, kClear}});

    ViewMatrixValueSet(0, 0, 5, 0, 0, 0, 0, 1, 0);  // from behind: culled
    clearScreen();
    RenderSprite3d(blue, 0, 1.0, X, Y, Z, U, V);
    expectPixels({{400, 300, kClear}});
}

TEST_F(Sprites, TextureTableSlotsAndInvalidNumbersAreSafe) {
    for (int i = 0; i < 100; ++i) ASSERT_EQ(loadSolidTexture(4 + i % 3, 4, kBlue), i);
    EXPECT_EQ(loadSolidTexture(4, 4, kBlue), -1);  // full
    CleanupDeviceSRV(7);
    EXPECT_EQ(readtexture(L"/nonexistent/file.png"), -1);  // the failure leaves 7 free
    EXPECT_EQ(readtexture(nullptr), -1);
    EXPECT_EQ(loadSolidTexture(4, 4, kGreen), 7);

    // A freed slot, numbers outside -1 to 101 and null arrays draw nothing.
    CleanupDeviceSRV(8);
    for (const int slot : {-1, 100, 8}) CleanupDeviceSRV(slot);
    clearScreen();
    for (const int texno : {8, 102, -5}) sprite(texno, 0, 0);
    RenderSprite3d(1, 0, 1.0, nullptr, nullptr, nullptr, nullptr, nullptr);
    expectPixels({{2, 2, kClear}});
}

}  // namespace
}  // namespace korvel::testing
