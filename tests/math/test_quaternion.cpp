#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

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
using testing::sameRotation;

constexpr float kPi = std::numbers::pi_v<float>;

Quaternion scaled(Quaternion q, float s) { return {q.x * s, q.y * s, q.z * s, q.w * s}; }

float angleBetween(Quaternion a, Quaternion b) {
    return 2.0f * std::acos(std::fmin(1.0f, std::fabs(dot(a, b))));
}

TEST(Quaternion, MatrixRoundTripCoversEveryBranch) {
    Random random(21);
    std::vector<Quaternion> cases;
    for (int i = 0; i < 500; ++i) {
        cases.push_back(random.rotation());
    }
    // Half turns and near half turns: the trace is about -1, so x, y or z is
    // taken from the square root.
    for (const Float3 axis : {Float3{1, 0, 0}, Float3{0, 1, 0}, Float3{0, 0, 1}, normalize(Float3{1, 2, 3}),
                              normalize(Float3{-3, 1, 2}), normalize(Float3{1, -1, 5})}) {
        for (float angle : {kPi, kPi * 0.999f, -kPi * 0.97f}) {
            const float s = std::sin(angle / 2);
            cases.push_back({axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)});
        }
    }
    for (const Quaternion q : cases) {
        const Matrix m = matrixFromQuaternion(q);
        ASSERT_TRUE(isRotation(m, 3e-6f));
        const Quaternion back = quaternionFromMatrix(m);
        EXPECT_TRUE(sameRotation(back, q, 2e-6f));
        EXPECT_TRUE(nearMatrix(matrixFromQuaternion(back), m, 3e-6f));
    }
}

TEST(Quaternion, FromMatrixTakesTheSquareRootComponentNonNegative) {
    // Half turn about y: trace -1, y is the largest diagonal difference.
    const Quaternion q = quaternionFromMatrix(rotationNormal({0, 1, 0}, kPi));
    EXPECT_NEAR(q.y, 1, 1e-6f);
    EXPECT_NEAR(q.w, 0, 1e-6f);
    // Identity: the trace branch, w = 1.
    const Quaternion one = quaternionFromMatrix(identity());
    EXPECT_EQ(one.w, 1.0f);
    EXPECT_EQ(one.x, 0.0f);
    // A negative-w rotation comes back as its positive-w twin.
    const Quaternion back = quaternionFromMatrix(matrixFromQuaternion({0.6f, 0, 0, -0.8f}));
    EXPECT_NEAR(back.x, -0.6f, 1e-6f);
    EXPECT_NEAR(back.w, 0.8f, 1e-6f);
}

TEST(Quaternion, ComposeAndRotateAgreeWithMatrices) {
    Random random(23);
    for (int i = 0; i < 300; ++i) {
        const Quaternion a = random.rotation();
        const Quaternion b = random.rotation();
        const Float3 v = random.point(10);
        EXPECT_TRUE(nearMatrix(matrixFromQuaternion(compose(a, b)),
                               multiply(matrixFromQuaternion(a), matrixFromQuaternion(b)), 3e-6f));
        EXPECT_TRUE(near3(rotate(v, a), transformNormal(v, matrixFromQuaternion(a)), 3e-5f));
        EXPECT_TRUE(near3(inverseRotate(rotate(v, a), a), v, 3e-5f));
        EXPECT_TRUE(near3(rotate(rotate(v, a), b), rotate(v, compose(a, b)), 5e-5f));
    }
}

TEST(Quaternion, NormalizeGuardsZeroAndInfinity) {
    const Quaternion unit = normalize(Quaternion{0, 3, 0, 4});
    EXPECT_FLOAT_EQ(unit.y, 0.6f);
    EXPECT_FLOAT_EQ(unit.w, 0.8f);
    const Quaternion zero = normalize(Quaternion{0, 0, 0, 0});
    EXPECT_TRUE(zero.x == 0 && zero.y == 0 && zero.z == 0 && zero.w == 0);
    const Quaternion huge = normalize(Quaternion{1e20f, 1e20f, 0, 0});
    EXPECT_TRUE(std::isnan(huge.x) && std::isnan(huge.y) && std::isnan(huge.z) && std::isnan(huge.w));
}

TEST(Slerp, ReturnsItsEndsUpToSign) {
    Random random(24);
    for (int i = 0; i < 300; ++i) {
        const Quaternion q0 = random.rotation();
        const Quaternion q1 = random.rotation();
        const Quaternion start = slerp(q0, q1, 0);
        const Quaternion end = slerp(q0, q1, 1);
        for (const auto& [got, want] : {std::pair{start, q0}, std::pair{end, dot(q0, q1) < 0 ? scaled(q1, -1) : q1}}) {
            EXPECT_NEAR(got.x, want.x, 2e-6f);
            EXPECT_NEAR(got.y, want.y, 2e-6f);
            EXPECT_NEAR(got.z, want.z, 2e-6f);
            EXPECT_NEAR(got.w, want.w, 2e-6f);
        }
    }
}

TEST(Slerp, TakesTheShortWayAtConstantSpeed) {
    Random random(25);
    for (int i = 0; i < 300; ++i) {
        const Quaternion q0 = random.rotation();
        const Quaternion q1 = random.rotation();
        const float total = angleBetween(q0, q1);
        ASSERT_LE(total, kPi + 1e-5f);
        for (float t : {0.25f, 0.5f, 0.8f}) {
            const Quaternion q = slerp(q0, q1, t);
            EXPECT_NEAR(dot(q, q), 1, 2e-5f);
            EXPECT_NEAR(angleBetween(q0, q), t * total, 2e-3f);
            EXPECT_NEAR(angleBetween(q, q1), (1 - t) * total, 2e-3f);
        }
    }
}

TEST(Slerp, NearlyParallelInputsBlendLinearly) {
    // dot(q0, q1) is above 0.99999: the result is the plain blend, not unit length.
    const Quaternion q0{0, 0, 0, 1};
    const Quaternion q1 = normalize(Quaternion{0.004f, 0, 0, 1});
    ASSERT_GE(dot(q0, q1), 1.0f - 0.00001f);
    const Quaternion mid = slerp(q0, q1, 0.5f);
    EXPECT_FLOAT_EQ(mid.x, 0.5f * q1.x);
    EXPECT_FLOAT_EQ(mid.w, 0.5f * (1 + q1.w));
    EXPECT_LT(dot(mid, mid), 1.0f);
    // The same with the far sign of q1: the blend runs towards -q1.
    const Quaternion flipped = slerp(q0, scaled(q1, -1), 0.5f);
    EXPECT_FLOAT_EQ(flipped.x, mid.x);
    EXPECT_FLOAT_EQ(flipped.w, mid.w);
}

}  // namespace
}  // namespace korvel::math
