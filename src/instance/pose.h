// Skeletal pose: joint matrices for a motion and a frame, and the joint
// palette that model drawing uploads. Pure CPU work on the model store; the
// results go to caller-provided arrays.
#pragma once

#include <cstdint>

#include "math/types.h"
#include "model/store.h"

namespace korvel::instance {

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
    int count = 0;                          // NumJoint
    math::Matrix matrix[kPaletteJoints];   // transposed joint matrices
};

// The palette for (motion, frame): identity for every joint when motion is
// negative, else the transposed jointMatrices. A model with more than 120
// joints is refused rather than drawn with part of its skeleton.
PoseOutcome jointPalette(const model::Obj3dModel& model, int motion, int frame, JointPalette& out);

}  // namespace korvel::instance
