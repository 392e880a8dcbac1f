#include "model/model_buffers.h"

#include <array>
#include <limits>
#include <memory>
#include <vector>

#include "model/buffer_packing.h"
#include "model/store.h"

namespace korvel::model {
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
