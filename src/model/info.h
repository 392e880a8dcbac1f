// Small read-only questions about a stored model: counts, a vertex position
// and the last key frame of a motion or shape key. Indices outside the
// model's tables give no answer.
#pragma once

#include <cstdint>
#include <optional>

#include "model/store.h"

namespace korvel::model {

// normalmode, NumVertex, NumFace, NumMaterial, NumPart, NumJoint, NumMotion,
// NumTotalFrame, NumShapekey, NumShapekeyVertex, NumShapekeydata,
// NumParticlehairFace.
void infoGet(const Obj3dModel& model, int32_t out[12]);
// posx, posy, posz of the vertex; false when it does not exist.
bool pointInfo(const Obj3dModel& model, int vertex, double out[3]);
// frameno entry firstframe + numframe - 1 of the motion.
std::optional<int> motionLastFrame(const Obj3dModel& model, int motion);
// frameno of shape-key record firstdata + numframe - 1 of the kind.
std::optional<int> shapekeyLastFrame(const Obj3dModel& model, int kind);

}  // namespace korvel::model
