#include "instance/render_image.h"

#include <optional>

#include "device/camera.h"
#include "device/lifecycle.h"
#include "instance/draw_constants.h"
#include "instance/draw_culling.h"
#include "instance/draw_model.h"
#include "instance/draw_parts.h"
#include "instance/draw_pipeline.h"
#include "instance/hair_rotation.h"
#include "instance/placement.h"
#include "model/model_buffers.h"
#include "query/boxes.h"

namespace korvel::instance {
namespace {

using device::Pipeline;
using gpu::ShaderStage;


struct Draw {
    gpu::Context& context;
    const Pipeline& objects;
    const Image3dInstance& image;
    const DrawableModel& model;
    const math::Matrix world;
    const SceneValues scene;
};

void uploadMaterial(const Draw& d, const model::Obj3dMaterial& material, double alpha, ShaderStage stage) {
    const MaterialConstants constants = materialConstants(material, alpha, d.scene);
    gpu::Buffer* buffer = d.objects.cb(device::CbMaterial);
    d.context.updateSubresource(*buffer, &constants, sizeof constants);
    d.context.setConstantBuffer(stage, device::CbMaterial, buffer);
}

// The face and material of hair record i when the draw may use them.
struct HairFace {
    const model::Obj3dFace* face;
    const model::Obj3dMaterial* material;
};
std::optional<HairFace> hairFace(const Draw& d, int i) {
    const model::Obj3dModel& m = *d.model.model;
    const model::ParticlehairFace& hair = m.particlehairface[static_cast<size_t>(i)];
    const model::Obj3dFace* face = hair.faceno < d.model.numface ? m.face.at(hair.faceno) : nullptr;
    if (face == nullptr || face->matno < 0 || face->matno >= d.model.nummaterial || !hairIndicesInside(d.model, i))
        return std::nullopt;
    for (int32_t corner : face->vertexno)
        if (corner < 0 || corner >= d.model.numvertex) return std::nullopt;
    return HairFace{face, &m.material[static_cast<size_t>(face->matno)]};
}

// Draws every hair face; returns whether b2 was replaced by a part matrix.
bool drawHair(const Draw& d) {
    const model::Obj3dModel& m = *d.model.model;
    const model::Obj3dHeader& h = d.model.head();
    gpu::Buffer* indices = model::particlehairIndexBuffer();
    const int faces = h.NumParticlehairFace < 0 ? 0 : h.NumParticlehairFace;
    if (d.image.hairmode != 1 || faces == 0 || indices == nullptr) return false;
    if (m.particlehairface.size() < static_cast<size_t>(faces)) return false;

    gpu::Context& c = d.context;
    c.iaSetPrimitiveTopology(gpu::Topology::TriangleList);
    c.iaSetIndexBuffer(indices, gpu::Format::R32_UInt, 0);
    c.setSampler(ShaderStage::Geometry, 0, d.objects.samplerLinearWrap.get());
    c.gsSetShader(d.objects.gs(device::GsParticleHair));
    c.omSetDepthStencilState(nullptr, 0);
    c.rsSetState(d.objects.rasterWireframe.get());
    c.psSetShader(d.objects.ps(device::PsPoint));
    bindOverlayVertexShader(c, d.objects, d.model.group);

    bool placedParts = false;
    for (int i = 0; i < faces; ++i) {
        const std::optional<HairFace> face = hairFace(d, i);
        if (!face) continue;
        const double* alpha = drawAlpha(d.image, face->face->partno);
        if (alpha == nullptr) continue;
        if (d.image.partmode != 0) {
            uploadWorld(c, d.objects, partMatrix(*d.image.part(face->face->partno), d.world));
            placedParts = true;
        }
        const model::Obj3dMaterial& material = *face->material;
        uploadMaterial(d, material, *alpha, ShaderStage::Geometry);
        bindMaterialTexture(c, ShaderStage::Geometry, material.texsrvno);
        bindMaterialBlend(material.blendmode, material.alpha);
        const HairConstants hair =
            hairConstants(m.particlehairface[static_cast<size_t>(i)], material, worldParticlehairRotMatrix());
        gpu::Buffer* b11 = d.objects.cb(device::CbParticleHair);
        c.updateSubresource(*b11, &hair, sizeof hair);
        c.setConstantBuffer(ShaderStage::Geometry, device::CbParticleHair, b11);
        c.drawIndexedInstanced(3, 3, static_cast<uint32_t>(h.hairstartindex + 3 * i), h.basevertex, 0);
    }
    return placedParts;
}

void drawTriangles(const Draw& d, int pass) {
    if (d.model.numpart == 0 || d.model.indexBuffer == nullptr) return;
    gpu::Context& c = d.context;
    const model::Obj3dModel& m = *d.model.model;
    const model::Obj3dHeader& h = d.model.head();
    bindTrianglePipeline(c, d.objects, d.model.group, d.model.indexBuffer);
    c.setConstantBuffer(ShaderStage::Pixel, device::CbMaterial, d.objects.cb(device::CbMaterial));
    for (int p = 0; p < d.model.numpart; ++p) {
        if (d.image.partmode == 1) uploadWorld(c, d.objects, partMatrix(*d.image.part(p), d.world));
        const double alpha = *drawAlpha(d.image, p);
        for (int k = 0; k < d.model.nummaterial; ++k) {
            const model::Obj3dMaterial& material = m.material[static_cast<size_t>(k)];
            if (!passAccepts(pass, effectiveAlpha(alpha, material))) continue;
            const model::Obj3dDrawRange* range = d.model.range(p, k);
            if (range == nullptr) continue;
            uploadMaterial(d, material, alpha, ShaderStage::Pixel);
            bindMaterialTexture(c, ShaderStage::Pixel, material.texsrvno);
            bindMaterialBlend(material.blendmode, material.alpha);
            c.drawIndexed(static_cast<uint32_t>(range->count), static_cast<uint32_t>(h.startindex + range->start),
                          h.basevertex);
        }
    }
}

}  // namespace

RenderOutcome renderImage(int image, int pass, const PoseRequest& pose) {
    gpu::Context* context = device::currentContext();
    const Pipeline& objects = device::pipeline();
    Image3dInstance* record = image3d(image);
    if (context == nullptr || record == nullptr || !pipelineReady(objects)) return RenderOutcome::Skipped;
    const std::optional<DrawableModel> model = DrawableModel::of(*record);
    if (!model) return RenderOutcome::Skipped;
    if (!uploadPose(*context, objects, *model->model, model->group, pose)) return RenderOutcome::Refused;

    const Draw d{*context, objects, *record, *model, worldMatrix(*record),
                 {device::lighting(), device::camera().cameraEye}};
    if (record->partmode != 1) uploadWorld(*context, objects, d.world);
    if (record->boxmode != 0) query::fitBoxes(image, pose.motion, pose.frame, record->boxmode, nullptr);
    if (culledByFrustum(*record, device::camera().viewFrustum)) return RenderOutcome::Culled;

    // Hair placed by part matrices leaves the last one in b2; the triangles
    // of a partmode other than 1 are placed by the world matrix again.
    if (drawHair(d) && record->partmode != 1) uploadWorld(*context, objects, d.world);
    drawTriangles(d, pass);
    return RenderOutcome::Drawn;
}

}  // namespace korvel::instance
