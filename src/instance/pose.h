// The pose of a model at a frame, pure CPU work on the model store with the
// results in caller-provided arrays: the clamped key search shared by
// motions and shape keys, skeletal joint matrices and the joint palette that
// model drawing uploads, and shape keys (the per-entry offsets drawing
// uploads, and the displacement of single vertices for the CPU queries).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "math/types.h"
#include "model/store.h"

namespace korvel::instance {

// Which key, or which pair of keys and blend factor, a requested frame
// number falls on.
// lo == hi: the single key lo (u is 0). Otherwise the pair (lo, hi = lo + 1)
// blended by u in [0, 1].
struct KeySpan {
    int lo = 0;
    int hi = 0;
    float u = 0.0f;
};

// frameAt(k) is the frame number of key k, 0 <= k < count; count must be at
// least 1. A frame before the first key holds the first key, one after the
// last key the last key; no wrap-around and no extrapolation. Every index
// returned lies in [0, count), whatever order the frame numbers are in.
template <class FrameAt>
KeySpan searchKeys(int frame, int count, FrameAt frameAt) {
    const int first = frameAt(0);
    const int requested = frame < first ? first : frame;
    for (int k = 0; k < count; ++k) {
        const int at = frameAt(k);
        if (at == requested) return {k, k, 0.0f};
        if (at > requested) {
            // k >= 1 here: the first key is never above the clamped request.
            const double before = frameAt(k - 1);
            return {k - 1, k, static_cast<float>((requested - before) / (at - before))};
        }
    }
    return {count - 1, count - 1, 0.0f};
}

// What one draw or query asks for: a shape key and its frame, a motion and
// its frame (negative shape key or motion: none).
struct PoseRequest {
    int shapekey;
    int shapekeyframe;
    int motion;
    int frame;
};

// The palette constant buffer holds 120 matrices.
inline constexpr int kPaletteJoints = 120;

// The joints of a model that can be evaluated: NumJoint when the joint table
// holds that many records, else 0 (a model whose tables disagree is not
// posed).
int poseJointCount(const model::Obj3dModel& model);

// Whether motion `motion` exists and its frame numbers and keys lie inside
// the model's tables for all poseJointCount joints.
bool motionUsable(const model::Obj3dModel& model, int motion);

// Chained joint matrices G[j] = L[j] x G[parent] for motion `motion` at frame
// `frame`, into out[0 .. poseJointCount - 1], where L[j] = translation(-rest
// position) x scale x rotation x translation(key). Joint 0, and any joint
// whose parent is -1 or not smaller than itself, is a root: G[j] = L[j].
// Returns false, writing nothing, unless motionUsable.
bool jointMatrices(const model::Obj3dModel& model, int motion, int frame, math::Matrix* out);

enum class PoseOutcome {
    Written,    // the output holds the result
    NoMotions,  // the model has no motion: there is no palette to upload
    Refused,    // not drawable: too many joints or shape-key vertices for the
                // constant buffers, a number outside the model, or tables
                // that disagree; nothing meaningful was written
};

struct JointPalette {
    int count = 0;                        // NumJoint
    math::Matrix matrix[kPaletteJoints];  // transposed joint matrices
};

// The palette for (motion, frame): identity for every joint when motion is
// negative, else the transposed jointMatrices. A model with more than 120
// joints is refused rather than drawn with part of its skeleton.
PoseOutcome jointPalette(const model::Obj3dModel& model, int motion, int frame, JointPalette& out);

// The offsets constant buffer holds 64 entries.
inline constexpr int kShapekeyOffsetsMax = 64;

struct ShapekeyOffsets {
    int32_t flag = 0;                               // 1 when a shape key is applied
    int count = 1;                                  // entries to upload: NumShapekeyVertex when applied, else 1
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
