#include <algorithm>
#include <cmath>

#include "math/bounds.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

namespace {

// Box in the frustum's own space: centre and the three unit axes.
struct LocalBox {
    Float3 center;
    Float3 extents;
    Float3 axes[3];
};

// Half the length of the box's shadow on `direction`, in units of |direction|.
float projectedRadius(const LocalBox& box, Float3 direction) {
    return box.extents.x * std::fabs(dot(direction, box.axes[0])) +
           box.extents.y * std::fabs(dot(direction, box.axes[1])) +
           box.extents.z * std::fabs(dot(direction, box.axes[2]));
}

LocalBox toFrustumSpace(const Obox& box, const Frustum& frustum) {
    const Quaternion orientation = compose(box.orientation, conjugate(frustum.orientation));
    const Matrix r = matrixFromQuaternion(orientation);
    LocalBox local;
    local.center = inverseRotate(box.center - frustum.origin, frustum.orientation);
    local.extents = box.extents;
    for (int i = 0; i < 3; ++i) {
        local.axes[i] = {r.m[i][0], r.m[i][1], r.m[i][2]};
    }
    return local;
}

// True when some axis separates the box from the frustum: the box axes and the
// cross products of each box axis with each frustum edge direction. The
// frustum's face normals have been tried by the caller.
bool separated(const LocalBox& box, const Frustum& f) {
    Float3 corners[8];
    int n = 0;
    struct Side {
        float slope, offset;
    };
    const Side xSides[2] = {{f.rightSlope, f.rightOffset}, {f.leftSlope, f.leftOffset}};
    const Side ySides[2] = {{f.topSlope, f.topOffset}, {f.bottomSlope, f.bottomOffset}};
    for (float distance : {f.nearDistance, f.farDistance}) {
        for (const Side& x : xSides) {
            for (const Side& y : ySides) {
                corners[n++] = {x.slope * distance + x.offset, y.slope * distance + y.offset, distance};
            }
        }
    }
    // The four side edges run along (slope x, slope y, 1); the edges across
    // the near and far faces along x and y, measured at depth 1.
    const Float3 edges[6] = {{f.rightSlope, f.topSlope, 1.0f},
                             {f.rightSlope, f.bottomSlope, 1.0f},
                             {f.leftSlope, f.topSlope, 1.0f},
                             {f.leftSlope, f.bottomSlope, 1.0f},
                             {f.rightSlope - f.leftSlope + (f.rightOffset - f.leftOffset), 0.0f, 0.0f},
                             {0.0f, f.bottomSlope - f.topSlope + (f.bottomOffset - f.topOffset), 0.0f}};

    const auto separatedOn = [&](Float3 axis) {
        float lo = dot(corners[0], axis);
        float hi = lo;
        for (int i = 1; i < 8; ++i) {
            const float p = dot(corners[i], axis);
            lo = std::min(lo, p);
            hi = std::max(hi, p);
        }
        const float d = dot(box.center, axis);
        const float r = projectedRadius(box, axis);
        return d - r > hi || d + r < lo;
    };

    for (const Float3& axis : box.axes) {
        if (separatedOn(axis)) {
            return true;
        }
    }
    for (const Float3& axis : box.axes) {
        for (const Float3& edge : edges) {
            if (separatedOn(cross(axis, edge))) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

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

int oboxFrustumTest(const Obox& obox, const Frustum& f) {
    const LocalBox box = toFrustumSpace(obox, f);

    // Planes (normal, offset): a point p is inside when dot(normal, p) + offset <= 0.
    struct Plane {
        Float3 normal;
        float offset;
    };
    const Plane planes[6] = {
        {{0, 0, -1}, f.nearDistance},
        {{0, 0, 1}, -f.farDistance},
        {{1, 0, -f.rightSlope}, -f.rightOffset},
        {{-1, 0, f.leftSlope}, f.leftOffset},
        {{0, 1, -f.topSlope}, -f.topOffset},
        {{0, -1, f.bottomSlope}, f.bottomOffset},
    };

    bool allInside = true;
    bool centerInside = true;
    for (const Plane& plane : planes) {
        const float dist = dot(plane.normal, box.center) + plane.offset;
        const float radius = projectedRadius(box, plane.normal);
        if (dist > radius) {
            return kOutside;
        }
        allInside = allInside && dist <= -radius;
        centerInside = centerInside && dist <= 0.0f;
    }
    if (allInside) {
        return kInside;
    }
    if (centerInside) {
        return kIntersecting;
    }
    return separated(box, f) ? kOutside : kIntersecting;
}

}  // namespace korvel::math
