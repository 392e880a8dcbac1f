#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "math/bounds.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "math_test_support.h"

namespace korvel::math {
namespace {

using testing::isRotation;
using testing::near3;
using testing::Random;

// Named point sets, including the degenerate shapes the Obox fit must survive.
struct PointSet {
    const char* name;
    std::vector<Float3> points;
};

std::vector<PointSet> pointSets(Random& random) {
    std::vector<PointSet> sets;
    for (int i = 0; i < 10; ++i) {
        // Anisotropic clouds in random orientations and places.
        const Quaternion q = random.rotation();
        const Float3 scale{random.uniform(0.1f, 20), random.uniform(0.1f, 20), random.uniform(0.1f, 20)};
        const Float3 offset = random.point(100);
        PointSet set{"random", {}};
        for (int j = 0; j < 300; ++j) {
            const Float3 p{random.normal() * scale.x, random.normal() * scale.y, random.normal() * scale.z};
            set.points.push_back(rotate(p, q) + offset);
        }
        sets.push_back(std::move(set));

        // On a line, in a plane, and all in one place.
        const Float3 a = random.point(10);
        const Float3 b = random.unitVector();
        const Float3 c = normalize(cross(b, random.unitVector()));
        PointSet line{"collinear", {}}, plane{"coplanar", {}}, same{"coincident", {}};
        for (int j = 0; j < 50; ++j) {
            line.points.push_back(a + b * random.uniform(-5, 5));
            plane.points.push_back(a + b * random.uniform(-5, 5) + c * random.uniform(-2, 2));
            same.points.push_back(a);
        }
        sets.push_back(std::move(line));
        sets.push_back(std::move(plane));
        sets.push_back(std::move(same));
    }
    // Exactly axis-aligned shapes hit the exact-zero branches of the eigenvectors.
    sets.push_back({"axis line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {5, 0, 0}}});
    sets.push_back({"axis plane", {{0, 0, 1}, {4, 0, 1}, {0, 2, 1}, {4, 2, 1}, {1, 1, 1}}});
    sets.push_back({"axis box", {{-1, -2, -3}, {1, -2, -3}, {-1, 2, -3}, {1, 2, -3},
                                 {-1, -2, 3}, {1, -2, 3}, {-1, 2, 3}, {1, 2, 3}}});
    sets.push_back({"cube corners", {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                     {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}}});
    sets.push_back({"diagonal", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}});
    sets.push_back({"two points", {{1, 2, 3}, {-4, 0, 7}}});
    sets.push_back({"one point", {{3, -1, 2}}});
    return sets;
}

float scaleOf(const std::vector<Float3>& points) {
    float s = 1;
    for (const Float3& p : points) {
        s = std::fmax(s, std::fmax(std::fabs(p.x), std::fmax(std::fabs(p.y), std::fabs(p.z))));
    }
    return s;
}

TEST(Aabox, ContainsEveryPointAndTouchesEachFace) {
    Random random(31);
    for (const PointSet& set : pointSets(random)) {
        SCOPED_TRACE(set.name);
        const Aabox box = aaboxFromPoints(set.points.size(), set.points.data());
        const float tol = 1e-6f * scaleOf(set.points);
        const Float3 lo = box.center - box.extents;
        const Float3 hi = box.center + box.extents;
        Float3 nearestLo{1e30f, 1e30f, 1e30f}, nearestHi{1e30f, 1e30f, 1e30f};
        for (const Float3& p : set.points) {
            EXPECT_TRUE(p.x >= lo.x - tol && p.y >= lo.y - tol && p.z >= lo.z - tol);
            EXPECT_TRUE(p.x <= hi.x + tol && p.y <= hi.y + tol && p.z <= hi.z + tol);
            nearestLo = {std::fmin(nearestLo.x, p.x - lo.x), std::fmin(nearestLo.y, p.y - lo.y),
                         std::fmin(nearestLo.z, p.z - lo.z)};
            nearestHi = {std::fmin(nearestHi.x, hi.x - p.x), std::fmin(nearestHi.y, hi.y - p.y),
                         std::fmin(nearestHi.z, hi.z - p.z)};
        }
        EXPECT_TRUE(near3(nearestLo, {0, 0, 0}, tol));
        EXPECT_TRUE(near3(nearestHi, {0, 0, 0}, tol));
    }
}

TEST(Aabox, SinglePointAndNoPoints) {
    const Float3 p{1.5f, -2, 7};
    const Aabox one = aaboxFromPoints(1, &p);
    EXPECT_TRUE(near3(one.center, p, 0));
    EXPECT_TRUE(near3(one.extents, {0, 0, 0}, 0));
    const Aabox none = aaboxFromPoints(0, nullptr);
    EXPECT_TRUE(near3(none.center, {0, 0, 0}, 0));
    EXPECT_TRUE(near3(none.extents, {0, 0, 0}, 0));
}

TEST(Sphere, ContainsEveryPoint) {
    Random random(32);
    for (const PointSet& set : pointSets(random)) {
        SCOPED_TRACE(set.name);
        const Sphere s = sphereFromPoints(set.points.size(), set.points.data(), sizeof(Float3));
        for (const Float3& p : set.points) {
            EXPECT_LE(length(p - s.center), s.radius * (1 + 1e-6f) + 1e-6f * scaleOf(set.points));
        }
    }
}

TEST(Sphere, ReadsPointsInsideLargerRecords) {
    // 17-byte records: a tag byte, the position, a float of other data.
    Random random(33);
    std::vector<Float3> packed;
    std::vector<unsigned char> records(17 * 200);
    for (int i = 0; i < 200; ++i) {
        packed.push_back(random.point(30));
        records[17 * i] = 0xAB;
        std::memcpy(&records[17 * i + 1], &packed.back(), sizeof(Float3));
        const float other = 1e9f;
        std::memcpy(&records[17 * i + 13], &other, sizeof other);
    }
    const Sphere a = sphereFromPoints(packed.size(), packed.data(), sizeof(Float3));
    const Sphere b = sphereFromPoints(200, records.data() + 1, 17);
    EXPECT_TRUE(near3(a.center, b.center, 0));
    EXPECT_EQ(a.radius, b.radius);
}

TEST(Sphere, CoincidentPointsEqualPairsAndNoPoints) {
    const Float3 same[3] = {{2, 3, 4}, {2, 3, 4}, {2, 3, 4}};
    const Sphere point = sphereFromPoints(3, same, sizeof(Float3));
    EXPECT_TRUE(near3(point.center, {2, 3, 4}, 0));
    EXPECT_EQ(point.radius, 0.0f);

    // The x, y and z extreme pairs are all 2 apart, so the z pair (first and
    // last point) seeds the sphere; growing it for (2, 0, 0) then gives a
    // golden-ratio radius. Seeding with the x or y pair would end elsewhere.
    const Float3 tie[5] = {{0, 0, 0}, {2, 0, 0}, {1, -1, 0.5f}, {1, 1, 0.5f}, {0, 0, 2}};
    const Sphere s = sphereFromPoints(5, tie, sizeof(Float3));
    const float golden = (1 + std::sqrt(5.0f)) / 2;
    const float shift = 1 - golden / std::sqrt(5.0f);
    EXPECT_TRUE(near3(s.center, {2 * shift, 0, 1 - shift}, 1e-6f));
    EXPECT_NEAR(s.radius, golden, 1e-6f);

    // x and y pairs 2 apart, z pair 0: the y pair seeds at (1.5, 0, 0) and the
    // sphere grows once for the origin.
    const Float3 flat[4] = {{0, 0, 0}, {2, 0, 0}, {1.5f, -1, 0}, {1.5f, 1, 0}};
    const Sphere f = sphereFromPoints(4, flat, sizeof(Float3));
    EXPECT_TRUE(near3(f.center, {1.25f, 0, 0}, 1e-6f));
    EXPECT_NEAR(f.radius, 1.25f, 1e-6f);

    const Sphere none = sphereFromPoints(0, nullptr, 12);
    EXPECT_EQ(none.radius, 0.0f);
}

TEST(Obox, ContainsEveryPointWithRightHandedOrthonormalAxes) {
    Random random(34);
    for (const PointSet& set : pointSets(random)) {
        SCOPED_TRACE(set.name);
        const Obox box = oboxFromPoints(set.points.size(), set.points.data());
        const Quaternion q = box.orientation;
        EXPECT_NEAR(dot(q, q), 1, 1e-6f);
        EXPECT_TRUE(isRotation(matrixFromQuaternion(q), 2e-6f));
        EXPECT_TRUE(box.extents.x >= 0 && box.extents.y >= 0 && box.extents.z >= 0);
        const float tol = 1e-5f * scaleOf(set.points);
        for (const Float3& p : set.points) {
            const Float3 local = inverseRotate(p - box.center, q);
            EXPECT_LE(std::fabs(local.x), box.extents.x + tol);
            EXPECT_LE(std::fabs(local.y), box.extents.y + tol);
            EXPECT_LE(std::fabs(local.z), box.extents.z + tol);
        }
    }
}

TEST(Obox, FitsARotatedBoxTightly) {
    Random random(35);
    for (int i = 0; i < 20; ++i) {
        // A 9 x 5 x 3 grid filling an 8 x 4 x 2 box: its covariance is diagonal
        // in the box's frame with three distinct variances. Turned and moved.
        const Quaternion q = random.rotation();
        const Float3 offset = random.point(50);
        std::vector<Float3> points;
        for (int x = -4; x <= 4; ++x) {
            for (int y = -2; y <= 2; ++y) {
                for (int z = -1; z <= 1; ++z) {
                    points.push_back(rotate(Float3{float(x), float(y), float(z)}, q) + offset);
                }
            }
        }
        const Obox box = oboxFromPoints(points.size(), points.data());
        EXPECT_TRUE(near3(box.center, offset, 1e-4f));
        EXPECT_NEAR(8 * box.extents.x * box.extents.y * box.extents.z, 64, 0.01f);
    }
}

TEST(Obox, SinglePointAndNoPoints) {
    const Float3 p{1, 2, 3};
    const Obox one = oboxFromPoints(1, &p);
    EXPECT_TRUE(near3(one.center, p, 1e-6f));
    EXPECT_TRUE(near3(one.extents, {0, 0, 0}, 0));
    const Obox none = oboxFromPoints(0, nullptr);
    EXPECT_TRUE(near3(none.extents, {0, 0, 0}, 0));
    EXPECT_EQ(none.orientation.w, 1.0f);
}

}  // namespace
}  // namespace korvel::math
