// Box overlaps and ray picking of posed instances.
#include <cmath>
#include <numbers>
#include <random>

#include "Korvelv0.h"
#include "instance/store_fixture.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "query/overlap.h"
#include "query/ray_triangle.h"

namespace korvel::testing {
namespace {

using math::Float3;

math::Obox cube(Float3 center, math::Quaternion orientation = {0, 0, 0, 1}) {
    return {center, {0.5f, 0.5f, 0.5f}, orientation};
}

math::Quaternion aboutZ(float angle) { return {0, 0, std::sin(angle / 2), std::cos(angle / 2)}; }

TEST(BoxOverlap, AxisAlignedBoxesThatTouchOverlap) {
    const math::Aabox a{{0, 0, 0}, {1, 1, 1}};
    EXPECT_TRUE(query::aaboxOverlap(a, {{2, 0, 0}, {1, 1, 1}}));      // shared face
    EXPECT_TRUE(query::aaboxOverlap(a, {{2, 2, 2}, {1, 1, 1}}));      // shared corner
    EXPECT_FALSE(query::aaboxOverlap(a, {{2.001f, 0, 0}, {1, 1, 1}}));
    EXPECT_FALSE(query::aaboxOverlap(a, {{0, -2.5f, 0}, {1, 1, 1}}));
    EXPECT_FALSE(query::aaboxOverlap(a, {{0, 0, 5}, {1, 1, 3.9f}}));
    EXPECT_TRUE(query::aaboxOverlap(a, {{0, 0, 0}, {0.1f, 0.1f, 0.1f}}));  // contained
}

TEST(BoxOverlap, TurningACubeCanCloseTheGap) {
    EXPECT_FALSE(query::oboxOverlap(cube({0, 0, 0}), cube({1.2f, 0, 0})));
    EXPECT_TRUE(query::oboxOverlap(cube({0, 0, 0}), cube({1.2f, 0, 0}, aboutZ(std::numbers::pi_v<float> / 4))));
    EXPECT_TRUE(query::oboxOverlap(cube({0, 0, 0}, aboutZ(std::numbers::pi_v<float> / 4)), cube({1.2f, 0, 0})));
    EXPECT_TRUE(query::oboxOverlap(cube({0, 0, 0}), cube({1.0f, 0, 0})));  // touching faces
}

TEST(BoxOverlap, EdgeToEdgeSeparationNeedsACrossProductAxis) {
    // Two long thin boxes crossed like an X in different z planes: only
    // the cross product of their long axes separates them.
    const math::Obox a{{0, 0, 0}, {5, 0.1f, 0.1f}, aboutZ(std::numbers::pi_v<float> / 4)};
    const math::Obox b{{0, 0, 0.3f}, {5, 0.1f, 0.1f}, aboutZ(-std::numbers::pi_v<float> / 4)};
    EXPECT_FALSE(query::oboxOverlap(a, b));
    const math::Obox c{{0, 0, 0.19f}, {5, 0.1f, 0.1f}, aboutZ(-std::numbers::pi_v<float> / 4)};
    EXPECT_TRUE(query::oboxOverlap(a, c));
}

TEST(BoxOverlap, RandomBoxesAgreeWithSampledPointsAndSymmetry) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> uni(-1, 1);
    auto randomBox = [&] {
        math::Quaternion q{uni(rng), uni(rng), uni(rng), uni(rng)};
        q = math::normalize(q);
        return math::Obox{{uni(rng) * 2, uni(rng) * 2, uni(rng) * 2},
                          {0.2f + std::fabs(uni(rng)), 0.2f + std::fabs(uni(rng)), 0.2f + std::fabs(uni(rng))},
                          q};
    };
    auto insideBox = [](const math::Obox& box, Float3 p) {
        const Float3 l = math::inverseRotate(p - box.center, box.orientation);
        return std::fabs(l.x) < box.extents.x && std::fabs(l.y) < box.extents.y && std::fabs(l.z) < box.extents.z;
    };
    int overlapping = 0;
    for (int round = 0; round < 500; ++round) {
        const math::Obox a = randomBox();
        const math::Obox b = randomBox();
        const bool result = query::oboxOverlap(a, b);
        ASSERT_EQ(result, query::oboxOverlap(b, a));
        overlapping += result;
        // A point of b found inside a proves the overlap.
        for (int s = 0; s < 200 && !result; ++s) {
            const Float3 local{uni(rng) * b.extents.x, uni(rng) * b.extents.y, uni(rng) * b.extents.z};
            ASSERT_FALSE(insideBox(a, math::rotate(local, b.orientation) + b.center)) << round;
        }
    }
    EXPECT_GT(overlapping, 50);
    EXPECT_LT(overlapping, 450);
}

// Plane intersection and barycentric coordinates in double precision.
struct ReferenceHit {
    bool hit;
    double t;
    double margin;  // distance of the hit from the triangle's edges, in barycentric units
};

ReferenceHit referenceRay(Float3 o, Float3 d, Float3 a, Float3 b, Float3 c) {
    const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
    const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double dn = d.x * n[0] + d.y * n[1] + d.z * n[2];
    const double t = ((a.x - double(o.x)) * n[0] + (a.y - double(o.y)) * n[1] + (a.z - double(o.z)) * n[2]) / dn;
    const double x[3] = {o.x + t * d.x - a.x, o.y + t * d.y - a.y, o.z + t * d.z - a.z};
    // Solve x = u e1 + v e2 by least squares.
    auto dot = [](const double* p, const double* q) { return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]; };
    const double a11 = dot(e1, e1), a12 = dot(e1, e2), a22 = dot(e2, e2);
    const double b1 = dot(x, e1), b2 = dot(x, e2);
    const double det = a11 * a22 - a12 * a12;
    const double u = (b1 * a22 - b2 * a12) / det, v = (a11 * b2 - a12 * b1) / det;
    const double margin = std::min({u, v, 1 - u - v, t});
    return {margin >= 0, t, std::fabs(margin)};
}

TEST(RayTriangle, AgreesWithABruteForceReferenceOnRandomTriangles) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> uni(-2, 2);
    int hits = 0, compared = 0;
    for (int round = 0; round < 20000; ++round) {
        const Float3 a{uni(rng), uni(rng), uni(rng)}, b{uni(rng), uni(rng), uni(rng)}, c{uni(rng), uni(rng), uni(rng)};
        const Float3 o{uni(rng) * 2, uni(rng) * 2, uni(rng) * 2};
        // Aimed near the triangle, so that about half of the rays hit.
        const float wa = std::fabs(uni(rng)), wb = std::fabs(uni(rng)), wc = std::fabs(uni(rng)) * 0.5f;
        const Float3 target = (a * wa + b * wb + c * wc) * (1.0f / (wa + wb + wc + 1e-3f));
        const Float3 d = target - o;
        const ReferenceHit ref = referenceRay(o, d, a, b, c);
        if (ref.margin < 1e-3 || !std::isfinite(ref.t)) continue;  // too close to call in float
        ++compared;
        const std::optional<float> got = query::rayTriangle(o, d, a, b, c);
        ASSERT_EQ(got.has_value(), ref.hit) << round;
        if (got) {
            ++hits;
            EXPECT_NEAR(*got, ref.t, 1e-3 * (1 + std::fabs(ref.t))) << round;
        }
    }
    EXPECT_GT(compared, 15000);
    EXPECT_GT(hits, 1000);
}

TEST(RayTriangle, EdgesCornersAndOriginCountParallelRaysNever) {
    const Float3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
    EXPECT_EQ(query::rayTriangle({0.5f, 0.5f, -1}, {0, 0, 1}, a, b, c), 1.0f);  // on the long edge
    EXPECT_EQ(query::rayTriangle({1, 0, 1}, {0, 0, -1}, a, b, c), 1.0f);        // on a corner, other side
    EXPECT_EQ(query::rayTriangle({0.2f, 0.2f, 0}, {0, 0, 1}, a, b, c), 0.0f);   // starts on it
    EXPECT_FALSE(query::rayTriangle({0.2f, 0.2f, 1}, {0, 0, 1}, a, b, c));      // behind the origin
    EXPECT_FALSE(query::rayTriangle({0.2f, 0.2f, 0}, {1, 0, 0}, a, b, c));      // in the plane
    EXPECT_FALSE(query::rayTriangle({0.2f, 0.2f, -1}, {0, 0, 0}, a, b, c));     // no direction
}

// Two unit triangles facing -z (winding normal (0, 0, -1)) at z = 1 and
// z = 2, and one facing +z at z = 3.
ModelBlueprint stackedModel() {
    ModelBlueprint blueprint;
    for (float z : {1.0f, 2.0f, 3.0f}) {
        blueprint.vertices.push_back(vertexAt(0, 0, 0, z));
        blueprint.vertices.push_back(vertexAt(0, 0, 1, z));
        blueprint.vertices.push_back(vertexAt(0, 1, 0, z));
    }
    blueprint.faces = {faceOf(0, 0, 1, 2), faceOf(0, 3, 4, 5), faceOf(0, 6, 8, 7)};
    return blueprint;
}

class InstanceRay : public StoreTest {
protected:
    void cast(int image, Float3 origin, Float3 direction, int motion = -1, int shapekey = -1) {
        const double o[3] = {origin.x, origin.y, origin.z};
        const double d[3] = {direction.x, direction.y, direction.z};
        face = 77;
        distance = 77.0;
        IntersectRayTriangleOfImage3d(o, d, image, shapekey, 0, motion, 0, &face, &distance);
    }
    int face = 0;
    double distance = 0;
};

TEST_F(InstanceRay, ReportsTheNearestFrontFaceAhead) {
    const int image = CreateImage3d(installModel(stackedModel()));
    cast(image, {0.2f, 0.2f, 0}, {0, 0, 1});
    EXPECT_EQ(face, 0);
    EXPECT_EQ(distance, 1.0);
    cast(image, {0.2f, 0.2f, 1.5f}, {0, 0, 2});  // beyond face 0; t in units of the direction
    EXPECT_EQ(face, 1);
    EXPECT_EQ(distance, 0.25);
    cast(image, {0.2f, 0.2f, 10}, {0, 0, -1});  // from behind: only face 2 faces the ray
    EXPECT_EQ(face, 2);
    EXPECT_EQ(distance, 7.0);
    cast(image, {0.2f, 0.2f, 2.5f}, {0, 0, -1});  // faces 0 and 1 seen from behind
    EXPECT_EQ(face, -1);
    EXPECT_EQ(distance, 1e10);
    cast(image, {0.2f, 0.2f, 0}, {1, 0, 0});  // parallel
    EXPECT_EQ(face, -1);
    cast(image, {0.2f, 0.2f, 0}, {0, 0, 0});
    EXPECT_EQ(face, -1);
    EXPECT_EQ(distance, 1e10);
}

TEST_F(InstanceRay, TheEarlierOfTwoFacesAtTheSameDistanceWins) {
    ModelBlueprint blueprint = stackedModel();
    blueprint.faces = {faceOf(0, 3, 4, 5), faceOf(0, 0, 1, 2), faceOf(0, 3, 4, 5)};
    const int image = CreateImage3d(installModel(blueprint));
    cast(image, {0.2f, 0.2f, 1.5f}, {0, 0, 1});
    EXPECT_EQ(face, 0);
}

TEST_F(InstanceRay, TheInstanceTransformAndShapeKeyMoveTheTriangles) {
    ModelBlueprint blueprint = stackedModel();
    blueprint.shapekeyvertex = {0, 1, 2};
    blueprint.shapekeyinfo = {{3, 1, 0}};
    blueprint.shapekeytrans = {{0, 0, 0, 0, 5}, {1, 0, 0, 0, 5}, {2, 0, 0, 0, 5}};  // face 0 to z = 6
    const int image = CreateImage3d(installModel(blueprint));
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 10, 0, 0, 1);
    cast(image, {0.2f, 0.2f, 0}, {0, 0, 1});
    EXPECT_EQ(face, -1);
    cast(image, {10.2f, 0.2f, 0}, {0, 0, 1});
    EXPECT_EQ(face, 0);
    cast(image, {10.2f, 0.2f, 0}, {0, 0, 1}, -1, 0);
    EXPECT_EQ(face, 1);
    EXPECT_EQ(distance, 2.0);
}

TEST_F(InstanceRay, NothingIsWrittenWithoutAnInstanceAndBadFacesAreSkipped) {
    cast(3, {0, 0, 0}, {0, 0, 1});
    EXPECT_EQ(face, 77);
    EXPECT_EQ(distance, 77.0);
    ModelBlueprint blueprint = stackedModel();
    blueprint.faces[0].vertexno[1] = 9;  // no vertex 9
    const int image = CreateImage3d(installModel(blueprint));
    cast(image, {0.2f, 0.2f, 0}, {0, 0, 1}, -1, 4);  // no shape key 4
    EXPECT_EQ(face, 77);
    cast(image, {0.2f, 0.2f, 0}, {0, 0, 1});
    EXPECT_EQ(face, 1);
    IntersectRayTriangleOfImage3d(nullptr, nullptr, image, -1, 0, -1, 0, nullptr, nullptr);
}

class InstanceBoxes : public StoreTest {};

TEST_F(InstanceBoxes, AbsentBoxesAnswerMinusOne) {
    ModelBlueprint blueprint = stackedModel();
    const int model = installModel(blueprint);
    const int a = CreateImage3d(model);
    const int b = CreateImage3d(model);
    EXPECT_EQ(IntersectImage3dAabox(a, b), -1);  // never computed
    Image3dCalcAaboxOboxVtxCpu(a, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(a, b), -1);
    Image3dCalcAaboxOboxVtxCpu(b, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(a, b), 1);
    ImageSetScaleRotTransAlpha(b, 1, 1, 1, 0, 0, 0, 1.5, 0, 0, 1);
    Image3dCalcAaboxOboxVtxCpu(b, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(a, b), 0);
    EXPECT_EQ(IntersectImage3dObox(a, 0, b, 0), 0);
    EXPECT_EQ(IntersectImage3dAabox(a, 42), -1);
    EXPECT_EQ(IntersectImage3dObox(a, 1, b, 0), -1);  // no part 1
    EXPECT_EQ(IntersectImage3dObox(a, 0, -1, 0), -1);
}

// A model lying in the plane x = 2 has a box of zero x extent: it exists,
// and it overlaps itself and what it touches.
TEST_F(InstanceBoxes, FlatModelsHaveBoxes) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 2, 0, 0), vertexAt(0, 2, 1, 0), vertexAt(0, 2, 0, 1), vertexAt(0, 2, 1, 1)};
    const int flat = CreateImage3d(installModel(blueprint));
    Image3dCalcAaboxOboxVtxCpu(flat, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(flat, flat), 1);
    EXPECT_EQ(IntersectImage3dObox(flat, 0, flat, 0), 1);
    const int cube = CreateImage3d(installModel(stackedModel()));
    Image3dCalcAaboxOboxVtxCpu(cube, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(flat, cube), 0);
    ImageSetScaleRotTransAlpha(cube, 1, 1, 1, 0, 0, 0, 1.5, 0, -1, 1);
    Image3dCalcAaboxOboxVtxCpu(cube, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(flat, cube), 1);
    EXPECT_EQ(IntersectImage3dObox(flat, 0, cube, 0), 1);
}

}  // namespace
}  // namespace korvel::testing
