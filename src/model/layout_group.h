// The four layout groups that models fall into by normalmode and skinmode,
// each with its own GPU vertex format and vertex-buffer input slot.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/records.h"

namespace korvel::model {

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
        case LayoutGroup::Plain: return {0, sizeof(PlainVertex), false, false};
        case LayoutGroup::Normal: return {1, sizeof(NormalVertex), true, false};
        case LayoutGroup::PlainSkinned: return {2, sizeof(PlainSkinnedVertex), false, true};
        case LayoutGroup::NormalSkinned: return {3, sizeof(NormalSkinnedVertex), true, true};
    }
    return {0, sizeof(PlainVertex), false, false};
}

// normalmode 1 selects the groups with normals, skinmode 2 the skinned ones.
constexpr LayoutGroup groupOf(const Obj3dHeader& header) {
    const bool normals = header.normalmode == 1;
    if (header.skinmode == 2) return normals ? LayoutGroup::NormalSkinned : LayoutGroup::PlainSkinned;
    return normals ? LayoutGroup::Normal : LayoutGroup::Plain;
}

}  // namespace korvel::model
