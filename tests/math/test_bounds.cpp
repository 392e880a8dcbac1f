// Bounding volumes fitted to points: known boxes and spheres, the degenerate
// point sets the oriented box must survive, and the eigenvector repair rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "math/bounds.h"
#include "math/principal_axes.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "support/math.h"

namespace korvel::math {
namespace {

using testing::near3;

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

TEST(Aabox, FromPoints) {
    const Float3 points[3] = {{1, -2, 3}, {-1, 4, 3}, {0, 0, 7}};
    const Aabox box = aaboxFromPoints(3, points);
    EXPECT_TRUE(near3(box.center, {0, 1, 5}, 0));
    EXPECT_TRUE(near3(box.extents, {1, 3, 2}, 0));
    const Aabox one = aaboxFromPoints(1, points);
    EXPECT_TRUE(near3(one.center, points[0], 0));
    EXPECT_TRUE(near3(one.extents, {0, 0, 0}, 0));
    EXPECT_TRUE(near3(aaboxFromPoints(0, nullptr).extents, {0, 0, 0}, 0));
}

TEST(Sphere, SeedPairAndGrowth) {
    const Float3 same[3] = {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}};
    EXPECT_EQ(sphereFromPoints(3, same, sizeof(Float3)).radius, 0.0f);
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

// A 9 x 5 x 3 grid filling an 8 x 4 x 2 box, turned and moved: the fit is
// that box (its axes in the order the eigenvalues come).
TEST(Obox, FitsAKnownBox) {
    const Float3 axis = normalize(Float3{1, 2, 3});
    const Quaternion turn{axis.x * std::sin(0.5f), axis.y * std::sin(0.5f), axis.z * std::sin(0.5f), std::cos(0.5f)};
    std::vector<Float3> points;
    for (int x = -4; x <= 4; ++x)
        for (int y = -2; y <= 2; ++y)
            for (int z = -1; z <= 1; ++z)
                points.push_back(rotate(Float3{float(x), float(y), float(z)}, turn) + Float3{10, 0, 0});
    const Obox box = oboxFromPoints(points.size(), points.data());
    EXPECT_TRUE(near3(box.center, {10, 0, 0}, 1e-5f));
    float extents[3] = {box.extents.x, box.extents.y, box.extents.z};
    std::sort(extents, extents + 3);
    EXPECT_TRUE(near3({extents[0], extents[1], extents[2]}, {1, 2, 4}, 1e-5f));
    EXPECT_TRUE(containsAll(box, points));
}

// Degenerate sets still give a unit orientation and a box around every point.
TEST(Obox, DegenerateSetsContainEveryPoint) {
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

TEST(PrincipalAxes, EigenvectorsWhenRowsAreParallel) {
    // C = n n^T + 2 I with n = (1, 1, 1): eigenvalue 5 along n, 2 twice across
    // it. For 2 every row of C - 2 I is (1, 1, 1): the vector must still lie
    // across n.
    double roots[3];
    ASSERT_TRUE(covarianceEigenvalues({3, 3, 3, 1, 1, 1}, roots));
    std::sort(roots, roots + 3);
    EXPECT_DOUBLE_EQ(roots[0], 2);
    EXPECT_DOUBLE_EQ(roots[2], 5);
    const Float3 across = covarianceEigenvector({3, 3, 3, 1, 1, 1}, 2);
    EXPECT_NEAR(length(across), 1, 1e-6f);
    EXPECT_NEAR(dot(across, {1, 1, 1}), 0, 1e-6f);
    // In-plane eigenvalues 3 and 1 of [[2, 1], [1, 2]].
    const float h = std::sqrt(0.5f);
    EXPECT_TRUE(near3(covarianceEigenvector({2, 2, 0, 1, 0, 0}, 3), {h, h, 0}, 1e-7f));
    EXPECT_TRUE(near3(covarianceEigenvector({2, 2, 0, 1, 0, 0}, 1), {h, -h, 0}, 1e-7f));
}

}  // namespace
}  // namespace korvel::math
