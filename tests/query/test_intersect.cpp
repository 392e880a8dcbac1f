// Box overlaps, the ray-triangle test and ray picking of placed instances.
#include <cmath>
#include <numbers>
#include <optional>

#include "Korvelv0.h"
#include "support/models.h"
#include "query/boxes.h"
#include "query/picking.h"

namespace korvel::testing {
namespace {

using math::Float3;

math::Quaternion aboutZ(float angle) { return {0, 0, std::sin(angle / 2), std::cos(angle / 2)}; }
constexpr float kQuarterPi = std::numbers::pi_v<float> / 4;

// Touching boxes overlap. Cubes of extents 0.5 whose centres are 1.2 apart:
// turning one closes the gap. Long thin boxes crossed like an X in different
// z planes: only the cross product of their long axes separates them.
TEST(BoxOverlap, AxisAlignedAndOriented) {
    const math::Aabox a{{0, 0, 0}, {1, 1, 1}};
    const math::Obox cube{{0, 0, 0}, {0.5f, 0.5f, 0.5f}, {0, 0, 0, 1}};
    const math::Obox stick{{0, 0, 0}, {5, 0.1f, 0.1f}, aboutZ(kQuarterPi)};
    const math::Quaternion none{0, 0, 0, 1}, turned = aboutZ(kQuarterPi), back = aboutZ(-kQuarterPi);
    struct Case {
        const char* name;
        bool overlap;
        math::Aabox b;
        math::Obox c, d;
    };
    const Case cases[] = {
        {"shared face", true, {{2, 0, 0}, {1, 1, 1}}, cube, {{1, 0, 0}, cube.extents, none}},
        {"shared corner / turned", true, {{2, 2, 2}, {1, 1, 1}}, cube, {{1.2f, 0, 0}, cube.extents, turned}},
        {"contained / crossed", true, {{0, 0, 0}, {0.1f, 0.1f, 0.1f}}, stick, {{0, 0, 0.19f}, stick.extents, back}},
        {"gap in x / apart", false, {{2.001f, 0, 0}, {1, 1, 1}}, cube, {{1.2f, 0, 0}, cube.extents, none}},
        {"gap in -y / crossed apart", false, {{0, -2.5f, 0}, {1, 1, 1}}, stick, {{0, 0, 0.3f}, stick.extents, back}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(query::aaboxOverlap(a, c.b), c.overlap) << c.name;
        EXPECT_EQ(query::aaboxOverlap(c.b, a), c.overlap) << c.name;
        EXPECT_EQ(query::oboxOverlap(c.c, c.d), c.overlap) << c.name;
        EXPECT_EQ(query::oboxOverlap(c.d, c.c), c.overlap) << c.name;
    }
}

// The triangle (0, 0, 0), (1, 0, 0), (0, 1, 0) hit from both sides.
TEST(RayTriangle, HitsEdgesCornersAndBothSides) {
    const Float3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
    struct Case {
        const char* name;
        Float3 origin, direction;
        std::optional<float> t;
    };
    const Case cases[] = {
        {"inside", {0.2f, 0.2f, -1}, {0, 0, 1}, 1.0f},
        {"inside, in units of the direction", {0.2f, 0.2f, -1}, {0, 0, 4}, 0.25f},
        {"on the long edge", {0.5f, 0.5f, -1}, {0, 0, 1}, 1.0f},
        {"on a corner", {1, 0, -1}, {0, 0, 1}, 1.0f},
        {"starting on it", {0.2f, 0.2f, 0}, {0, 0, 1}, 0.0f},
        {"behind the origin", {0.2f, 0.2f, 1}, {0, 0, 1}, std::nullopt},
        {"in the plane", {0.2f, 0.2f, 0}, {1, 0, 0}, std::nullopt},
        {"no direction", {0.2f, 0.2f, -1}, {0, 0, 0}, std::nullopt},
        {"beyond the long edge", {0.6f, 0.6f, -1}, {0, 0, 1}, std::nullopt},
        {"left of it", {-0.1f, 0.5f, -1}, {0, 0, 1}, std::nullopt},
        {"below it", {0.5f, -0.1f, -1}, {0, 0, 1}, std::nullopt},
    };
    for (const Case& k : cases) {
        for (float side : {1.0f, -1.0f}) {  // mirrored through the triangle's plane
            const Float3 o{k.origin.x, k.origin.y, k.origin.z * side};
            const Float3 d{k.direction.x, k.direction.y, k.direction.z * side};
            EXPECT_EQ(query::rayTriangle(o, d, a, b, c), k.t) << k.name << (side < 0 ? ", back side" : "");
        }
    }
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

struct Hit {
    int face;
    double distance;
};

Hit cast(int image, Float3 origin, Float3 direction, int shapekey = -1) {
    const double o[3] = {origin.x, origin.y, origin.z}, d[3] = {direction.x, direction.y, direction.z};
    Hit hit{77, 77.0};
    IntersectRayTriangleOfImage3d(o, d, image, shapekey, 0, -1, 0, &hit.face, &hit.distance);
    return hit;
}

class InstanceRay : public StoreTest {};

TEST_F(InstanceRay, NearestFrontFaceAhead) {
    ModelBlueprint shaped = stackedModel();
    shaped.shapekeyvertex = {0, 1, 2};
    shaped.shapekeyinfo = {{3, 1, 0}};
    shaped.shapekeytrans = {{0, 0, 0, 0, 5}, {1, 0, 0, 0, 5}, {2, 0, 0, 0, 5}};  // face 0 to z = 6
    const int image = CreateImage3d(installModel(shaped));
    struct Case {
        const char* name;
        Float3 origin, direction;
        int shapekey, face;
        double distance;
    };
    const Case cases[] = {
        {"the nearer face", {0.2f, 0.2f, 0}, {0, 0, 1}, -1, 0, 1.0},
        {"beyond face 0, t in units of the direction", {0.2f, 0.2f, 1.5f}, {0, 0, 2}, -1, 1, 0.25},
        {"from behind: only face 2 faces the ray", {0.2f, 0.2f, 10}, {0, 0, -1}, -1, 2, 7.0},
        {"faces 0 and 1 seen from behind", {0.2f, 0.2f, 2.5f}, {0, 0, -1}, -1, -1, 1e10},
        {"parallel", {0.2f, 0.2f, 0}, {1, 0, 0}, -1, -1, 1e10},
        {"no direction", {0.2f, 0.2f, 0}, {0, 0, 0}, -1, -1, 1e10},
        {"the shape key moves face 0 behind face 1", {0.2f, 0.2f, 0}, {0, 0, 1}, 0, 1, 2.0},
        {"no shape key 4: nothing written", {0.2f, 0.2f, 0}, {0, 0, 1}, 4, 77, 77.0},
    };
    for (const Case& c : cases) {
        const Hit hit = cast(image, c.origin, c.direction, c.shapekey);
        EXPECT_EQ(hit.face, c.face) << c.name;
        EXPECT_EQ(hit.distance, c.distance) << c.name;
    }
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 10, 0, 0, 1);
    EXPECT_EQ(cast(image, {0.2f, 0.2f, 0}, {0, 0, 1}).face, -1);
    EXPECT_EQ(cast(image, {10.2f, 0.2f, 0}, {0, 0, 1}).face, 0);
    EXPECT_EQ(cast(3, {0, 0, 0}, {0, 0, 1}).face, 77);  // no instance
    IntersectRayTriangleOfImage3d(nullptr, nullptr, image, -1, 0, -1, 0, nullptr, nullptr);
}

TEST_F(InstanceRay, EarlierFaceWinsTiesAndBadFacesAreSkipped) {
    ModelBlueprint blueprint = stackedModel();
    blueprint.faces = {faceOf(0, 3, 4, 5), faceOf(0, 0, 1, 9), faceOf(0, 3, 4, 5)};  // no vertex 9
    const int image = CreateImage3d(installModel(blueprint));
    EXPECT_EQ(cast(image, {0.2f, 0.2f, 0}, {0, 0, 1}).face, 0);
}

class InstanceBoxes : public StoreTest {};

// A model lying in the plane x = 2 has a box of zero x extent: it exists,
// and it overlaps itself and what it touches.
TEST_F(InstanceBoxes, AbsentBoxesAnswerMinusOneFlatOnesOverlap) {
    const int model = installModel(stackedModel());
    const int a = CreateImage3d(model), b = CreateImage3d(model);
    EXPECT_EQ(IntersectImage3dAabox(a, b), -1);  // never computed
    Image3dCalcAaboxOboxVtxCpu(a, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(a, b), -1);
    ImageSetScaleRotTransAlpha(b, 1, 1, 1, 0, 0, 0, 1.5, 0, 0, 1);
    Image3dCalcAaboxOboxVtxCpu(b, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(a, b), 0);
    EXPECT_EQ(IntersectImage3dObox(a, 0, b, 0), 0);
    EXPECT_EQ(IntersectImage3dAabox(a, 42), -1);
    EXPECT_EQ(IntersectImage3dObox(a, 1, b, 0), -1);  // no part 1
    EXPECT_EQ(IntersectImage3dObox(a, 0, -1, 0), -1);

    ModelBlueprint flatModel;
    flatModel.vertices = {vertexAt(0, 2, 0, 0), vertexAt(0, 2, 1, 0), vertexAt(0, 2, 0, 1), vertexAt(0, 2, 1, 1)};
    const int flat = CreateImage3d(installModel(flatModel));
    Image3dCalcAaboxOboxVtxCpu(flat, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(flat, flat), 1);
    EXPECT_EQ(IntersectImage3dObox(flat, 0, flat, 0), 1);
    EXPECT_EQ(IntersectImage3dAabox(flat, a), 0);
    ImageSetScaleRotTransAlpha(a, 1, 1, 1, 0, 0, 0, 1.5, 0, -1, 1);
    Image3dCalcAaboxOboxVtxCpu(a, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(flat, a), 1);
    EXPECT_EQ(IntersectImage3dObox(flat, 0, a, 0), 1);
}

}  // namespace
}  // namespace korvel::testing
