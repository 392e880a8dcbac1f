// The math module on hand-worked cases: quarter and half turns, a halfway
// slerp, inverses, known boxes and spheres, the degenerate point sets the
// oriented box must survive, and boxes against view volumes whose answer is
// worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "math/bounds.h"
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

    // Scale (2, 4, 1) then move by (1, 2, 3); the inverse moves back, then halves.
    const Matrix m = multiply(scaling(2, 4, 1), translation(1, 2, 3));
    float det = 0;
    EXPECT_TRUE(near3(transformCoord({3, 2, 3}, inverse(m, &det)), {1, 0, 0}, 1e-6f));
    EXPECT_EQ(det, 8.0f);
    EXPECT_TRUE(near3(transformCoord({1, 0, 0}, m), {3, 2, 3}, 0));

    // Every cofactor counts: M x inverse(M) is the identity for dense matrices
    // (which pins the inverse, as it is unique).
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
    // name, q0, q1, t, the expected rotation about z
    const std::tuple<const char*, Quaternion, Quaternion, float, Quaternion> cases[] = {
        {"start", none, quarter, 0, none},
        {"end", none, quarter, 1, quarter},
        {"halfway", none, quarter, 0.5f, eighth},
        {"a quarter of the way to a half turn", none, {0, 0, 1, 0}, 0.25f, eighth},
        {"negative dot: the short way", none, negated, 0.5f, eighth},
        {"negative dot, end: -q1", none, negated, 1, quarter},
    };
    for (const auto& [name, q0, q1, t, expected] : cases) {
        const Quaternion q = slerp(q0, q1, t);
        EXPECT_NEAR(q.z, expected.z, 2e-6f) << name;
        EXPECT_NEAR(q.w, expected.w, 2e-6f) << name;
    }
    // dot(q0, q1) above 0.99999: the plain blend, not unit length.
    const Quaternion close = normalize(Quaternion{0.004f, 0, 0, 1});
    const Quaternion mid = slerp(none, close, 0.5f);
    EXPECT_FLOAT_EQ(mid.x, 0.5f * close.x);
    EXPECT_FLOAT_EQ(mid.w, 0.5f * (1 + close.w));
}

const Quaternion kNone{0, 0, 0, 1};
const Quaternion kTurned{0, 0, std::sin(kPi / 8), std::cos(kPi / 8)};  // 45 degrees about z

// Orthographic, 20 x 15 from depth 1 to 50.
const Matrix kOrthographic{{{0.1f, 0, 0, 0}, {0, 2 / 15.0f, 0, 0}, {0, 0, 1 / 49.0f, 0}, {0, 0, -1 / 49.0f, 1}}};

// Every point lies in the box (within rounding).
::testing::AssertionResult containsAll(const Obox& box, const std::vector<Float3>& points) {
    for (const Float3& p : points) {
        const Float3 local = inverseRotate(p - box.center, box.orientation);
        if (std::fabs(local.x) > box.extents.x + 1e-5f || std::fabs(local.y) > box.extents.y + 1e-5f ||
            std::fabs(local.z) > box.extents.z + 1e-5f)
            return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ", " << p.z << ") is outside";
    }
    return ::testing::AssertionSuccess();
}

TEST(Bounds, AaboxAndSphere) {
    const Float3 points[3] = {{1, -2, 3}, {-1, 4, 3}, {0, 0, 7}};
    const Aabox box = aaboxFromPoints(3, points);
    EXPECT_TRUE(near3(box.center, {0, 1, 5}, 0));
    EXPECT_TRUE(near3(box.extents, {1, 3, 2}, 0));
    EXPECT_TRUE(near3(aaboxFromPoints(0, nullptr).extents, {0, 0, 0}, 0));
    EXPECT_EQ(sphereFromPoints(0, nullptr, 12).radius, 0.0f);

    // The x, y and z extreme pairs are all 2 apart, so the z pair (first and
    // last point) seeds the sphere; growing it for (2, 0, 0) then gives a
    // golden-ratio radius. Seeding with the x or y pair would end elsewhere.
    const Float3 tie[5] = {{0, 0, 0}, {2, 0, 0}, {1, -1, 0.5f}, {1, 1, 0.5f}, {0, 0, 2}};
    const Sphere s = sphereFromPoints(5, tie, sizeof(Float3));
    const float golden = (1 + std::sqrt(5.0f)) / 2, shift = 1 - golden / std::sqrt(5.0f);
    EXPECT_TRUE(near3(s.center, {2 * shift, 0, 1 - shift}, 1e-6f));
    EXPECT_NEAR(s.radius, golden, 1e-6f);

    // x and y pairs 2 apart, z pair 0: the y pair seeds at (1.5, 0, 0), and
    // the sphere grows once for the origin. Read from 17-byte records.
    const Float3 flat[4] = {{0, 0, 0}, {2, 0, 0}, {1.5f, -1, 0}, {1.5f, 1, 0}};
    std::vector<unsigned char> records(17 * 4, 0xAB);
    for (int i = 0; i < 4; ++i) std::memcpy(&records[17 * i + 1], &flat[i], sizeof(Float3));
    const Sphere f = sphereFromPoints(4, records.data() + 1, 17);
    EXPECT_TRUE(near3(f.center, {1.25f, 0, 0}, 1e-6f));
    EXPECT_NEAR(f.radius, 1.25f, 1e-6f);
}

// Known boxes: a 9 x 5 x 3 grid filling an 8 x 4 x 2 box, turned and moved,
// and a flat kite whose axes are (1, -2) and (2, 1): for each in-plane
// eigenvalue, the two rows of the covariance minus it are parallel.
TEST(Bounds, OboxFitsKnownBoxes) {
    const Float3 axis = normalize(Float3{1, 2, 3});
    const Quaternion turn{axis.x * std::sin(0.5f), axis.y * std::sin(0.5f), axis.z * std::sin(0.5f), std::cos(0.5f)};
    std::vector<Float3> grid;
    for (int x = -4; x <= 4; ++x)
        for (int y = -2; y <= 2; ++y)
            for (int z = -1; z <= 1; ++z)
                grid.push_back(rotate(Float3{float(x), float(y), float(z)}, turn) + Float3{10, 0, 0});
    const std::vector<Float3> kite = {{1, 2, 0}, {-1, -2, 0}, {2, -2, 0}, {-2, 2, 0}};
    const float root5 = std::sqrt(5.0f);
    for (const auto& [points, center, sorted] : {std::tuple{grid, Float3{10, 0, 0}, Float3{1, 2, 4}},
                                                 std::tuple{kite, Float3{0, 0, 0}, Float3{0, 4 / root5, 6 / root5}}}) {
        const Obox box = oboxFromPoints(points.size(), points.data());
        EXPECT_TRUE(near3(box.center, center, 1e-5f));
        float extents[3] = {box.extents.x, box.extents.y, box.extents.z};
        std::sort(extents, extents + 3);
        EXPECT_TRUE(near3({extents[0], extents[1], extents[2]}, sorted, 1e-5f));
        EXPECT_TRUE(containsAll(box, points));
    }
}

// Degenerate sets still give a unit orientation and a box around every point.
TEST(Bounds, OboxOfDegenerateSetsContainsEveryPoint) {
    const std::vector<std::vector<Float3>> sets = {
        {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {5, 0, 0}},             // on an axis
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},                        // on a diagonal
        {{0, 0, 1}, {4, 0, 1}, {0, 2, 1}, {4, 2, 1}, {1, 1, 1}},  // in a plane
        {{0, 3, -1}, {0, 3, 2}, {0, 5, -1}, {0, 5, 2}},           // a square in x = 0
        {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}},
        {{1, 2, 3}, {-4, 0, 7}},   // two points
        {{3, -1, 2}, {3, -1, 2}},  // one place
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        const Obox box = oboxFromPoints(sets[i].size(), sets[i].data());
        EXPECT_NEAR(dot(box.orientation, box.orientation), 1, 1e-6f) << "set " << i;
        EXPECT_TRUE(containsAll(box, sets[i])) << "set " << i;
    }
    EXPECT_EQ(oboxFromPoints(0, nullptr).orientation.w, 1.0f);
}

// The orthographic volume comes from its projection here; both kinds, placed
// by the camera, are pinned by the camera test's boxes under pixels.
TEST(Frustum, BoxTest) {
    const Frustum pyramid{{0, 0, 0}, kNone, 1, -1, 1, -1, 1, 100};
    const Frustum box = frustumFromProjection(kOrthographic);
    struct Case {
        const char* name;
        const Frustum& frustum;
        Obox obox;
        int expected;
    };
    const Case cases[] = {
        {"inside", pyramid, {{0, 0, 50}, {1, 1, 1}, kNone}, kInside},
        {"behind the apex", pyramid, {{0, 0, -5}, {1, 1, 1}, kNone}, kOutside},
        {"in front of the near plane", pyramid, {{0, 0, 0.5f}, {0.2f, 0.2f, 0.2f}, kNone}, kOutside},
        {"across a side plane", pyramid, {{50, 0, 50}, {1, 1, 1}, kNone}, kIntersecting},
        {"beyond the far plane", pyramid, {{0, 0, 150}, {5, 5, 5}, kNone}, kOutside},
        {"touching the far plane", pyramid, {{0, 0, 101}, {1, 1, 1}, kNone}, kIntersecting},
        {"around the whole volume", pyramid, {{0, 0, 50}, {500, 500, 500}, kNone}, kIntersecting},
        // Beside the edge where the right and top planes meet, turned: no
        // plane separates it alone, an edge cross product does.
        {"beside the edge", pyramid, {{12, 12, 10}, {1, 1, 1}, kTurned}, kOutside},
        {"touching the edge", pyramid, {{11.5f, 11.5f, 10}, {1, 1, 1}, kTurned}, kIntersecting},
        {"orthographic: near the corner", box, {{9.5f, 7, 2}, {0.1f, 0.1f, 0.1f}, kNone}, kInside},
        {"orthographic: beside", box, {{10.5f, 0, 25}, {0.1f, 0.1f, 0.1f}, kNone}, kOutside},
        {"orthographic: beside the edge", box, {{10.74f, 8.24f, 25}, {1, 0.1f, 1}, kTurned}, kOutside},
        {"orthographic: touching the edge", box, {{10.68f, 8.18f, 25}, {1, 0.1f, 1}, kTurned}, kIntersecting},
    };
    for (const Case& c : cases) EXPECT_EQ(oboxFrustumTest(c.obox, c.frustum), c.expected) << c.name;
}

}  // namespace
}  // namespace korvel::math
