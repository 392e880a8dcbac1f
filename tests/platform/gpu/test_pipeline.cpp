// Input layouts and vertex buffers, the constant-buffer ring, resource
// creation and updates, and object lifetimes, through the GL backend.
#include <cstring>

#include "gpu_test_support.h"

namespace korvel::gpu::test {
namespace {

// Vertex input by semantic: position, an integer selecting the colour, and a
// colour index 1 whose blue channel passes through.
const char* const kLayoutShaders = R"(
struct VSIn { float2 pos : POSITION; int pick : PICK; float4 extra : COLOR1; };
struct PSIn { float4 pos : SV_POSITION; float4 color : COLOR0; };
PSIn VSPick(VSIn i) {
    PSIn o;
    o.pos = float4(i.pos, 0.5, 1);
    o.color = i.pick == 1 ? float4(0, 1, i.extra.b, 1) : float4(1, 0, i.extra.b, 1);
    return o;
}
float4 PSPick(PSIn i) : SV_Target { return i.color; }
)";

TEST_F(GpuTest, InputLayoutsMatchBySemanticAndReadTheirSlot) {
    auto code = compile(kLayoutShaders, "VSPick", "vs_4_0");
    ASSERT_TRUE(code);
    const InputElement elements[] = {{"position", 0, Format::R32G32_Float, 2, 0},  // case does not matter
                                     {"PICK", 0, Format::R32_SInt, 2, 8},
                                     {"COLOR", 1, Format::R32G32B32A32_Float, 2, 12},
                                     {"NORMAL", 0, Format::R32G32B32_Float, 2, 28}};  // unread: ignored
    const InputElement wrongIndex[] = {elements[0], elements[1], {"COLOR", 0, Format::R32G32B32A32_Float, 2, 12}};
    EXPECT_FALSE(device->createInputLayout(elements, 2, *code)) << "COLOR1 is missing";
    EXPECT_FALSE(device->createInputLayout(wrongIndex, 3, *code));
    auto layout = device->createInputLayout(elements, 4, *code);
    auto vs = device->createVertexShader(*code);
    auto ps = pixelShader(kLayoutShaders, "PSPick");
    ASSERT_TRUE(layout && vs && ps);

    struct Vertex {
        float x, y;
        int32_t pick;
        float extra[4];
    };
    // Left half red (pick 0); right half green with blue 1 (pick 1).
    const Vertex vertices[] = {{-1, 1, 0, {}},          {0, 1, 0, {}},           {-1, -1, 0, {}},
                               {0, 1, 1, {0, 0, 1, 0}}, {1, 1, 1, {0, 0, 1, 0}}, {1, -1, 1, {0, 0, 1, 0}}};
    auto vb = device->createBuffer(BufferDesc{sizeof vertices, Usage::Immutable, BindVertexBuffer, false}, vertices);
    const uint16_t indices[] = {3, 4, 5, 0, 1, 2};
    auto ib = device->createBuffer(BufferDesc{sizeof indices, Usage::Immutable, BindIndexBuffer, false}, indices);
    ASSERT_TRUE(vb && ib);
    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->iaSetInputLayout(layout.get());
    context->iaSetVertexBuffer(0, ib.get(), 4, 0);  // a slot the layout does not read
    context->iaSetVertexBuffer(2, vb.get(), sizeof(Vertex), 0);
    context->iaSetIndexBuffer(ib.get(), Format::R16_UInt, 0);
    context->iaSetPrimitiveTopology(Topology::TriangleList);
    context->drawIndexed(3, 3, 0);  // the left triangle
    EXPECT_EQ(pixelAt(read(), kSize - 4, 4), kBlack);
    context->drawIndexed(3, 0, 0);  // the right one
    const Image image = read();
    EXPECT_EQ(pixelAt(image, 4, 4), kRed);
    EXPECT_EQ(pixelAt(image, kSize - 4, 4), (Rgba{0, 255, 255, 255}));
}

TEST_F(GpuTest, EachDrawSeesTheConstantsWrittenBeforeIt) {
    // Four quads from one buffer, updated between draws (the last twice).
    clear({0, 0, 0, 1});
    const std::array<float, 4> colors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}};
    const float wholeBlack[12] = {-1, 1, 1, -1, 0, 0, 0, 1, 0.5f};
    for (int i = 0; i < 4; ++i) {
        if (i == 3) context->updateSubresource(*quadCb, wholeBlack, sizeof wholeBlack);  // no draw sees it
        quad({-1 + i * 0.5f, 1, -0.5f + i * 0.5f, -1}, colors[i]);
    }
    Image image = read();
    EXPECT_EQ(pixelAt(image, 4, 32), kRed);
    EXPECT_EQ(pixelAt(image, 20, 32), kGreen);
    EXPECT_EQ(pixelAt(image, 36, 32), kBlue);
    EXPECT_EQ(pixelAt(image, 52, 32), (Rgba{255, 255, 255, 255}));
}

TEST_F(GpuTest, ConstantsSurviveTheRingWrappingAround) {
    // A buffer set once keeps its contents while another's updates cycle
    // through the whole 4 MiB ring several times.
    const float red[12] = {-1, 1, 0, -1, 1, 0, 0, 1, 0.5f};
    auto steady = constantBuffer(48, red);
    auto big = constantBuffer(64 * 1024);
    ASSERT_TRUE(steady && big);
    std::vector<uint8_t> filler(64 * 1024, 0);
    context->setConstantBuffer(ShaderStage::Vertex, 3, steady.get());
    context->setConstantBuffer(ShaderStage::Pixel, 5, big.get());
    for (int i = 0; i < 200; ++i) {
        filler[0] = static_cast<uint8_t>(i);
        context->updateSubresource(*big, filler.data(), filler.size());
        clear({0, 0, 0, 1});
        context->draw(4, 0);
        if (i % 50 == 49) {
            EXPECT_EQ(pixelAt(read(), 8, 32), kRed) << "after " << i + 1 << " updates";
        }
    }
}

TEST_F(GpuTest, CreationRefusesWhatDirect3DRefuses) {
    EXPECT_FALSE(device->createBuffer(BufferDesc{0, Usage::Default, BindVertexBuffer, false}, nullptr));
    EXPECT_FALSE(device->createBuffer(BufferDesc{20, Usage::Default, BindConstantBuffer, false}, nullptr));
    EXPECT_FALSE(device->createBuffer(BufferDesc{16, Usage::Immutable, BindVertexBuffer, false}, nullptr));
    Texture2DDesc desc;
    desc.width = desc.height = 8;
    desc.bindFlags = BindShaderResource;
    const auto refused = [&](auto change) {
        Texture2DDesc changed = desc;
        change(changed);
        return device->createTexture2D(changed, nullptr) == nullptr;
    };
    EXPECT_TRUE(refused([](Texture2DDesc& d) { d.mipLevels = 5; })) << "an 8x8 chain has 4 levels";
    EXPECT_TRUE(refused([](Texture2DDesc& d) { d.format = Format::R32_Float; }));
    EXPECT_TRUE(refused([&](Texture2DDesc& d) { d.width = device->maxTextureSize() + 1; }));
    EXPECT_TRUE(refused([](Texture2DDesc& d) { d.height = 0; }));
    EXPECT_GE(device->maxTextureSize(), 4096u);
    auto texture = device->createTexture2D(desc, nullptr);
    ASSERT_TRUE(texture);
    EXPECT_FALSE(device->createRenderTargetView(*texture)) << "not bound as a render target";
    EXPECT_FALSE(device->createDepthStencilView(*texture));
}

TEST_F(GpuTest, MipChainsComeFromInitialData) {
    // 4x4 red, 2x2 green, 1x1 blue; a sampler held at level 2 gives blue.
    std::vector<uint32_t> level0(16, 0xFF0000FF), level1(4, 0xFF00FF00), level2(1, 0xFFFF0000);
    const SubresourceData levels[] = {{level0.data(), 16}, {level1.data(), 8}, {level2.data(), 4}};
    Texture2DDesc desc;
    desc.width = desc.height = 4;
    desc.mipLevels = 3;
    desc.usage = Usage::Immutable;
    desc.bindFlags = BindShaderResource;
    auto chain = device->createTexture2D(desc, levels);
    ASSERT_TRUE(chain);
    auto view = device->createShaderResourceView(*chain);
    auto lowest = device->createSamplerState(
        SamplerDesc{Filter::MinMagMipPoint, AddressMode::Wrap, AddressMode::Wrap, AddressMode::Wrap, 0, 2, 2});
    auto texturedPs = pixelShader(kShaders, "PSTexture");
    context->psSetShader(texturedPs.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    context->setSampler(ShaderStage::Pixel, 0, lowest.get());
    clear({0, 0, 0, 1});
    quad({-1, 1, 1, -1}, {});
    EXPECT_EQ(pixelAt(read(), 32, 32), kBlue);
}

TEST_F(GpuTest, ObjectsMayBeDestroyedWhileBoundAndOutliveTheirDevice) {
    // Destroy bound objects, create new ones (GL hands the names out again)
    // and bind them to the same slots: the draws use the new objects.
    for (int round = 0; round < 3; ++round) {
        const bool green = round == 1;
        const float constants[12] = {-1, 1, 1, -1, 0, 1, 0, 1, 0.5f};
        auto cb = constantBuffer(48, constants);
        auto texture = rgbaTexture(1, 1, {green ? 0xFF00FF00u : 0xFFFF0000u});
        auto view = device->createShaderResourceView(*texture);
        auto ps = pixelShader(kShaders, green ? "PSColor" : "PSTexture");
        auto sampler = device->createSamplerState(SamplerDesc{});
        context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
        context->setShaderResource(ShaderStage::Pixel, 0, view.get());
        context->setSampler(ShaderStage::Pixel, 0, sampler.get());
        context->psSetShader(ps.get());
        clear({0, 0, 0, 1});
        context->draw(4, 0);
        EXPECT_EQ(pixelAt(read(), 32, 32), green ? kGreen : kBlue) << "round " << round;
    }
    // Still bound: the texture before its view, device and context before everything.
    auto texture = rgbaTexture(1, 1, {0xFFFFFFFF});
    auto view = device->createShaderResourceView(*texture);
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    bundle.swapChain->present();
    texture.reset();
    bundle = {};
    target = {};
    view.reset();
    quadCb.reset();
    quadVs.reset();
}

}  // namespace
}  // namespace korvel::gpu::test
