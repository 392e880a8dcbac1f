// Bounding volumes fitted to points (known boxes and spheres, the degenerate
// point sets the oriented box must survive), view volumes from projections,
// and the box-versus-volume test on boxes whose answer is worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <tuple>
#include <vector>

#include "math/bounds.h"
#include "math/quaternion.h"
#include "math/vector.h"
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
// and a diamond whose axes are the xy diagonals (two rows of the covariance
// minus its largest eigenvalue are parallel there).
TEST(Bounds, OboxFitsKnownBoxes) {
    const Float3 axis = normalize(Float3{1, 2, 3});
    const Quaternion turn{axis.x * std::sin(0.5f), axis.y * std::sin(0.5f), axis.z * std::sin(0.5f), std::cos(0.5f)};
    std::vector<Float3> grid;
    for (int x = -4; x <= 4; ++x)
        for (int y = -2; y <= 2; ++y)
            for (int z = -1; z <= 1; ++z)
                grid.push_back(rotate(Float3{float(x), float(y), float(z)}, turn) + Float3{10, 0, 0});
    const std::vector<Float3> diamond = {{1, 1, 0}, {-1, -1, 0}, {2, -2, 0}, {-2, 2, 0}, {0, 0, 1}, {0, 0, -1}};
    const float root2 = std::sqrt(2.0f);
    for (const auto& [points, center, sorted] : {std::tuple{grid, Float3{10, 0, 0}, Float3{1, 2, 4}},
                                                 std::tuple{diamond, Float3{0, 0, 0}, Float3{1, root2, 2 * root2}}}) {
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
        {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {5, 0, 0}},                   // on an axis
        {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},                              // on a diagonal
        {{0, 0, 1}, {4, 0, 1}, {0, 2, 1}, {4, 2, 1}, {1, 1, 1}},        // in a plane
        {{0, 3, -1}, {0, 3, 2}, {0, 5, -1}, {0, 5, 2}},                 // a square in x = 0
        {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}},
        {{1, 2, 3}, {-4, 0, 7}},                                        // two points
        {{3, -1, 2}, {3, -1, 2}},                                       // one place
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        const Obox box = oboxFromPoints(sets[i].size(), sets[i].data());
        EXPECT_NEAR(dot(box.orientation, box.orientation), 1, 1e-6f) << "set " << i;
        EXPECT_TRUE(containsAll(box, sets[i])) << "set " << i;
    }
    EXPECT_EQ(oboxFromPoints(0, nullptr).orientation.w, 1.0f);
}

// The orthographic volume is pinned by the transform and box tests below.
TEST(Frustum, FromPerspective) {
    const Frustum p = frustumFromProjection(kPerspective);
    EXPECT_TRUE(near3({p.rightSlope, p.topSlope, p.nearDistance}, {2, 1, 1}, 1e-6f));
    EXPECT_TRUE(near3({p.leftSlope, p.bottomSlope, p.farDistance}, {-2, -1, 100}, 1e-3f));
    EXPECT_EQ(p.rightOffset, 0.0f);
}

// A quarter turn of yaw sends +z to +x; scale 2 doubles distances and offsets.
TEST(Frustum, TransformScalesTurnsAndMoves) {
    Frustum source = frustumFromProjection(kOrthographic);
    source.origin = {1, 0, 0};
    const Quaternion yaw = quaternionPitchYawRoll(0, kPi / 2, 0);
    const Frustum f = transformFrustum(source, 2, yaw, {0, 0, 10});
    EXPECT_TRUE(near3(f.origin, {0, 0, 8}, 1e-6f));
    EXPECT_TRUE(testing::sameRotation(f.orientation, yaw, 1e-6f));
    EXPECT_TRUE(near3({f.nearDistance, f.farDistance, f.rightOffset}, {2, 100, 20}, 1e-4f));
    EXPECT_NEAR(f.bottomOffset, -15, 1e-5f);
    EXPECT_EQ(f.rightSlope, 0.0f);
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
