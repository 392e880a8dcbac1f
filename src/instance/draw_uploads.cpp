#include "instance/draw_uploads.h"

#include <cstring>

#include "device/pipeline.h"
#include "draw2d/texture_table.h"
#include "math/matrix.h"

namespace korvel::instance {

using namespace device;

namespace {

void put3(float out[3], float a, float b, float c) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
}

// Everything after the material's own fields: coefficients, light, eye,
// Mparam0 and 1, ambient.
void putScene(MaterialConstants& c, const SceneValues& scene) {
    const device::SceneLighting& l = scene.lighting;
    c.ktex = l.ktex;
    c.kdif = l.kdif;
    c.kemi = l.kemi;
    c.kspc = l.kspc;
    put3(c.lightPos, l.pointLightPos.x, l.pointLightPos.y, l.pointLightPos.z);
    c.zero = 0;
    put3(c.eye, scene.eye.x, scene.eye.y, scene.eye.z);
    c.mparam0 = l.mparam0;
    put3(c.ambient, l.sceneAmbientColor.x, l.sceneAmbientColor.y, l.sceneAmbientColor.z);
    c.mparam1 = l.mparam1;
}

}  // namespace

MaterialConstants materialConstants(const model::Obj3dMaterial& m, double alpha, const SceneValues& scene) {
    MaterialConstants c{};
    put3(c.diffuse, m.faceColorR, m.faceColorG, m.faceColorB);
    c.alpha = static_cast<float>(alpha) * m.alpha;
    c.power = m.power;
    put3(c.specular, m.specularColorR, m.specularColorG, m.specularColorB);
    c.texsrvno = m.texsrvno;
    put3(c.emissive, m.emissiveColorR, m.emissiveColorG, m.emissiveColorB);
    putScene(c, scene);
    return c;
}

MaterialConstants selectedFaceConstants(const SceneValues& scene) {
    MaterialConstants c{};
    putScene(c, scene);
    c.alpha = 1.0f;
    c.power = 1.0f;
    c.texsrvno = -1;
    put3(c.emissive, 0.0f, 1.0f, 1.0f);
    c.ktex = 0.0f;
    c.kdif = 0.0f;
    c.kemi = 1.0f;
    c.kspc = 0.0f;
    return c;
}

MaterialConstants vertexMarkerConstants(const SceneValues& scene, bool selected, uint32_t screenWidth,
                                        uint32_t screenHeight) {
    MaterialConstants c{};
    putScene(c, scene);
    put3(c.diffuse, 0.5f, 0.0f, 0.5f);
    c.alpha = 1.0f;
    c.power = 1.0f;
    put3(c.specular, 0.5f, 0.0f, 0.5f);
    c.texsrvno = selected ? 0 : -1;
    put3(c.emissive, 0.5f, 0.0f, 0.5f);
    c.mparam0 = static_cast<float>(screenWidth);
    c.mparam1 = static_cast<float>(screenHeight);
    return c;
}

HairConstants hairConstants(const model::ParticlehairFace& hair, const model::Obj3dMaterial& material,
                            const math::Matrix& hairRotation) {
    HairConstants c{};
    c.hairparam0 = hair.hairparam0;
    c.hairlength = hair.hairlength;
    c.hairparam1 = static_cast<float>(hair.hairparam1);
    c.hairparam2 = hair.hairparam2;
    put3(c.hairvec, hair.hairvec[0], hair.hairvec[1], hair.hairvec[2]);
    c.zero = 0;
    c.rot = math::transpose(hairRotation);
    const bool coloured = hair.haircolor[0] >= 0.0f;
    c.colormode = material.texsrvno != -1 ? 2 : (coloured ? 1 : 0);
    if (coloured) put3(c.color, hair.haircolor[0], hair.haircolor[1], hair.haircolor[2]);
    return c;
}

GroupShaders groupShaders(model::LayoutGroup group) {
    switch (group) {
        case model::LayoutGroup::Plain:
            return {VsShade0, Layout0, VsShade0ph, Layout0ph, true};
        case model::LayoutGroup::Normal:
            return {VsShade1, Layout1, VsShade1ph, Layout1ph, false};
        case model::LayoutGroup::PlainSkinned:
            return {VsShade0ba, Layout0ba, VsShade0baph, Layout0baph, true};
        case model::LayoutGroup::NormalSkinned:
            return {VsShade1ba, Layout1ba, VsShade1baph, Layout1baph, false};
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

namespace {

bool writeDiscard(gpu::Context& context, gpu::Buffer& buffer, const void* data, size_t bytes) {
    gpu::MappedSubresource mapped;
    if (!context.mapDiscard(buffer, mapped) || mapped.data == nullptr) return false;
    std::memcpy(mapped.data, data, bytes);
    context.unmap(buffer);
    return true;
}

bool uploadShapekey(gpu::Context& context, const Pipeline& objects, const model::Obj3dModel& model,
                    const PoseRequest& request) {
    ShapekeyOffsets offsets;
    if (shapekeyOffsets(model, request.shapekey, request.shapekeyframe, offsets) == PoseOutcome::Refused) return false;
    gpu::Buffer& flag = *objects.cb(device::CbShapekeyFlag);
    gpu::Buffer& entries = *objects.cb(device::CbShapekeyOffsets);
    if (!writeDiscard(context, flag, &offsets.flag, sizeof offsets.flag)) return false;
    if (!writeDiscard(context, entries, offsets.offset, sizeof(math::Float4) * static_cast<size_t>(offsets.count)))
        return false;
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbShapekeyFlag, &flag);
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbShapekeyOffsets, &entries);
    return true;
}

const JointPalette& identityPalette() {
    static const JointPalette palette = [] {
        JointPalette p;
        p.count = kPaletteJoints;
        for (math::Matrix& m : p.matrix) m = math::identity();
        return p;
    }();
    return palette;
}

bool uploadPalette(gpu::Context& context, const Pipeline& objects, const JointPalette& palette) {
    gpu::Buffer& buffer = *objects.cb(device::CbJointPalette);
    if (!writeDiscard(context, buffer, palette.matrix, sizeof(math::Matrix) * static_cast<size_t>(palette.count)))
        return false;
    context.setConstantBuffer(gpu::ShaderStage::Vertex, device::CbJointPalette, &buffer);
    return true;
}

}  // namespace

bool uploadPose(gpu::Context& context, const Pipeline& objects, const model::Obj3dModel& model,
                model::LayoutGroup group, const PoseRequest& request) {
    if (!uploadShapekey(context, objects, model, request)) return false;
    JointPalette palette;
    switch (jointPalette(model, request.motion, request.frame, palette)) {
        case PoseOutcome::Written:
            return uploadPalette(context, objects, palette);
        case PoseOutcome::Refused:
            return false;
        case PoseOutcome::NoMotions:
            break;
    }
    return !model::groupFormat(group).skin || uploadPalette(context, objects, identityPalette());
}

}  // namespace korvel::instance
