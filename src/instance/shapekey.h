// Shape keys: the per-entry offsets that model drawing uploads, and the
// displacement of single vertices for the CPU evaluation.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "instance/key_search.h"
#include "instance/pose.h"
#include "math/types.h"
#include "model/store.h"

namespace korvel::instance {

// The offsets constant buffer holds 64 entries.
inline constexpr int kShapekeyOffsetsMax = 64;

struct ShapekeyOffsets {
    int32_t flag = 0;  // 1 when a shape key is applied
    int count = 1;     // entries to upload: NumShapekeyVertex when applied, else 1
    math::Float4 offset[kShapekeyOffsetsMax] = {};  // (dx, dy, dz, 0)
};

// The offsets for shape key `shapekey` at frame `frame`. Inactive (flag 0,
// one zero entry) when the model has no shape keys or shapekey is negative.
// Refused when the model's list has more than 64 entries, when shapekey is
// not one of the model's kinds, or when the kind's key frames lie outside
// its tables. A moved-vertex row that lies outside the tables, or that names
// an entry outside the list, is skipped.
PoseOutcome shapekeyOffsets(const model::Obj3dModel& model, int shapekey, int frame, ShapekeyOffsets& out);

// One shape key at one frame, for displacing single vertices by the rule the
// drawing follows: a vertex's entry is its first position in the shape-key
// vertex list, and the entry's displacement comes from the kind's row whose
// skvertexindex names that entry (the last such row when several do).
class ShapekeySampler {
public:
    // The sampler for kind `shapekey` at frame `frame`, or none when the kind
    // does not exist or its key frames lie outside the model's tables.
    static std::optional<ShapekeySampler> make(const model::Obj3dModel& model, int shapekey, int frame);

    // The displacement of the vertex with shape-key identity `identity`;
    // zero when the identity is not in the list or no row of the kind names
    // its entry.
    math::Float3 displacement(int identity) const;

private:
    ShapekeySampler(const model::Obj3dModel& model, const model::Shapekeyinfo& kind, const KeySpan& span);

    std::vector<math::Float3> entryOffset_;  // per list entry
    std::vector<int> listPosition_;          // per vertex identity: first list position, or -1
};

}  // namespace korvel::instance
