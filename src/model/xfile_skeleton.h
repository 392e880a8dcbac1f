// The X importer's joint and animation passes.
//
// Joints: under the joint root frame, every line naming a "_Joint" frame is
// the next joint, child of the innermost open joint frame; its position is
// the translation row of its frame matrix times the scale, plus its
// parent's model-space position. A line with "}" closes the innermost joint.
//
// Animations: each animation set is a motion; each of its animations, one
// per joint position, holds n rotation, n scale and n translation keys for
// the joint its target names (the targets of the last set serve all sets).
// Rotations are stored conjugated, translations scaled and offset by the
// parent joint's model-space position. An animation whose target names no
// joint is read past and stored nowhere.
#pragma once

#include <span>
#include <vector>

#include "model/store.h"
#include "model/xfile_counts.h"
#include "model/xfile_lines.h"
#include "model/xfile_raw.h"

namespace korvel::model::xfile {

// From the current position on; false unless exactly numJoint joints are
// found.
bool readJoints(XLines& lines, int32_t numJoint, float scale, std::vector<RawJoint>& joints);

// Fills the model's motion, frameno and keyframe tables, sized for the
// counts; false when a set's key count differs from the counted one or the
// sets differ from the counted sets.
bool readAnimations(XLines& lines, const MotionCounts& counts, std::span<const RawJoint> joints, float scale,
                    Obj3dModel& model);

}  // namespace korvel::model::xfile
