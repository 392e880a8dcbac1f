// Pure camera arithmetic: projection matrices by mode and the orientation of
// the view frustum.
#pragma once

#include "math/types.h"

namespace korvel::device {

// Left-handed projection mapping depth nearZ to 0 and farZ to 1.
// Mode 0: a = vertical field of view (radians), b = aspect (width / height).
// Mode 1: a, b = width and height of the view volume at the near plane.
// Mode 2: orthographic, a, b = width and height of the view volume.
// Returns false for any other mode, leaving out untouched. Degenerate inputs
// (equal planes, zero sizes) give non-finite elements, kept as computed.
bool projectionForMode(int mode, double a, double b, double nearZ, double farZ, math::Matrix& out);

// The rotation that carries the view's own axes (x right, y up, z forward)
// onto the world: the transpose of the rotation block of the look-to view
// `view`, whose columns are those axes in world space. When the view has no
// proper axes (the eye on the look-at point, the up vector along the view
// direction), the shortest rotation from +z to the direction from eye to at
// stands in, or the identity when both points share x and y.
math::Quaternion frustumOrientation(const math::Matrix& view, math::Float3 eye, math::Float3 at);

}  // namespace korvel::device
