// Device start-up and teardown on the real headless backend, and what the
// device calls do without a device.
#include <gtest/gtest.h>

#include <filesystem>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lifecycle.h"
#include "support/device.h"
#include "device/render_target.h"

namespace korvel::testing {
namespace {

TEST(Lifecycle, ScreenSizeSurvivingValuesReinitAndRepeatedCleanup) {
    ScreenSizeSet(1);
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    EXPECT_EQ(IsDeviceRemoved(), 1);
    EXPECT_EQ(captureBackBuffer().width, 800u);
    EXPECT_NEAR(device::camera().projectionMatrix.m[0][0], 2.4156f * 600.0f / 800.0f, 1e-4);

    // Camera, lighting and screen values survive CleanupDevice; a repeated
    // CleanupDevice is harmless.
    ViewMatrixValueSet(1, 2, -3, 0, 0, 0, 0, 1, 0);
    SetPointLightPos(7, 8, 9);
    ScreenSizeSet(0);
    CleanupDevice();
    CleanupDevice();
    EXPECT_EQ(device::currentDevice(), nullptr);
    EXPECT_EQ(IsDeviceRemoved(), -1);
    EXPECT_EQ(device::camera().cameraEye.z, -3.0f);
    EXPECT_EQ(device::lighting().pointLightPos.x, 7.0f);

    // A new device takes the screen size set in between.
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    const gpu::Image image = captureBackBuffer();
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

TEST(Lifecycle, DeviceCallsWithoutADeviceChangeNothing) {
    CleanupDevice();
    const uint32_t width = device::rtWidth(), height = device::rtHeight();
    const int mode = device::renderTargetMode();
    EXPECT_EQ(CreateTextureforRTandSRV(64, 48), -1);
    SetViewportsandRenderTargets(mode == 101 ? 0 : 101);
    EXPECT_EQ(device::rtWidth(), width);
    EXPECT_EQ(device::rtHeight(), height);
    EXPECT_EQ(device::renderTargetMode(), mode);
    ClearColorZ(255, 0, 0, 1.0);
    SwapChainPresent();
    const std::string path = tempPath("never-written.png");
    BackBufferToFile(3, std::wstring(path.begin(), path.end()).c_str());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(IsDeviceRemoved(), -1);
}

}  // namespace
}  // namespace korvel::testing
