// Every failure code of InitDevice and CreateTextureforRTandSRV, reached by
// failing one creation call of the real backend; CleanupDevice after each.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/current.h"
#include "device/fault_backend.h"

namespace korvel::testing {
namespace {

struct Fault {
    Op op;
    int occurrence;
    int code;
};

int initWith(FaultBackend& backend, Fault fault) {
    backend.plan.op = fault.op;
    backend.plan.occurrence = fault.occurrence;
    backend.plan.resetCounts();
    ::testing::internal::CaptureStderr();  // compile failures print their message
    const int code = InitDevice(nullptr);
    ::testing::internal::GetCapturedStderr();
    return code;
}

TEST(InitDeviceFaults, EachCreationStepReturnsItsCode) {
    FaultBackend backend;
    ScreenSizeSet(1);
    const Fault faults[] = {
        {Op::BackBuffer, 0, -2},        {Op::RenderTargetView, 0, -3}, {Op::Texture2D, 0, -4},
        {Op::DepthStencilView, 0, -5},  {Op::Sampler, 0, -30},         {Op::DepthStencilState, 0, -31},
        {Op::BlendState, 0, -32},       {Op::BlendState, 1, -33},      {Op::BlendState, 2, -34},
        {Op::BlendState, 3, -35},       {Op::RasterizerState, 0, -58},
    };
    for (const Fault& fault : faults) {
        EXPECT_EQ(initWith(backend, fault), fault.code) << "op " << static_cast<int>(fault.op);
        CleanupDevice();
        EXPECT_EQ(device::currentDevice(), nullptr);
    }
    // Constant buffers in creation order b0..b7, b11, b8, b9, b10.
    const int bufferCodes[] = {-23, -24, -25, -26, -27, -28, -29, -44, -71, -49, -56, -57};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(initWith(backend, {Op::Buffer, i, 0}), bufferCodes[i]) << "buffer " << i;
        CleanupDevice();
    }
}

TEST(InitDeviceFaults, ShaderCompileCreateAndLayoutCodes) {
    FaultBackend backend;
    const int compileCodes[] = {-6,  -8,  -10, -38, -12, -59, -46, -62, -50, -65, -53,
                                -68, -40, -42, -72, -74, -76, -15, -17, -19, -19};
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(initWith(backend, {Op::Compile, i, 0}), compileCodes[i]) << "entry " << i;
        CleanupDevice();
    }
    const int vertexCodes[] = {-7, -9, -11, -39, -13, -60, -47, -63, -51, -66, -54, -69};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(initWith(backend, {Op::VertexShader, i, 0}), vertexCodes[i]) << "vertex shader " << i;
        CleanupDevice();
    }
    const int geometryCodes[] = {-41, -43, -73, -75, -77};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(initWith(backend, {Op::GeometryShader, i, 0}), geometryCodes[i]) << "geometry shader " << i;
        CleanupDevice();
    }
    const int pixelCodes[] = {-16, -18, -20, -45};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(initWith(backend, {Op::PixelShader, i, 0}), pixelCodes[i]) << "pixel shader " << i;
        CleanupDevice();
    }
    const int layoutCodes[] = {-14, -61, -48, -64, -52, -67, -55, -70};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(initWith(backend, {Op::InputLayout, i, 0}), layoutCodes[i]) << "layout " << i;
        CleanupDevice();
    }
}

TEST(InitDeviceFaults, DriverFallbackCompileOrderAndLayouts) {
    FaultBackend backend;
    backend.plan.driversTried.clear();
    EXPECT_EQ(initWith(backend, {Op::CreateDevice, 0, 0}), 0xB000);  // hardware fails, software works
    EXPECT_EQ(backend.plan.driversTried,
              (std::vector<gpu::DriverType>{gpu::DriverType::Hardware, gpu::DriverType::Software}));

    const std::vector<std::string> order = {
        "VSsprite vs_4_0",     "VSpoint vs_4_0",      "VSline vs_4_0",       "VSparticle vs_4_0",
        "VSshade0 vs_4_0",     "VSshade0ph vs_4_0",   "VSshade1 vs_4_0",     "VSshade1ph vs_4_0",
        "VSshade0ba vs_4_0",   "VSshade0baph vs_4_0", "VSshade1ba vs_4_0",   "VSshade1baph vs_4_0",
        "GS_PARTICLE gs_4_0",  "GSshade0 gs_4_0",     "GSparticlehair gs_4_0", "GStoolpoint gs_4_0",
        "GStoolline gs_4_0",   "PS ps_4_0",           "PSpoint ps_4_0",      "PSddsalpha ps_4_0",
        "PSshade0 ps_4_0"};
    EXPECT_EQ(backend.plan.compiledEntries, order);
    // Each layout pair against both of its vertex shaders, on its own slot.
    ASSERT_EQ(backend.plan.layouts.size(), 8u);
    const size_t counts[] = {3, 3, 4, 4, 7, 7, 8, 8};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(backend.plan.layouts[i].elementCount, counts[i]);
        EXPECT_EQ(backend.plan.layouts[i].inputSlot, i / 2);
        EXPECT_TRUE(backend.plan.layouts[i].madeWithLatestVertexShaderCode);
    }
    CleanupDevice();

    backend.plan.failAll = true;
    EXPECT_EQ(initWith(backend, {Op::CreateDevice, 0, 0}), -1);
    CleanupDevice();
    backend.plan.failAll = false;
}

TEST(RenderTargetFaults, EachStepReturnsItsCodeAndKeepsTheSize) {
    FaultBackend backend;
    const Fault faults[] = {{Op::Texture2D, 0, -1},
                            {Op::RenderTargetView, 0, -2},
                            {Op::ShaderResourceView, 0, -3},
                            {Op::Texture2D, 1, -4},
                            {Op::DepthStencilView, 0, -5}};
    for (const Fault& fault : faults) {
        ASSERT_EQ(initWith(backend, {Op::Count, 0, 0}), 0xB000);
        backend.plan.op = fault.op;
        backend.plan.occurrence = fault.occurrence;
        backend.plan.resetCounts();
        EXPECT_EQ(CreateTextureforRTandSRV(64, 32), fault.code);
        // Clearing and selecting a half-made target must not crash.
        SetViewportsandRenderTargets(101);
        ClearColorZ(255, 0, 0, 1.0);
        SetViewportsandRenderTargets(0);
        CleanupDevice();
        CleanupDevice();
    }
    ASSERT_EQ(initWith(backend, {Op::Count, 0, 0}), 0xB000);
    EXPECT_EQ(CreateTextureforRTandSRV(0, 32), -1);
    EXPECT_EQ(CreateTextureforRTandSRV(64, 32), 101);
    SetViewportsandRenderTargets(101);
    EXPECT_EQ(CreateTextureforRTandSRV(32, 16), 101);  // the bound target stays alive
    ClearColorZ(255, 0, 0, 1.0);
    SetViewportsandRenderTargets(0);
    CleanupDevice();
}

}  // namespace
}  // namespace korvel::testing
