#include "gpu_test_support.h"

#include <cstdlib>
#include <ostream>

#include "platform/gpu/gl/gl_device.h"

namespace korvel::gpu::test {

const char* const kShaders = R"(
cbuffer Quad : register(b3) { float4 Rect; float4 QuadColor; float QuadDepth; };
Texture2D Tex : register(t0);
SamplerState Smp : register(s0);

struct PSIn { float4 pos : SV_POSITION; float2 uv : TEXCOORD0; float4 color : COLOR0; };

PSIn VSQuad(uint id : SV_VertexID) {
    float2 t = float2(id & 1, id >> 1);
    PSIn o;
    o.pos = float4(lerp(Rect.x, Rect.z, t.x), lerp(Rect.y, Rect.w, t.y), QuadDepth, 1);
    o.uv = t;
    o.color = QuadColor;
    return o;
}

float4 PSColor(PSIn i) : SV_Target { return i.color; }
float4 PSTexture(PSIn i) : SV_Target { return Tex.Sample(Smp, i.uv); }
)";

void GpuTest::SetUp() {
    auto created = gl::createOpenGLDevice(DriverType::Hardware, SwapChainDesc{kSize, kSize, nullptr});
    if (!created) created = gl::createOpenGLDevice(DriverType::Software, SwapChainDesc{kSize, kSize, nullptr});
    ASSERT_TRUE(created) << "no OpenGL 4.5 device";
    bundle = std::move(*created);
    device = bundle.device.get();
    context = bundle.context.get();
    target = makeTarget(kSize, kSize);
    bindTarget(target);
    quadVs = vertexShader(kShaders, "VSQuad");
    colorPs = pixelShader(kShaders, "PSColor");
    quadCb = constantBuffer(48);
    ASSERT_TRUE(quadVs && colorPs && quadCb);
    context->vsSetShader(quadVs.get());
    context->psSetShader(colorPs.get());
    context->setConstantBuffer(ShaderStage::Vertex, 3, quadCb.get());
    context->iaSetPrimitiveTopology(Topology::TriangleStrip);
}

std::unique_ptr<ShaderCode> GpuTest::compile(const std::string& source, const char* entry, const char* profile) {
    std::string errors;
    auto code = device->compileShader(source, "test.hlsl", entry, profile, errors);
    EXPECT_TRUE(code) << entry << ": " << errors;
    return code;
}

std::unique_ptr<VertexShader> GpuTest::vertexShader(const std::string& source, const char* entry) {
    auto code = compile(source, entry, "vs_4_0");
    return code ? device->createVertexShader(*code) : nullptr;
}

std::unique_ptr<PixelShader> GpuTest::pixelShader(const std::string& source, const char* entry) {
    auto code = compile(source, entry, "ps_4_0");
    return code ? device->createPixelShader(*code) : nullptr;
}

std::unique_ptr<Buffer> GpuTest::constantBuffer(uint32_t bytes, const void* data) {
    BufferDesc desc{bytes, Usage::Default, BindConstantBuffer, false};
    return device->createBuffer(desc, data);
}

std::unique_ptr<Texture2D> GpuTest::rgbaTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels) {
    Texture2DDesc desc;
    desc.width = width;
    desc.height = height;
    desc.bindFlags = BindShaderResource;
    SubresourceData data{texels.data(), width * 4};
    return device->createTexture2D(desc, &data);
}

Target GpuTest::makeTarget(uint32_t width, uint32_t height) {
    Target t;
    Texture2DDesc color;
    color.width = width;
    color.height = height;
    color.bindFlags = BindRenderTarget | BindShaderResource;
    t.color = device->createTexture2D(color, nullptr);
    Texture2DDesc depth = color;
    depth.format = Format::D24_UNorm_S8_UInt;
    depth.bindFlags = BindDepthStencil;
    t.depth = device->createTexture2D(depth, nullptr);
    if (t.color) t.rtv = device->createRenderTargetView(*t.color);
    if (t.depth) t.dsv = device->createDepthStencilView(*t.depth);
    EXPECT_TRUE(t.rtv && t.dsv);
    return t;
}

void GpuTest::bindTarget(Target& t) {
    context->omSetRenderTargets(t.rtv.get(), t.dsv.get());
    const auto& desc = t.color->desc();
    context->rsSetViewport(Viewport{0, 0, float(desc.width), float(desc.height), 0, 1});
}

void GpuTest::clear(const std::array<float, 4>& color, float depth) {
    context->clearRenderTargetView(*target.rtv, color.data());
    context->clearDepthStencilView(*target.dsv, depth);
}

void GpuTest::quad(const std::array<float, 4>& rect, const std::array<float, 4>& color, float depth) {
    const float constants[12] = {rect[0], rect[1], rect[2], rect[3], color[0], color[1], color[2], color[3], depth};
    context->updateSubresource(*quadCb, constants, sizeof constants);
    context->draw(4, 0);
}

Image GpuTest::read() {
    Image image;
    EXPECT_TRUE(context->readPixels(*target.rtv, image));
    return image;
}

}  // namespace korvel::gpu::test
