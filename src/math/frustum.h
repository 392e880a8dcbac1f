#pragma once

// View-volume construction and placement.

#include "math/types.h"

namespace korvel::math {

// The view volume of a projection matrix in view space: apex at the origin,
// no rotation, slopes and near/far distances read back through the inverse.
Frustum frustumFromProjection(const Matrix& projection);

// Scales the source about the origin by `scale`, then rotates it by
// `rotation` and moves it by `translation`. Slopes are unchanged.
Frustum transformFrustum(const Frustum& source, float scale, Quaternion rotation, Float3 translation);

}  // namespace korvel::math
