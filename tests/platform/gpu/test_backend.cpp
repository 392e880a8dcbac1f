// What the library's own draws do not show about the GL backend: stages and
// input layouts matched by semantic, the constant-buffer ring wrapping
// around, objects destroyed while bound (and after their device), the
// creations Direct3D refuses, clears that ignore every write mask, and
// clears of bound targets that wait for the next draw.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using namespace gpu;

// The vertex shader writes its outputs in one order, the pixel shader reads
// them in another and skips one, as Direct3D links stages by semantic.
const char* const kShaders = R"(
cbuffer Tint : register(b3) { float4 Tint; };
Texture2D Tex : register(t0);
SamplerState Smp : register(s0);
struct VSOut { float4 pos : SV_POSITION; float4 unused : TEXCOORD5; float4 tint : COLOR3; float4 base : TEXCOORD4; };
VSOut VSMain(float2 pos : POSITION, float4 extra : COLOR1) {
    VSOut o;
    o.pos = float4(pos, 0.5, 1);
    o.unused = float4(1, 1, 1, 1);
    o.tint = Tint;
    o.base = extra;
    return o;
}
struct PSIn { float4 pos : SV_POSITION; float4 base : TEXCOORD4; float4 tint : COLOR3; };
float4 PSMain(PSIn i) : SV_Target { return float4(i.base.r, i.tint.g, Tex.Sample(Smp, float2(0.5, 0.5)).b, 1); }
)";

std::unique_ptr<ShaderCode> compile(Device& device, const char* entry, const char* profile) {
    std::string errors;
    auto code = device.compileShader(kShaders, "test.hlsl", entry, profile, errors);
    EXPECT_TRUE(code) << errors;
    return code;
}

// Red from the vertex input COLOR1, green from b3, blue from the texture;
// the strip is drawn through 16-bit indices after two that would draw nothing.
// Each round binds new objects after the last round's were destroyed while
// bound (GL hands their names out again); the second round makes 100 other
// constant updates of 64 KiB between draws, more than one turn of the 4 MiB
// ring, so b3's contents must be pushed again. Then the creations Direct3D
// refuses, and objects still bound when the device goes.
TEST_F(DeviceTest, GpuBackendBindsTheDirect3DWay) {
    Device& device = *device::deviceState().bundle.device;
    Context& context = *device::deviceState().bundle.context;
    const auto vsCode = compile(device, "VSMain", "vs_4_0");
    ASSERT_TRUE(vsCode);
    const InputElement elements[] = {{"position", 0, Format::R32G32_Float, 2, 0},  // case does not matter
                                     {"COLOR", 1, Format::R32G32B32A32_Float, 2, 8},
                                     {"NORMAL", 0, Format::R32G32B32_Float, 2, 24}};  // unread: ignored
    const InputElement wrongIndex[] = {elements[0], {"COLOR", 0, Format::R32G32B32A32_Float, 2, 8}};
    EXPECT_FALSE(device.createInputLayout(elements, 1, *vsCode)) << "COLOR1 is missing";
    EXPECT_FALSE(device.createInputLayout(wrongIndex, 2, *vsCode));
    const auto layout = device.createInputLayout(elements, 3, *vsCode);
    const auto vs = device.createVertexShader(*vsCode);
    const float strip[4][9] = {{-1, 1, 1}, {1, 1, 1}, {-1, -1, 1}, {1, -1, 1}};
    const auto vertices = device.createBuffer({sizeof strip, Usage::Immutable, BindVertexBuffer, false}, strip);
    const uint16_t order[] = {0, 0, 0, 1, 2, 3};
    const auto indices = device.createBuffer({sizeof order, Usage::Immutable, BindIndexBuffer, false}, order);
    auto other = device.createBuffer({64 * 1024, Usage::Default, BindConstantBuffer, false}, nullptr);
    ASSERT_TRUE(layout && vs && vertices && indices && other);
    context.clearState();
    context.omSetRenderTargets(device::deviceState().backBufferRTV.get(), nullptr);
    context.rsSetViewport({0, 0, 8, 8, 0, 1});
    context.iaSetInputLayout(layout.get());
    context.iaSetVertexBuffer(2, vertices.get(), sizeof strip[0], 0);
    context.iaSetIndexBuffer(indices.get(), Format::R16_UInt, 4);
    context.iaSetPrimitiveTopology(Topology::TriangleStrip);
    context.vsSetShader(vs.get());
    context.setConstantBuffer(ShaderStage::Pixel, 5, other.get());
    std::vector<uint8_t> filler(64 * 1024);
    for (int round = 0; round < 2; ++round) {
        const float tint[4] = {0, round ? 0.0f : 1.0f, 0, 0};
        const uint32_t texel = round ? 0xFF000000u : 0xFFFF0000u;
        const SubresourceData data{&texel, 4};
        const auto constants = device.createBuffer({16, Usage::Default, BindConstantBuffer, false}, tint);
        const auto texture =
            device.createTexture2D({1, 1, 1, Format::R8G8B8A8_UNorm, Usage::Default, BindShaderResource, false}, &data);
        const auto view = texture ? device.createShaderResourceView(*texture) : nullptr;
        const auto sampler = device.createSamplerState({});
        const auto psCode = compile(device, "PSMain", "ps_4_0");
        const auto ps = psCode ? device.createPixelShader(*psCode) : nullptr;
        ASSERT_TRUE(constants && view && sampler && ps);
        context.setConstantBuffer(ShaderStage::Vertex, 3, constants.get());
        context.setShaderResource(ShaderStage::Pixel, 0, view.get());
        context.setSampler(ShaderStage::Pixel, 0, sampler.get());
        context.psSetShader(ps.get());
        for (int i = 0; i < (round ? 100 : 1); ++i) {
            filler[0] = static_cast<uint8_t>(i);
            context.updateSubresource(*other, filler.data(), filler.size());
            context.drawIndexed(4, 0, 0);
        }
        EXPECT_EQ(pixelAt(captureBackBuffer(), 4, 4), round ? (Rgba{255, 0, 0, 255}) : (Rgba{255, 255, 255, 255}));
    }

    EXPECT_FALSE(device.createBuffer({0, Usage::Default, BindVertexBuffer, false}, nullptr));
    EXPECT_FALSE(device.createBuffer({20, Usage::Default, BindConstantBuffer, false}, nullptr));
    EXPECT_FALSE(device.createBuffer({16, Usage::Immutable, BindVertexBuffer, false}, nullptr));
    const Texture2DDesc desc{8, 8, 1, Format::R8G8B8A8_UNorm, Usage::Default, BindShaderResource, false};
    const Texture2DDesc refused[] = {
        {8, 8, 5, desc.format, Usage::Default, BindShaderResource, false},  // 4 levels
        {8, 8, 1, Format::R32_Float, Usage::Default, BindShaderResource, false},
        {device.maxTextureSize() + 1, 8, 1, desc.format, Usage::Default, BindShaderResource, false},
        {8, 0, 1, desc.format, Usage::Default, BindShaderResource, false}};
    for (const Texture2DDesc& d : refused)
        EXPECT_FALSE(device.createTexture2D(d, nullptr)) << d.width << "x" << d.height;
    const auto texture = device.createTexture2D(desc, nullptr);
    ASSERT_TRUE(texture);
    EXPECT_FALSE(device.createRenderTargetView(*texture)) << "not bound as a render target";
    EXPECT_FALSE(device.createDepthStencilView(*texture));
    // Still bound when the device goes: the objects outlive it.
    CleanupDevice();
}

// A quad over the whole target at depth 0.5, blue.
const char* const kQuad = R"(
float4 VSQuad(uint id : SV_VertexID) : SV_POSITION { return float4((id & 1) ? 1.0 : -1.0, (id & 2) ? -1.0 : 1.0, 0.5, 1); }
float4 PSBlue() : SV_Target { return float4(0, 0, 1, 1); }
)";

// The quad's shaders, and states that turn its colour and depth writes off,
// bound with an 8 x 8 viewport.
struct QuadDraw {
    std::unique_ptr<VertexShader> vs;
    std::unique_ptr<PixelShader> ps;
    std::unique_ptr<BlendState> colourOff;
    std::unique_ptr<BlendState> colourOn;
    std::unique_ptr<DepthStencilState> depthWriteOff;

    explicit QuadDraw(Device& device) {
        std::string errors;
        const auto vsCode = device.compileShader(kQuad, "quad.hlsl", "VSQuad", "vs_4_0", errors);
        const auto psCode = device.compileShader(kQuad, "quad.hlsl", "PSBlue", "ps_4_0", errors);
        EXPECT_TRUE(vsCode && psCode) << errors;
        if (!vsCode || !psCode) return;
        vs = device.createVertexShader(*vsCode);
        ps = device.createPixelShader(*psCode);
        BlendDesc noColour;
        noColour.writeMask = 0;
        DepthStencilDesc noDepthWrite;
        noDepthWrite.depthWrite = false;
        colourOff = device.createBlendState(noColour);
        colourOn = device.createBlendState({});
        depthWriteOff = device.createDepthStencilState(noDepthWrite);
    }
    bool made() const { return vs && ps && colourOff && colourOn && depthWriteOff; }

    void bind(Context& context) const {
        context.clearState();
        context.rsSetViewport({0, 0, 8, 8, 0, 1});
        context.iaSetPrimitiveTopology(Topology::TriangleStrip);
        context.vsSetShader(vs.get());
        context.psSetShader(ps.get());
    }
    // A draw that writes nothing, leaving both write masks off.
    void drawNothing(Context& context) const {
        context.omSetBlendState(colourOff.get(), nullptr, 0xFFFFFFFF);
        context.omSetDepthStencilState(depthWriteOff.get(), 0);
        context.draw(4, 0);
    }
    void drawBlue(Context& context) const {
        context.omSetBlendState(colourOn.get(), nullptr, 0xFFFFFFFF);
        context.omSetDepthStencilState(nullptr, 0);
        context.draw(4, 0);
    }
};

const Texture2DDesc kColourDesc{8, 8, 1, Format::R8G8B8A8_UNorm, Usage::Default, BindRenderTarget, false};
const Texture2DDesc kDepthDesc{8, 8, 1, Format::D24_UNorm_S8_UInt, Usage::Default, BindDepthStencil, false};

Image readBack(Context& context, RenderTargetView& target) {
    Image image;
    EXPECT_TRUE(context.readPixels(target, image));
    return image;
}

// Clears reach the whole target whatever the colour write mask and the
// depth-write state, whether the target is bound or not; the quad then shows
// where the cleared depth lets it pass.
TEST_F(DeviceTest, ClearsIgnoreWriteMasksOnBoundAndUnboundTargets) {
    Device& device = *device::deviceState().bundle.device;
    Context& context = *device::deviceState().bundle.context;
    const QuadDraw quad(device);
    const auto colour = device.createTexture2D(kColourDesc, nullptr);
    const auto depth = device.createTexture2D(kDepthDesc, nullptr);
    ASSERT_TRUE(quad.made() && colour && depth);
    const auto colourView = device.createRenderTargetView(*colour);
    const auto depthView = device.createDepthStencilView(*depth);
    ASSERT_TRUE(colourView && depthView);
    RenderTargetView& backBuffer = *device::deviceState().backBufferRTV;
    DepthStencilView& screenDepth = *device::deviceState().depthStencilView;
    const float red[4] = {1, 0, 0, 1};
    const float green[4] = {0, 1, 0, 1};
    quad.bind(context);
    for (const bool screenBound : {true, false}) {
        SCOPED_TRACE(screenBound ? "screen targets bound" : "other targets bound");
        // Depth 0.25 keeps the quad out; then depth 1 lets it in.
        for (const float clearDepth : {0.25f, 1.0f}) {
            context.omSetRenderTargets(screenBound ? &backBuffer : colourView.get(),
                                       screenBound ? &screenDepth : depthView.get());
            quad.drawNothing(context);
            for (RenderTargetView* target : {&backBuffer, colourView.get()})
                context.clearRenderTargetView(*target, clearDepth < 1 ? red : green);
            for (DepthStencilView* target : {&screenDepth, depthView.get()})
                context.clearDepthStencilView(*target, clearDepth);
            // The bound targets' clears are done by the next draw, here with
            // both write masks off.
            quad.drawNothing(context);
            const Rgba expected = clearDepth < 1 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255};
            context.omSetRenderTargets(&backBuffer, &screenDepth);
            quad.drawBlue(context);
            EXPECT_EQ(pixelAt(readBack(context, backBuffer), 4, 4), expected);
            context.omSetRenderTargets(colourView.get(), depthView.get());
            quad.drawBlue(context);
            EXPECT_EQ(pixelAt(readBack(context, *colourView), 4, 4), expected);
            // Outside the quad, the clear colour.
            EXPECT_EQ(pixelAt(readBack(context, backBuffer), 20, 20),
                      clearDepth < 1 ? (Rgba{255, 0, 0, 255}) : (Rgba{0, 255, 0, 255}));
        }
    }
}

// A clear of a bound target waits for the next draw. The texels are those of
// a clear done at once, for every colour, and whatever sees the target first
// (an upload into it, a read, a change of targets) finds it cleared. A depth
// target smaller than the colour target would limit a framebuffer clear to
// its size, so the colour clear is done at once there.
TEST_F(DeviceTest, ClearsOfBoundTargetsWaitWithoutChangingATexel) {
    Device& device = *device::deviceState().bundle.device;
    Context& context = *device::deviceState().bundle.context;
    const QuadDraw quad(device);
    Texture2DDesc wideDesc = kColourDesc;
    wideDesc.width = wideDesc.height = 16;
    const auto bound = device.createTexture2D(kColourDesc, nullptr);
    const auto unbound = device.createTexture2D(kColourDesc, nullptr);
    const auto wide = device.createTexture2D(wideDesc, nullptr);
    const auto depth = device.createTexture2D(kDepthDesc, nullptr);
    ASSERT_TRUE(quad.made() && bound && unbound && wide && depth);
    const auto boundView = device.createRenderTargetView(*bound);
    const auto unboundView = device.createRenderTargetView(*unbound);
    const auto wideView = device.createRenderTargetView(*wide);
    const auto depthView = device.createDepthStencilView(*depth);
    ASSERT_TRUE(boundView && unboundView && wideView && depthView);
    quad.bind(context);
    context.omSetRenderTargets(boundView.get(), depthView.get());

    // Channels at whole and half steps of 1 / 255 and beyond both ends.
    for (int k = -2; k <= 257; ++k) {
        const float c[4] = {k / 255.0f, (k + 0.5f) / 255.0f, 1.0f - k / 255.0f, k / 510.0f};
        context.clearRenderTargetView(*boundView, c);
        context.clearRenderTargetView(*unboundView, c);
        quad.drawNothing(context);
        ASSERT_EQ(readBack(context, *boundView).rgba, readBack(context, *unboundView).rgba) << "k = " << k;
    }

    const float red[4] = {1, 0, 0, 1};
    const float green[4] = {0, 1, 0, 1};
    const uint32_t white = 0xFFFFFFFFu;
    context.clearRenderTargetView(*boundView, red);
    context.updateTexture(*bound, 2, 2, 1, 1, &white, 4);
    quad.drawNothing(context);
    Image image = readBack(context, *boundView);
    EXPECT_EQ(pixelAt(image, 2, 2), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(image, 3, 3), (Rgba{255, 0, 0, 255}));
    context.clearRenderTargetView(*boundView, green);
    EXPECT_EQ(pixelAt(readBack(context, *boundView), 3, 3), (Rgba{0, 255, 0, 255}));
    context.clearRenderTargetView(*boundView, red);
    context.omSetRenderTargets(unboundView.get(), depthView.get());
    EXPECT_EQ(pixelAt(readBack(context, *boundView), 3, 3), (Rgba{255, 0, 0, 255}));

    context.clearRenderTargetView(*wideView, green);
    context.omSetRenderTargets(wideView.get(), depthView.get());
    context.clearRenderTargetView(*wideView, red);
    quad.drawNothing(context);
    EXPECT_EQ(pixelAt(readBack(context, *wideView), 12, 12), (Rgba{255, 0, 0, 255}));
}

}  // namespace
}  // namespace korvel::testing
