// Camera, screen and lighting state through the C interface and the pure
// camera arithmetic; no device needed (uploads are skipped without one).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lighting.h"
#include "device/projection.h"
#include "device/screen.h"
#include "math/quaternion.h"

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

TEST(ViewFrustum, OrientationFollowsTheViewDirectionExceptAlongZ) {
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    for (const float z : {-5.0f, 5.0f}) {
        ViewMatrixValueSet(0, 0, z, 0, 0, 0, 0, 1, 0);
        const math::Frustum& f = camera().viewFrustum;
        EXPECT_EQ(f.orientation.x, 0.0f);
        EXPECT_EQ(f.orientation.y, 0.0f);
        EXPECT_EQ(f.orientation.z, 0.0f);
        EXPECT_EQ(f.orientation.w, 1.0f);
        EXPECT_EQ(f.origin.z, z);
        EXPECT_NEAR(f.nearDistance, 1.0f, 1e-5);
        EXPECT_NEAR(f.farDistance, 11.0f, 1e-4);
    }

    // Looking from +x towards the origin turns +z onto -x about -y.
    ViewMatrixValueSet(5, 0, 0, 0, 0, 0, 0, 1, 0);
    const math::Quaternion q = camera().viewFrustum.orientation;
    const float half = std::sqrt(0.5f);
    EXPECT_NEAR(q.x, 0.0f, 1e-6);
    EXPECT_NEAR(q.y, -half, 1e-6);
    EXPECT_NEAR(q.z, 0.0f, 1e-6);
    EXPECT_NEAR(q.w, half, 1e-6);
    const math::Float3 forward = math::rotate({0, 0, 1}, q);
    EXPECT_NEAR(forward.x, -1.0f, 1e-5);
    EXPECT_NEAR(forward.z, 0.0f, 1e-5);
    EXPECT_EQ(camera().cameraEye.x, 5.0f);
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
