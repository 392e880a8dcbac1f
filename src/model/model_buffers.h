// The models' shared GPU buffers: the four layout groups with their GPU vertex
// formats, the CPU packing of the buffers' contents, and the builders that
// make the buffers on the device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/records.h"
#include "model/store.h"
#include "platform/gpu/gpu.h"

namespace korvel::model {

// The four layout groups that models fall into by normalmode and skinmode,
// each with its own GPU vertex format and vertex-buffer input slot.

enum class LayoutGroup : uint8_t { Plain = 0, Normal = 1, PlainSkinned = 2, NormalSkinned = 3 };

// The GPU vertex of each group, field by field as the input layouts read
// it: 4-byte fields, no padding, the skin fields interleaved (joint, weight,
// joint, weight) unlike the CPU weight record.
struct PlainVertex {
    float posx, posy, posz, texu, texv;
    int32_t shapekey;  // shape-key vertex index, -1 none
};
struct NormalVertex {
    float posx, posy, posz, texu, texv, normx, normy, normz;
    int32_t shapekey;
};
struct PlainSkinnedVertex {
    float posx, posy, posz, texu, texv;
    int32_t shapekey;
    int32_t jointno0;
    float weight0;
    int32_t jointno1;
    float weight1;
};
struct NormalSkinnedVertex {
    float posx, posy, posz, texu, texv, normx, normy, normz;
    int32_t shapekey;
    int32_t jointno0;
    float weight0;
    int32_t jointno1;
    float weight1;
};

static_assert(sizeof(PlainVertex) == 24 && offsetof(PlainVertex, texu) == 12 && offsetof(PlainVertex, shapekey) == 20);
static_assert(sizeof(NormalVertex) == 36 && offsetof(NormalVertex, normx) == 20 &&
              offsetof(NormalVertex, shapekey) == 32);
static_assert(sizeof(PlainSkinnedVertex) == 40 && offsetof(PlainSkinnedVertex, shapekey) == 20 &&
              offsetof(PlainSkinnedVertex, jointno0) == 24 && offsetof(PlainSkinnedVertex, weight0) == 28 &&
              offsetof(PlainSkinnedVertex, jointno1) == 32 && offsetof(PlainSkinnedVertex, weight1) == 36);
static_assert(sizeof(NormalSkinnedVertex) == 52 && offsetof(NormalSkinnedVertex, normx) == 20 &&
              offsetof(NormalSkinnedVertex, shapekey) == 32 && offsetof(NormalSkinnedVertex, jointno0) == 36 &&
              offsetof(NormalSkinnedVertex, weight0) == 40 && offsetof(NormalSkinnedVertex, jointno1) == 44 &&
              offsetof(NormalSkinnedVertex, weight1) == 48);

struct GroupFormat {
    uint32_t inputSlot;
    uint32_t stride;  // bytes per vertex
    bool normals;
    bool skin;
};

// Groups 0, 1, 0ba, 1ba: input slots 0 to 3 and the vertices above.
constexpr GroupFormat groupFormat(LayoutGroup group) {
    switch (group) {
        case LayoutGroup::Plain:
            return {0, sizeof(PlainVertex), false, false};
        case LayoutGroup::Normal:
            return {1, sizeof(NormalVertex), true, false};
        case LayoutGroup::PlainSkinned:
            return {2, sizeof(PlainSkinnedVertex), false, true};
        case LayoutGroup::NormalSkinned:
            return {3, sizeof(NormalSkinnedVertex), true, true};
    }
    return {0, sizeof(PlainVertex), false, false};
}

// normalmode 1 selects the groups with normals, skinmode 2 the skinned ones.
constexpr LayoutGroup groupOf(const Obj3dHeader& header) {
    const bool normals = header.normalmode == 1;
    if (header.skinmode == 2) return normals ? LayoutGroup::NormalSkinned : LayoutGroup::PlainSkinned;
    return normals ? LayoutGroup::Normal : LayoutGroup::Plain;
}

// CPU packing of the shared model buffers: the vertices of a layout group's
// models back to back in the group's GPU vertex format, their faces as
// 32-bit indices, and the particle-hair triangles of all models. Packing
// writes where each model landed (basevertex, startindex, drawrange,
// hairstartindex) and nothing else; the models are given in slot order.
//
// Values outside a model's tables are never followed: a face corner outside
// the model's vertices is packed as a degenerate triangle (0, 0, 0), a skin
// joint outside the model's joints as joint 0 with weight 0, and a face whose
// part or material is outside the drawrange table is recorded in no range.

// The number of vertices (or indices) the models contribute.
uint64_t groupVertexCount(std::span<Obj3dModel* const> models);
uint64_t groupIndexCount(std::span<Obj3dModel* const> models);
uint64_t hairIndexCount(std::span<Obj3dModel* const> models);

// Packed vertices (groupFormat(group).stride bytes each); sets basevertex.
std::vector<uint8_t> packVertices(std::span<Obj3dModel* const> models, LayoutGroup group);
// A fresh zeroed drawrange table per model (NumMaterial x NumPart entries,
// absent when that cannot be allocated).
void resetDrawRanges(std::span<Obj3dModel* const> models);
// Packed face indices; sets startindex and fills the drawrange tables.
std::vector<uint32_t> packIndices(std::span<Obj3dModel* const> models);
// Packed particle-hair triangles; sets hairstartindex of models with hair.
std::vector<uint32_t> packHairIndices(std::span<Obj3dModel* const> models);

// The shape-key vertex index of each vertex: its identity (originalvertexno
// when 0 or more, else its own index) looked up in the shape-key vertex list
// from position 0; -1 when not listed or the model has no shape keys.
std::vector<int32_t> shapekeyVertexIndices(const Obj3dModel& model);

// The shared GPU buffers of the models: per layout group one immutable vertex
// buffer (bound once to the group's input slot) and one immutable index
// buffer of 32-bit indices, plus one index buffer of particle-hair triangles.
// The builders rebuild one of them from every complete model; models left
// incomplete by a failed load are skipped. Without a device (null) they
// return -2 at once and change nothing: no buffer, header or draw range.

// 1 success; -1 the group has no vertices (nothing changed); -2 vertex buffer
// creation failed or no device; -3 the group has no faces (vertex buffer
// built and bound, no index buffer); -4 index buffer creation failed.
int buildGroupBuffers(LayoutGroup group, gpu::Device* device, gpu::Context* context);
// 1 success; -1 no model has particle hair (nothing changed); -2 creation
// failed or no device.
int buildParticlehairIndexBuffer(gpu::Device* device, gpu::Context* context);

// The current buffers, null when not built.
gpu::Buffer* groupVertexBuffer(LayoutGroup group);
gpu::Buffer* groupIndexBuffer(LayoutGroup group);
gpu::Buffer* particlehairIndexBuffer();

// Releases every shared model buffer (CleanupDevice).
void releaseModelBuffers();

}  // namespace korvel::model
