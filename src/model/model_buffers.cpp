#include "model/model_buffers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "model/store.h"

namespace korvel::model {

namespace {

size_t vertexCount(const Obj3dModel& m) {
    return m.head()->NumVertex > 0 ? std::min(static_cast<size_t>(m.head()->NumVertex), m.vertex.size()) : 0;
}
size_t faceCount(const Obj3dModel& m) {
    return m.head()->NumFace > 0 ? std::min(static_cast<size_t>(m.head()->NumFace), m.face.size()) : 0;
}
size_t hairCount(const Obj3dModel& m) {
    const int32_t n = m.head()->NumParticlehairFace;
    return n > 0 ? std::min(static_cast<size_t>(n), m.particlehairface.size()) : 0;
}

bool cornersInRange(const Obj3dFace& face, size_t vertices) {
    for (const int32_t corner : face.vertexno)
        if (corner < 0 || static_cast<size_t>(corner) >= vertices) return false;
    return true;
}

}  // namespace

uint64_t groupVertexCount(std::span<Obj3dModel* const> models) {
    uint64_t total = 0;
    for (const Obj3dModel* m : models) total += vertexCount(*m);
    return total;
}

uint64_t groupIndexCount(std::span<Obj3dModel* const> models) {
    uint64_t total = 0;
    for (const Obj3dModel* m : models) total += 3 * uint64_t{faceCount(*m)};
    return total;
}

uint64_t hairIndexCount(std::span<Obj3dModel* const> models) {
    uint64_t total = 0;
    for (const Obj3dModel* m : models) total += 3 * uint64_t{hairCount(*m)};
    return total;
}

std::vector<int32_t> shapekeyVertexIndices(const Obj3dModel& model) {
    const size_t n = vertexCount(model);
    std::vector<int32_t> result(n, -1);
    if (model.head()->NumShapekey == 0) return result;
    std::unordered_map<int32_t, int32_t> firstPosition;
    for (size_t i = 0; i < model.shapekeyvertex.size(); ++i)
        firstPosition.try_emplace(model.shapekeyvertex[i], static_cast<int32_t>(i));
    for (size_t v = 0; v < n; ++v) {
        const int32_t original = model.vertex[v].originalvertexno;
        const auto found = firstPosition.find(original >= 0 ? original : static_cast<int32_t>(v));
        if (found != firstPosition.end()) result[v] = found->second;
    }
    return result;
}

namespace {

// One model's vertices in the GPU vertex V of its group. A missing normal or
// weight record packs as zero; a skin joint outside the model's joints as
// joint 0 with weight 0.
template <class V>
void packModelVertices(const Obj3dModel& m, uint8_t* out) {
    const size_t n = vertexCount(m);
    const std::vector<int32_t> shapekeyIndex = shapekeyVertexIndices(m);
    const int32_t numJoint = m.head()->NumJoint;
    for (size_t v = 0; v < n; ++v) {
        const Obj3dVertex& vertex = m.vertex[v];
        V packed{};
        packed.posx = vertex.posx;
        packed.posy = vertex.posy;
        packed.posz = vertex.posz;
        packed.texu = vertex.texu;
        packed.texv = vertex.texv;
        packed.shapekey = shapekeyIndex[v];
        if constexpr (requires { packed.normx; }) {
            if (const Obj3dNormal* normal = m.normal.at(static_cast<long long>(v))) {
                packed.normx = normal->normx;
                packed.normy = normal->normy;
                packed.normz = normal->normz;
            }
        }
        if constexpr (requires { packed.jointno0; }) {
            if (const Obj3dWeight* weight = m.weight.at(static_cast<long long>(v))) {
                const auto valid = [numJoint](int32_t joint) { return joint >= 0 && joint < numJoint; };
                if (valid(weight->jointno0)) {
                    packed.jointno0 = weight->jointno0;
                    packed.weight0 = weight->weight0;
                }
                if (valid(weight->jointno1)) {
                    packed.jointno1 = weight->jointno1;
                    packed.weight1 = weight->weight1;
                }
            }
        }
        std::memcpy(out + v * sizeof(V), &packed, sizeof(V));
    }
}

}  // namespace

std::vector<uint8_t> packVertices(std::span<Obj3dModel* const> models, LayoutGroup group) {
    const uint32_t stride = groupFormat(group).stride;
    std::vector<uint8_t> out(groupVertexCount(models) * stride);
    uint64_t base = 0;
    for (Obj3dModel* m : models) {
        m->head()->basevertex = static_cast<int32_t>(base);
        uint8_t* at = out.data() + base * stride;
        switch (group) {
            case LayoutGroup::Plain:
                packModelVertices<PlainVertex>(*m, at);
                break;
            case LayoutGroup::Normal:
                packModelVertices<NormalVertex>(*m, at);
                break;
            case LayoutGroup::PlainSkinned:
                packModelVertices<PlainSkinnedVertex>(*m, at);
                break;
            case LayoutGroup::NormalSkinned:
                packModelVertices<NormalSkinnedVertex>(*m, at);
                break;
        }
        base += vertexCount(*m);
    }
    return out;
}

void resetDrawRanges(std::span<Obj3dModel* const> models) {
    for (Obj3dModel* m : models) {
        const Obj3dHeader& h = *m->head();
        const int64_t entries = h.NumMaterial > 0 && h.NumPart > 0 ? int64_t{h.NumMaterial} * h.NumPart : 0;
        m->drawrange.allocate(static_cast<size_t>(entries));
    }
}

std::vector<uint32_t> packIndices(std::span<Obj3dModel* const> models) {
    std::vector<uint32_t> out(groupIndexCount(models));
    uint64_t start = 0;
    for (Obj3dModel* m : models) {
        Obj3dHeader& h = *m->head();
        h.startindex = static_cast<int32_t>(start);
        const size_t vertices = vertexCount(*m);
        const size_t faces = faceCount(*m);
        for (size_t f = 0; f < faces; ++f) {
            const Obj3dFace& face = m->face[f];
            const bool valid = cornersInRange(face, vertices);
            for (int k = 0; k < 3; ++k) out[start + 3 * f + k] = valid ? static_cast<uint32_t>(face.vertexno[k]) : 0;
            // A model without vertices draws nothing at all.
            if (vertices == 0 || face.partno < 0 || face.partno >= h.NumPart || face.matno < 0 ||
                face.matno >= h.NumMaterial)
                continue;
            Obj3dDrawRange* range = m->drawrange.at(int64_t{face.matno} * h.NumPart + face.partno);
            if (range == nullptr) continue;
            if (range->count == 0) range->start = static_cast<int32_t>(3 * f);
            range->count += 3;
        }
        start += 3 * uint64_t{faces};
    }
    return out;
}

std::vector<uint32_t> packHairIndices(std::span<Obj3dModel* const> models) {
    std::vector<uint32_t> out(hairIndexCount(models));
    uint64_t start = 0;
    for (Obj3dModel* m : models) {
        const size_t hairs = hairCount(*m);
        if (hairs == 0) continue;
        m->head()->hairstartindex = static_cast<int32_t>(start);
        const size_t vertices = vertexCount(*m);
        for (size_t h = 0; h < hairs; ++h) {
            const Obj3dFace* face = m->face.at(m->particlehairface[h].faceno);
            const bool valid = face != nullptr && m->particlehairface[h].faceno < m->head()->NumFace &&
                               cornersInRange(*face, vertices);
            for (int k = 0; k < 3; ++k) out[start + 3 * h + k] = valid ? static_cast<uint32_t>(face->vertexno[k]) : 0;
        }
        start += 3 * uint64_t{hairs};
    }
    return out;
}

namespace {

struct GroupBuffers {
    std::unique_ptr<gpu::Buffer> vertex;
    std::unique_ptr<gpu::Buffer> index;
};

std::array<GroupBuffers, 4>& groups() {
    static std::array<GroupBuffers, 4> buffers;
    return buffers;
}

std::unique_ptr<gpu::Buffer>& hairBuffer() {
    static std::unique_ptr<gpu::Buffer> buffer;
    return buffer;
}

GroupBuffers& buffersOf(LayoutGroup group) { return groups()[static_cast<size_t>(group)]; }

// Complete models in slot order, all or those of one group.
std::vector<Obj3dModel*> completeModels(const LayoutGroup* group) {
    std::vector<Obj3dModel*> models;
    for (int m = 0; m < kModelSlots; ++m)
        if (Obj3dModel* model = completeModel(m); model && (!group || groupOf(*model->head()) == *group))
            models.push_back(model);
    return models;
}

std::unique_ptr<gpu::Buffer> immutableBuffer(gpu::Device* device, uint32_t bind, const void* data, uint64_t bytes) {
    if (bytes > std::numeric_limits<uint32_t>::max()) return nullptr;
    gpu::BufferDesc desc;
    desc.byteWidth = static_cast<uint32_t>(bytes);
    desc.usage = gpu::Usage::Immutable;
    desc.bindFlags = bind;
    return device->createBuffer(desc, data);
}

// Positions in the shared buffers are int32 in the model headers.
bool fitsPositions(uint64_t count) { return count <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()); }

}  // namespace

int buildGroupBuffers(LayoutGroup group, gpu::Device* device, gpu::Context* context) {
    if (device == nullptr) return -2;
    const std::vector<Obj3dModel*> models = completeModels(&group);
    const uint64_t vertices = groupVertexCount(models);
    if (vertices == 0) return -1;
    GroupBuffers& buffers = buffersOf(group);
    // Unbind before release: the context only borrows the buffers.
    if (context != nullptr) {
        context->iaSetVertexBuffer(groupFormat(group).inputSlot, nullptr, 0, 0);
        if (buffers.index) context->iaSetIndexBuffer(nullptr, gpu::Format::R32_UInt, 0);
    }
    buffers.vertex.reset();
    buffers.index.reset();

    const GroupFormat format = groupFormat(group);
    if (!fitsPositions(vertices)) return -2;
    {
        const std::vector<uint8_t> packed = packVertices(models, group);
        buffers.vertex = immutableBuffer(device, gpu::BindVertexBuffer, packed.data(), packed.size());
    }
    if (!buffers.vertex) return -2;
    if (context != nullptr) context->iaSetVertexBuffer(format.inputSlot, buffers.vertex.get(), format.stride, 0);

    resetDrawRanges(models);
    const uint64_t indices = groupIndexCount(models);
    if (indices == 0) return -3;
    if (!fitsPositions(indices)) return -4;
    const std::vector<uint32_t> packed = packIndices(models);
    buffers.index = immutableBuffer(device, gpu::BindIndexBuffer, packed.data(), packed.size() * sizeof(uint32_t));
    return buffers.index ? 1 : -4;
}

int buildParticlehairIndexBuffer(gpu::Device* device, gpu::Context* context) {
    if (device == nullptr) return -2;
    const std::vector<Obj3dModel*> models = completeModels(nullptr);
    const uint64_t indices = hairIndexCount(models);
    if (indices == 0) return -1;
    if (context != nullptr && hairBuffer()) context->iaSetIndexBuffer(nullptr, gpu::Format::R32_UInt, 0);
    hairBuffer().reset();
    if (!fitsPositions(indices)) return -2;
    const std::vector<uint32_t> packed = packHairIndices(models);
    hairBuffer() = immutableBuffer(device, gpu::BindIndexBuffer, packed.data(), packed.size() * sizeof(uint32_t));
    return hairBuffer() ? 1 : -2;
}

gpu::Buffer* groupVertexBuffer(LayoutGroup group) { return buffersOf(group).vertex.get(); }
gpu::Buffer* groupIndexBuffer(LayoutGroup group) { return buffersOf(group).index.get(); }
gpu::Buffer* particlehairIndexBuffer() { return hairBuffer().get(); }

void releaseModelBuffers() {
    for (GroupBuffers& buffers : groups()) {
        buffers.vertex.reset();
        buffers.index.reset();
    }
    hairBuffer().reset();
}

}  // namespace korvel::model
