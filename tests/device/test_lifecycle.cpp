// Device start-up and teardown on the real headless backend: every failure
// code of InitDevice, reached by failing one creation call of the real
// backend, and what the device calls do without a device.
#include <gtest/gtest.h>

#include <filesystem>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lifecycle.h"
#include "device/render_target.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::FaultKind;

TEST(InitDeviceFaults, EveryCreationStepReturnsItsCode) {
    InjectedBackend backend;
    ScreenSizeSet(1);
    // The code when the 1st, 2nd, ... creation of the kind fails.
    const struct {
        FaultKind kind;
        std::vector<int> codes;
    } expectations[] = {
        {FaultKind::BackBuffer, {-2}},
        {FaultKind::RenderTargetView, {-3}},
        {FaultKind::Texture, {-4}},
        {FaultKind::DepthStencilView, {-5}},
        // In compilation order: the vertex, geometry, then pixel shaders.
        {FaultKind::Compile,
         {-6, -8, -10, -38, -12, -59, -46, -62, -50, -65, -53, -68, -40, -42, -72, -74, -76, -15, -17, -19, -19}},
        {FaultKind::VertexShader, {-7, -9, -11, -39, -13, -60, -47, -63, -51, -66, -54, -69}},
        {FaultKind::InputLayout, {-14, -61, -48, -64, -52, -67, -55, -70}},
        {FaultKind::GeometryShader, {-41, -43, -73, -75, -77}},
        {FaultKind::PixelShader, {-16, -18, -20, -45}},
        // b0 to b7, b11, b8, b9, b10 in creation order
        {FaultKind::Buffer, {-23, -24, -25, -26, -27, -28, -29, -44, -71, -49, -56, -57}},
        {FaultKind::Sampler, {-30}},
        {FaultKind::DepthStencilState, {-31, -31}},  // less, then its less-or-equal twin
        {FaultKind::BlendState, {-32, -33, -34, -35}},
        {FaultKind::RasterizerState, {-58}},
    };
    for (const auto& e : expectations) {
        for (uint32_t n = 1; n <= e.codes.size(); ++n) {
            backend.failNext(e.kind, n);
            ::testing::internal::CaptureStderr();  // compile failures print their message
            EXPECT_EQ(InitDevice(nullptr), e.codes[n - 1]) << "kind " << int(e.kind) << ", creation " << n;
            ::testing::internal::GetCapturedStderr();
            CleanupDevice();
            EXPECT_EQ(device::currentDevice(), nullptr);
        }
    }
    // The software driver stands in for a missing hardware one; with neither, -1.
    backend.failNext(FaultKind::Device, 1);
    EXPECT_EQ(InitDevice(nullptr), 0xB000);
    EXPECT_EQ(backend.driversTried,
              (std::vector<gpu::DriverType>{gpu::DriverType::Hardware, gpu::DriverType::Software}));
    backend.reset();
    backend.plan->failAlways(FaultKind::Device);
    EXPECT_EQ(InitDevice(nullptr), -1);
    CleanupDevice();
}

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
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(640u, 480u));
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
}

}  // namespace
}  // namespace korvel::testing
