// The recording and fault-injecting wrappers and the backend factory.
#include <cstring>

#include "gpu_test_support.h"
#include "platform/gpu/backend.h"
#include "platform/gpu/fault_injection.h"
#include "platform/gpu/recording.h"

namespace korvel::gpu::test {
namespace {

// Restores the default backend after each test.
class FactoryTest : public ::testing::Test {
protected:
    void TearDown() override { setBackendFactory(nullptr); }
    static SwapChainDesc headless() { return SwapChainDesc{32, 32, nullptr}; }
};

TEST_F(FactoryTest, RecordingLogsBindingsUploadsAndDraws) {
    auto log = std::make_shared<CallLog>();
    setBackendFactory(recordingFactory(currentBackendFactory(), log));
    auto bundle = createDevice(DriverType::Software, headless());
    ASSERT_TRUE(bundle);
    Device& device = *bundle->device;
    Context& context = *bundle->context;

    std::string errors;
    auto code = device.compileShader(kShaders, "test.hlsl", "VSQuad", "vs_4_0", errors);
    ASSERT_TRUE(code) << errors;
    auto vs = device.createVertexShader(*code);
    auto cb = device.createBuffer(BufferDesc{sizeof(QuadConstants), Usage::Default, BindConstantBuffer, false}, nullptr);
    BufferDesc dynamicDesc{16, Usage::Dynamic, BindConstantBuffer, true};
    auto dynamic = device.createBuffer(dynamicDesc, nullptr);
    context.vsSetShader(vs.get());
    context.setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    context.setConstantBuffer(ShaderStage::Geometry, 6, dynamic.get());
    for (float depth : {0.25f, 0.75f}) {
        QuadConstants constants{{-1, 1, 1, -1}, {1, 0, 0, 1}, depth, {}};
        context.updateSubresource(*cb, &constants, sizeof constants);
        context.draw(4, 0);
    }
    MappedSubresource mapped;
    ASSERT_TRUE(context.mapDiscard(*dynamic, mapped));
    std::memset(mapped.data, 7, 16);
    context.unmap(*dynamic);
    bundle->swapChain->present();

    ASSERT_EQ(log->count(Call::Draw), 2u);
    EXPECT_EQ(log->last(Call::CompileShader)->name, "VSQuad vs_4_0");
    EXPECT_EQ(log->last(Call::CreateVertexShader)->object, vs.get());
    EXPECT_EQ(log->last(Call::CreateVertexShader)->object2, code.get());
    for (size_t draw = 0; draw < 2; ++draw) {
        size_t at = log->indexOf(Call::Draw, draw);
        EXPECT_EQ(log->constantBufferAt(ShaderStage::Vertex, 3, at), cb.get());
        EXPECT_EQ(log->constantBufferAt(ShaderStage::Pixel, 3, at), nullptr);
        std::vector<uint8_t> bytes = log->bufferContentsAt(cb.get(), at);
        ASSERT_EQ(bytes.size(), sizeof(QuadConstants));
        QuadConstants seen;
        std::memcpy(&seen, bytes.data(), sizeof seen);
        EXPECT_EQ(seen.depth, draw == 0 ? 0.25f : 0.75f);
    }
    std::vector<uint8_t> written = log->bufferContentsAt(dynamic.get(), log->records.size());
    EXPECT_EQ(written, std::vector<uint8_t>(16, 7));
    EXPECT_EQ(log->records.back().call, Call::Present);
    EXPECT_STREQ(callName(Call::DrawIndexedInstanced), "DrawIndexedInstanced");
}

TEST_F(FactoryTest, RecordedTextureUploadsCopyOnlyTheRectangle) {
    auto log = std::make_shared<CallLog>();
    auto bundle = createDevice(DriverType::Software, headless());
    ASSERT_TRUE(bundle);
    DeviceBundle recorded = recordCalls(std::move(*bundle), log);
    Texture2DDesc desc;
    desc.width = desc.height = 8;
    desc.bindFlags = BindShaderResource;
    auto texture = recorded.device->createTexture2D(desc, nullptr);
    ASSERT_TRUE(texture);
    // Two rows of 2 pixels, 32 bytes apart: the data ends 8 bytes into the second row.
    std::vector<uint8_t> pixels(40, 9);
    recorded.context->updateTexture(*texture, 1, 1, 2, 2, pixels.data(), 32);
    const Record* upload = log->last(Call::UpdateTexture);
    ASSERT_TRUE(upload);
    EXPECT_EQ(upload->bytes.size(), 40u);
    EXPECT_EQ(upload->args, (std::array<int64_t, 5>{1, 1, 2, 2, 32}));
}

TEST_F(FactoryTest, FaultsHitTheChosenAttemptOfEachKind) {
    auto plan = std::make_shared<FaultPlan>();
    plan->failNth(FaultKind::Device, 1);
    plan->failNth(FaultKind::Buffer, 2);
    plan->failNth(FaultKind::Compile, 1);
    plan->failAlways(FaultKind::BlendState);
    plan->failNth(FaultKind::BackBuffer, 1);
    setBackendFactory(faultInjectingFactory(currentBackendFactory(), plan));

    EXPECT_FALSE(createDevice(DriverType::Hardware, headless()));
    auto bundle = createDevice(DriverType::Software, headless());
    ASSERT_TRUE(bundle);
    EXPECT_EQ(plan->attempts(FaultKind::Device), 2u);
    Device& device = *bundle->device;
    BufferDesc desc{16, Usage::Default, BindConstantBuffer, false};
    EXPECT_TRUE(device.createBuffer(desc, nullptr));
    EXPECT_FALSE(device.createBuffer(desc, nullptr));
    EXPECT_TRUE(device.createBuffer(desc, nullptr));

    std::string errors;
    EXPECT_FALSE(device.compileShader(kShaders, "test.hlsl", "PSColor", "ps_4_0", errors));
    EXPECT_NE(errors.find("PSColor"), std::string::npos);
    auto code = device.compileShader(kShaders, "test.hlsl", "PSColor", "ps_4_0", errors);
    ASSERT_TRUE(code);
    EXPECT_TRUE(device.createPixelShader(*code));
    EXPECT_FALSE(device.createBlendState(BlendDesc{}));
    EXPECT_FALSE(device.createBlendState(BlendDesc{}));
    EXPECT_TRUE(device.createRasterizerState(RasterizerDesc{}));
    EXPECT_FALSE(bundle->swapChain->backBuffer());
    EXPECT_TRUE(bundle->swapChain->backBuffer());

    plan->reset();
    EXPECT_TRUE(device.createBlendState(BlendDesc{}));
    EXPECT_EQ(plan->attempts(FaultKind::BlendState), 1u);
}

TEST_F(FactoryTest, WrappersCompose) {
    auto log = std::make_shared<CallLog>();
    auto plan = std::make_shared<FaultPlan>();
    plan->failNth(FaultKind::Texture, 1);
    setBackendFactory(faultInjectingFactory(recordingFactory(currentBackendFactory(), log), plan));
    auto bundle = createDevice(DriverType::Software, headless());
    ASSERT_TRUE(bundle);
    Texture2DDesc desc;
    desc.width = desc.height = 4;
    desc.bindFlags = BindShaderResource;
    EXPECT_FALSE(bundle->device->createTexture2D(desc, nullptr));
    auto texture = bundle->device->createTexture2D(desc, nullptr);
    EXPECT_TRUE(texture);
    // The injected failure never reached the recorded backend.
    ASSERT_EQ(log->count(Call::CreateTexture2D), 1u);
    EXPECT_EQ(log->last(Call::CreateTexture2D)->object, texture.get());
}

TEST_F(FactoryTest, DefaultFactoryIsTheGlBackend) {
    setBackendFactory(nullptr);
    auto bundle = createDevice(DriverType::Software, headless());
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->featureLevel, 0xB000u);
    Texture2D* backBuffer = bundle->swapChain->backBuffer();
    ASSERT_TRUE(backBuffer);
    EXPECT_EQ(backBuffer->desc().width, 32u);
    EXPECT_EQ(backBuffer->desc().format, Format::R8G8B8A8_UNorm);
    EXPECT_TRUE(bundle->device->createRenderTargetView(*backBuffer));
    EXPECT_EQ(bundle->device->status(), DeviceStatus::Ok);
}

}  // namespace
}  // namespace korvel::gpu::test
