#pragma once

// Three- and four-component vector operations, and the single-precision
// trigonometry with the library's own edge rules.

#include <cmath>
#include <limits>

#include "math/types.h"

namespace korvel::math {

constexpr Float3 operator+(Float3 a, Float3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Float3 operator-(Float3 a, Float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr Float3 operator-(Float3 a) { return {-a.x, -a.y, -a.z}; }
constexpr Float3 operator*(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr Float3 operator*(float s, Float3 a) { return a * s; }

constexpr float dot(Float3 a, Float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr float dot4(Float4 a, Float4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

constexpr Float3 cross(Float3 a, Float3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float length(Float3 v) { return std::sqrt(dot(v, v)); }

// Unit vector along v. A zero vector stays zero (no division by zero); a vector
// whose squared length overflows to infinity gives quiet NaN in every component.
inline Float3 normalize(Float3 v) {
    const float lengthSquared = dot(v, v);
    if (lengthSquared == std::numeric_limits<float>::infinity()) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan};
    }
    const float len = std::sqrt(lengthSquared);
    if (len == 0.0f) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {v.x / len, v.y / len, v.z / len};
}

// (x, y, z, 1) x m, without the divide by w.
constexpr Float4 transformPoint(Float3 p, const Matrix& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2],
            p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3]};
}

// Four-component row vector times m.
constexpr Float4 transform(Float4 v, const Matrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

// (x, y, z, 1) x m, then x, y and z divided by w.
constexpr Float3 transformCoord(Float3 p, const Matrix& m) {
    const Float4 h = transformPoint(p, m);
    return {h.x / h.w, h.y / h.w, h.z / h.w};
}

// (x, y, z, 0) x m: the translation row is ignored.
constexpr Float3 transformNormal(Float3 n, const Matrix& m) {
    return {n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0], n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
            n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
}

// Magnitude up to which an arc cosine input counts as a rounded +-1.
inline constexpr float kACosLimit = 1.0000001f;

// Arc cosine in [0, pi]. Inputs a rounding step outside [-1, 1] (magnitude up
// to 1.0000001) are treated as +-1; anything larger gives NaN.
inline float scalarACos(float x) {
    if (!(std::fabs(x) <= kACosLimit)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return std::acos(x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x));
}

// Angle of (x, y) in [-pi, pi] with the C library's quadrant and special-value
// rules (signed zeros and infinities included).
inline float scalarATan2(float y, float x) { return std::atan2(y, x); }

}  // namespace korvel::math
