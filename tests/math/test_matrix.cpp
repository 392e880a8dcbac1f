// Vectors, matrices, rotations, views and quaternions on hand-worked cases:
// quarter turns, half turns, a halfway slerp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "support/math.h"

namespace korvel::math {
namespace {

using testing::near3;

constexpr float kPi = std::numbers::pi_v<float>;

Quaternion aboutAxis(Float3 axis, float angle) {
    const float s = std::sin(angle / 2);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
}

// Zero stays zero, overflow is NaN; one rounding step beyond +-1 is still an
// arc cosine, anything further NaN.
TEST(Scalar, NormalizeAndArcCosineEdges) {
    EXPECT_TRUE(near3(normalize(Float3{3, 0, -4}), {0.6f, 0, -0.8f}, 1e-7f));
    EXPECT_TRUE(near3(normalize(Float3{0, 0, 0}), {0, 0, 0}, 0));
    EXPECT_TRUE(std::isnan(normalize(Float3{1e30f, 0, 0}).z));
    EXPECT_FLOAT_EQ(scalarACos(0.5f), kPi / 3);
    EXPECT_EQ(scalarACos(1.0000001f), 0.0f);
    EXPECT_FLOAT_EQ(scalarACos(-1.0000001f), kPi);
    EXPECT_TRUE(std::isnan(scalarACos(std::nextafter(1.0000001f, 2.0f))));
    EXPECT_TRUE(std::isnan(scalarACos(std::numeric_limits<float>::quiet_NaN())));
}

TEST(Matrix, DeterminantAndInverse) {
    const Matrix swapXY = {{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    const Matrix projective = {{{0, 0, 0, 2}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
    EXPECT_FLOAT_EQ(determinant(scaling(2, 3, 4)), 24);
    EXPECT_FLOAT_EQ(determinant(swapXY), -1);
    EXPECT_FLOAT_EQ(determinant(projective), -2);

    // Scale (2, 4, 1) then move by (1, 2, 3): the inverse moves back, then halves.
    const Matrix m = multiply(scaling(2, 4, 1), translation(1, 2, 3));
    const Matrix expected = {{{0.5f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 1, 0}, {-0.5f, -0.5f, -3, 1}}};
    float det = 0;
    const Matrix inv = inverse(m, &det);
    EXPECT_EQ(det, 8.0f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(inv.m[i][j], expected.m[i][j]) << i << j;
    EXPECT_TRUE(near3(transformCoord({1, 0, 0}, m), {3, 2, 3}, 0));

    // Every cofactor counts: M x inverse(M) is the identity for dense matrices.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> any(-1, 1);
    for (int round = 0; round < 50; ++round) {
        Matrix dense;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) dense.m[i][j] = any(rng) + (i == j ? 3.0f : 0.0f);
        const Matrix product = multiply(dense, inverse(dense));
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) ASSERT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f) << round;
    }
    // A singular matrix gives non-finite elements and determinant 0, no fault.
    EXPECT_FALSE(std::isfinite(inverse(Matrix{}, &det).m[0][0]));
    EXPECT_EQ(det, 0.0f);
}

// Where each rotation or view sends a point.
TEST(Matrix, QuarterTurnsAndViews) {
    struct Case {
        const char* name;
        Matrix transform;
        Float3 from, to;
    };
    const Case cases[] = {
        {"pitch", rotationPitchYawRoll(kPi / 2, 0, 0), {0, 1, 0}, {0, 0, 1}},
        {"yaw", rotationPitchYawRoll(0, kPi / 2, 0), {0, 0, 1}, {1, 0, 0}},
        {"roll", rotationPitchYawRoll(0, 0, kPi / 2), {1, 0, 0}, {0, 1, 0}},
        // Roll first, then pitch, then yaw: z stays, then goes to -y.
        {"roll, pitch, yaw: z", rotationPitchYawRoll(kPi / 2, kPi / 2, kPi / 2), {0, 0, 1}, {0, -1, 0}},
        {"roll, pitch, yaw: y", rotationPitchYawRoll({kPi / 2, kPi / 2, kPi / 2}), {0, 1, 0}, {0, 0, 1}},
        {"about z", rotationAxis({0, 0, 7}, kPi / 2), {1, 0, 0}, {0, 1, 0}},
        {"about a diagonal", rotationNormal(normalize(Float3{1, 1, 1}), 2 * kPi / 3), {1, 0, 0}, {0, 1, 0}},
        {"zero axis: cosine only", rotationAxis({0, 0, 0}, kPi / 3), {2, 4, 6}, {1, 2, 3}},
        {"from a quaternion", matrixFromQuaternion(aboutAxis({1, 0, 0}, kPi / 2)), {0, 1, 0}, {0, 0, 1}},
        // From (1, 2, 3) along +x with y up: +x is ahead, -z to the right.
        {"view: ahead", lookToLH({1, 2, 3}, {4, 0, 0}, {0, 1, 0}), {3, 2, 3}, {0, 0, 2}},
        {"view: right", lookToLH({1, 2, 3}, {4, 0, 0}, {0, 1, 0}), {1, 2, 2}, {1, 0, 0}},
        {"view: up", lookToLH({1, 2, 3}, {4, 0, 0}, {0, 1, 0}), {1, 3, 3}, {0, 1, 0}},
    };
    for (const Case& c : cases) EXPECT_TRUE(near3(transformCoord(c.from, c.transform), c.to, 1e-6f)) << c.name;
}

TEST(Quaternion, FromMatrixComposeAndNormalize) {
    // The trace branch, then each of x, y, z taken from the square root.
    for (const Quaternion q : {aboutAxis({0, 0, 1}, kPi / 2), Quaternion{1, 0, 0, 0}, Quaternion{0, 1, 0, 0},
                               Quaternion{0, 0, 1, 0}, aboutAxis(normalize(Float3{1, -1, 5}), kPi * 0.97f)})
        EXPECT_TRUE(testing::sameRotation(quaternionFromMatrix(matrixFromQuaternion(q)), q, 2e-6f));
    // The component taken from the square root is never negative.
    const Quaternion back = quaternionFromMatrix(matrixFromQuaternion({0.6f, 0, 0, -0.8f}));
    EXPECT_NEAR(back.x, -0.6f, 1e-6f);
    EXPECT_NEAR(back.w, 0.8f, 1e-6f);

    const Quaternion z = aboutAxis({0, 0, 1}, kPi / 2), x = aboutAxis({1, 0, 0}, kPi / 2);
    EXPECT_TRUE(near3(rotate({1, 0, 0}, compose(z, x)), {0, 0, 1}, 1e-6f));  // x to y about z, then y to z
    EXPECT_TRUE(near3(rotate({1, 0, 0}, compose(x, z)), {0, 1, 0}, 1e-6f));
    EXPECT_TRUE(near3(inverseRotate({0, 1, 0}, z), {1, 0, 0}, 1e-6f));
    EXPECT_FLOAT_EQ(normalize(Quaternion{0, 3, 0, 4}).w, 0.8f);
    EXPECT_EQ(normalize(Quaternion{0, 0, 0, 0}).w, 0.0f);
    EXPECT_TRUE(std::isnan(normalize(Quaternion{1e20f, 1e20f, 0, 0}).w));
}

TEST(Quaternion, SlerpHalfwayEndsShortWayAndNearlyParallel) {
    const Quaternion none{0, 0, 0, 1}, quarter = aboutAxis({0, 0, 1}, kPi / 2);
    const Quaternion eighth = aboutAxis({0, 0, 1}, kPi / 4);
    const Quaternion negated{-quarter.x, -quarter.y, -quarter.z, -quarter.w};
    struct Case {
        const char* name;
        Quaternion q0, q1;
        float t;
        Quaternion expected;
    };
    const Case cases[] = {
        {"start", none, quarter, 0, none},
        {"end", none, quarter, 1, quarter},
        {"halfway", none, quarter, 0.5f, eighth},
        {"a quarter of the way to a half turn", none, {0, 0, 1, 0}, 0.25f, eighth},
        {"negative dot: the short way", none, negated, 0.5f, eighth},
        {"negative dot, end: -q1", none, negated, 1, quarter},
    };
    for (const Case& c : cases) {
        const Quaternion q = slerp(c.q0, c.q1, c.t);
        EXPECT_NEAR(q.z, c.expected.z, 2e-6f) << c.name;
        EXPECT_NEAR(q.w, c.expected.w, 2e-6f) << c.name;
    }
    // dot(q0, q1) above 0.99999: the plain blend, not unit length.
    const Quaternion close = normalize(Quaternion{0.004f, 0, 0, 1});
    const Quaternion mid = slerp(none, close, 0.5f);
    EXPECT_FLOAT_EQ(mid.x, 0.5f * close.x);
    EXPECT_FLOAT_EQ(mid.w, 0.5f * (1 + close.w));
}

}  // namespace
}  // namespace korvel::math
