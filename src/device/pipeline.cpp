// InitDevice steps 7 and 12: constant buffers and state objects; the
// release of every pipeline object; and the blend-mode rule.
#include "device/pipeline.h"

#include "device/lifecycle.h"

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

}  // namespace

Pipeline& pipeline() {
    static Pipeline objects;
    return objects;
}

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

void releasePipeline() { pipeline() = Pipeline{}; }

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
