// Points and lines on the headless 800 x 600 device.
#include <gtest/gtest.h>

#include <algorithm>

#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

// The brightest red among the pixels of a box, corners included.
int maxRed(const gpu::Image& image, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
    int best = 0;
    for (uint32_t y = y0; y <= y1; ++y)
        for (uint32_t x = x0; x <= x1; ++x) best = std::max(best, pixelAt(image, x, y).r);
    return best;
}

using PointsLines = DeviceTest;

// A red point at the screen centre; a line fading towards its transparent
// end; a line in mode 4, which keeps the factor blend the point before it left.
TEST_F(PointsLines, PointsAndScreenLinesWithTheirBlendModes) {
    ClearColorZ(1, 0, 0, 1.0);
    RenderPoint2d(400, 300, 255, 0, 0, 1.0, 0);
    RenderLine2d(100, 200, 255, 255, 255, 1.0, 700, 200, 255, 255, 255, 0.0, 3);
    RenderPoint2d(10, 10, 255, 0, 0, 0.25, 4);  // leaves the factor blend at 0.25
    RenderLine2d(100, 400, 255, 0, 0, 1.0, 700, 400, 255, 0, 0, 1.0, 4);
    const gpu::Image image = captureBackBuffer();
    EXPECT_GT(maxRed(image, 399, 299, 400, 300), 250);
    EXPECT_LT(maxRed(image, 390, 290, 395, 295), 5);
    // The line runs along the border of rows 199 and 200: anti-aliasing
    // shares it between them.
    const auto at = [&](uint32_t x) { return pixelAt(image, x, 199).r + pixelAt(image, x, 200).r; };
    EXPECT_GT(at(110), 220);
    EXPECT_NEAR(at(400), 128, 30);
    EXPECT_LT(at(690), 30);
    EXPECT_LT(maxRed(image, 400, 190, 400, 195), 5);
    EXPECT_NEAR(maxRed(image, 400, 399, 400, 400), 64, 12);
}

TEST_F(PointsLines, WorldLineLandsWhereTheCameraProjectsIt) {
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    const double a[3] = {-1.0, 1.0, 0.0};
    const double b[3] = {1.0, 1.0, 0.0};
    const int red[3] = {255, 0, 0};
    ClearColorZ(1, 0, 0, 1.0);
    RenderLine3d(a, red, 1.0, b, red, 1.0, 0);
    const gpu::Image image = captureBackBuffer();
    // y = 1 at distance 5 with a vertical field of view of 0.785: clip y =
    // 1 / (5 tan(0.3925)) = 0.4830, pixel row 300 * (1 - 0.4830) = 155.1;
    // x = 1: clip 0.3623, column 400 * (1 + 0.3623) = 544.9.
    EXPECT_GT(maxRed(image, 400, 154, 400, 156), 200);
    EXPECT_GT(maxRed(image, 540, 154, 540, 156), 200);
    EXPECT_LT(maxRed(image, 550, 150, 560, 160), 5);
    EXPECT_LT(maxRed(image, 400, 170, 400, 175), 5);
}

}  // namespace
}  // namespace korvel::testing
