#include "math/quaternion.h"

#include <cmath>
#include <limits>

#include "math/vector.h"

namespace korvel::math {

namespace {

// Hamilton product a * b: rotating by it applies b first, then a.
Quaternion hamilton(Quaternion a, Quaternion b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// Below this trace the w component is too small to divide by.
constexpr float kFloatEpsilon = 1.1920929e-7f;

// Above this cosine two quaternions are blended linearly.
constexpr float kSlerpLinearCosine = 1.0f - 0.00001f;

}  // namespace

Quaternion quaternionPitchYawRoll(float pitch, float yaw, float roll) {
    const float sp = std::sin(pitch * 0.5f);
    const float cp = std::cos(pitch * 0.5f);
    const float sy = std::sin(yaw * 0.5f);
    const float cy = std::cos(yaw * 0.5f);
    const float sr = std::sin(roll * 0.5f);
    const float cr = std::cos(roll * 0.5f);
    return {sp * cy * cr + cp * sy * sr, cp * sy * cr - sp * cy * sr, cp * cy * sr - sp * sy * cr,
            cp * cy * cr + sp * sy * sr};
}

Matrix matrixFromQuaternion(Quaternion q) {
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
    return {{{1 - 2 * (yy + zz), 2 * (xy + zw), 2 * (xz - yw), 0},
             {2 * (xy - zw), 1 - 2 * (xx + zz), 2 * (yz + xw), 0},
             {2 * (xz + yw), 2 * (yz - xw), 1 - 2 * (xx + yy), 0},
             {0, 0, 0, 1}}};
}

Quaternion quaternionFromMatrix(const Matrix& matrix) {
    const auto& m = matrix.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    if (trace >= kFloatEpsilon) {
        const float w = std::sqrt(1.0f + trace) * 0.5f;
        const float k = 1.0f / (4.0f * w);
        return {(m[1][2] - m[2][1]) * k, (m[2][0] - m[0][2]) * k, (m[0][1] - m[1][0]) * k, w};
    }
    const float dx = m[0][0] - m[1][1] - m[2][2];
    const float dy = m[1][1] - m[0][0] - m[2][2];
    const float dz = m[2][2] - m[0][0] - m[1][1];
    if (dx >= dy && dx >= dz) {
        const float x = std::sqrt(1.0f + dx) * 0.5f;
        const float k = 1.0f / (4.0f * x);
        return {x, (m[0][1] + m[1][0]) * k, (m[2][0] + m[0][2]) * k, (m[1][2] - m[2][1]) * k};
    }
    if (dy >= dz) {
        const float y = std::sqrt(1.0f + dy) * 0.5f;
        const float k = 1.0f / (4.0f * y);
        return {(m[0][1] + m[1][0]) * k, y, (m[1][2] + m[2][1]) * k, (m[2][0] - m[0][2]) * k};
    }
    const float z = std::sqrt(1.0f + dz) * 0.5f;
    const float k = 1.0f / (4.0f * z);
    return {(m[2][0] + m[0][2]) * k, (m[1][2] + m[2][1]) * k, z, (m[0][1] - m[1][0]) * k};
}

float dot(Quaternion a, Quaternion b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

Quaternion normalize(Quaternion q) {
    const float lengthSquared = dot(q, q);
    if (lengthSquared == std::numeric_limits<float>::infinity()) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan, nan};
    }
    const float len = std::sqrt(lengthSquared);
    if (len == 0.0f) {
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
    return {q.x / len, q.y / len, q.z / len, q.w / len};
}

Quaternion conjugate(Quaternion q) { return {-q.x, -q.y, -q.z, q.w}; }

Quaternion compose(Quaternion a, Quaternion b) { return hamilton(b, a); }

Float3 rotate(Float3 v, Quaternion q) {
    const Quaternion r = hamilton(hamilton(q, {v.x, v.y, v.z, 0.0f}), conjugate(q));
    return {r.x, r.y, r.z};
}

Float3 inverseRotate(Float3 v, Quaternion q) { return rotate(v, conjugate(q)); }

Quaternion slerp(Quaternion q0, Quaternion q1, float t) {
    float cosine = dot(q0, q1);
    const float sign = cosine < 0.0f ? -1.0f : 1.0f;
    cosine *= sign;
    float s0 = 1.0f - t;
    float s1 = t;
    if (cosine < kSlerpLinearCosine) {
        const float omega = scalarATan2(std::sqrt(1.0f - cosine * cosine), cosine);
        const float sinOmega = std::sin(omega);
        s0 = std::sin((1.0f - t) * omega) / sinOmega;
        s1 = std::sin(t * omega) / sinOmega;
    }
    s1 *= sign;
    return {q0.x * s0 + q1.x * s1, q0.y * s0 + q1.y * s1, q0.z * s0 + q1.z * s1, q0.w * s0 + q1.w * s1};
}

}  // namespace korvel::math
