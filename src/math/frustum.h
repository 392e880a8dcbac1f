#pragma once

// View-volume construction and placement.

#include "math/types.h"

namespace korvel::math {

// The view volume of a projection matrix in view space, placed at the origin
// with no rotation: side planes and near/far distances read back through the
// inverse. A perspective projection gives a pyramid with its apex at the
// origin, a parallel (orthographic) one a box.
Frustum frustumFromProjection(const Matrix& projection);

// Scales the source about the origin by `scale`, then rotates it by
// `rotation` and moves it by `translation`. Slopes are unchanged; offsets and
// distances scale.
Frustum transformFrustum(const Frustum& source, float scale, Quaternion rotation, Float3 translation);

}  // namespace korvel::math
