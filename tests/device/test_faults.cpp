// Every failure code of InitDevice and CreateTextureforRTandSRV, reached by
// failing one creation call of the real backend; CleanupDevice after each.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::FaultKind;

TEST(InitDeviceFaults, EveryCreationStepReturnsItsCode) {
    InjectedBackend backend;
    ScreenSizeSet(1);
    const struct {
        FaultKind kind;
        std::vector<int> codes;  // code when the 1st, 2nd, ... creation fails
    } expectations[] = {
        {FaultKind::BackBuffer, {-2}},
        {FaultKind::RenderTargetView, {-3}},
        {FaultKind::Texture, {-4}},
        {FaultKind::DepthStencilView, {-5}},
        // In compilation order: the vertex, geometry, then pixel shaders.
        {FaultKind::Compile, {-6, -8, -10, -38, -12, -59, -46, -62, -50, -65, -53,
                              -68, -40, -42, -72, -74, -76, -15, -17, -19, -19}},
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
    EXPECT_EQ(backend.driversTried, (std::vector<gpu::DriverType>{gpu::DriverType::Hardware, gpu::DriverType::Software}));
    backend.reset();
    backend.plan->failAlways(FaultKind::Device);
    EXPECT_EQ(InitDevice(nullptr), -1);
    CleanupDevice();
}

TEST(RenderTargetFaults, EachStepReturnsItsCodeAndHalfMadeTargetsAreSafe) {
    InjectedBackend backend;
    const struct {
        FaultKind kind;
        uint32_t n;
        int code;
    } cases[] = {{FaultKind::Texture, 1, -1},
                 {FaultKind::RenderTargetView, 1, -2},
                 {FaultKind::ShaderResourceView, 1, -3},
                 {FaultKind::Texture, 2, -4},
                 {FaultKind::DepthStencilView, 1, -5}};
    for (const auto& c : cases) {
        backend.reset();
        ASSERT_EQ(InitDevice(nullptr), 0xB000);
        backend.failNext(c.kind, c.n);
        EXPECT_EQ(CreateTextureforRTandSRV(64, 32), c.code);
        SetViewportsandRenderTargets(101);
        ClearColorZ(255, 0, 0, 1.0);
        RenderSprite(101, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
        SetViewportsandRenderTargets(0);
        CleanupDevice();
    }
}

}  // namespace
}  // namespace korvel::testing
