// Device start-up, frame calls and teardown on the real headless backend.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/current.h"
#include "device/device_fixture.h"
#include "device/device_state.h"
#include "device/lighting.h"
#include "device/screen.h"

namespace korvel::testing {
namespace {

TEST(Lifecycle, DefaultsScreenSizeReinitAndRepeatedCleanup) {
    ScreenSizeSet(1);
    const int level = InitDevice(nullptr);
    ASSERT_EQ(level, 0xB000);
    EXPECT_EQ(IsDeviceRemoved(), 1);
    const gpu::Viewport& viewport = device::deviceState().screenViewport;
    EXPECT_EQ(viewport, (gpu::Viewport{0, 0, 800, 600, 0, 1}));
    EXPECT_EQ(captureBackBuffer().width, 800u);
    // The default projection: 0.785 rad field of view, aspect 800 / 600.
    const math::Matrix& p = device::camera().projectionMatrix;
    EXPECT_NEAR(p.m[1][1], 2.4156f, 1e-4);
    EXPECT_NEAR(p.m[0][0], 2.4156f * 600.0f / 800.0f, 1e-4);
    EXPECT_EQ(device::camera().nearZ, 1.0);
    EXPECT_EQ(device::camera().farZ, 11.0);

    // Camera, lighting and screen values survive CleanupDevice; a repeated
    // CleanupDevice is harmless.
    ViewMatrixValueSet(1, 2, -3, 0, 0, 0, 0, 1, 0);
    SetPointLightPos(7, 8, 9);
    ScreenSizeSet(0);
    CleanupDevice();
    CleanupDevice();
    EXPECT_EQ(device::currentDevice(), nullptr);
    EXPECT_EQ(device::currentContext(), nullptr);
    EXPECT_EQ(IsDeviceRemoved(), -1);
    EXPECT_EQ(device::camera().cameraEye.z, -3.0f);
    EXPECT_EQ(device::lighting().pointLightPos.x, 7.0f);

    // A new device takes the screen size set in between.
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    gpu::Image image = captureBackBuffer();
    EXPECT_EQ(image.width, 640u);
    EXPECT_EQ(image.height, 480u);
    EXPECT_NEAR(device::camera().projectionMatrix.m[0][0], 2.4156f * 480.0f / 640.0f, 1e-4);

    // InitDevice on a live device starts over instead of mixing two devices.
    ScreenSizeSet(1);
    ASSERT_EQ(loadSolidTexture(4, 4, Rgba{}), 0);
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    EXPECT_EQ(loadSolidTexture(4, 4, Rgba{}), 0);
    EXPECT_EQ(captureBackBuffer().width, 800u);
    CleanupDevice();
}

TEST(Lifecycle, CallsWithoutADeviceDoNothing) {
    CleanupDevice();
    ClearColorZ(255, 0, 0, 1.0);
    SwapChainPresent();
    EXPECT_EQ(readtexture(L"whatever.png"), -1);
    RenderSprite(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(CreateTextureforRTandSRV(64, 64), -1);
    SetViewportsandRenderTargets(101);
    SetViewportsandRenderTargets(0);
    BackBufferToFile(3, L"never-written.png");
    EXPECT_FALSE(std::filesystem::exists("never-written.png"));
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(IsDeviceRemoved(), -1);
}

}  // namespace
}  // namespace korvel::testing
