// View volumes from projections, their placement, and the box-versus-volume
// test on boxes whose answer is worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/bounds.h"
#include "math/frustum.h"
#include "math/quaternion.h"
#include "support/math.h"

namespace korvel::math {
namespace {

using testing::near3;

constexpr float kPi = std::numbers::pi_v<float>;
const Quaternion kNone{0, 0, 0, 1};
const Quaternion kTurned{0, 0, std::sin(kPi / 8), std::cos(kPi / 8)};  // 45 degrees about z

// Perspective by a 90-degree field of view at aspect 2, depth 1 to 100.
const Matrix kPerspective{{{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 100 / 99.0f, 1}, {0, 0, -100 / 99.0f, 0}}};
// Orthographic, 20 x 15 from depth 1 to 50.
const Matrix kOrthographic{{{0.1f, 0, 0, 0}, {0, 2 / 15.0f, 0, 0}, {0, 0, 1 / 49.0f, 0}, {0, 0, -1 / 49.0f, 1}}};

TEST(Frustum, FromProjections) {
    const Frustum p = frustumFromProjection(kPerspective);
    EXPECT_NEAR(p.rightSlope, 2, 1e-6f);
    EXPECT_NEAR(p.leftSlope, -2, 1e-6f);
    EXPECT_NEAR(p.topSlope, 1, 1e-6f);
    EXPECT_NEAR(p.bottomSlope, -1, 1e-6f);
    EXPECT_EQ(p.rightOffset, 0.0f);
    EXPECT_NEAR(p.nearDistance, 1, 1e-6f);
    EXPECT_NEAR(p.farDistance, 100, 1e-3f);
    EXPECT_EQ(p.orientation.w, 1.0f);

    const Frustum o = frustumFromProjection(kOrthographic);
    EXPECT_EQ(o.rightSlope, 0.0f);
    EXPECT_EQ(o.topSlope, 0.0f);
    EXPECT_NEAR(o.rightOffset, 10, 1e-5f);
    EXPECT_NEAR(o.leftOffset, -10, 1e-5f);
    EXPECT_NEAR(o.topOffset, 7.5f, 1e-5f);
    EXPECT_NEAR(o.bottomOffset, -7.5f, 1e-5f);
    EXPECT_NEAR(o.nearDistance, 1, 1e-5f);
    EXPECT_NEAR(o.farDistance, 50, 1e-4f);
}

// A quarter turn of yaw sends +z to +x; scale 2 doubles distances and offsets.
TEST(Frustum, TransformScalesTurnsAndMoves) {
    Frustum source = frustumFromProjection(kOrthographic);
    source.origin = {1, 0, 0};
    const Quaternion yaw = quaternionPitchYawRoll(0, kPi / 2, 0);
    const Frustum f = transformFrustum(source, 2, yaw, {0, 0, 10});
    EXPECT_TRUE(near3(f.origin, {0, 0, 8}, 1e-6f));
    EXPECT_TRUE(testing::sameRotation(f.orientation, yaw, 1e-6f));
    EXPECT_NEAR(f.nearDistance, 2, 1e-5f);
    EXPECT_NEAR(f.rightOffset, 20, 1e-5f);
    EXPECT_EQ(f.rightSlope, source.rightSlope);
    // The moved volume looks along +x from (0, 0, 8).
    EXPECT_EQ(oboxFrustumTest({{50, 0, 8}, {1, 1, 1}, kNone}, f), kInside);
    EXPECT_EQ(oboxFrustumTest({{0, 0, 58}, {1, 1, 1}, kNone}, f), kOutside);
}

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
