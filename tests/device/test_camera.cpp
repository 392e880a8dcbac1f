// Camera, screen and lighting state through the C interface and the pure
// camera arithmetic; no device needed (uploads are skipped without one).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "Korvelv0.h"
#include "device/camera.h"
#include "math/bounds.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::device {
namespace {

TEST(Projection, PerspectiveByFieldOfView) {
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    const math::Matrix& p = camera().projectionMatrix;
    EXPECT_NEAR(p.m[1][1], 2.4156f, 1e-4);
    EXPECT_NEAR(p.m[0][0], 1.8117f, 1e-4);
    EXPECT_FLOAT_EQ(p.m[2][2], 1.1f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(p.m[3][2], -1.1f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    EXPECT_EQ(p.m[0][1], 0.0f);
    EXPECT_EQ(camera().nearZ, 1.0);
    EXPECT_EQ(camera().farZ, 11.0);
}

TEST(Projection, ViewSizeOrthographicAndUnknownModes) {
    ProjectionMatrixValueSet(1, 4.0, 2.0, 2.0, 10.0);
    EXPECT_FLOAT_EQ(camera().projectionMatrix.m[0][0], 1.0f);
    EXPECT_FLOAT_EQ(camera().projectionMatrix.m[1][1], 2.0f);
    EXPECT_FLOAT_EQ(camera().projectionMatrix.m[3][2], -2.5f);

    ProjectionMatrixValueSet(2, 20.0, 15.0, 0.0, 10.0);
    const math::Matrix ortho = camera().projectionMatrix;
    EXPECT_FLOAT_EQ(ortho.m[0][0], 0.1f);
    EXPECT_NEAR(ortho.m[1][1], 0.13333f, 1e-5);
    EXPECT_FLOAT_EQ(ortho.m[2][2], 0.1f);
    EXPECT_EQ(ortho.m[2][3], 0.0f);
    EXPECT_EQ(ortho.m[3][2], 0.0f);
    EXPECT_EQ(ortho.m[3][3], 1.0f);

    // Mode 7 keeps the matrix but takes the new distances.
    ProjectionMatrixValueSet(7, 1.0, 1.0, 3.0, 30.0);
    EXPECT_EQ(std::memcmp(&ortho, &camera().projectionMatrix, sizeof ortho), 0);
    EXPECT_EQ(camera().nearZ, 3.0);
    EXPECT_EQ(camera().farZ, 30.0);

    // Degenerate input is stored as computed, not refused.
    math::Matrix flat{};
    ASSERT_TRUE(projectionForMode(0, 0.785, 1.0, 5.0, 5.0, flat));
    EXPECT_FALSE(std::isfinite(flat.m[2][2]));
    EXPECT_FALSE(projectionForMode(-1, 1, 1, 1, 2, flat));
}

// The point under a pixel halfway between the near and the far plane.
math::Float3 underPixel(int x, int y) {
    const int screen[2] = {x, y};
    double n[3], f[3];
    PosFromScreenToWorld(screen, n, f);
    return {float((n[0] + f[0]) / 2), float((n[1] + f[1]) / 2), float((n[2] + f[2]) / 2)};
}

int frustumTest(math::Float3 center) {
    return math::oboxFrustumTest({center, {0.01f, 0.01f, 0.01f}, {0, 0, 0, 1}}, camera().viewFrustum);
}

// Small boxes at the corners and the centre of the picture are kept; boxes
// beside the picture or behind the eye are not, whichever way the camera
// looks and rolls, in perspective and orthographic projection.
TEST(ViewFrustum, CoversWhatThePictureShows) {
    struct Case {
        const char* name;
        int mode;
        double width, height;  // field of view and aspect for mode 0
        float eye[3], at[3], up[3];
    };
    const Case cases[] = {
        {"looking down -z", 0, 0.785, 800.0 / 600.0, {0, 0, 5}, {0, 0, 0}, {0, 1, 0}},
        {"tilted", 0, 0.785, 800.0 / 600.0, {0, 0, 0}, {1, -1, 1}, {0, 1, 0}},
        {"rolled", 0, 0.785, 800.0 / 600.0, {0, 0, -5}, {0, 0, 0}, {1, 1, 0}},
        {"orthographic", 2, 20.0, 15.0, {0, 0, -10}, {0, 0, 0}, {0, 1, 0}},
        {"orthographic, tilted", 2, 20.0, 15.0, {2, 3, -4}, {0, 0, 1}, {0, 1, 0}},
    };
    ScreenSizeSet(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectionMatrixValueSet(c.mode, c.width, c.height, 1.0, 50.0);
        ViewMatrixValueSet(c.eye[0], c.eye[1], c.eye[2], c.at[0], c.at[1], c.at[2], c.up[0], c.up[1], c.up[2]);
        for (const auto& [x, y] : {std::pair{10, 10}, {790, 10}, {10, 590}, {790, 590}, {400, 300}})
            EXPECT_NE(frustumTest(underPixel(x, y)), math::kOutside) << "pixel " << x << ", " << y;
        for (const auto& [x, y] : {std::pair{-60, 300}, {860, 300}, {400, -60}, {400, 660}})
            EXPECT_EQ(frustumTest(underPixel(x, y)), math::kOutside) << "pixel " << x << ", " << y;
        const math::Float3 eye{c.eye[0], c.eye[1], c.eye[2]};
        const math::Float3 forward = math::normalize(math::Float3{c.at[0], c.at[1], c.at[2]} - eye);
        EXPECT_EQ(frustumTest(eye - forward * 3.0f), math::kOutside) << "behind the eye";
    }
}

TEST(ViewMatrix, EyeOnTheLookAtPointGivesZeroRows) {
    ViewMatrixValueSet(1, 2, 3, 1, 2, 3, 0, 1, 0);
    const math::Matrix& v = camera().viewMatrix;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(v.m[row][col], 0.0f) << row << "," << col;
    EXPECT_EQ(camera().viewFrustum.orientation.w, 1.0f);
}

TEST(SceneValues, ScreenSizeModesAndLightingSetters) {
    ScreenSizeSet(0);
    EXPECT_EQ(screenSize().width, 640u);
    ScreenSizeSet(3);  // unknown: unchanged
    EXPECT_EQ(screenSize().height, 480u);
    ScreenSizeSet(2);
    EXPECT_EQ(screenSize().width, 1024u);
    ScreenSizeSet(1);
    EXPECT_EQ(screenSize().height, 600u);

    EXPECT_EQ(lighting().pointLightPos.z, -3.0f);
    EXPECT_EQ(lighting().ktex, 1.0f);
    SceneAmbientColorSet(255, 128, 0);
    EXPECT_FLOAT_EQ(lighting().sceneAmbientColor.x, 1.0f);
    EXPECT_NEAR(lighting().sceneAmbientColor.y, 0.50196f, 1e-5);
    SceneAmbientColorSet(510, -255, 0);  // not clamped
    EXPECT_FLOAT_EQ(lighting().sceneAmbientColor.x, 2.0f);
    EXPECT_FLOAT_EQ(lighting().sceneAmbientColor.y, -1.0f);
    SetktexkdifkemikspcMparam(0.5, 0.25, 2, 3, 4, 5);
    EXPECT_EQ(lighting().kdif, 0.25f);
    EXPECT_EQ(lighting().mparam1, 5.0f);
    SetPointLightPos(1, 2, 3);
    EXPECT_EQ(lighting().pointLightPos.y, 2.0f);
}

}  // namespace
}  // namespace korvel::device
