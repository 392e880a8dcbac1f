#include "math/matrix.h"

#include <cmath>

#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {

namespace {

// Adjugate of m (transposed cofactor matrix), from the 2 x 2 minors of the top
// two and the bottom two rows.
Matrix adjugate(const Matrix& m) {
    const auto& a = m.m;
    const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    Matrix r;
    r.m[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
    r.m[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
    r.m[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    r.m[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    r.m[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
    r.m[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
    r.m[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    r.m[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    r.m[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
    r.m[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
    r.m[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    r.m[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    r.m[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
    r.m[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
    r.m[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    r.m[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
    return r;
}

// Row 0 of m times the cofactors of row 0 (column 0 of the adjugate).
float expandRow0(const Matrix& m, const Matrix& adj) {
    return m.m[0][0] * adj.m[0][0] + m.m[0][1] * adj.m[1][0] + m.m[0][2] * adj.m[2][0] + m.m[0][3] * adj.m[3][0];
}

}  // namespace

Matrix identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

Matrix transpose(const Matrix& m) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = m.m[j][i];
        }
    }
    return r;
}

float determinant(const Matrix& m) { return expandRow0(m, adjugate(m)); }

Matrix inverse(const Matrix& m, float* determinantOut) {
    Matrix r = adjugate(m);
    const float det = expandRow0(m, r);
    if (determinantOut != nullptr) {
        *determinantOut = det;
    }
    const float reciprocal = 1.0f / det;
    for (auto& row : r.m) {
        for (float& element : row) {
            element *= reciprocal;
        }
    }
    return r;
}

Matrix scaling(float x, float y, float z) { return {{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}}; }

Matrix translation(float x, float y, float z) { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {x, y, z, 1}}}; }

Matrix rotationPitchYawRoll(float pitch, float yaw, float roll) {
    return matrixFromQuaternion(quaternionPitchYawRoll(pitch, yaw, roll));
}

Matrix rotationPitchYawRoll(Float3 angles) { return rotationPitchYawRoll(angles.x, angles.y, angles.z); }

Matrix rotationNormal(Float3 unitAxis, float angle) {
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float t = 1.0f - c;
    const float x = unitAxis.x;
    const float y = unitAxis.y;
    const float z = unitAxis.z;
    return {{{t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0},
             {t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0},
             {t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0},
             {0, 0, 0, 1}}};
}

Matrix rotationAxis(Float3 axis, float angle) { return rotationNormal(normalize(axis), angle); }

Matrix lookToLH(Float3 eye, Float3 direction, Float3 up) {
    const Float3 z = normalize(direction);
    const Float3 x = normalize(cross(up, z));
    const Float3 y = cross(z, x);
    return {
        {{x.x, y.x, z.x, 0}, {x.y, y.y, z.y, 0}, {x.z, y.z, z.z, 0}, {-dot(x, eye), -dot(y, eye), -dot(z, eye), 1}}};
}

}  // namespace korvel::math
