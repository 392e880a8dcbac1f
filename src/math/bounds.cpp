#include "math/bounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

namespace {

Float3 loadPoint(const unsigned char* base, size_t index, size_t strideBytes) {
    Float3 p;
    std::memcpy(&p, base + index * strideBytes, sizeof p);
    return p;
}

// Principal axes of a point cloud from its covariance: the eigenvalues of the
// symmetric 3 x 3 covariance by the trigonometric cubic method, one eigenvector
// per eigenvalue, and the repair that turns the three vectors into usable box
// axes when the eigen decomposition degenerates.

constexpr Float3 kCoordinateAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// Dot products above this magnitude make two axes non-orthogonal.
constexpr float kOrthogonalDot = 0.1f;

bool isZero(Float3 v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

bool nonOrthogonal(Float3 a, Float3 b) { return std::fabs(dot(a, b)) > kOrthogonalDot; }

void setCoordinateAxes(Float3 axes[3]) { std::copy(kCoordinateAxes, kCoordinateAxes + 3, axes); }

// Rebuilds the two zero axes from the one non-zero axis `keep`, keeping the
// cyclic order so that the result is right-handed.
void rebuildFromOne(Float3 axes[3], int keep) {
    const Float3 v = axes[keep];
    Float3 side = cross({0, 1, 0}, v);
    if (dot(side, side) < 1e-5f) {
        side = cross({1, 0, 0}, v);
    }
    const Float3 a = normalize(side);
    axes[(keep + 1) % 3] = a;
    axes[(keep + 2) % 3] = cross(v, a);
}

// Eigenvalues in the order of the trigonometric method. Returns false when the
// characteristic cubic does not have three real roots.
bool covarianceEigenvalues(const Covariance& c, double roots[3]) {
    const double e = -(c.xx + c.yy + c.zz);
    const double f = c.xx * c.yy + c.yy * c.zz + c.zz * c.xx - c.xy * c.xy - c.xz * c.xz - c.yz * c.yz;
    const double g =
        c.xy * c.xy * c.zz + c.xz * c.xz * c.yy + c.yz * c.yz * c.xx - 2.0 * c.xy * c.yz * c.xz - c.xx * c.yy * c.zz;
    const double p = f - e * e / 3.0;
    const double q = g - e * f / 3.0 + 2.0 * e * e * e / 27.0;
    const double h = q * q / 4.0 + p * p * p / 27.0;
    if (h > 0.0) {
        return false;
    }
    if (h == 0.0 && q == 0.0) {
        roots[0] = roots[1] = roots[2] = -e / 3.0;
        return true;
    }
    const double d = std::sqrt(q * q / 4.0 - h);
    const double rc = std::cbrt(d);
    // Rounding can carry the cosine a hair outside [-1, 1].
    const double theta = std::acos(std::clamp(-q / (2.0 * d), -1.0, 1.0));
    const double ct = std::cos(theta / 3.0);
    const double st = std::sqrt(3.0) * std::sin(theta / 3.0);
    roots[0] = 2.0 * rc * ct - e / 3.0;
    roots[1] = -rc * (ct + st) - e / 3.0;
    roots[2] = -rc * (ct - st) - e / 3.0;
    return true;
}

// Unit eigenvector for the given eigenvalue (zero when none is found).
Float3 covarianceEigenvector(const Covariance& c, double eigenvalue) {
    const double a11 = c.xx - eigenvalue;
    const double a22 = c.yy - eigenvalue;
    const double a33 = c.zz - eigenvalue;
    // Cross product of the first two rows of (C - L I).
    double x = c.xy * c.yz - c.xz * a22;
    double y = c.xz * c.xy - c.yz * a11;
    double z = a11 * a22 - c.xy * c.xy;
    if (x == 0.0 && y == 0.0 && z == 0.0) {
        // The first two rows are parallel: pick a vector orthogonal to the
        // first non-zero row f of (C - L I).
        const double rows[3][3] = {{a11, c.xy, c.xz}, {c.xy, a22, c.yz}, {c.xz, c.yz, a33}};
        double f[3] = {1.0, 0.0, 0.0};
        for (const auto& row : rows) {
            if (row[0] != 0.0 || row[1] != 0.0 || row[2] != 0.0) {
                std::copy(row, row + 3, f);
                break;
            }
        }
        x = f[0] != 0.0 ? 1.0 : 0.0;
        y = f[1] != 0.0 ? 1.0 : 0.0;
        if (f[2] != 0.0) {
            z = -(x * f[0] + y * f[1]) / f[2];
        } else {
            z = 0.0;
            if (c.xy != 0.0) {
                y = -f[0] / f[1];
            }
        }
    }
    double lengthSquared = x * x + y * y + z * z;
    if (!(lengthSquared > 1e-5)) {
        x *= 100000.0;
        y *= 100000.0;
        z *= 100000.0;
        lengthSquared = x * x + y * y + z * z;
    }
    if (lengthSquared == 0.0) {
        return {0, 0, 0};
    }
    const double len = std::sqrt(lengthSquared);
    return {static_cast<float>(x / len), static_cast<float>(y / len), static_cast<float>(z / len)};
}

// Replaces zero or non-orthogonal (|dot| > 0.1) vectors by cross products of
// the others, or all three by the coordinate axes when nothing can be kept.
void repairAxes(Float3 axes[3]) {
    const bool zero[3] = {isZero(axes[0]), isZero(axes[1]), isZero(axes[2])};
    const bool skew01 = nonOrthogonal(axes[0], axes[1]);
    const bool skew12 = nonOrthogonal(axes[1], axes[2]);
    const bool skew02 = nonOrthogonal(axes[0], axes[2]);
    const int zeroCount = zero[0] + zero[1] + zero[2];
    if (zeroCount == 3 || (skew01 && skew12 && skew02) || (skew01 && zero[2]) || (skew12 && zero[0]) ||
        (skew02 && zero[1])) {
        setCoordinateAxes(axes);
        return;
    }
    if (zeroCount == 2) {
        rebuildFromOne(axes, !zero[0] ? 0 : (!zero[1] ? 1 : 2));
        return;
    }
    if (zero[0] || skew01) {
        axes[0] = cross(axes[1], axes[2]);
    } else if (zero[1] || skew12) {
        axes[1] = cross(axes[2], axes[0]);
    } else if (zero[2] || skew02) {
        axes[2] = cross(axes[0], axes[1]);
    }
}

// The covariance's eigenvectors, repaired; the coordinate axes when the
// eigenvalues cannot be found.
void principalAxes(const Covariance& c, Float3 axes[3]) {
    double roots[3];
    if (!covarianceEigenvalues(c, roots)) {
        setCoordinateAxes(axes);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        axes[i] = covarianceEigenvector(c, roots[i]);
    }
    repairAxes(axes);
}

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
    return covarianceAbout(count, sx / n, sy / n, sz / n, [points](size_t i) { return points[i]; });
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

Aabox aaboxFromPoints(size_t count, const Float3* points) {
    if (count == 0) {
        return {{0, 0, 0}, {0, 0, 0}};
    }
    Float3 lo = points[0];
    Float3 hi = points[0];
    for (size_t i = 1; i < count; ++i) {
        const Float3 p = points[i];
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return {(lo + hi) * 0.5f, (hi - lo) * 0.5f};
}

Sphere sphereFromPoints(size_t count, const void* firstPoint, size_t strideBytes) {
    if (count == 0) {
        return {{0, 0, 0}, 0};
    }
    const auto* base = static_cast<const unsigned char*>(firstPoint);

    // Pass 1: the points with the smallest and largest coordinate on each axis;
    // ties keep the earlier point.
    const Float3 first = loadPoint(base, 0, strideBytes);
    Float3 minX = first, maxX = first, minY = first, maxY = first, minZ = first, maxZ = first;
    for (size_t i = 1; i < count; ++i) {
        const Float3 p = loadPoint(base, i, strideBytes);
        if (p.x < minX.x) minX = p;
        if (p.x > maxX.x) maxX = p;
        if (p.y < minY.y) minY = p;
        if (p.y > maxY.y) maxY = p;
        if (p.z < minZ.z) minZ = p;
        if (p.z > maxZ.z) maxZ = p;
    }
    const float dx = length(maxX - minX);
    const float dy = length(maxY - minY);
    const float dz = length(maxZ - minZ);
    Float3 a = minZ;
    Float3 b = maxZ;
    if (dx > dy && dx > dz) {
        a = minX;
        b = maxX;
    } else if (dy >= dx && dy > dz) {
        a = minY;
        b = maxY;
    }
    Float3 center = (a + b) * 0.5f;
    float radius = length(b - a) * 0.5f;

    // Pass 2: grow the sphere just enough to take in each point outside it.
    for (size_t i = 0; i < count; ++i) {
        const Float3 offset = loadPoint(base, i, strideBytes) - center;
        const float d = length(offset);
        if (d > radius) {
            const float grown = (radius + d) * 0.5f;
            center = center + offset * (1.0f - grown / d);
            radius = grown;
        }
    }
    return {center, radius};
}

Quaternion principalOrientation(const Covariance& c) {
    Float3 axes[3];
    principalAxes(c, axes);
    return orientationFromAxes(axes);
}

Obox oboxFromPoints(size_t count, const Float3* points) {
    if (count == 0) {
        return {{0, 0, 0}, {0, 0, 0}, {0, 0, 0, 1}};
    }
    const Quaternion orientation = principalOrientation(covarianceAboutMean(count, points));
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
