#pragma once

// Tolerant comparisons shared by the math tests.

#include <gtest/gtest.h>

#include <cmath>

#include "math/types.h"

namespace korvel::math::testing {

inline ::testing::AssertionResult near3(Float3 actual, Float3 expected, float tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// q and -q are the same rotation.
inline ::testing::AssertionResult sameRotation(Quaternion a, Quaternion b, float tolerance) {
    const float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (std::fabs(std::fabs(d) - 1.0f) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") is not ("
                                         << b.x << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

}  // namespace korvel::math::testing
