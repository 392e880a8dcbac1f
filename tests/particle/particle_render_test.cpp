// Particles drawn on the headless 800 x 600 device: one camera-facing quad
// per live particle, drawn where it stands before it moves.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/device_fixture.h"

namespace korvel::testing {
namespace {

using ParticleRender = DeviceTest;

TEST_F(ParticleRender, EachLiveParticleIsDrawnAtItsPositionBeforeItMoves) {
    const int texture = loadSolidTexture(8, 8, Rgba{0, 255, 0});
    ASSERT_GE(texture, 0);
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    const double emitter[3] = {-1.0, 0.0, 0.0};
    const double size[2] = {0.2, 0.2};
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    const double velocity[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    const int group = CreateParticle(emitter, size, texture, rect, 1, 10, velocity, 0.0, 4);
    ASSERT_EQ(group, 0);

    ClearColorZ(1, 0, 0, 1.0);
    for (int step = 0; step < 3; ++step) ParticleMoveandRender(group, 0, 1.0);
    const gpu::Image image = captureBackBuffer();
    // x = -1, 0 and 1 at distance 5: columns 400 -/+ 144.9; row 300.
    // The last step draws the particles at x = 1, 0 and -1.
    const Rgba green{0, 255, 0};
    EXPECT_PIXEL(image, 255, 300, green);
    EXPECT_PIXEL(image, 400, 300, green);
    EXPECT_PIXEL(image, 545, 300, green);
    EXPECT_PIXEL(image, 472, 300, (Rgba{1, 0, 0}));  // between particles
    ClearParticle(group);
}

TEST_F(ParticleRender, CleanupDeviceReleasesEveryGroup) {
    const double v3[3] = {0, 0, 0};
    const double v2[2] = {1, 1};
    const double v4[4] = {0, 0, 1, 1};
    const double v6[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i) ASSERT_EQ(CreateParticle(v3, v2, 0, v4, 1, 5, v6, 0.0, 2), i);
    CleanupDevice();
    ASSERT_GE(InitDevice(nullptr), 0);
    EXPECT_EQ(CreateParticle(v3, v2, 0, v4, 1, 5, v6, 0.0, 2), 0);
}

}  // namespace
}  // namespace korvel::testing
