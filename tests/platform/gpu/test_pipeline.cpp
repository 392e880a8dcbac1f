// Input layouts, geometry shaders, instancing, dynamic resources and the
// constant-buffer ring, through the GL backend.
#include <cstring>

#include "gpu_test_support.h"
#include "platform/gpu/gl/gl_device.h"

namespace korvel::gpu::test {
namespace {

const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kBlack{0, 0, 0, 255};

// Vertex input by semantic: position, an integer selecting the colour, and a
// per-vertex colour index 1 that the layout may or may not provide.
const char* const kLayoutShaders = R"(
struct VSIn { float2 pos : POSITION; int pick : PICK; float4 extra : COLOR1; };
struct PSIn { float4 pos : SV_POSITION; float4 color : COLOR0; };
PSIn VSPick(VSIn i) {
    PSIn o;
    o.pos = float4(i.pos, 0.5, 1);
    o.color = i.pick == 1 ? float4(0, 1, 0, 1) : float4(1, 0, 0, 1);
    o.color.b = i.extra.b;
    return o;
}
float4 PSPick(PSIn i) : SV_Target { return i.color; }
)";

class PipelineTest : public GpuTest {};

TEST_F(PipelineTest, InputLayoutsMatchShaderInputsBySemantic) {
    auto code = compile(kLayoutShaders, "VSPick", "vs_4_0");
    ASSERT_TRUE(code);
    const InputElement full[] = {{"position", 0, Format::R32G32_Float, 2, 0},  // case does not matter
                                 {"PICK", 0, Format::R32_SInt, 2, 8},
                                 {"COLOR", 1, Format::R32G32B32A32_Float, 2, 12},
                                 {"NORMAL", 0, Format::R32G32B32_Float, 2, 28}};  // unused: ignored
    EXPECT_TRUE(device->createInputLayout(full, 4, *code));
    EXPECT_FALSE(device->createInputLayout(full, 2, *code)) << "COLOR1 is missing";
    const InputElement wrongIndex[] = {full[0], full[1], {"COLOR", 0, Format::R32G32B32A32_Float, 2, 12}};
    EXPECT_FALSE(device->createInputLayout(wrongIndex, 3, *code));
    const InputElement unsupportedFormat[] = {full[0], {"PICK", 0, Format::BC1_UNorm, 2, 8}, full[2]};
    EXPECT_FALSE(device->createInputLayout(unsupportedFormat, 3, *code));
    auto pixelCode = compile(kLayoutShaders, "PSPick", "ps_4_0");
    ASSERT_TRUE(pixelCode);
    EXPECT_FALSE(device->createInputLayout(full, 4, *pixelCode)) << "needs vertex shader code";
}

TEST_F(PipelineTest, VertexBuffersFeedTheLayoutsInputSlot) {
    auto code = compile(kLayoutShaders, "VSPick", "vs_4_0");
    auto vs = device->createVertexShader(*code);
    auto ps = pixelShader(kLayoutShaders, "PSPick");
    // The layout reads slot 2; slot 0 holds a buffer the draw must ignore.
    const InputElement elements[] = {{"POSITION", 0, Format::R32G32_Float, 2, 0},
                                     {"PICK", 0, Format::R32_SInt, 2, 8},
                                     {"COLOR", 1, Format::R32G32B32A32_Float, 2, 12}};
    auto layout = device->createInputLayout(elements, 3, *code);
    ASSERT_TRUE(vs && ps && layout);
    struct Vertex {
        float x, y;
        int32_t pick;
        float extra[4];
    };
    // Two clockwise triangles: left half red (pick 0), right half green (pick 1) with blue 1.
    const Vertex vertices[] = {{-1, 1, 0, {}},  {0, 1, 0, {}},  {-1, -1, 0, {}},
                               {0, 1, 1, {0, 0, 1, 0}}, {1, 1, 1, {0, 0, 1, 0}}, {1, -1, 1, {0, 0, 1, 0}}};
    auto vb = device->createBuffer(BufferDesc{sizeof vertices, Usage::Immutable, BindVertexBuffer, false}, vertices);
    const uint16_t indices[] = {3, 4, 5, 0, 1, 2};
    auto ib = device->createBuffer(BufferDesc{sizeof indices, Usage::Immutable, BindIndexBuffer, false}, indices);
    ASSERT_TRUE(vb && ib);

    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->iaSetInputLayout(layout.get());
    context->iaSetVertexBuffer(0, ib.get(), 4, 0);
    context->iaSetVertexBuffer(2, vb.get(), sizeof(Vertex), 0);
    context->iaSetIndexBuffer(ib.get(), Format::R16_UInt, 0);
    context->iaSetPrimitiveTopology(Topology::TriangleList);
    context->drawIndexed(3, 3, 0);  // the left triangle only
    Image image = read();
    EXPECT_EQ(pixel(image, 4, 8), kRed);
    EXPECT_EQ(pixel(image, kSize - 4, 8), kBlack);
    context->drawIndexed(3, 0, 0);
    image = read();
    EXPECT_EQ(pixel(image, kSize - 4, 8), (Rgba{0, 255, 255, 255}));
    // A base vertex shifts every index: indices 0..2 now read vertices 3..5.
    clear({0, 0, 0, 1});
    context->drawIndexed(3, 3, 3);
    EXPECT_EQ(pixel(read(), kSize - 4, 8), (Rgba{0, 255, 255, 255}));
}

const char* const kExpandShaders = R"(
cbuffer Point : register(b6) { float4 Center; float4 Size; };
struct VSOut { float4 pos : SV_POSITION; float4 color : COLOR; };
VSOut VSPoint(uint id : SV_VertexID, uint instance : SV_InstanceID) {
    VSOut o;
    o.pos = Center + float4(instance * 0.5, 0, 0, 0);
    o.color = float4(1, id == 0 ? 1 : 0, 0, 1);
    return o;
}
[maxvertexcount(4)]
void GSQuad(point VSOut p[1], inout TriangleStream<VSOut> quad) {
    const float2 corners[4] = { float2(-1, 1), float2(1, 1), float2(-1, -1), float2(1, -1) };
    for (int i = 0; i < 4; ++i) {
        VSOut v = p[0];
        v.pos.xy += corners[i] * Size.xy;
        quad.Append(v);
    }
    quad.RestartStrip();
}
float4 PSPoint(VSOut i) : SV_Target { return i.color; }
)";

TEST_F(PipelineTest, GeometryShaderExpandsAPointIntoAQuad) {
    auto vs = vertexShader(kExpandShaders, "VSPoint");
    auto gs = geometryShader(kExpandShaders, "GSQuad");
    auto ps = pixelShader(kExpandShaders, "PSPoint");
    const float constants[8] = {-0.5f, 0.5f, 0.5f, 1, 0.25f, 0.25f, 0, 0};
    auto cb = constantBuffer(sizeof constants, constants);
    ASSERT_TRUE(vs && gs && ps && cb);
    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->gsSetShader(gs.get());
    context->psSetShader(ps.get());
    context->setConstantBuffer(ShaderStage::Vertex, 6, cb.get());
    context->setConstantBuffer(ShaderStage::Geometry, 6, cb.get());  // each stage has its own slots
    context->iaSetPrimitiveTopology(Topology::PointList);
    context->draw(1, 0);
    Image image = read();
    // Centre (-0.5, 0.5) is pixel (16, 16); the quad is 0.25 clip units = 8 pixels each way.
    EXPECT_EQ(pixel(image, 16, 16), (Rgba{255, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 10, 21), (Rgba{255, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 26, 16), kBlack);
    EXPECT_EQ(pixel(image, 48, 48), kBlack);

    // Without the geometry shader the same draw is a single point.
    context->gsSetShader(nullptr);
    clear({0, 0, 0, 1});
    context->draw(1, 0);
    image = read();
    EXPECT_EQ(pixel(image, 10, 21), kBlack);
}

const char* const kStreamShaders = R"(
struct VSOut { float4 pos : SV_POSITION; float4 color : COLOR; };
VSOut VSOrigin() {
    VSOut o;
    o.pos = float4(0, 0, 0.5, 1);
    o.color = float4(0, 1, 0, 1);
    return o;
}
// A horizontal line through the middle of the target.
[maxvertexcount(2)]
void GSLine(point VSOut p[1], inout LineStream<VSOut> strip) {
    VSOut v = p[0];
    v.pos.x = -1;
    strip.Append(v);
    v.pos.x = 1;
    strip.Append(v);
}
// Two points, a quarter of the target left and right of the centre.
[maxvertexcount(2)]
void GSPoints(point VSOut p[1], inout PointStream<VSOut> points) {
    VSOut v = p[0];
    v.pos.x = -0.5;
    points.Append(v);
    v.pos.x = 0.5;
    points.Append(v);
}
float4 PSStream(VSOut i) : SV_Target { return i.color; }
)";

TEST_F(PipelineTest, GeometryShadersEmitLinesAndPoints) {
    auto vs = vertexShader(kStreamShaders, "VSOrigin");
    auto lines = geometryShader(kStreamShaders, "GSLine");
    auto points = geometryShader(kStreamShaders, "GSPoints");
    auto ps = pixelShader(kStreamShaders, "PSStream");
    ASSERT_TRUE(vs && lines && points && ps);
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->iaSetPrimitiveTopology(Topology::PointList);

    clear({0, 0, 0, 1});
    context->gsSetShader(lines.get());
    context->draw(1, 0);
    Image image = read();
    int lit = 0;
    for (uint32_t x = 0; x < kSize; ++x) lit += pixel(image, x, kSize / 2) == kGreen || pixel(image, x, kSize / 2 - 1) == kGreen;
    EXPECT_GE(lit, int(kSize) - 2);
    EXPECT_EQ(pixel(image, 5, 5), kBlack);

    clear({0, 0, 0, 1});
    context->gsSetShader(points.get());
    context->draw(1, 0);
    image = read();
    auto litNear = [&](uint32_t cx, uint32_t cy) {
        for (uint32_t y = cy - 1; y <= cy; ++y)
            for (uint32_t x = cx - 1; x <= cx; ++x)
                if (pixel(image, x, y) == kGreen) return true;
        return false;
    };
    EXPECT_TRUE(litNear(16, 32));
    EXPECT_TRUE(litNear(48, 32));
    EXPECT_FALSE(litNear(32, 32));
}

TEST_F(PipelineTest, InstanceIdCountsFromZeroWhateverTheStartInstance) {
    auto vs = vertexShader(kExpandShaders, "VSPoint");
    auto gs = geometryShader(kExpandShaders, "GSQuad");
    auto ps = pixelShader(kExpandShaders, "PSPoint");
    const float constants[8] = {-0.5f, 0, 0.5f, 1, 0.1f, 0.1f, 0, 0};
    auto cb = constantBuffer(sizeof constants, constants);
    const uint32_t indices[] = {0};
    auto ib = device->createBuffer(BufferDesc{sizeof indices, Usage::Immutable, BindIndexBuffer, false}, indices);
    ASSERT_TRUE(vs && gs && ps && cb && ib);
    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->gsSetShader(gs.get());
    context->psSetShader(ps.get());
    context->setConstantBuffer(ShaderStage::Vertex, 6, cb.get());
    context->setConstantBuffer(ShaderStage::Geometry, 6, cb.get());
    context->iaSetIndexBuffer(ib.get(), Format::R32_UInt, 0);
    context->iaSetPrimitiveTopology(Topology::PointList);
    context->drawIndexedInstanced(1, 2, 0, 0, 5);
    Image image = read();
    // Instances 0 and 1 at clip x -0.5 and 0: pixels 16 and 32.
    EXPECT_EQ(pixel(image, 16, 32), (Rgba{255, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 32, 32), (Rgba{255, 255, 0, 255}));
    EXPECT_EQ(pixel(image, 48, 32), kBlack);
}

class QuadTest : public GpuTest {
protected:
    void SetUp() override {
        GpuTest::SetUp();
        if (HasFatalFailure()) return;
        vs = vertexShader(kShaders, "VSQuad");
        ps = pixelShader(kShaders, "PSColor");
        ASSERT_TRUE(vs && ps);
        context->vsSetShader(vs.get());
        context->psSetShader(ps.get());
        context->iaSetPrimitiveTopology(Topology::TriangleStrip);
    }
    static QuadConstants quadAt(float left, float right, std::array<float, 4> color) {
        return QuadConstants{{left, 1, right, -1}, {color[0], color[1], color[2], color[3]}, 0.5f, {}};
    }
    std::unique_ptr<VertexShader> vs;
    std::unique_ptr<PixelShader> ps;
};

TEST_F(QuadTest, EachDrawSeesTheConstantsUpdatedBeforeIt) {
    auto cb = constantBuffer(sizeof(QuadConstants));
    context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    clear({0, 0, 0, 1});
    const std::array<float, 4> colors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        QuadConstants constants = quadAt(-1 + i * 0.5f, -0.5f + i * 0.5f, colors[i]);
        context->updateSubresource(*cb, &constants, sizeof constants);
        QuadConstants overwritten = quadAt(-1, 1, {0, 0, 0, 1});  // replaced before any draw sees it
        if (i == 3) context->updateSubresource(*cb, &overwritten, sizeof overwritten);
        if (i == 3) context->updateSubresource(*cb, &constants, sizeof constants);
        context->draw(4, 0);
    }
    Image image = read();
    EXPECT_EQ(pixel(image, 4, 32), kRed);
    EXPECT_EQ(pixel(image, 20, 32), kGreen);
    EXPECT_EQ(pixel(image, 36, 32), kBlue);
    EXPECT_EQ(pixel(image, 52, 32), (Rgba{255, 255, 255, 255}));
}

TEST_F(QuadTest, ConstantsSurviveTheRingWrappingAround) {
    // A buffer set once keeps its contents while another buffer's updates
    // cycle through the whole ring several times.
    QuadConstants red = quadAt(-1, 0, {1, 0, 0, 1});
    auto steady = constantBuffer(sizeof red, &red);
    auto big = constantBuffer(64 * 1024);
    ASSERT_TRUE(steady && big);
    std::vector<uint8_t> filler(64 * 1024, 0);
    context->setConstantBuffer(ShaderStage::Vertex, 3, steady.get());
    context->setConstantBuffer(ShaderStage::Pixel, 5, big.get());
    for (int i = 0; i < 200; ++i) {  // 200 x 64 KiB: more than three turns of a 4 MiB ring
        filler[0] = static_cast<uint8_t>(i);
        context->updateSubresource(*big, filler.data(), filler.size());
        clear({0, 0, 0, 1});
        context->draw(4, 0);
        if (i % 50 == 49) {
            EXPECT_EQ(pixel(read(), 8, 32), kRed) << "after " << i + 1 << " updates";
        }
    }
}

TEST_F(QuadTest, DynamicConstantBuffersAreWrittenThroughMaps) {
    BufferDesc desc{sizeof(QuadConstants), Usage::Dynamic, BindConstantBuffer, true};
    auto cb = device->createBuffer(desc, nullptr);
    ASSERT_TRUE(cb);
    context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    clear({0, 0, 0, 1});
    for (int i = 0; i < 2; ++i) {
        MappedSubresource mapped;
        ASSERT_TRUE(context->mapDiscard(*cb, mapped));
        QuadConstants constants = quadAt(i == 0 ? -1.f : 0.f, i == 0 ? 0.f : 1.f, {0, i == 0 ? 1.f : 0.f, 1, 1});
        std::memcpy(mapped.data, &constants, sizeof constants);
        context->unmap(*cb);
        context->draw(4, 0);
    }
    Image image = read();
    EXPECT_EQ(pixel(image, 8, 32), (Rgba{0, 255, 255, 255}));
    EXPECT_EQ(pixel(image, 56, 32), kBlue);
    MappedSubresource mapped;
    auto fixed = constantBuffer(sizeof(QuadConstants));
    EXPECT_FALSE(context->mapDiscard(*fixed, mapped)) << "only dynamic buffers map";
}

TEST_F(QuadTest, ConstantBufferSlotsAreSeparatePerStage) {
    QuadConstants red = quadAt(-1, 1, {1, 0, 0, 1});
    QuadConstants nothing = quadAt(0, 0, {0, 0, 0, 0});
    auto forVertex = constantBuffer(sizeof red, &red);
    auto forPixel = constantBuffer(sizeof nothing, &nothing);
    context->setConstantBuffer(ShaderStage::Vertex, 3, forVertex.get());
    context->setConstantBuffer(ShaderStage::Pixel, 3, forPixel.get());  // must not replace the vertex binding
    clear({0, 0, 0, 1});
    context->draw(4, 0);
    EXPECT_EQ(pixel(read(), 32, 32), kRed);
}

TEST_F(QuadTest, RedundantStateChangesIssueNoGlCalls) {
    QuadConstants red = quadAt(-1, 1, {1, 0, 0, 1});
    auto cb = constantBuffer(sizeof red, &red);
    auto texture = rgbaTexture(1, 1, {0xFFFFFFFF});
    auto view = device->createShaderResourceView(*texture);
    auto sampler = device->createSamplerState(SamplerDesc{});
    auto blend = device->createBlendState(BlendDesc{});
    auto wire = device->createRasterizerState(RasterizerDesc{FillMode::Wireframe});
    auto setAll = [&] {
        context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
        context->setShaderResource(ShaderStage::Pixel, 0, view.get());
        context->setSampler(ShaderStage::Pixel, 0, sampler.get());
        context->omSetBlendState(blend.get(), nullptr, 0xFFFFFFFF);
        context->omSetDepthStencilState(nullptr, 0);
        context->rsSetState(wire.get());
        context->rsSetViewport(Viewport{0, 0, float(kSize), float(kSize), 0, 1});
        bindTarget(target);
        context->vsSetShader(vs.get());
        context->psSetShader(ps.get());
    };
    setAll();
    context->draw(4, 0);
    const uint64_t before = gl::stateChangeCount(*context);
    setAll();
    context->draw(4, 0);
    context->draw(4, 0);
    EXPECT_EQ(gl::stateChangeCount(*context), before);

    // A real change costs calls; returning to a cached shader pair reuses its pipeline.
    context->rsSetState(nullptr);
    EXPECT_GT(gl::stateChangeCount(*context), before);
    context->updateSubresource(*cb, &red, sizeof red);
    const uint64_t beforeDraw = gl::stateChangeCount(*context);
    context->draw(4, 0);
    EXPECT_EQ(gl::stateChangeCount(*context), beforeDraw + 1) << "only the new constant range is bound";
}

TEST_F(QuadTest, ObjectsMayBeDestroyedWhileBoundAndNamesReused) {
    // Destroy bound objects, create new ones (GL hands the names out again)
    // and bind them to the same slots: the draws must use the new objects.
    for (int round = 0; round < 3; ++round) {
        const std::array<float, 4> color = round == 1 ? std::array<float, 4>{0, 1, 0, 1} : std::array<float, 4>{0, 0, 1, 1};
        QuadConstants constants = quadAt(-1, 1, color);
        auto cb = constantBuffer(sizeof constants, &constants);
        auto texture = rgbaTexture(1, 1, {round == 1 ? 0xFF00FF00u : 0xFFFF0000u});
        auto view = device->createShaderResourceView(*texture);
        auto textured = pixelShader(kShaders, round == 1 ? "PSColor" : "PSTexture");
        auto sampler = device->createSamplerState(SamplerDesc{});
        context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
        context->setShaderResource(ShaderStage::Pixel, 0, view.get());
        context->setSampler(ShaderStage::Pixel, 0, sampler.get());
        context->psSetShader(textured.get());
        clear({0, 0, 0, 1});
        context->draw(4, 0);
        EXPECT_EQ(pixel(read(), 32, 32), round == 1 ? kGreen : kBlue) << "round " << round;
    }
}

TEST_F(QuadTest, TexturesUpdateInPlaceAndThroughMaps) {
    auto textured = pixelShader(kShaders, "PSTexture");
    auto point = device->createSamplerState(SamplerDesc{Filter::MinMagMipPoint, AddressMode::Clamp,
                                                        AddressMode::Clamp, AddressMode::Clamp, 0, 0, 100});
    Texture2DDesc desc;
    desc.width = desc.height = 4;
    desc.bindFlags = BindShaderResource;
    auto texture = device->createTexture2D(desc, nullptr);
    desc.usage = Usage::Dynamic;
    desc.cpuWrite = true;
    desc.format = Format::B8G8R8A8_UNorm;
    auto dynamic = device->createTexture2D(desc, nullptr);
    ASSERT_TRUE(textured && texture && dynamic);
    auto view = device->createShaderResourceView(*texture);
    auto dynamicView = device->createShaderResourceView(*dynamic);
    QuadConstants whole = quadAt(-1, 1, {0, 0, 0, 0});
    auto cb = constantBuffer(sizeof whole, &whole);
    context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    context->psSetShader(textured.get());
    context->setSampler(ShaderStage::Pixel, 0, point.get());
    clear({0, 0, 0, 1});

    // A 2x1 rectangle at (2, 3) from rows 8 bytes apart in a 12-byte pitch.
    const uint32_t texels[] = {0xFF0000FF, 0xFF00FF00, 0, 0, 0, 0};
    context->updateTexture(*texture, 0, 0, 4, 4, std::vector<uint32_t>(16, 0xFF000000).data(), 16);
    context->updateTexture(*texture, 2, 3, 2, 1, texels, 12);
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    context->draw(4, 0);
    Image image = read();
    EXPECT_EQ(pixel(image, 40, 60), kRed);
    EXPECT_EQ(pixel(image, 56, 60), kGreen);
    EXPECT_EQ(pixel(image, 40, 40), kBlack);

    // BGRA: bytes blue, green, red, alpha.
    MappedSubresource mapped;
    ASSERT_TRUE(context->mapDiscard(*dynamic, mapped));
    EXPECT_EQ(mapped.rowPitch, 16u);
    for (uint32_t i = 0; i < 16; ++i) std::memcpy(static_cast<uint8_t*>(mapped.data) + i * 4, "\xFF\x00\x00\xFF", 4);
    context->unmap(*dynamic);
    context->setShaderResource(ShaderStage::Pixel, 0, dynamicView.get());
    clear({0, 0, 0, 1});
    context->draw(4, 0);
    EXPECT_EQ(pixel(read(), 32, 32), kBlue);
}

TEST_F(GpuTest, DescriptionsDirect3DRejectsAreRejected) {
    EXPECT_FALSE(device->createBuffer(BufferDesc{0, Usage::Default, BindVertexBuffer, false}, nullptr));
    EXPECT_FALSE(device->createBuffer(BufferDesc{20, Usage::Default, BindConstantBuffer, false}, nullptr));
    EXPECT_FALSE(device->createBuffer(BufferDesc{16, Usage::Default, BindConstantBuffer | BindVertexBuffer, false},
                                      nullptr));
    EXPECT_FALSE(device->createBuffer(BufferDesc{16, Usage::Immutable, BindVertexBuffer, false}, nullptr));
    Texture2DDesc desc;
    desc.width = desc.height = 8;
    desc.bindFlags = BindShaderResource;
    desc.mipLevels = 5;  // an 8x8 chain has 4 levels
    EXPECT_FALSE(device->createTexture2D(desc, nullptr));
    desc.mipLevels = 1;
    desc.format = Format::R32_Float;
    EXPECT_FALSE(device->createTexture2D(desc, nullptr));
    desc.format = Format::R8G8B8A8_UNorm;
    auto texture = device->createTexture2D(desc, nullptr);
    ASSERT_TRUE(texture);
    EXPECT_FALSE(device->createRenderTargetView(*texture)) << "not bound as a render target";
    EXPECT_FALSE(device->createDepthStencilView(*texture));
    EXPECT_TRUE(device->createShaderResourceView(*texture));
}

TEST_F(GpuTest, FullMipChainsComeFromInitialData) {
    // 4x4 red, 2x2 green, 1x1 blue; sampling the smallest level gives blue.
    std::vector<uint32_t> level0(16, 0xFF0000FF), level1(4, 0xFF00FF00), level2(1, 0xFFFF0000);
    SubresourceData levels[] = {{level0.data(), 16}, {level1.data(), 8}, {level2.data(), 4}};
    Texture2DDesc desc;
    desc.width = desc.height = 4;
    desc.mipLevels = 0;  // the whole chain
    desc.usage = Usage::Immutable;
    desc.bindFlags = BindShaderResource;
    auto texture = device->createTexture2D(desc, levels);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->desc().mipLevels, 3u);
    auto view = device->createShaderResourceView(*texture);
    auto lowest = device->createSamplerState(SamplerDesc{Filter::MinMagMipPoint, AddressMode::Wrap, AddressMode::Wrap,
                                                         AddressMode::Wrap, 0, 2, 2});
    auto vs = vertexShader(kShaders, "VSQuad");
    auto ps = pixelShader(kShaders, "PSTexture");
    QuadConstants whole{{-1, 1, 1, -1}, {}, 0.5f, {}};
    auto cb = constantBuffer(sizeof whole, &whole);
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    context->setSampler(ShaderStage::Pixel, 0, lowest.get());
    context->iaSetPrimitiveTopology(Topology::TriangleStrip);
    clear({0, 0, 0, 1});
    context->draw(4, 0);
    EXPECT_EQ(pixel(read(), 32, 32), kBlue);
}

TEST_F(GpuTest, BlockCompressedTexturesSample) {
    // One BC1 block: colour 0 pure red (RGB565 0xF800), every texel index 0.
    const uint8_t block[8] = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0};
    SubresourceData data{block, 8};
    Texture2DDesc desc;
    desc.width = desc.height = 4;
    desc.format = Format::BC1_UNorm;
    desc.usage = Usage::Immutable;
    desc.bindFlags = BindShaderResource;
    auto texture = device->createTexture2D(desc, &data);
    if (!texture) GTEST_SKIP() << "the driver has no S3TC support";
    auto view = device->createShaderResourceView(*texture);
    auto vs = vertexShader(kShaders, "VSQuad");
    auto ps = pixelShader(kShaders, "PSTexture");
    QuadConstants whole{{-1, 1, 1, -1}, {}, 0.5f, {}};
    auto cb = constantBuffer(sizeof whole, &whole);
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->setConstantBuffer(ShaderStage::Vertex, 3, cb.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    context->iaSetPrimitiveTopology(Topology::TriangleStrip);
    clear({0, 0, 0, 1});
    context->draw(4, 0);
    EXPECT_EQ(pixel(read(), 32, 32), kRed);
}

TEST_F(GpuTest, ObjectsOutliveTheirDeviceAndContext) {
    auto vs = vertexShader(kShaders, "VSQuad");
    auto code = compile(kShaders, "VSMesh", "vs_4_0");
    auto cb = constantBuffer(16);
    auto texture = rgbaTexture(1, 1, {0xFFFFFFFF});
    auto view = device->createShaderResourceView(*texture);
    context->vsSetShader(vs.get());
    context->setConstantBuffer(ShaderStage::Vertex, 0, cb.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    EXPECT_EQ(device->status(), DeviceStatus::Ok);
    bundle.swapChain->present();
    // The texture goes before its view, the device and context before everything.
    texture.reset();
    bundle.context.reset();
    bundle.device.reset();
    bundle.swapChain.reset();
    target = {};
    view.reset();
    cb.reset();
    code.reset();
    vs.reset();
    SUCCEED();
}

TEST(GpuDevices, SeveralDevicesLiveSideBySide) {
    auto first = gl::createOpenGLDevice(DriverType::Software, SwapChainDesc{8, 8, nullptr});
    auto second = gl::createOpenGLDevice(DriverType::Software, SwapChainDesc{16, 16, nullptr});
    ASSERT_TRUE(first && second);
    auto firstView = first->device->createRenderTargetView(*first->swapChain->backBuffer());
    auto secondView = second->device->createRenderTargetView(*second->swapChain->backBuffer());
    const float red[4] = {1, 0, 0, 1}, green[4] = {0, 1, 0, 1};
    first->context->clearRenderTargetView(*firstView, red);
    second->context->clearRenderTargetView(*secondView, green);
    Image a, b;
    ASSERT_TRUE(first->context->readPixels(*firstView, a));
    ASSERT_TRUE(second->context->readPixels(*secondView, b));
    EXPECT_EQ(a.width, 8u);
    EXPECT_EQ(pixel(a, 7, 7), kRed);
    EXPECT_EQ(b.width, 16u);
    EXPECT_EQ(pixel(b, 15, 15), kGreen);
    EXPECT_FALSE(gl::createOpenGLDevice(DriverType::Hardware, SwapChainDesc{0, 16, nullptr}));
}

}  // namespace
}  // namespace korvel::gpu::test
