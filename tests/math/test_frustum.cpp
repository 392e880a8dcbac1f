#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "math/bounds.h"
#include "math/frustum.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "math_test_support.h"

namespace korvel::math {
namespace {

using testing::near3;
using testing::Random;

constexpr float kPi = std::numbers::pi_v<float>;

// Left-handed perspective projection by vertical field of view, as the camera
// builds it.
Matrix perspective(float fov, float aspect, float n, float f) {
    const float h = std::cos(fov / 2) / std::sin(fov / 2);
    const float r = f / (f - n);
    return {{{h / aspect, 0, 0, 0}, {0, h, 0, 0}, {0, 0, r, 1}, {0, 0, -r * n, 0}}};
}

TEST(Frustum, FromPerspectiveProjection) {
    const Frustum f = frustumFromProjection(perspective(kPi / 3, 1.5f, 0.5f, 200));
    const float top = std::tan(kPi / 6);
    EXPECT_NEAR(f.rightSlope, top * 1.5f, 1e-6f);
    EXPECT_NEAR(f.leftSlope, -top * 1.5f, 1e-6f);
    EXPECT_NEAR(f.topSlope, top, 1e-6f);
    EXPECT_NEAR(f.bottomSlope, -top, 1e-6f);
    EXPECT_NEAR(f.nearDistance, 0.5f, 1e-6f);
    EXPECT_NEAR(f.farDistance, 200, 200 * 5e-5f);
    EXPECT_TRUE(near3(f.origin, {0, 0, 0}, 0));
    EXPECT_EQ(f.orientation.w, 1.0f);
}

// Orthographic, 20 x 15 from depth 1 to 50: a box, not a pyramid.
TEST(Frustum, FromOrthographicProjectionIsABox) {
    const Matrix ortho{{{0.1f, 0, 0, 0}, {0, 2 / 15.0f, 0, 0}, {0, 0, 1 / 49.0f, 0}, {0, 0, -1 / 49.0f, 1}}};
    const Frustum f = frustumFromProjection(ortho);
    EXPECT_EQ(f.rightSlope, 0.0f);
    EXPECT_EQ(f.topSlope, 0.0f);
    EXPECT_NEAR(f.rightOffset, 10, 1e-5f);
    EXPECT_NEAR(f.leftOffset, -10, 1e-5f);
    EXPECT_NEAR(f.topOffset, 7.5f, 1e-5f);
    EXPECT_NEAR(f.bottomOffset, -7.5f, 1e-5f);
    EXPECT_NEAR(f.nearDistance, 1, 1e-5f);
    EXPECT_NEAR(f.farDistance, 50, 1e-4f);
    const Quaternion none{0, 0, 0, 1};
    EXPECT_EQ(oboxFrustumTest({{9.5f, 7, 2}, {0.1f, 0.1f, 0.1f}, none}, f), kInside);
    EXPECT_EQ(oboxFrustumTest({{10.5f, 0, 25}, {0.1f, 0.1f, 0.1f}, none}, f), kOutside);
    // Beyond the edge where the right and top faces meet, turned 45 degrees
    // about z: neither face separates it, the diagonal axis does.
    const Quaternion turned{0, 0, std::sin(kPi / 8), std::cos(kPi / 8)};
    EXPECT_EQ(oboxFrustumTest({{10.74f, 8.24f, 25}, {1, 0.1f, 1}, turned}, f), kOutside);
    EXPECT_EQ(oboxFrustumTest({{10.68f, 8.18f, 25}, {1, 0.1f, 1}, turned}, f), kIntersecting);
}

TEST(Frustum, TransformScalesRotatesAndMoves) {
    Frustum source = frustumFromProjection(perspective(kPi / 2, 1, 1, 100));
    source.origin = {1, 0, 0};
    // Yaw by a quarter turn: +z turns to +x, +x to -z.
    const Quaternion yaw = quaternionPitchYawRoll(0, kPi / 2, 0);
    const Frustum f = transformFrustum(source, 2, yaw, {0, 0, 10});
    EXPECT_TRUE(near3(f.origin, {0, 0, 8}, 1e-6f));
    EXPECT_TRUE(testing::sameRotation(f.orientation, yaw, 1e-6f));
    EXPECT_EQ(f.rightSlope, source.rightSlope);
    EXPECT_EQ(f.bottomSlope, source.bottomSlope);
    EXPECT_EQ(f.nearDistance, 2.0f);
    EXPECT_EQ(f.farDistance, 2 * source.farDistance);
    // The moved volume looks along +x from (0, 0, 8).
    const Quaternion none{0, 0, 0, 1};
    EXPECT_EQ(oboxFrustumTest({{50, 0, 8}, {1, 1, 1}, none}, f), kInside);
    EXPECT_EQ(oboxFrustumTest({{0, 0, 58}, {1, 1, 1}, none}, f), kOutside);
    // Orientations compose: a second transform by the inverse yaw undoes the turn.
    const Frustum back = transformFrustum(f, 1, conjugate(yaw), {0, 0, 0});
    EXPECT_TRUE(testing::sameRotation(back.orientation, {0, 0, 0, 1}, 1e-6f));
}

TEST(FrustumTest, EdgeCases) {
    const Frustum f{{0, 0, 0}, {0, 0, 0, 1}, 1, -1, 1, -1, 1, 100};
    const Quaternion none{0, 0, 0, 1};
    EXPECT_EQ(oboxFrustumTest({{0, 0, 50}, {1, 1, 1}, none}, f), kInside);
    EXPECT_EQ(oboxFrustumTest({{0, 0, -5}, {1, 1, 1}, none}, f), kOutside);
    EXPECT_EQ(oboxFrustumTest({{0, 0, 0.5f}, {0.2f, 0.2f, 0.2f}, none}, f), kOutside);
    EXPECT_EQ(oboxFrustumTest({{50, 0, 50}, {1, 1, 1}, none}, f), kIntersecting);
    EXPECT_EQ(oboxFrustumTest({{0, 0, 150}, {5, 5, 5}, none}, f), kOutside);
    // A box around the whole volume: the centre is inside, not the corners.
    EXPECT_EQ(oboxFrustumTest({{0, 0, 50}, {500, 500, 500}, none}, f), kIntersecting);
    // Touching the far plane counts as intersecting.
    EXPECT_EQ(oboxFrustumTest({{0, 0, 101}, {1, 1, 1}, none}, f), kIntersecting);
    // Beside the edge where the right and top planes meet, turned 45 degrees
    // about z: neither plane separates it alone, an edge cross product does.
    const Quaternion turned{0, 0, std::sin(kPi / 8), std::cos(kPi / 8)};
    EXPECT_EQ(oboxFrustumTest({{12, 12, 10}, {1, 1, 1}, turned}, f), kOutside);
    EXPECT_EQ(oboxFrustumTest({{11.5f, 11.5f, 10}, {1, 1, 1}, turned}, f), kIntersecting);
}

// Exact reference in the frustum's own space. The box and the view volume are
// both sets of linear inequalities n . p + d <= 0; their intersection, when not
// empty, has a vertex where three of the planes meet. Every inequality is
// shifted by margin * |n| (inward for a positive margin).
struct HalfSpace {
    double n[3];
    double d;
};

double det3(const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

double normLength(const HalfSpace& h) { return std::sqrt(h.n[0] * h.n[0] + h.n[1] * h.n[1] + h.n[2] * h.n[2]); }

bool intersectionHasVertex(const std::vector<HalfSpace>& h, double margin) {
    const size_t count = h.size();
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            for (size_t k = j + 1; k < count; ++k) {
                // The point where the three shifted planes meet, by Cramer's rule.
                const HalfSpace* s[3] = {&h[i], &h[j], &h[k]};
                double a[3][3], b[3];
                for (int r = 0; r < 3; ++r) {
                    std::copy(s[r]->n, s[r]->n + 3, a[r]);
                    b[r] = -s[r]->d - margin * normLength(*s[r]);
                }
                const double det = det3(a);
                if (std::fabs(det) < 1e-12) {
                    continue;
                }
                double p[3];
                for (int c = 0; c < 3; ++c) {
                    double m[3][3];
                    for (int r = 0; r < 3; ++r) {
                        std::copy(a[r], a[r] + 3, m[r]);
                        m[r][c] = b[r];
                    }
                    p[c] = det3(m) / det;
                }
                const bool inside = std::all_of(h.begin(), h.end(), [&](const HalfSpace& q) {
                    const double len = normLength(q);
                    return q.n[0] * p[0] + q.n[1] * p[1] + q.n[2] * p[2] + q.d + margin * len <= 1e-9 * (1 + len);
                });
                if (inside) {
                    return true;
                }
            }
        }
    }
    return false;
}

std::vector<HalfSpace> frustumHalfSpaces(const Frustum& f) {
    return {{{0, 0, -1}, f.nearDistance},   {{0, 0, 1}, -f.farDistance},
            {{1, 0, -f.rightSlope}, 0},     {{-1, 0, f.leftSlope}, 0},
            {{0, 1, -f.topSlope}, 0},       {{0, -1, f.bottomSlope}, 0}};
}

TEST(FrustumTest, AgreesWithExactReferenceOnRandomBoxes) {
    Random random(51);
    int seen[3] = {0, 0, 0};
    for (int trial = 0; trial < 3000; ++trial) {
        Frustum local{{0, 0, 0}, {0, 0, 0, 1}, random.uniform(0.2f, 2), -random.uniform(0.2f, 2),
                      random.uniform(0.2f, 2), -random.uniform(0.2f, 2), random.uniform(0.1f, 3), 0};
        local.farDistance = local.nearDistance + random.uniform(2, 40);
        const float reach = local.farDistance * 2;
        const Float3 center{random.uniform(-reach, reach), random.uniform(-reach, reach),
                            random.uniform(-5, local.farDistance + 5)};
        const float size = local.farDistance * (trial % 3 == 0 ? 0.02f : 0.3f);
        const Float3 extents{random.uniform(0.05f, 1) * size, random.uniform(0.05f, 1) * size,
                             random.uniform(0.05f, 1) * size};
        const Quaternion boxRotation = random.rotation();

        // Reference: the box as six half-spaces and eight corners.
        const Matrix r = matrixFromQuaternion(boxRotation);
        std::vector<HalfSpace> halfSpaces = frustumHalfSpaces(local);
        const std::vector<HalfSpace> planes = halfSpaces;
        const float e[3] = {extents.x, extents.y, extents.z};
        for (int i = 0; i < 3; ++i) {
            const Float3 a{r.m[i][0], r.m[i][1], r.m[i][2]};
            const double ac = dot(a, center);
            halfSpaces.push_back({{a.x, a.y, a.z}, -(ac + e[i])});
            halfSpaces.push_back({{-a.x, -a.y, -a.z}, ac - e[i]});
        }
        const double margin = 1e-3 * local.farDistance;
        const bool surelyMeets = intersectionHasVertex(halfSpaces, margin);
        const bool surelyApart = !intersectionHasVertex(halfSpaces, -margin);
        bool surelyInside = true;
        bool surelyNotInside = false;
        for (int c = 0; c < 8; ++c) {
            const Float3 corner = center + Float3{r.m[0][0], r.m[0][1], r.m[0][2]} * (c & 1 ? e[0] : -e[0]) +
                                  Float3{r.m[1][0], r.m[1][1], r.m[1][2]} * (c & 2 ? e[1] : -e[1]) +
                                  Float3{r.m[2][0], r.m[2][1], r.m[2][2]} * (c & 4 ? e[2] : -e[2]);
            for (const HalfSpace& h : planes) {
                const double value = (h.n[0] * corner.x + h.n[1] * corner.y + h.n[2] * corner.z + h.d) / normLength(h);
                surelyInside = surelyInside && value < -margin;
                surelyNotInside = surelyNotInside || value > margin;
            }
        }

        // The same scene moved to a random place in the world.
        const Quaternion q = random.rotation();
        const Float3 t = random.point(100);
        const Frustum world = transformFrustum(local, 1, q, t);
        const Obox box{rotate(center, q) + t, extents, compose(boxRotation, q)};
        const int result = oboxFrustumTest(box, world);
        ++seen[result];

        SCOPED_TRACE(trial);
        if (surelyApart) {
            EXPECT_EQ(result, kOutside);
        }
        if (surelyMeets) {
            EXPECT_NE(result, kOutside);
        }
        if (surelyInside) {
            EXPECT_EQ(result, kInside);
        }
        if (surelyNotInside) {
            EXPECT_NE(result, kInside);
        }
    }
    // Every outcome turns up often enough to mean something.
    EXPECT_GT(seen[kOutside], 300);
    EXPECT_GT(seen[kIntersecting], 300);
    EXPECT_GT(seen[kInside], 50);
}

}  // namespace
}  // namespace korvel::math
