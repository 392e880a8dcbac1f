// Camera and screen state through the C interface; no device needed
// (uploads are skipped without one).
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "Korvelv0.h"
#include "device/camera.h"
#include "math/bounds.h"
#include "math/vector.h"

namespace korvel::device {
namespace {

// Elements m00, m11, m22, m23, m32 and m33 worked out by hand; every other
// element is zero.
TEST(Projection, EachModeGivesItsMatrixAndOtherModesKeepIt) {
    const struct {
        int mode;
        double a, b, nearZ, farZ;
        float expected[6];
    } cases[] = {
        // cot(0.3925) = 2.4156, over the aspect 4 / 3; far / (far - near) = 1.1.
        {0, 0.785, 800.0 / 600.0, 1.0, 11.0, {1.8117f, 2.4156f, 1.1f, 1.0f, -1.1f, 0.0f}},
        {1, 4.0, 2.0, 2.0, 10.0, {1.0f, 2.0f, 1.25f, 1.0f, -2.5f, 0.0f}},      // 2 near / size
        {2, 20.0, 15.0, 0.0, 10.0, {0.1f, 0.13333f, 0.1f, 0.0f, 0.0f, 1.0f}},  // 2 / size
    };
    for (const auto& c : cases) {
        ProjectionMatrixValueSet(c.mode, c.a, c.b, c.nearZ, c.farZ);
        const math::Matrix& p = camera().projectionMatrix;
        const float actual[6] = {p.m[0][0], p.m[1][1], p.m[2][2], p.m[2][3], p.m[3][2], p.m[3][3]};
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(actual[i], c.expected[i], 1e-4) << "mode " << c.mode << ", " << i;
        EXPECT_EQ(p.m[0][1], 0.0f);
        EXPECT_EQ(camera().farZ, c.farZ);
    }
    // Mode 7 keeps the matrix but takes the new distances.
    const math::Matrix ortho = camera().projectionMatrix;
    ProjectionMatrixValueSet(7, 1.0, 1.0, 3.0, 30.0);
    EXPECT_EQ(std::memcmp(&ortho, &camera().projectionMatrix, sizeof ortho), 0);
    EXPECT_EQ(camera().nearZ, 3.0);
    EXPECT_EQ(camera().farZ, 30.0);
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
    // width and height: the field of view and aspect for mode 0.
    struct Case {
        const char* name;
        int mode;
        double width, height;
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

TEST(ScreenSize, ModesZeroToTwoAndOthersKeepTheSize) {
    for (const auto& [mode, width, height] :
         {std::tuple{0, 640u, 480u}, {3, 640u, 480u}, {2, 1024u, 768u}, {-1, 1024u, 768u}, {1, 800u, 600u}}) {
        ScreenSizeSet(mode);
        EXPECT_EQ(std::pair(screenSize().width, screenSize().height), std::pair(width, height)) << mode;
    }
}

}  // namespace
}  // namespace korvel::device
