// The off-screen target: sizes the device cannot make are refused, and a
// target drawn into shows upright as texture 101 at its own size, also when
// it replaced a target that was still bound.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using RenderTarget = DeviceTest;

TEST_F(RenderTarget, RefusesSizesTheDeviceCannotMakeAndShowsUpright) {
    const int limit = static_cast<int>(device::currentDevice()->maxTextureSize());
    for (const auto& [width, height] : {std::pair{0, 32}, {32, -1}, {limit + 1, 32}, {32, limit + 1}, {100000, 100000}})
        EXPECT_EQ(CreateTextureforRTandSRV(width, height), -1) << width << " x " << height;

    ASSERT_EQ(CreateTextureforRTandSRV(64, 32), 101);
    SetViewportsandRenderTargets(101);
    ASSERT_EQ(CreateTextureforRTandSRV(16, 16), 101);  // the first stays alive while bound
    SetViewportsandRenderTargets(101);
    ClearColorZ(255, 0, 0, 1.0);
    // A green sprite over the target's upper half (sprites place by the
    // screen's 800 x 600 pixels whatever the target).
    RenderSprite(loadSolidTexture(16, 8, Rgba{0, 255, 0}), 0, 0, 50, 37.5, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    SetViewportsandRenderTargets(0);
    ClearColorZ(1, 0, 255, 1.0);
    RenderSprite(101, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    const gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 8, 4, (Rgba{0, 255, 0}));
    EXPECT_PIXEL(image, 8, 12, (Rgba{255, 0, 0}));
    EXPECT_PIXEL(image, 17, 8, (Rgba{1, 0, 255}));
}

}  // namespace
}  // namespace korvel::testing
