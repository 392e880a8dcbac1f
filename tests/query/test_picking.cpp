// Screen projection both ways, the ray-triangle test and ray picking of
// placed instances, the model's bounding sphere, and the segment and pixel
// picks with their thresholds.
#include <cmath>
#include <cstdint>
#include <utility>

#include "Korvelv0.h"
#include "math/matrix.h"
#include "math/vector.h"
#include "query/picking.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using math::Float3;

// Identity view on a 1024 x 512 screen; x and y map exactly to pixels around
// the screen center (pixel = 512 + x, 256 - y), clip w = 1, depth = z / 10.
query::ScreenCamera pixelCamera() {
    math::Matrix projection = math::scaling(2.0f / 1024.0f, 2.0f / 512.0f, 0.1f);
    return {math::identity(), projection, 1.0f, 9.0f, 1024.0f, 512.0f};
}

TEST(Projection, NdcToPixelsTruncatedTowardZero) {
    query::ScreenCamera camera{math::identity(), math::identity(), 1, 10, 800, 600};
    struct Case {
        Float3 world;
        int x, y;
    };
    for (const Case& c : {Case{{0, 0, 0.5f}, 400, 300}, Case{{-1, 1, 0}, 0, 0}, Case{{1, -1, 0}, 800, 600},
                          Case{{-1.0009765625f, 0, 0}, 0, 300},  // -0.39 pixels
                          Case{{-1.0078125f, 0, 0}, -3, 300},    // -3.125 pixels
                          Case{{1e30f, 0, 0}, INT32_MIN, 300}}) {
        const query::ScreenPosition p = query::worldToScreen(camera, c.world);
        EXPECT_EQ(p.x, c.x) << c.world.x;
        EXPECT_EQ(p.y, c.y) << c.world.x;
    }
    camera.projection = math::Matrix{};  // w = 0
    EXPECT_EQ(query::worldToScreen(camera, {0, 0, 0}).y, INT32_MIN);
}

// Pixels go to near and far points and back, in perspective and
// orthographic mode.
TEST(Projection, ScreenToWorldAndBack) {
    ScreenSizeSet(1);
    ViewMatrixValueSet(1, 2, -8, 0.5, 0.2, 0, 0, 1, 0);
    for (int mode : {0, 2}) {
        ProjectionMatrixValueSet(mode, mode == 0 ? 0.9 : 16, mode == 0 ? 800.0 / 600.0 : 12, 0.5, 40);
        for (const auto& [x, y] : {std::pair{0, 0}, {799, 599}, {123, 456}, {400, 300}}) {
            const int screen[2] = {x, y};
            double points[2][3], depth;
            PosFromScreenToWorld(screen, points[0], points[1]);
            for (int far : {0, 1}) {
                int back[2];
                PosFromWorldToScreen(points[far], back, &depth);
                EXPECT_NEAR(back[0], x, 1) << "mode " << mode;
                EXPECT_NEAR(back[1], y, 1) << "mode " << mode;
                EXPECT_NEAR(depth, far, 1e-4) << "mode " << mode;
            }
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
        {"on its long edge", {0.5f, 0.5f, 0}, {0, 0, 1}, -1, 0, 1.0},
        {"on its corner", {0, 1, 0}, {0, 0, 1}, -1, 0, 1.0},
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

class Picking : public StoreTest {};

// Vertices along the segment (0, 0, 0) to (10, 0, 0): 0.04 and 0.06 off the
// line, at its end, 0.03 off, before its start, a split copy (its own position
// far off), past its end. Faces across the x axis at x = 2 (facing -x), 4
// (+x), 6 (-x), 20 (-x).
TEST_F(Picking, SegmentPicksByVertexDistanceAndNearestFrontFace) {
    ModelBlueprint points;
    points.vertices = {vertexAt(0, 5, 0.04f, 0), vertexAt(0, 3, 0.06f, 0), vertexAt(0, 10, 0, 0),
                       vertexAt(0, 7, 0, 0.03f), vertexAt(0, -1, 0, 0),    vertexAt(0, 2, 40, 0, 0),
                       vertexAt(0, 11, 0, 0)};
    ModelBlueprint walls;
    for (float x : {2.0f, 4.0f, 6.0f, 20.0f})
        for (const auto& [y, z] : {std::pair{-1.0f, -1.0f}, {2.0f, -1.0f}, {-1.0f, 2.0f}})
            walls.vertices.push_back(vertexAt(0, x, y, z));
    walls.faces = {faceOf(0, 0, 2, 1), faceOf(0, 3, 4, 5), faceOf(0, 6, 8, 7), faceOf(0, 9, 11, 10)};
    const int pointModel = installModel(points), wallModel = installModel(walls);
    struct Case {
        const char* name;
        bool faces;
        double start[3], end[3];
        int picked;
    };
    const Case cases[] = {
        {"vertex nearest to start within 0.05", false, {0, 0, 0}, {10, 0, 0}, 0},
        {"vertex at the start", false, {10, 0, 0}, {0, 0, 0}, 2},
        {"vertex at the end: not strictly before it", false, {5.5, 0, 0}, {5, 0.04, 0}, -1},
        {"start equals end", false, {0, 0, 0}, {0, 0, 0}, -1},
        {"the first front face", true, {0, 0, 0}, {10, 0, 0}, 0},
        {"face 0 behind, face 1 turned away", true, {3, 0, 0}, {10, 0, 0}, 2},
        {"face 2 beyond the end", true, {3, 0, 0}, {5.9, 0, 0}, -1},
        {"face from the other side", true, {30, 0, 0}, {0, 0, 0}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.faces ? LineNZObj3dTriangleCheck(c.start, c.end, wallModel)
                          : LineNZObj3dPointCheck(c.start, c.end, pointModel),
                  c.picked)
            << c.name;
    const double start[3] = {0, 0, 0}, end[3] = {10, 0, 0};
    EXPECT_EQ(LineNZObj3dPointCheck(start, end, 30), -1);
    walls.faces[0].vertexno[2] = -5;  // skipped
    EXPECT_EQ(LineNZObj3dTriangleCheck(start, end, installModel(walls)), 2);
    EXPECT_EQ(LineNZObj3dTriangleCheck(start, end, installModel(ModelBlueprint{})), -1);

    // The sphere encloses the outermost vertices, the copy's own position included.
    double sphere[4] = {1, 2, 3, 4};
    GetObj3dSphere(49, sphere);
    EXPECT_EQ(sphere[3], 4.0);
    GetObj3dSphere(pointModel, sphere);
    for (const model::Obj3dVertex& v : {points.vertices[4], points.vertices[5], points.vertices[6]})
        EXPECT_LE(std::hypot(v.posx - sphere[0], v.posy - sphere[1], v.posz - sphere[2]), sphere[3] * (1 + 1e-6));
}

// Pixel (512, 256) of the pixel camera: vertex 0 projects 4 right of it
// (16 square pixels), 1 3 right and 3 down (18), 2 4 right and 2 down (20).
TEST_F(Picking, ScreenPickRadiusDepthRangeAndShapeKey) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 4, 0, 5), vertexAt(0, 3, -3, 5), vertexAt(0, 4, -2, 5)};
    const query::ScreenCamera camera = pixelCamera();
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, installModel(blueprint), -1, 0), 0);
    blueprint.vertices[0].posz = 0.5f;  // in front of the near plane
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, installModel(blueprint), -1, 0), 1);
    blueprint.vertices[1].posz = 9.5f;  // beyond the far plane
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, installModel(blueprint), -1, 0), -1);

    // On the centre pixel at depths 6, 3 and 4; vertex 3 reaches x = 0 at
    // depth 2 halfway through its shape key.
    ModelBlueprint stacked;
    stacked.vertices = {vertexAt(0, 0, 0, 6), vertexAt(0, 0, 0, 3), vertexAt(0, 0, 0, 4), vertexAt(0, 50, 0, 2)};
    stacked.shapekeyvertex = {3};
    stacked.shapekeyinfo = {{1, 2, 0}};
    stacked.shapekeytrans = {{0, 0, 0, 0, 0}, {0, 10, -100, 0, 0}};
    const int model = installModel(stacked);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, -1, 0), 1);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 0, 5), 3);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 0, 0), 1);
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, model, 1, 5), -1);  // no such kind
    EXPECT_EQ(query::screenVertexPick(camera, 512, 256, 49, -1, 0), -1);
}

}  // namespace
}  // namespace korvel::testing
