#include "instance/tool_draw.h"

#include <vector>

#include "device/camera.h"
#include "model/store.h"

namespace korvel::instance {
namespace {

struct Selection {
    std::vector<uint8_t> points;
    std::vector<uint8_t> faces;
};

Selection& selection() {
    static Selection arrays;
    return arrays;
}

void store(std::vector<uint8_t>& array, int index, int flag) {
    if (index >= 0 && static_cast<size_t>(index) < array.size())
        array[static_cast<size_t>(index)] = static_cast<uint8_t>(flag & 0xff);
}

}  // namespace

void prepareSelection(int model, int* counts) {
    const model::Obj3dModel* m = model::occupiedModel(model);
    if (m == nullptr) return;
    const int32_t vertices = m->head()->NumVertex > 0 ? m->head()->NumVertex : 0;
    const int32_t faces = m->head()->NumFace > 0 ? m->head()->NumFace : 0;
    Selection fresh{std::vector<uint8_t>(static_cast<size_t>(vertices)),
                    std::vector<uint8_t>(static_cast<size_t>(faces))};
    selection() = std::move(fresh);
    if (counts != nullptr) {
        counts[0] = m->head()->NumVertex;
        counts[1] = m->head()->NumFace;
    }
}

void setPointSelect(int vertex, int flag) { store(selection().points, vertex, flag); }
void setFaceSelect(int face, int flag) { store(selection().faces, face, flag); }

std::span<const uint8_t> pointSelection() { return selection().points; }
std::span<const uint8_t> faceSelection() { return selection().faces; }

namespace {

using gpu::ShaderStage;

constexpr uint32_t kSampleMask = 0xFFFFFFFFu;
constexpr float kHalf[4] = {0.5f, 0.5f, 0.5f, 0.5f};
constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};

void drawEdges(ModelDraw& o) {
    gpu::Context& c = o.context;
    const model::Obj3dHeader& h = o.model.head();
    bindOverlayVertexShader(c, o.objects, o.model.group);
    c.iaSetPrimitiveTopology(gpu::Topology::TriangleList);
    c.iaSetIndexBuffer(o.model.indexBuffer, gpu::Format::R32_UInt, 0);
    c.gsSetShader(o.objects.gs(device::GsToolLine));
    c.omSetBlendState(nullptr, kHalf, kSampleMask);
    c.psSetShader(o.objects.ps(device::PsPoint));
    c.omSetDepthStencilState(o.objects.depthStateLess.get(), 0);
    c.rsSetState(o.objects.rasterWireframe.get());
    for (int p = 0; p < o.model.numpart; ++p) {
        if (!opaqueForOverlay(*drawAlpha(o.image, p)) || !o.place(p)) continue;
        for (int k = 0; k < o.model.nummaterial; ++k) {
            if (const model::Obj3dDrawRange* range = o.model.range(p, k))
                c.drawIndexed(static_cast<uint32_t>(range->count), static_cast<uint32_t>(h.startindex + range->start),
                              h.basevertex);
        }
    }
}

// The selected faces drawn again, tinted. They repeat their own triangles
// with the same shaders, so the depth test is less-or-equal: under the
// strict less-than test they would never show.
void drawSelectedFaces(ModelDraw& o) {
    const std::span<const uint8_t> selected = faceSelection();
    if (selected.size() != static_cast<size_t>(o.model.numface)) return;
    gpu::Context& c = o.context;
    const model::Obj3dModel& m = *o.model.model;
    const model::Obj3dHeader& h = o.model.head();
    bindTrianglePipeline(c, o.objects, o.model.group, o.model.indexBuffer);
    o.uploadMaterial(selectedFaceConstants(o.scene), ShaderStage::Pixel);
    c.omSetDepthStencilState(o.objects.depthStateLessEqual.get(), 0);
    c.rsSetState(nullptr);
    c.omSetBlendState(o.objects.blendFactor.get(), kHalf, kSampleMask);
    for (int f = 0; f < o.model.numface; ++f) {
        if (selected[static_cast<size_t>(f)] != 1) continue;
        const int part = m.face[static_cast<size_t>(f)].partno;
        if (o.image.partmode != 0) {
            const double* alpha = drawAlpha(o.image, part);
            if (alpha == nullptr || *alpha != 1.0) continue;
        }
        if (!o.model.indicesInside(3 * int64_t{f}, 3) || !o.place(part)) continue;
        c.drawIndexed(3, static_cast<uint32_t>(h.startindex + 3 * f), h.basevertex);
    }
}

void drawVertexMarkers(ModelDraw& o) {
    const std::span<const uint8_t> selected = pointSelection();
    if (selected.size() != static_cast<size_t>(o.model.numvertex)) return;
    gpu::Context& c = o.context;
    const model::Obj3dModel& m = *o.model.model;
    const int basevertex = o.model.head().basevertex;
    c.iaSetPrimitiveTopology(gpu::Topology::PointList);
    c.gsSetShader(o.objects.gs(device::GsToolPoint));
    c.omSetDepthStencilState(o.objects.depthStateLess.get(), 0);
    c.rsSetState(nullptr);
    c.psSetShader(o.objects.ps(device::PsPoint));
    bindOverlayVertexShader(c, o.objects, o.model.group);
    c.omSetBlendState(nullptr, kZero, kSampleMask);
    const device::ScreenSize& screen = device::screenSize();
    int uploaded = -1;  // selection flag b7 holds, -1 none yet
    for (int v = 0; v < o.model.numvertex; ++v) {
        const model::Obj3dVertex& vertex = m.vertex[static_cast<size_t>(v)];
        if (vertex.originalvertexno >= 0) continue;
        const double* alpha = drawAlpha(o.image, vertex.partno);
        if (alpha == nullptr || !opaqueForOverlay(*alpha) || !o.place(vertex.partno)) continue;
        const int flag = selected[static_cast<size_t>(v)] == 1 ? 1 : 0;
        if (flag != uploaded) {
            o.uploadMaterial(vertexMarkerConstants(o.scene, flag == 1, screen.width, screen.height),
                             ShaderStage::Geometry);
            uploaded = flag;
        }
        c.draw(1, static_cast<uint32_t>(basevertex + v));
    }
}

}  // namespace

void drawToolOverlays(ModelDraw& o, int pointmode, int linemode) {
    if (linemode == 1 && o.model.indexBuffer != nullptr) {
        drawEdges(o);
        drawSelectedFaces(o);
    }
    if (pointmode == 1) drawVertexMarkers(o);
}

}  // namespace korvel::instance
