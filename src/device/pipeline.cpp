// InitDevice steps 7 and 12: constant buffers and state objects; the
// release of every pipeline object; the draw states and their binding; the
// world matrix; and the blend-mode rule.
#include "device/pipeline.h"

#include "device/lifecycle.h"
#include "math/matrix.h"
#include "platform/module_state.h"

namespace korvel::device {
namespace {

constexpr uint32_t kSampleMask = 0xFFFFFFFFu;

using gpu::Blend;
using gpu::BlendOp;

struct ConstantBufferEntry {
    ConstantBufferRegister reg;
    bool dynamic;  // written with write-discard maps instead of updateSubresource
    int code;
};

// In creation order.
constexpr ConstantBufferEntry kConstantBuffers[] = {
    {CbView, false, -23},        {CbProjection, false, -24},  {CbWorld, false, -25},
    {CbSprite, false, -26},      {CbPoint, false, -27},       {CbLine, false, -28},
    {CbParticle, false, -29},    {CbMaterial, false, -44},    {CbParticleHair, false, -71},
    {CbJointPalette, true, -49}, {CbShapekeyFlag, true, -56}, {CbShapekeyOffsets, true, -57},
};

gpu::BlendDesc blendDesc(Blend src, Blend dest, BlendOp op, Blend srcAlpha, Blend destAlpha, BlendOp opAlpha) {
    gpu::BlendDesc desc;
    desc.blendEnable = true;
    desc.srcBlend = src;
    desc.destBlend = dest;
    desc.blendOp = op;
    desc.srcBlendAlpha = srcAlpha;
    desc.destBlendAlpha = destAlpha;
    desc.blendOpAlpha = opAlpha;
    desc.writeMask = 0x0F;
    return desc;
}

using gpu::Topology;

// The shaders and layouts of one vertex group: the lit triangles, and the
// pass-through ("ph") twin the overlays and particle hair draw with. The
// groups without normals are shaded flat by "GSshade0".
struct GroupShaders {
    VertexShaderId triangleShader;
    InputLayoutId triangleLayout;
    VertexShaderId overlayShader;
    InputLayoutId overlayLayout;
    bool flatShading;
};

constexpr GroupShaders kGroupShaders[kVertexGroupCount] = {
    {VsShade0, Layout0, VsShade0ph, Layout0ph, true},
    {VsShade1, Layout1, VsShade1ph, Layout1ph, false},
    {VsShade0ba, Layout0ba, VsShade0baph, Layout0baph, true},
    {VsShade1ba, Layout1ba, VsShade1baph, Layout1baph, false},
};

constexpr DrawState kSprite{.layout = kNoInputLayout,
                            .topology = Topology::TriangleStrip,
                            .vertexShader = VsSprite,
                            .geometryShader = kNoGeometryShader,
                            .pixelShader = kPixelShaderByBlend,
                            .depth = DepthTest::Less,
                            .wireframe = false,
                            .sampler = SamplerStage::Pixel};
constexpr DrawState kSpriteBatch{.layout = kNoInputLayout,
                                 .topology = Topology::TriangleStrip,
                                 .vertexShader = VsSpriteBatch,
                                 .geometryShader = kNoGeometryShader,
                                 .pixelShader = kPixelShaderByBlend,
                                 .depth = DepthTest::Less,
                                 .wireframe = false,
                                 .sampler = SamplerStage::Pixel};
constexpr DrawState kPoint{.layout = kNoInputLayout,
                           .topology = Topology::PointList,
                           .vertexShader = VsPoint,
                           .geometryShader = kNoGeometryShader,
                           .pixelShader = PsPoint,
                           .depth = DepthTest::Less,
                           .wireframe = false,
                           .sampler = SamplerStage::Keep};
constexpr DrawState kLine{.layout = kNoInputLayout,
                          .topology = Topology::LineList,
                          .vertexShader = VsLine,
                          .geometryShader = kNoGeometryShader,
                          .pixelShader = PsPoint,
                          .depth = DepthTest::Less,
                          .wireframe = true,
                          .sampler = SamplerStage::Keep};
constexpr DrawState kParticle{.layout = kNoInputLayout,
                              .topology = Topology::PointList,
                              .vertexShader = VsParticle,
                              .geometryShader = GsParticle,
                              .pixelShader = kPixelShaderByBlend,
                              .depth = DepthTest::Less,
                              .wireframe = false,
                              .sampler = SamplerStage::Pixel};

// The model presets of one group: the lit triangles (again with less-or-equal
// depth for selected faces), or the pass-through shader with the hair or a
// tool overlay's geometry shader.
constexpr DrawState modelState(DrawPreset preset, const GroupShaders& g) {
    const GeometryShaderId shading = g.flatShading ? GsShade0 : kNoGeometryShader;
    const DrawState triangles{.layout = g.triangleLayout,
                              .topology = Topology::TriangleList,
                              .vertexShader = g.triangleShader,
                              .geometryShader = shading,
                              .pixelShader = PsShade0,
                              .depth = DepthTest::Default,
                              .wireframe = false,
                              .sampler = SamplerStage::Pixel};
    DrawState overlay{.layout = g.overlayLayout,
                      .topology = Topology::TriangleList,
                      .vertexShader = g.overlayShader,
                      .geometryShader = GsToolLine,
                      .pixelShader = PsPoint,
                      .depth = DepthTest::Less,
                      .wireframe = true,
                      .sampler = SamplerStage::Keep};
    switch (preset) {
        case DrawPreset::SelectedFaces: {
            DrawState selected = triangles;
            selected.depth = DepthTest::LessEqual;
            return selected;
        }
        case DrawPreset::Hair:
            overlay.geometryShader = GsParticleHair;
            overlay.depth = DepthTest::Default;
            overlay.sampler = SamplerStage::Geometry;
            return overlay;
        case DrawPreset::ToolEdges:
            return overlay;
        case DrawPreset::ToolMarkers:
            overlay.topology = Topology::PointList;
            overlay.geometryShader = GsToolPoint;
            overlay.wireframe = false;
            return overlay;
        default:
            return triangles;
    }
}

constexpr size_t kModelPresetCount = 5;  // Triangles to ToolMarkers

// Every model preset of every group, built at compile time.
constexpr auto kModelStates = [] {
    std::array<std::array<DrawState, kVertexGroupCount>, kModelPresetCount> states{};
    for (size_t p = 0; p < kModelPresetCount; ++p)
        for (size_t g = 0; g < kVertexGroupCount; ++g)
            states[p][g] =
                modelState(static_cast<DrawPreset>(static_cast<size_t>(DrawPreset::Triangles) + p), kGroupShaders[g]);
    return states;
}();

}  // namespace

Pipeline& pipeline() { return moduleState<Pipeline>(); }

int createStates() {
    gpu::Device* device = currentDevice();
    if (!device) return kConstantBuffers[0].code;
    Pipeline& target = pipeline();

    for (const ConstantBufferEntry& entry : kConstantBuffers) {
        gpu::BufferDesc desc;
        desc.byteWidth = kConstantBufferBytes[entry.reg];
        desc.usage = entry.dynamic ? gpu::Usage::Dynamic : gpu::Usage::Default;
        desc.bindFlags = gpu::BindConstantBuffer;
        desc.cpuWrite = entry.dynamic;
        target.constantBuffers[entry.reg] = device->createBuffer(desc, nullptr);
        if (!target.constantBuffers[entry.reg]) return entry.code;
    }

    gpu::SamplerDesc sampler;
    sampler.filter = gpu::Filter::MinMagMipLinear;
    sampler.addressU = sampler.addressV = sampler.addressW = gpu::AddressMode::Wrap;
    sampler.mipLodBias = 0.0f;
    sampler.minLod = 0.0f;
    sampler.maxLod = 3.402823466e+38f;
    target.samplerLinearWrap = device->createSamplerState(sampler);
    if (!target.samplerLinearWrap) return -30;

    gpu::DepthStencilDesc depth;
    depth.depthEnable = true;
    depth.depthWrite = true;
    depth.depthFunc = gpu::Comparison::Less;
    depth.stencilEnable = false;
    target.depthStateLess = device->createDepthStencilState(depth);
    if (!target.depthStateLess) return -31;
    depth.depthFunc = gpu::Comparison::LessEqual;
    target.depthStateLessEqual = device->createDepthStencilState(depth);
    if (!target.depthStateLessEqual) return -31;

    target.blendAdd = device->createBlendState(
        blendDesc(Blend::One, Blend::One, BlendOp::Add, Blend::One, Blend::Zero, BlendOp::Add));
    if (!target.blendAdd) return -32;
    target.blendSubtract = device->createBlendState(
        blendDesc(Blend::One, Blend::One, BlendOp::RevSubtract, Blend::Zero, Blend::One, BlendOp::RevSubtract));
    if (!target.blendSubtract) return -33;
    target.blendAlpha = device->createBlendState(
        blendDesc(Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, Blend::One, Blend::Zero, BlendOp::Add));
    if (!target.blendAlpha) return -34;
    target.blendFactor = device->createBlendState(
        blendDesc(Blend::BlendFactor, Blend::InvBlendFactor, BlendOp::Add, Blend::One, Blend::Zero, BlendOp::Add));
    if (!target.blendFactor) return -35;
    createSpriteBatchBuffer(*device);
    return 0;
}

int createWireframeState() {
    gpu::Device* device = currentDevice();
    if (!device) return -58;
    gpu::RasterizerDesc desc;
    desc.fillMode = gpu::FillMode::Wireframe;
    desc.cullMode = gpu::CullMode::Back;
    desc.frontCounterClockwise = false;
    desc.depthClipEnable = true;
    desc.antialiasedLineEnable = true;
    pipeline().rasterWireframe = device->createRasterizerState(desc);
    return pipeline().rasterWireframe ? 0 : -58;
}

const DrawState& drawState(DrawPreset preset, VertexGroup group) {
    switch (preset) {
        case DrawPreset::Sprite:
            return kSprite;
        case DrawPreset::SpriteBatch:
            return kSpriteBatch;
        case DrawPreset::Point:
            return kPoint;
        case DrawPreset::Line:
            return kLine;
        case DrawPreset::Particle:
            return kParticle;
        default:
            break;
    }
    const size_t p = static_cast<size_t>(preset) - static_cast<size_t>(DrawPreset::Triangles);
    const size_t g = static_cast<size_t>(group);
    return kModelStates[p < kModelPresetCount ? p : 0][g < kVertexGroupCount ? g : 0];
}

void bindDrawState(gpu::Context& context, const DrawState& state) {
    const Pipeline& objects = pipeline();
    context.iaSetInputLayout(state.layout == kNoInputLayout ? nullptr : objects.layout(state.layout));
    context.iaSetPrimitiveTopology(state.topology);
    context.vsSetShader(objects.vs(state.vertexShader));
    context.gsSetShader(state.geometryShader == kNoGeometryShader ? nullptr : objects.gs(state.geometryShader));
    if (state.pixelShader != kPixelShaderByBlend) context.psSetShader(objects.ps(state.pixelShader));
    switch (state.depth) {
        case DepthTest::Default:
            context.omSetDepthStencilState(nullptr, 0);
            break;
        case DepthTest::Less:
            context.omSetDepthStencilState(objects.depthStateLess.get(), 0);
            break;
        case DepthTest::LessEqual:
            context.omSetDepthStencilState(objects.depthStateLessEqual.get(), 0);
            break;
    }
    context.rsSetState(state.wireframe ? objects.rasterWireframe.get() : nullptr);
    switch (state.sampler) {
        case SamplerStage::Keep:
            break;
        case SamplerStage::Pixel:
            context.setSampler(gpu::ShaderStage::Pixel, 0, objects.samplerLinearWrap.get());
            break;
        case SamplerStage::Geometry:
            context.setSampler(gpu::ShaderStage::Geometry, 0, objects.samplerLinearWrap.get());
            break;
    }
}

void setWorldMatrix(gpu::Context& context, const math::Matrix& world) {
    gpu::Buffer* buffer = pipeline().cb(CbWorld);
    if (!buffer) return;
    const math::Matrix transposed = math::transpose(world);
    context.updateSubresource(*buffer, &transposed, sizeof transposed);
    context.setConstantBuffer(gpu::ShaderStage::Vertex, CbWorld, buffer);
}

bool bindBlendState(int mode, double factor, int highestMode) {
    gpu::Context* context = currentContext();
    if (!context || mode < 0 || mode > highestMode || mode > 5) return false;
    const Pipeline& objects = pipeline();
    const float f = static_cast<float>(factor);
    const float factors[4] = {f, f, f, f};
    static constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    switch (mode) {
        case 0:
            context->omSetBlendState(nullptr, kZero, kSampleMask);
            break;
        case 1:
            context->omSetBlendState(objects.blendAdd.get(), kZero, kSampleMask);
            break;
        case 2:
            context->omSetBlendState(objects.blendSubtract.get(), kZero, kSampleMask);
            break;
        case 3:
            context->omSetBlendState(objects.blendAlpha.get(), kZero, kSampleMask);
            break;
        default:
            context->omSetBlendState(objects.blendFactor.get(), factors, kSampleMask);
            break;
    }
    return true;
}

void bindSpriteBlendMode(int mode, double factor) {
    if (!bindBlendState(mode, factor, 5)) return;
    const Pipeline& objects = pipeline();
    currentContext()->psSetShader(objects.ps(mode == 5 ? PsDdsAlpha : PsDefault));
}

}  // namespace korvel::device
