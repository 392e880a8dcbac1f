#include "instance/model_draw.h"

#include "device/camera.h"
#include "device/lifecycle.h"
#include "math/bounds.h"
#include "model/model_buffers.h"

namespace korvel::instance {
namespace {

using device::Pipeline;
using gpu::ShaderStage;

constexpr uint64_t kIndexBytes = 4;

uint64_t indexCountOf(const gpu::Buffer* buffer) { return buffer ? buffer->desc().byteWidth / kIndexBytes : 0; }

// The builder sizes the draw-range table for the model it packs; a model
// loaded after the last build of its group has no table yet.
bool builtAfterLoad(const model::Obj3dModel& m) {
    const model::Obj3dHeader& h = *m.head();
    const uint64_t entries = h.NumMaterial > 0 && h.NumPart > 0 ? uint64_t(h.NumMaterial) * uint64_t(h.NumPart) : 0;
    return m.drawrange.present() && m.drawrange.size() == entries;
}

// The face and material of hair record i when the draw may use them.
struct HairFace {
    const model::Obj3dFace* face;
    const model::Obj3dMaterial* material;
};
std::optional<HairFace> hairFace(const DrawableModel& drawable, int i) {
    const model::Obj3dModel& m = *drawable.model;
    const model::ParticlehairFace& hair = m.particlehairface[static_cast<size_t>(i)];
    const model::Obj3dFace* face = hair.faceno < drawable.numface ? m.face.at(hair.faceno) : nullptr;
    if (face == nullptr || face->matno < 0 || face->matno >= drawable.nummaterial || !drawable.hairIndicesInside(i))
        return std::nullopt;
    for (int32_t corner : face->vertexno)
        if (corner < 0 || corner >= drawable.numvertex) return std::nullopt;
    return HairFace{face, &m.material[static_cast<size_t>(face->matno)]};
}

}  // namespace

std::optional<DrawableModel> DrawableModel::of(const Image3dInstance& image) {
    const model::Obj3dModel* m = model::completeModel(image.modelno);
    if (m == nullptr) return std::nullopt;
    const model::Obj3dHeader& h = *m->head();
    if (h.NumPart != image.numpart || h.NumPart < 0 || h.NumMaterial < 0 || h.NumVertex < 0 || h.NumFace < 0)
        return std::nullopt;
    if (m->material.size() < static_cast<size_t>(h.NumMaterial) ||
        m->vertex.size() < static_cast<size_t>(h.NumVertex) || m->face.size() < static_cast<size_t>(h.NumFace) ||
        !builtAfterLoad(*m))
        return std::nullopt;

    DrawableModel d;
    d.model = m;
    d.group = model::groupOf(h);
    const gpu::Buffer* vertices = model::groupVertexBuffer(d.group);
    if (vertices == nullptr || h.basevertex < 0) return std::nullopt;
    const uint64_t capacity = vertices->desc().byteWidth / model::groupFormat(d.group).stride;
    if (uint64_t(h.basevertex) + uint64_t(h.NumVertex) > capacity) return std::nullopt;

    d.numpart = h.NumPart;
    d.nummaterial = h.NumMaterial;
    d.numvertex = h.NumVertex;
    d.numface = h.NumFace;
    d.indexBuffer = model::groupIndexBuffer(d.group);
    d.indexCount = indexCountOf(d.indexBuffer);
    return d;
}

bool DrawableModel::indicesInside(int64_t start, int64_t count) const {
    const int64_t first = int64_t{head().startindex} + start;
    return count > 0 && start >= 0 && first >= 0 && uint64_t(first) + uint64_t(count) <= indexCount;
}

const model::Obj3dDrawRange* DrawableModel::range(int part, int material) const {
    const model::Obj3dDrawRange* r = model->drawrange.at(int64_t{material} * numpart + part);
    return r != nullptr && indicesInside(r->start, r->count) ? r : nullptr;
}

bool DrawableModel::hairIndicesInside(int i) const {
    const int64_t first = int64_t{head().hairstartindex} + 3 * int64_t{i};
    return first >= 0 && uint64_t(first) + 3 <= indexCountOf(model::particlehairIndexBuffer());
}

std::optional<ModelDraw> ModelDraw::of(int image) {
    gpu::Context* context = device::currentContext();
    const Pipeline& objects = device::pipeline();
    Image3dInstance* record = image3d(image);
    if (context == nullptr || record == nullptr || !pipelineReady(objects)) return std::nullopt;
    const std::optional<DrawableModel> model = DrawableModel::of(*record);
    if (!model) return std::nullopt;
    return ModelDraw(*context, objects, *record, *model, worldMatrix(*record),
                     {device::lighting(), device::camera().cameraEye});
}

bool ModelDraw::applyPose(const PoseRequest& pose) {
    if (!uploadPose(context, objects, *model.model, model.group, pose)) return false;
    if (image.partmode != 1) uploadWorld(context, objects, world);
    return true;
}

bool ModelDraw::culled() const {
    const math::Frustum& frustum = device::camera().viewFrustum;
    if (image.cullmode == 1) {
        const math::Aabox& box = image.aabox;
        if (!(box.extents.x > 0.0f)) return false;
        return math::oboxFrustumTest({box.center, box.extents, {0.0f, 0.0f, 0.0f, 1.0f}}, frustum) == 0;
    }
    if (image.cullmode == 2) {
        for (int p = 0; p < image.numpart; ++p) {
            const math::Obox& box = image.part(p)->obox;
            if (!(box.extents.x > 0.0f) || math::oboxFrustumTest(box, frustum) != 0) return false;
        }
        return true;
    }
    return false;
}

void ModelDraw::drawHairAndTriangles(int pass) {
    // Hair placed by part matrices leaves the last one in b2; the triangles
    // of a partmode other than 1 are placed by the world matrix again.
    if (drawHair() && image.partmode != 1) uploadWorld(context, objects, world);
    drawTriangles(pass);
}

bool ModelDraw::place(int part) {
    if (image.partmode != 1) return true;
    if (image.part(part) == nullptr) return false;
    if (part != placedPart_) uploadWorld(context, objects, partMatrix(*image.part(part), world));
    placedPart_ = part;
    return true;
}

void ModelDraw::uploadMaterial(const MaterialConstants& constants, ShaderStage stage) {
    gpu::Buffer* buffer = objects.cb(device::CbMaterial);
    context.updateSubresource(*buffer, &constants, sizeof constants);
    context.setConstantBuffer(stage, device::CbMaterial, buffer);
}

// Draws every hair face; returns whether b2 was replaced by a part matrix.
bool ModelDraw::drawHair() {
    const model::Obj3dModel& m = *model.model;
    const model::Obj3dHeader& h = model.head();
    gpu::Buffer* indices = model::particlehairIndexBuffer();
    const int faces = h.NumParticlehairFace < 0 ? 0 : h.NumParticlehairFace;
    if (image.hairmode != 1 || faces == 0 || indices == nullptr) return false;
    if (m.particlehairface.size() < static_cast<size_t>(faces)) return false;

    gpu::Context& c = context;
    c.iaSetPrimitiveTopology(gpu::Topology::TriangleList);
    c.iaSetIndexBuffer(indices, gpu::Format::R32_UInt, 0);
    c.setSampler(ShaderStage::Geometry, 0, objects.samplerLinearWrap.get());
    c.gsSetShader(objects.gs(device::GsParticleHair));
    c.omSetDepthStencilState(nullptr, 0);
    c.rsSetState(objects.rasterWireframe.get());
    c.psSetShader(objects.ps(device::PsPoint));
    bindOverlayVertexShader(c, objects, model.group);

    bool placedParts = false;
    for (int i = 0; i < faces; ++i) {
        const std::optional<HairFace> face = hairFace(model, i);
        if (!face) continue;
        const double* alpha = drawAlpha(image, face->face->partno);
        if (alpha == nullptr) continue;
        if (image.partmode != 0) {
            uploadWorld(c, objects, partMatrix(*image.part(face->face->partno), world));
            placedParts = true;
        }
        const model::Obj3dMaterial& material = *face->material;
        uploadMaterial(materialConstants(material, *alpha, scene), ShaderStage::Geometry);
        bindMaterialTexture(c, ShaderStage::Geometry, material.texsrvno);
        bindMaterialBlend(material.blendmode, material.alpha);
        const HairConstants hair =
            hairConstants(m.particlehairface[static_cast<size_t>(i)], material, worldParticlehairRotMatrix());
        gpu::Buffer* b11 = objects.cb(device::CbParticleHair);
        c.updateSubresource(*b11, &hair, sizeof hair);
        c.setConstantBuffer(ShaderStage::Geometry, device::CbParticleHair, b11);
        c.drawIndexedInstanced(3, 3, static_cast<uint32_t>(h.hairstartindex + 3 * i), h.basevertex, 0);
    }
    return placedParts;
}

void ModelDraw::drawTriangles(int pass) {
    if (model.numpart == 0 || model.indexBuffer == nullptr) return;
    gpu::Context& c = context;
    const model::Obj3dModel& m = *model.model;
    const model::Obj3dHeader& h = model.head();
    bindTrianglePipeline(c, objects, model.group, model.indexBuffer);
    c.setConstantBuffer(ShaderStage::Pixel, device::CbMaterial, objects.cb(device::CbMaterial));
    for (int p = 0; p < model.numpart; ++p) {
        if (image.partmode == 1) uploadWorld(c, objects, partMatrix(*image.part(p), world));
        const double alpha = *drawAlpha(image, p);
        for (int k = 0; k < model.nummaterial; ++k) {
            const model::Obj3dMaterial& material = m.material[static_cast<size_t>(k)];
            if (!passAccepts(pass, effectiveAlpha(alpha, material))) continue;
            const model::Obj3dDrawRange* range = model.range(p, k);
            if (range == nullptr) continue;
            uploadMaterial(materialConstants(material, alpha, scene), ShaderStage::Pixel);
            bindMaterialTexture(c, ShaderStage::Pixel, material.texsrvno);
            bindMaterialBlend(material.blendmode, material.alpha);
            c.drawIndexed(static_cast<uint32_t>(range->count), static_cast<uint32_t>(h.startindex + range->start),
                          h.basevertex);
        }
    }
}

}  // namespace korvel::instance
