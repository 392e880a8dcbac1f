#include "instance/draw_pipeline.h"

#include "device/pipeline.h"
#include "draw2d/texture_table.h"
#include "math/matrix.h"

namespace korvel::instance {

using namespace device;

GroupShaders groupShaders(model::LayoutGroup group) {
    switch (group) {
        case model::LayoutGroup::Plain: return {VsShade0, Layout0, VsShade0ph, Layout0ph, true};
        case model::LayoutGroup::Normal: return {VsShade1, Layout1, VsShade1ph, Layout1ph, false};
        case model::LayoutGroup::PlainSkinned: return {VsShade0ba, Layout0ba, VsShade0baph, Layout0baph, true};
        case model::LayoutGroup::NormalSkinned: return {VsShade1ba, Layout1ba, VsShade1baph, Layout1baph, false};
    }
    return {VsShade0, Layout0, VsShade0ph, Layout0ph, true};
}

bool pipelineReady(const Pipeline& objects) {
    for (const auto& buffer : objects.constantBuffers)
        if (!buffer) return false;
    for (const auto& layout : objects.inputLayouts)
        if (!layout) return false;
    return objects.vs(VsShade1baph) && objects.gs(GsToolLine) && objects.ps(PsShade0) && objects.samplerLinearWrap &&
           objects.depthStateLess && objects.depthStateLessEqual && objects.blendFactor && objects.rasterWireframe;
}

void bindTrianglePipeline(gpu::Context& context, const Pipeline& objects, model::LayoutGroup group,
                          gpu::Buffer* indexBuffer) {
    const GroupShaders shaders = groupShaders(group);
    context.iaSetPrimitiveTopology(gpu::Topology::TriangleList);
    context.setSampler(gpu::ShaderStage::Pixel, 0, objects.samplerLinearWrap.get());
    context.omSetDepthStencilState(nullptr, 0);
    context.rsSetState(nullptr);
    context.iaSetIndexBuffer(indexBuffer, gpu::Format::R32_UInt, 0);
    context.iaSetInputLayout(objects.layout(shaders.triangleLayout));
    context.vsSetShader(objects.vs(shaders.triangleShader));
    context.gsSetShader(shaders.flatShading ? objects.gs(GsShade0) : nullptr);
    context.psSetShader(objects.ps(PsShade0));
}

void bindOverlayVertexShader(gpu::Context& context, const Pipeline& objects, model::LayoutGroup group) {
    const GroupShaders shaders = groupShaders(group);
    context.vsSetShader(objects.vs(shaders.overlayShader));
    context.iaSetInputLayout(objects.layout(shaders.overlayLayout));
}

void uploadWorld(gpu::Context& context, const Pipeline& objects, const math::Matrix& m) {
    gpu::Buffer* world = objects.cb(CbWorld);
    const math::Matrix transposed = math::transpose(m);
    context.updateSubresource(*world, &transposed, sizeof transposed);
    context.setConstantBuffer(gpu::ShaderStage::Vertex, CbWorld, world);
}

void bindMaterialTexture(gpu::Context& context, gpu::ShaderStage stage, int texsrvno) {
    draw2d::TextureBinding texture;
    if (texsrvno == -1 || !draw2d::resolveTexture(texsrvno, texture)) return;
    context.setShaderResource(stage, 0, texture.view);
}

void bindMaterialBlend(int blendmode, float alpha) { bindBlendState(blendmode, alpha, 5); }

}  // namespace korvel::instance
