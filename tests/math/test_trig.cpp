#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "math/trig.h"

namespace korvel::math {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(Trig, ArcCosineRangeAndTolerance) {
    for (float x = -1.0f; x <= 1.0f; x += 0.03125f) {
        const float a = scalarACos(x);
        EXPECT_GE(a, 0.0f);
        EXPECT_LE(a, kPi);
        EXPECT_NEAR(std::cos(a), x, 1e-6f);
    }
    // One rounding step beyond +-1 is still +-1; anything further is NaN.
    EXPECT_EQ(scalarACos(1.0000001f), 0.0f);
    EXPECT_FLOAT_EQ(scalarACos(-1.0000001f), kPi);
    EXPECT_TRUE(std::isnan(scalarACos(std::nextafter(1.0000001f, 2.0f))));
    EXPECT_TRUE(std::isnan(scalarACos(-1.5f)));
    EXPECT_TRUE(std::isnan(scalarACos(std::numeric_limits<float>::quiet_NaN())));
    const Float4 lanes = acosEach({1, -1, 0, 2});
    EXPECT_EQ(lanes.x, 0.0f);
    EXPECT_FLOAT_EQ(lanes.y, kPi);
    EXPECT_FLOAT_EQ(lanes.z, kPi / 2);
    EXPECT_TRUE(std::isnan(lanes.w));
}

TEST(Trig, ArcTangentSpecialValues) {
    struct Case {
        float y, x, expected;
    };
    const Case cases[] = {
        {0.0f, -1.0f, kPi},          {-0.0f, -1.0f, -kPi},       {1.0f, 0.0f, kPi / 2},
        {-1.0f, 0.0f, -kPi / 2},     {kInf, kInf, kPi / 4},      {-kInf, kInf, -kPi / 4},
        {kInf, -kInf, 3 * kPi / 4},  {-kInf, -kInf, -3 * kPi / 4}, {1.0f, kInf, 0.0f},
        {1.0f, -kInf, kPi},          {-1.0f, -kInf, -kPi},       {kInf, 1.0f, kPi / 2},
        {0.0f, 1.0f, 0.0f},          {1.0f, 1.0f, kPi / 4},      {-1.0f, -1.0f, -3 * kPi / 4},
    };
    for (const Case& c : cases) {
        const float a = scalarATan2(c.y, c.x);
        EXPECT_FLOAT_EQ(a, c.expected) << "atan2(" << c.y << ", " << c.x << ")";
        EXPECT_EQ(std::signbit(a), std::signbit(c.expected)) << "atan2(" << c.y << ", " << c.x << ")";
    }
    const Float4 lanes = atan2Each({1, -1, 0, kInf}, {0, 0, -1, kInf});
    EXPECT_FLOAT_EQ(lanes.x, kPi / 2);
    EXPECT_FLOAT_EQ(lanes.y, -kPi / 2);
    EXPECT_FLOAT_EQ(lanes.z, kPi);
    EXPECT_FLOAT_EQ(lanes.w, kPi / 4);
    EXPECT_FLOAT_EQ(scalarATan(kInf), kPi / 2);
}

}  // namespace
}  // namespace korvel::math
