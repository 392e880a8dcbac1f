#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "math/principal_axes.h"
#include "math/vector.h"
#include "math_test_support.h"

namespace korvel::math {
namespace {

using testing::near3;
using testing::Random;

Float3 times(const Covariance& c, Float3 v) {
    return {static_cast<float>(c.xx * v.x + c.xy * v.y + c.xz * v.z),
            static_cast<float>(c.xy * v.x + c.yy * v.y + c.yz * v.z),
            static_cast<float>(c.xz * v.x + c.yz * v.y + c.zz * v.z)};
}

TEST(PrincipalAxes, EigenpairsOfRandomCovariances) {
    Random random(41);
    for (int i = 0; i < 200; ++i) {
        Covariance c{0, 0, 0, 0, 0, 0};
        for (int j = 0; j < 20; ++j) {
            const Float3 p = random.point(random.uniform(0.5f, 5));
            c.xx += p.x * p.x;
            c.yy += p.y * p.y;
            c.zz += p.z * p.z;
            c.xy += p.x * p.y;
            c.xz += p.x * p.z;
            c.yz += p.y * p.z;
        }
        double roots[3];
        ASSERT_TRUE(covarianceEigenvalues(c, roots));
        EXPECT_NEAR(roots[0] + roots[1] + roots[2], c.xx + c.yy + c.zz, 1e-9 * (c.xx + c.yy + c.zz));
        const float scale = static_cast<float>(c.xx + c.yy + c.zz);
        for (double root : roots) {
            const Float3 v = covarianceEigenvector(c, root);
            EXPECT_NEAR(length(v), 1, 1e-6f);
            EXPECT_TRUE(near3(times(c, v), v * static_cast<float>(root), 1e-4f * scale));
        }
    }
}

TEST(PrincipalAxes, DoubleEigenvalueGivesAVectorOrthogonalToTheSingleAxis) {
    // C = n n^T + 2 I with n = (1, 1, 1): eigenvalue 5 along n, 2 (twice) across
    // it. For eigenvalue 2 every row of C - 2 I is (1, 1, 1), so the vector comes
    // from the parallel-rows fallback and must still lie across n.
    const Covariance c{3, 3, 3, 1, 1, 1};
    double roots[3];
    ASSERT_TRUE(covarianceEigenvalues(c, roots));
    std::sort(roots, roots + 3);
    EXPECT_DOUBLE_EQ(roots[0], 2);
    EXPECT_DOUBLE_EQ(roots[1], 2);
    EXPECT_DOUBLE_EQ(roots[2], 5);
    const Float3 v = covarianceEigenvector(c, 2);
    EXPECT_NEAR(length(v), 1, 1e-6f);
    EXPECT_NEAR(dot(v, {1, 1, 1}), 0, 1e-6f);

    // In-plane eigenvalues 3 and 1 of [[2, 1], [1, 2]]: the first two rows of
    // C - L I are parallel with no z part, and the fallback solves within them.
    const Covariance flat{2, 2, 0, 1, 0, 0};
    const float h = std::sqrt(0.5f);
    EXPECT_TRUE(near3(covarianceEigenvector(flat, 3), {h, h, 0}, 1e-7f));
    EXPECT_TRUE(near3(covarianceEigenvector(flat, 1), {h, -h, 0}, 1e-7f));
}

TEST(PrincipalAxes, CoincidentPointsGiveCoordinateAxes) {
    Float3 axes[3];
    principalAxes({0, 0, 0, 0, 0, 0}, axes);
    EXPECT_TRUE(near3(axes[0], {1, 0, 0}, 0));
    EXPECT_TRUE(near3(axes[1], {0, 1, 0}, 0));
    EXPECT_TRUE(near3(axes[2], {0, 0, 1}, 0));
}

TEST(RepairAxes, Rules) {
    const Float3 zero{0, 0, 0};
    const Float3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    const Float3 u = normalize(Float3{1, 1, 0}), w = normalize(Float3{-1, 1, 0});
    struct Case {
        const char* name;
        Float3 in[3];
        Float3 out[3];
    };
    const Case cases[] = {
        {"orthogonal kept", {u, w, z}, {u, w, z}},
        {"all zero", {zero, zero, zero}, {x, y, z}},
        {"all skew", {x, u, u}, {x, y, z}},
        {"skew pair with zero third", {x, u, zero}, {x, y, z}},
        {"first zero", {zero, u, z}, {cross(u, z), u, z}},
        {"second zero", {u, zero, z}, {u, cross(z, u), z}},
        {"third zero", {u, w, zero}, {u, w, cross(u, w)}},
        {"first and second skew", {x, u, z}, {cross(u, z), u, z}},
        {"second and third skew", {z, x, u}, {z, cross(u, z), u}},
        {"first and third skew", {u, z, x}, {u, z, cross(u, z)}},
        // Two zero: the following vector is across y, the other completes the
        // right-handed set.
        {"only first", {z, zero, zero}, {z, x, y}},
        {"only second", {zero, z, zero}, {y, z, x}},
        {"only third", {zero, zero, x}, {-z, y, x}},
        {"only y", {y, zero, zero}, {y, z, x}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Float3 axes[3] = {c.in[0], c.in[1], c.in[2]};
        repairAxes(axes);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(near3(axes[i], c.out[i], 1e-6f)) << "axis " << i;
        }
    }
}

}  // namespace
}  // namespace korvel::math
