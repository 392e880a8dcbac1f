#include <algorithm>

#include "math/bounds.h"
#include "math/matrix.h"
#include "math/principal_axes.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

namespace {

// Sums are kept in double: a hundred thousand float products would otherwise
// lose most of their digits.
Covariance covarianceAboutMean(size_t count, const Float3* points) {
    double sx = 0, sy = 0, sz = 0;
    for (size_t i = 0; i < count; ++i) {
        sx += points[i].x;
        sy += points[i].y;
        sz += points[i].z;
    }
    const double n = static_cast<double>(count);
    const double mx = sx / n, my = sy / n, mz = sz / n;
    Covariance c{0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < count; ++i) {
        const double x = points[i].x - mx, y = points[i].y - my, z = points[i].z - mz;
        c.xx += x * x;
        c.yy += y * y;
        c.zz += z * z;
        c.xy += x * y;
        c.xz += x * z;
        c.yz += y * z;
    }
    return c;
}

// Rotation whose rows are the axes, made right-handed, then passed through a
// normalised quaternion so that it is exactly a rotation.
Quaternion orientationFromAxes(const Float3 axes[3]) {
    const float sign = dot(axes[0], cross(axes[1], axes[2])) < 0.0f ? -1.0f : 1.0f;
    Matrix r = identity();
    for (int i = 0; i < 3; ++i) {
        r.m[i][0] = axes[i].x * sign;
        r.m[i][1] = axes[i].y * sign;
        r.m[i][2] = axes[i].z * sign;
    }
    return normalize(quaternionFromMatrix(r));
}

}  // namespace

Obox oboxFromPoints(size_t count, const Float3* points) {
    if (count == 0) {
        return {{0, 0, 0}, {0, 0, 0}, {0, 0, 0, 1}};
    }
    const Covariance c = covarianceAboutMean(count, points);
    Float3 axes[3];
    principalAxes(c, axes);
    const Quaternion orientation = orientationFromAxes(axes);
    const Matrix r = matrixFromQuaternion(orientation);
    const Matrix toBox = transpose(r);

    Float3 lo = transformNormal(points[0], toBox);
    Float3 hi = lo;
    for (size_t i = 1; i < count; ++i) {
        const Float3 p = transformNormal(points[i], toBox);
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return {transformNormal((lo + hi) * 0.5f, r), (hi - lo) * 0.5f, orientation};
}

}  // namespace korvel::math
