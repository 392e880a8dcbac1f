// The four layout groups that models fall into by normalmode and skinmode,
// each with its own GPU vertex format and vertex-buffer input slot.
#pragma once

#include <cstdint>

#include "model/records.h"

namespace korvel::model {

enum class LayoutGroup : uint8_t { Plain = 0, Normal = 1, PlainSkinned = 2, NormalSkinned = 3 };

struct GroupFormat {
    uint32_t inputSlot;
    uint32_t stride;  // bytes per vertex
    bool normals;
    bool skin;
};

// Groups 0, 1, 0ba, 1ba: input slots 0 to 3, vertices of 24, 36, 40, 52 bytes.
constexpr GroupFormat groupFormat(LayoutGroup group) {
    switch (group) {
        case LayoutGroup::Plain: return {0, 24, false, false};
        case LayoutGroup::Normal: return {1, 36, true, false};
        case LayoutGroup::PlainSkinned: return {2, 40, false, true};
        case LayoutGroup::NormalSkinned: return {3, 52, true, true};
    }
    return {0, 24, false, false};
}

// normalmode 1 selects the groups with normals, skinmode 2 the skinned ones.
constexpr LayoutGroup groupOf(const Obj3dHeader& header) {
    const bool normals = header.normalmode == 1;
    if (header.skinmode == 2) return normals ? LayoutGroup::NormalSkinned : LayoutGroup::PlainSkinned;
    return normals ? LayoutGroup::Normal : LayoutGroup::Plain;
}

}  // namespace korvel::model
