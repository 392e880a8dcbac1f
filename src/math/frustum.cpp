#include "math/frustum.h"

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

Frustum frustumFromProjection(const Matrix& projection) {
    const Matrix inv = inverse(projection);
    const Float4 nearPoint = transform({0, 0, 0, 1}, inv);
    const Float4 farPoint = transform({0, 0, 1, 1}, inv);
    Frustum f;
    f.origin = {0, 0, 0};
    f.orientation = {0, 0, 0, 1};
    f.nearDistance = nearPoint.z / nearPoint.w;
    f.farDistance = farPoint.z / farPoint.w;
    if (projection.m[2][3] != 0.0f) {
        // Perspective: clip w grows with view depth, so every side plane
        // passes through the eye and its slope is read at depth 1.
        const Float4 right = transform({1, 0, 1, 1}, inv);
        const Float4 left = transform({-1, 0, 1, 1}, inv);
        const Float4 top = transform({0, 1, 1, 1}, inv);
        const Float4 bottom = transform({0, -1, 1, 1}, inv);
        f.rightSlope = right.x / right.z;
        f.leftSlope = left.x / left.z;
        f.topSlope = top.y / top.z;
        f.bottomSlope = bottom.y / bottom.z;
        return f;
    }
    // Parallel projection: each side plane passes through the points under
    // its clip-space edge at depth 0 and at depth 1 (for the orthographic
    // mode: zero slope, offset half the view size).
    const auto side = [&inv](float x, float y, float& slope, float& offset) {
        const Float4 n = transform({x, y, 0, 1}, inv);
        const Float4 d = transform({x, y, 1, 1}, inv);
        const float nearU = (x != 0.0f ? n.x : n.y) / n.w;
        const float farU = (x != 0.0f ? d.x : d.y) / d.w;
        slope = (farU - nearU) / (d.z / d.w - n.z / n.w);
        offset = nearU - slope * (n.z / n.w);
    };
    side(1, 0, f.rightSlope, f.rightOffset);
    side(-1, 0, f.leftSlope, f.leftOffset);
    side(0, 1, f.topSlope, f.topOffset);
    side(0, -1, f.bottomSlope, f.bottomOffset);
    return f;
}

Frustum transformFrustum(const Frustum& source, float scale, Quaternion rotation, Float3 translation) {
    Frustum f = source;
    f.origin = rotate(source.origin * scale, rotation) + translation;
    f.orientation = compose(source.orientation, rotation);
    f.nearDistance = source.nearDistance * scale;
    f.farDistance = source.farDistance * scale;
    f.rightOffset = source.rightOffset * scale;
    f.leftOffset = source.leftOffset * scale;
    f.topOffset = source.topOffset * scale;
    f.bottomOffset = source.bottomOffset * scale;
    return f;
}

}  // namespace korvel::math
