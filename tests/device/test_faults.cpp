// Every failure code of InitDevice and CreateTextureforRTandSRV, reached by
// failing one creation call of the real backend; CleanupDevice after each.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/current.h"
#include "device/injected_backend.h"

namespace korvel::testing {
namespace {

using gpu::FaultKind;

// Fails the n-th (from 1) creation of a kind during InitDevice; returns the
// code. Compile failures print their message, which is swallowed here.
int initFailing(InjectedBackend& backend, FaultKind kind, uint32_t n) {
    backend.failNext(kind, n);
    ::testing::internal::CaptureStderr();
    const int code = InitDevice(nullptr);
    ::testing::internal::GetCapturedStderr();
    return code;
}

struct Expectation {
    FaultKind kind;
    std::vector<int> codes;  // code when the 1st, 2nd, ... creation fails
};

TEST(InitDeviceFaults, EveryCreationStepReturnsItsCode) {
    InjectedBackend backend;
    ScreenSizeSet(1);
    const Expectation expectations[] = {
        {FaultKind::BackBuffer, {-2}},
        {FaultKind::RenderTargetView, {-3}},
        {FaultKind::Texture, {-4}},
        {FaultKind::DepthStencilView, {-5}},
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
    for (const Expectation& e : expectations) {
        for (uint32_t n = 1; n <= e.codes.size(); ++n) {
            EXPECT_EQ(initFailing(backend, e.kind, n), e.codes[n - 1])
                << "kind " << static_cast<int>(e.kind) << ", creation " << n;
            CleanupDevice();
            EXPECT_EQ(device::currentDevice(), nullptr);
        }
    }
    backend.reset();
    backend.plan->failAlways(FaultKind::Device);
    EXPECT_EQ(InitDevice(nullptr), -1);
    EXPECT_EQ(backend.driversTried.size(), 2u);
    CleanupDevice();
}

TEST(InitDeviceFaults, SoftwareFallbackCompileOrderAndLayoutPairs) {
    InjectedBackend backend;
    EXPECT_EQ(initFailing(backend, FaultKind::Device, 1), 0xB000);
    EXPECT_EQ(backend.driversTried,
              (std::vector<gpu::DriverType>{gpu::DriverType::Hardware, gpu::DriverType::Software}));

    std::vector<std::string> compiled;
    for (const gpu::Record* r : backend.log->all(gpu::Call::CompileShader)) compiled.push_back(r->name);
    const std::vector<std::string> order = {
        "VSsprite vs_4_0",   "VSpoint vs_4_0",      "VSline vs_4_0",         "VSparticle vs_4_0",
        "VSshade0 vs_4_0",   "VSshade0ph vs_4_0",   "VSshade1 vs_4_0",       "VSshade1ph vs_4_0",
        "VSshade0ba vs_4_0", "VSshade0baph vs_4_0", "VSshade1ba vs_4_0",     "VSshade1baph vs_4_0",
        "GS_PARTICLE gs_4_0", "GSshade0 gs_4_0",    "GSparticlehair gs_4_0", "GStoolpoint gs_4_0",
        "GStoolline gs_4_0", "PS ps_4_0",           "PSpoint ps_4_0",        "PSddsalpha ps_4_0",
        "PSshade0 ps_4_0"};
    EXPECT_EQ(compiled, order);

    // Each layout is made against the code of the vertex shader created just
    // before it, so both shaders of a pair get their own layout object.
    const std::vector<const gpu::Record*> layouts = backend.log->all(gpu::Call::CreateInputLayout);
    const std::vector<const gpu::Record*> shaders = backend.log->all(gpu::Call::CreateVertexShader);
    ASSERT_EQ(layouts.size(), 8u);
    ASSERT_EQ(shaders.size(), 12u);
    const int64_t elementCounts[] = {3, 3, 4, 4, 7, 7, 8, 8};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(layouts[i]->args[0], elementCounts[i]) << i;
        EXPECT_EQ(layouts[i]->object2, shaders[4 + i]->object2) << i;
        EXPECT_NE(layouts[i]->object, nullptr);
    }
    CleanupDevice();
}

TEST(RenderTargetFaults, EachStepReturnsItsCodeAndHalfMadeTargetsAreSafe) {
    InjectedBackend backend;
    struct Case {
        FaultKind kind;
        uint32_t n;
        int code;
    };
    for (const Case c : {Case{FaultKind::Texture, 1, -1}, Case{FaultKind::RenderTargetView, 1, -2},
                         Case{FaultKind::ShaderResourceView, 1, -3}, Case{FaultKind::Texture, 2, -4},
                         Case{FaultKind::DepthStencilView, 1, -5}}) {
        backend.reset();
        ASSERT_EQ(InitDevice(nullptr), 0xB000);
        backend.failNext(c.kind, c.n);
        EXPECT_EQ(CreateTextureforRTandSRV(64, 32), c.code);
        SetViewportsandRenderTargets(101);
        ClearColorZ(255, 0, 0, 1.0);
        RenderSprite(101, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
        SetViewportsandRenderTargets(0);
        CleanupDevice();
        CleanupDevice();
    }

    backend.reset();
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    EXPECT_EQ(CreateTextureforRTandSRV(0, 32), -1);
    const int limit = static_cast<int>(device::currentDevice()->maxTextureSize());
    EXPECT_EQ(CreateTextureforRTandSRV(limit + 1, 32), -1);
    EXPECT_EQ(CreateTextureforRTandSRV(100000, 100000), -1);
    EXPECT_EQ(CreateTextureforRTandSRV(64, 32), 101);
    SetViewportsandRenderTargets(101);
    // A second target while the first is bound: the first stays alive.
    EXPECT_EQ(CreateTextureforRTandSRV(32, 16), 101);
    ClearColorZ(255, 0, 0, 1.0);
    SetViewportsandRenderTargets(0);
    CleanupDevice();
}

}  // namespace
}  // namespace korvel::testing
