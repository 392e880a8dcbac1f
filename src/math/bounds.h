#pragma once

// Bounding volumes fitted to point sets, view volumes built from projections,
// and the oriented-box versus view volume test used for culling. With no
// points, each fitting routine returns a zero-sized volume at the origin (an
// Obox with the identity orientation).

#include <cstddef>

#include "math/types.h"

namespace korvel::math {

// Tightest axis-aligned box of `count` packed points.
Aabox aaboxFromPoints(size_t count, const Float3* points);

// Enclosing sphere, grown one point at a time from the most distant pair among
// the per-axis extreme points. Point i is the Float3 that starts
// i * strideBytes bytes after firstPoint (no alignment needed).
Sphere sphereFromPoints(size_t count, const void* firstPoint, size_t strideBytes);

// Box aligned with the principal axes of the points' covariance; orthonormal,
// right-handed orientation.
Obox oboxFromPoints(size_t count, const Float3* points);

// Covariance sums about the centre of mass (not divided by the point count).
struct Covariance {
    double xx, yy, zz, xy, xz, yz;
};

// The covariance sums of count points about the mean (mx, my, mz), each sum
// adding (double(p) - mean) products point by point in order; point(i)
// gives point i as a Float3. oboxFromPoints and callers that keep their
// points in another layout share it, so their boxes agree bit for bit.
template <class PointAt>
Covariance covarianceAbout(size_t count, double mx, double my, double mz, PointAt point) {
    Covariance c{0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < count; ++i) {
        const Float3 p = point(i);
        const double x = p.x - mx, y = p.y - my, z = p.z - mz;
        c.xx += x * x;
        c.yy += y * y;
        c.zz += z * z;
        c.xy += x * y;
        c.xz += x * z;
        c.yz += y * z;
    }
    return c;
}

// The orientation oboxFromPoints gives points of this covariance, for callers
// that gather the sums themselves with covarianceAbout, the mean being
// sum / count in double.
Quaternion principalOrientation(const Covariance& c);

// The view volume of a projection matrix in view space, placed at the origin
// with no rotation: side planes and near/far distances read back through the
// inverse. A perspective projection gives a pyramid with its apex at the
// origin, a parallel (orthographic) one a box.
Frustum frustumFromProjection(const Matrix& projection);

// Scales the source about the origin by `scale`, then rotates it by
// `rotation` and moves it by `translation`. Slopes are unchanged; offsets and
// distances scale.
Frustum transformFrustum(const Frustum& source, float scale, Quaternion rotation, Float3 translation);

enum FrustumTestResult : int {
    kOutside = 0,
    kIntersecting = 1,
    kInside = 2,
};

// 0 when the box and the view volume are disjoint, 2 when the box lies wholly
// inside it, 1 otherwise. Touching counts as intersecting.
int oboxFrustumTest(const Obox& box, const Frustum& frustum);

}  // namespace korvel::math
