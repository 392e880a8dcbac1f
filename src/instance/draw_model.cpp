#include "instance/draw_model.h"

#include "model/model_buffers.h"

namespace korvel::instance {
namespace {

constexpr uint64_t kIndexBytes = 4;

uint64_t indexCountOf(const gpu::Buffer* buffer) { return buffer ? buffer->desc().byteWidth / kIndexBytes : 0; }

// The builder sizes the draw-range table for the model it packs; a model
// loaded after the last build of its group has no table yet.
bool builtAfterLoad(const model::Obj3dModel& m) {
    const model::Obj3dHeader& h = *m.head();
    const uint64_t entries = h.NumMaterial > 0 && h.NumPart > 0 ? uint64_t(h.NumMaterial) * uint64_t(h.NumPart) : 0;
    return m.drawrange.present() && m.drawrange.size() == entries;
}

}  // namespace

std::optional<DrawableModel> DrawableModel::of(const Image3dInstance& image) {
    const model::Obj3dModel* m = model::completeModel(image.modelno);
    if (m == nullptr) return std::nullopt;
    const model::Obj3dHeader& h = *m->head();
    if (h.NumPart != image.numpart || h.NumPart < 0 || h.NumMaterial < 0 || h.NumVertex < 0 || h.NumFace < 0)
        return std::nullopt;
    if (m->material.size() < static_cast<size_t>(h.NumMaterial) || m->vertex.size() < static_cast<size_t>(h.NumVertex) ||
        m->face.size() < static_cast<size_t>(h.NumFace) || !builtAfterLoad(*m))
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

bool hairIndicesInside(const DrawableModel& drawable, int i) {
    const int64_t first = int64_t{drawable.head().hairstartindex} + 3 * int64_t{i};
    return first >= 0 && uint64_t(first) + 3 <= indexCountOf(model::particlehairIndexBuffer());
}

}  // namespace korvel::instance
