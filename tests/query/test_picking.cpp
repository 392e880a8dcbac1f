// Screen projection both ways, the model's bounding sphere, and the segment
// and pixel picks with their thresholds.
#include <cmath>
#include <random>

#include "Korvelv0.h"
#include "instance/store_fixture.h"
#include "math/matrix.h"
#include "math/vector.h"
#include "query/model_picks.h"
#include "query/projection.h"

namespace korvel::testing {
namespace {

using math::Float3;

// Identity view on a 1024 x 512 screen; x and y map exactly to pixels around
// the screen center (pixel = 512 + x, 256 - y), clip w = 1, depth = z / 10.
query::ScreenCamera pixelCamera() {
    math::Matrix projection = math::identity();
    projection.m[0][0] = 2.0f / 1024.0f;
    projection.m[1][1] = 2.0f / 512.0f;
    projection.m[2][2] = 0.1f;
    return {math::identity(), projection, 1.0f, 9.0f, 1024.0f, 512.0f};
}

TEST(Projection, NdcCornersAndCenterMapToPixels) {
    query::ScreenCamera camera{math::identity(), math::identity(), 1, 10, 800, 600};
    const query::ScreenPosition center = query::worldToScreen(camera, {0, 0, 0.5f});
    EXPECT_EQ(center.x, 400);
    EXPECT_EQ(center.y, 300);
    EXPECT_EQ(center.depth, 0.5);
    const query::ScreenPosition topLeft = query::worldToScreen(camera, {-1, 1, 0});
    EXPECT_EQ(topLeft.x, 0);
    EXPECT_EQ(topLeft.y, 0);
    const query::ScreenPosition bottomRight = query::worldToScreen(camera, {1, -1, 0});
    EXPECT_EQ(bottomRight.x, 800);
    EXPECT_EQ(bottomRight.y, 600);
    // Truncation goes toward zero, also left of the screen.
    EXPECT_EQ(query::worldToScreen(camera, {-1.0009765625f, 0, 0}).x, 0);  // -0.39 pixels
    EXPECT_EQ(query::worldToScreen(camera, {-1.0078125f, 0, 0}).x, -3);    // -3.125 pixels
    // Values no int holds.
    EXPECT_EQ(query::worldToScreen(camera, {1e30f, 0, 0}).x, INT32_MIN);
    camera.projection = math::Matrix{};  // w = 0
    EXPECT_EQ(query::worldToScreen(camera, {0, 0, 0}).y, INT32_MIN);
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenSizeSet(1);
        ViewMatrixValueSet(1, 2, -8, 0.5, 0.2, 0, 0, 1, 0);
        ProjectionMatrixValueSet(0, 0.9, 800.0 / 600.0, 0.5, 40);
    }
};

TEST_F(CameraTest, ScreenToWorldAndBackRoundTripsInPerspectiveAndOrthographicModes) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> px(0, 799), py(0, 599);
    for (int mode : {0, 2}) {
        if (mode == 2) ProjectionMatrixValueSet(2, 16, 12, 0.5, 40);
        for (int round = 0; round < 200; ++round) {
            const int screen[2] = {px(rng), py(rng)};
            double nearPoint[3], farPoint[3];
            PosFromScreenToWorld(screen, nearPoint, farPoint);
            for (double fraction : {0.0, 0.3, 1.0}) {
                double world[3];
                for (int i = 0; i < 3; ++i) world[i] = nearPoint[i] + fraction * (farPoint[i] - nearPoint[i]);
                int back[2];
                double depth;
                PosFromWorldToScreen(world, back, &depth);
                EXPECT_NEAR(back[0], screen[0], 1) << "mode " << mode;
                EXPECT_NEAR(back[1], screen[1], 1) << "mode " << mode;
                if (fraction != 0.3) {
                    EXPECT_NEAR(depth, fraction, 1e-4) << "mode " << mode;
                }
            }
        }
    }
}

TEST_F(CameraTest, TheScreenCenterLiesOnTheViewAxisAtNearAndFar) {
    const int center[2] = {400, 300};
    double nearPoint[3], farPoint[3];
    PosFromScreenToWorld(center, nearPoint, farPoint);
    const Float3 eye{1, 2, -8};
    const Float3 axis = math::normalize(Float3{0.5f, 0.2f, 0} - eye);
    const Float3 n{float(nearPoint[0]), float(nearPoint[1]), float(nearPoint[2])};
    const Float3 f{float(farPoint[0]), float(farPoint[1]), float(farPoint[2])};
    EXPECT_NEAR(math::length(n - eye), 0.5f, 1e-4f);
    EXPECT_NEAR(math::length(f - eye), 40.0f, 1e-3f);
    EXPECT_NEAR(math::dot(math::normalize(f - eye), axis), 1.0f, 1e-6f);
    EXPECT_NEAR(math::dot(math::normalize(n - eye), axis), 1.0f, 1e-6f);
}

class Picking : public StoreTest {};

ModelBlueprint lineModel() {
    // Vertices along +x near the segment from (0, 0, 0) to (10, 0, 0).
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 5, 0.04f, 0),  vertexAt(0, 3, 0.06f, 0), vertexAt(0, 10, 0, 0),
                     vertexAt(0, 7, 0, 0.03f),  vertexAt(0, -1, 0, 0),    vertexAt(0, 2, 0, 0, 0),  // a copy
                     vertexAt(0, 11, 0, 0)};
    return blueprint;
}

TEST_F(Picking, SegmentVertexPickHonoursDistanceAndFraction) {
    const int model = installModel(lineModel());
    const double start[3] = {0, 0, 0}, end[3] = {10, 0, 0};
    // 0.06 away is too far, the copy at x = 2 never counts: x = 5 wins.
    EXPECT_EQ(LineNZObj3dPointCheck(start, end, model), 0);
    const double back[3] = {10, 0, 0}, front[3] = {0, 0, 0};
    EXPECT_EQ(LineNZObj3dPointCheck(back, front, model), 2);  // at the start: t = 0
    const double shortEnd[3] = {5, 0.04, 0};  // vertex 0 at the end: t = 1 is not below 1
    const double other[3] = {4.9, 0.04, 0};
    ASSERT_EQ(query::segmentVertexPick(other, shortEnd, model), 0);
    const double none[3] = {5.5, 0, 0};
    EXPECT_EQ(LineNZObj3dPointCheck(none, shortEnd, model), -1);
    EXPECT_EQ(LineNZObj3dPointCheck(start, start, model), -1);
    EXPECT_EQ(LineNZObj3dPointCheck(start, end, 30), -1);
}

ModelBlueprint faceModel() {
    // Faces across the x axis at x = 2 (facing -x), x = 4 (facing +x), x = 6
    // (facing -x) and x = 20 (facing -x).
    ModelBlueprint blueprint;
    for (float x : {2.0f, 4.0f, 6.0f, 20.0f}) {
        blueprint.vertices.push_back(vertexAt(0, x, -1, -1));
        blueprint.vertices.push_back(vertexAt(0, x, 2, -1));
        blueprint.vertices.push_back(vertexAt(0, x, -1, 2));
    }
    blueprint.faces = {faceOf(0, 0, 2, 1), faceOf(0, 3, 4, 5), faceOf(0, 6, 8, 7), faceOf(0, 9, 11, 10)};
    return blueprint;
}

TEST_F(Picking, SegmentFacePickTakesTheNearestFrontFaceInsideTheSegment) {
    const int model = installModel(faceModel());
    const double start[3] = {0, 0, 0}, end[3] = {10, 0, 0};
    EXPECT_EQ(LineNZObj3dTriangleCheck(start, end, model), 0);
    const double past[3] = {3, 0, 0};  // face 0 behind, face 1 turned away
    EXPECT_EQ(LineNZObj3dTriangleCheck(past, end, model), 2);
    const double shortEnd[3] = {5.9, 0, 0};  // face 2 beyond the end
    EXPECT_EQ(LineNZObj3dTriangleCheck(past, shortEnd, model), -1);
    const double reverse[3] = {30, 0, 0}, origin[3] = {0, 0, 0};
    EXPECT_EQ(LineNZObj3dTriangleCheck(reverse, origin, model), 1);

    ModelBlueprint broken = faceModel();
    broken.faces[0].vertexno[2] = -5;
    EXPECT_EQ(LineNZObj3dTriangleCheck(start, end, installModel(broken)), 2);
    ModelBlueprint empty;
    EXPECT_EQ(LineNZObj3dTriangleCheck(start, end, installModel(empty)), -1);
}

TEST_F(Picking, ScreenPickRadiusIsEighteenSquarePixels) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 4, 0, 5), vertexAt(0, 3, -3, 5), vertexAt(0, 4, -2, 5)};
    const int model = installModel(blueprint);
    const query::ScreenCamera camera = pixelCamera();
    // Pixel (512, 256): vertex 0 is 4 right (16), vertex 1 3 right and 3 down
    // (18), vertex 2 4 right and 2 down (20).
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, -1, 0), 0);
    blueprint.vertices[0].posz = 0.5f;  // in front of the near plane
    const int second = installModel(blueprint);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, second, -1, 0), 1);
    blueprint.vertices[1].posz = 9.5f;  // beyond the far plane
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, installModel(blueprint), -1, 0), -1);
}

TEST_F(Picking, ScreenPickPrefersTheNearerVertexAndAppliesTheShapeKey) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 0, 0, 6), vertexAt(0, 0, 0, 3), vertexAt(0, 0, 0, 4), vertexAt(0, 50, 0, 2)};
    blueprint.shapekeyvertex = {3};
    blueprint.shapekeyinfo = {{1, 2, 0}};
    blueprint.shapekeytrans = {{0, 0, 0, 0, 0}, {0, 10, -100, 0, 0}};  // vertex 3 reaches x = 0 at frame 5
    const int model = installModel(blueprint);
    const query::ScreenCamera camera = pixelCamera();
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, -1, 0), 1);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 0, 5), 3);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 0, 0), 1);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 1, 5), -1);  // no such kind
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, 49, -1, 0), -1);
}

TEST_F(Picking, TheSphereEnclosesEveryVertexRecord) {
    ModelBlueprint blueprint = lineModel();
    blueprint.vertices[5].posy = 40;  // a copy's own stored position is measured too
    const int model = installModel(blueprint);
    double sphere[4] = {};
    GetObj3dSphere(model, sphere);
    for (const model::Obj3dVertex& v : blueprint.vertices) {
        const double d = std::hypot(v.posx - sphere[0], v.posy - sphere[1], v.posz - sphere[2]);
        EXPECT_LE(d, sphere[3] * (1 + 1e-6));
    }
    EXPECT_GT(sphere[3], 20.0);

    double untouched[4] = {1, 2, 3, 4};
    GetObj3dSphere(model + 1, untouched);
    ModelBlueprint empty;
    GetObj3dSphere(installModel(empty), untouched);
    EXPECT_EQ(untouched[3], 4.0);
}

}  // namespace
}  // namespace korvel::testing
