#include "math/frustum.h"

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

Frustum frustumFromProjection(const Matrix& projection) {
    const Matrix inv = inverse(projection);
    const Float4 right = transform({1, 0, 1, 1}, inv);
    const Float4 left = transform({-1, 0, 1, 1}, inv);
    const Float4 top = transform({0, 1, 1, 1}, inv);
    const Float4 bottom = transform({0, -1, 1, 1}, inv);
    const Float4 nearPoint = transform({0, 0, 0, 1}, inv);
    const Float4 farPoint = transform({0, 0, 1, 1}, inv);
    Frustum f;
    f.origin = {0, 0, 0};
    f.orientation = {0, 0, 0, 1};
    f.rightSlope = right.x / right.z;
    f.leftSlope = left.x / left.z;
    f.topSlope = top.y / top.z;
    f.bottomSlope = bottom.y / bottom.z;
    f.nearDistance = nearPoint.z / nearPoint.w;
    f.farDistance = farPoint.z / farPoint.w;
    return f;
}

Frustum transformFrustum(const Frustum& source, float scale, Quaternion rotation, Float3 translation) {
    Frustum f = source;
    f.origin = rotate(source.origin * scale, rotation) + translation;
    f.orientation = compose(source.orientation, rotation);
    f.nearDistance = source.nearDistance * scale;
    f.farDistance = source.farDistance * scale;
    return f;
}

}  // namespace korvel::math
