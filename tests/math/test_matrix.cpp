#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "math_test_support.h"

namespace korvel::math {
namespace {

using testing::isRotation;
using testing::near3;
using testing::nearMatrix;
using testing::Random;

constexpr float kPi = std::numbers::pi_v<float>;

TEST(Vector, NormalizeGuardsZeroAndInfinity) {
    EXPECT_TRUE(near3(normalize(Float3{3, 0, -4}), {0.6f, 0, -0.8f}, 1e-7f));

    const Float3 zero = normalize(Float3{0, 0, 0});
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    // Finite components whose squared length overflows, and an infinite one.
    for (const Float3 v : {Float3{1e30f, 0, 0}, Float3{0, std::numeric_limits<float>::infinity(), 1}}) {
        const Float3 n = normalize(v);
        EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
    }
}

TEST(Vector, TransformPointCoordAndNormal) {
    // A projective matrix with a translation: w picks up z + 1.
    Matrix m = translation(1, 2, 3);
    m.m[2][3] = 1;
    const Float4 h = transformPoint({1, 1, 1}, m);
    EXPECT_FLOAT_EQ(h.x, 2);
    EXPECT_FLOAT_EQ(h.y, 3);
    EXPECT_FLOAT_EQ(h.z, 4);
    EXPECT_FLOAT_EQ(h.w, 2);
    EXPECT_TRUE(near3(transformCoord({1, 1, 1}, m), {1, 1.5f, 2}, 1e-7f));
    EXPECT_TRUE(near3(transformNormal({1, 1, 1}, m), {1, 1, 1}, 0));
}

TEST(Matrix, MultiplyAppliesLeftOperandFirst) {
    // Translate by (1, 0, 0), then scale by 2: (1, 0, 0) goes to (4, 0, 0).
    const Matrix m = multiply(translation(1, 0, 0), scaling(2, 2, 2));
    EXPECT_TRUE(near3(transformCoord({1, 0, 0}, m), {4, 0, 0}, 0));
    EXPECT_EQ(transpose(m).m[0][3], m.m[3][0]);
}

TEST(Matrix, DeterminantKnownValues) {
    EXPECT_FLOAT_EQ(determinant(scaling(2, 3, 4)), 24);
    const Matrix swapXY = {{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    EXPECT_FLOAT_EQ(determinant(swapXY), -1);
    // A non-zero last column takes part in the expansion along row 0.
    const Matrix projective = {{{0, 0, 0, 2}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
    EXPECT_FLOAT_EQ(determinant(projective), -2);
}

TEST(Matrix, InverseTimesMatrixIsIdentity) {
    Random random(7);
    for (int i = 0; i < 500; ++i) {
        // Random entries plus a dominant diagonal keep the matrix well conditioned.
        Matrix m;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                m.m[r][c] = random.uniform(-1, 1) + (r == c ? 3.0f : 0.0f);
            }
        }
        float det = 0;
        const Matrix inv = inverse(m, &det);
        EXPECT_FLOAT_EQ(det, determinant(m));
        EXPECT_TRUE(nearMatrix(multiply(m, inv), identity(), 1e-5f));
        EXPECT_TRUE(nearMatrix(multiply(inv, m), identity(), 1e-5f));
    }
    // Rigid transforms, as camera and instance code invert them.
    for (int i = 0; i < 100; ++i) {
        const Float3 t = random.point(100);
        const Matrix m = multiply(matrixFromQuaternion(random.rotation()), translation(t.x, t.y, t.z));
        EXPECT_TRUE(nearMatrix(multiply(m, inverse(m)), identity(), 1e-4f));
    }
}

TEST(Matrix, SingularInverseIsNonFiniteWithoutFault) {
    const Matrix zero{};
    float det = 1;
    const Matrix inv = inverse(zero, &det);
    EXPECT_EQ(det, 0.0f);
    for (const auto& row : inv.m) {
        for (float e : row) {
            EXPECT_FALSE(std::isfinite(e));
        }
    }
    // Rank 3: the inverse is not finite either.
    Matrix flat = identity();
    flat.m[2][2] = 0;
    EXPECT_FALSE(std::isfinite(inverse(flat, &det).m[0][0]));
    EXPECT_EQ(det, 0.0f);
}

TEST(Rotation, PitchYawRollEdgeCases) {
    EXPECT_TRUE(nearMatrix(rotationPitchYawRoll(0, 0, 0), identity(), 0));
    EXPECT_TRUE(near3(transformNormal({0, 1, 0}, rotationPitchYawRoll(kPi / 2, 0, 0)), {0, 0, 1}, 1e-6f));
    EXPECT_TRUE(near3(transformNormal({0, 0, 1}, rotationPitchYawRoll(0, kPi / 2, 0)), {1, 0, 0}, 1e-6f));
    EXPECT_TRUE(near3(transformNormal({1, 0, 0}, rotationPitchYawRoll(0, 0, kPi / 2)), {0, 1, 0}, 1e-6f));
}

TEST(Rotation, PitchYawRollAppliesRollThenPitchThenYaw) {
    Random random(3);
    for (int i = 0; i < 200; ++i) {
        const Float3 angles{random.uniform(-4, 4), random.uniform(-4, 4), random.uniform(-4, 4)};
        const Matrix roll = rotationNormal({0, 0, 1}, angles.z);
        const Matrix pitch = rotationNormal({1, 0, 0}, angles.x);
        const Matrix yaw = rotationNormal({0, 1, 0}, angles.y);
        const Matrix expected = multiply(multiply(roll, pitch), yaw);
        const Matrix r = rotationPitchYawRoll(angles);
        EXPECT_TRUE(nearMatrix(r, expected, 2e-6f));
        EXPECT_TRUE(isRotation(r, 2e-6f));
    }
}

TEST(Rotation, AxisAngleMatchesQuaternionAndNormalisesAxis) {
    Random random(5);
    for (int i = 0; i < 200; ++i) {
        const Float3 axis = random.unitVector();
        const float angle = random.uniform(-7, 7);
        const float s = std::sin(angle / 2);
        const Quaternion q{axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
        const Matrix r = rotationNormal(axis, angle);
        EXPECT_TRUE(nearMatrix(r, matrixFromQuaternion(q), 2e-6f));
        EXPECT_TRUE(isRotation(r, 2e-6f));
        EXPECT_TRUE(nearMatrix(rotationAxis(axis * 7.5f, angle), r, 2e-6f));
    }
    // A zero axis keeps only the cosine on the diagonal.
    const float c = std::cos(1.0f);
    Matrix expected = scaling(c, c, c);
    EXPECT_TRUE(nearMatrix(rotationAxis({0, 0, 0}, 1.0f), expected, 1e-7f));
}

TEST(View, LookToMapsEyeToOriginAndDirectionToPlusZ) {
    const Matrix v = lookToLH({0, 0, -5}, {0, 0, 1}, {0, 1, 0});
    EXPECT_TRUE(near3(transformCoord({0, 0, 0}, v), {0, 0, 5}, 0));

    Random random(9);
    for (int i = 0; i < 100; ++i) {
        const Float3 eye = random.point(50);
        const Float3 direction = random.unitVector() * random.uniform(0.5f, 10);
        const Matrix view = lookToLH(eye, direction, {0, 1, 0});
        EXPECT_TRUE(isRotation(view, 1e-5f));
        EXPECT_TRUE(near3(transformCoord(eye, view), {0, 0, 0}, 1e-4f));
        EXPECT_TRUE(near3(transformCoord(eye + normalize(direction) * 3, view), {0, 0, 3}, 1e-4f));
        // The up vector lands in the view's upper half of the y-z plane.
        const Float3 up = transformNormal({0, 1, 0}, view);
        EXPECT_NEAR(up.x, 0, 1e-5f);
        EXPECT_GE(up.y, 0);
    }
}

}  // namespace
}  // namespace korvel::math
