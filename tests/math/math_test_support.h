#pragma once

// Seeded random inputs and tolerant comparisons shared by the math tests.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/types.h"
#include "math/vector.h"

namespace korvel::math::testing {

class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(engine_); }
    float normal() { return std::normal_distribution<float>(0.0f, 1.0f)(engine_); }
    Float3 point(float range) { return {uniform(-range, range), uniform(-range, range), uniform(-range, range)}; }

    // Uniformly distributed unit quaternion.
    Quaternion rotation() {
        for (;;) {
            const Quaternion q{normal(), normal(), normal(), normal()};
            if (dot(q, q) > 1e-3f) {
                return normalize(q);
            }
        }
    }

    Float3 unitVector() {
        for (;;) {
            const Float3 v{normal(), normal(), normal()};
            if (dot(v, v) > 1e-3f) {
                return normalize(v);
            }
        }
    }

    std::mt19937& engine() { return engine_; }

private:
    std::mt19937 engine_;
};

inline ::testing::AssertionResult near3(Float3 actual, Float3 expected, float tolerance) {
    const float error = std::fmax(std::fabs(actual.x - expected.x),
                                  std::fmax(std::fabs(actual.y - expected.y), std::fabs(actual.z - expected.z)));
    if (error <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") differs from (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ") by " << error;
}

inline ::testing::AssertionResult nearMatrix(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (!(std::fabs(actual.m[i][j] - expected.m[i][j]) <= tolerance)) {
                return ::testing::AssertionFailure() << "element (" << i << ", " << j << ") is " << actual.m[i][j]
                                                     << ", expected " << expected.m[i][j];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Same rotation: q and -q are equal rotations.
inline ::testing::AssertionResult sameRotation(Quaternion a, Quaternion b, float tolerance) {
    const float d = std::fabs(dot(a, b));
    if (std::fabs(d - 1.0f) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "|dot| = " << d << " for (" << a.x << ", " << a.y << ", " << a.z << ", "
                                         << a.w << ") and (" << b.x << ", " << b.y << ", " << b.z << ", " << b.w
                                         << ")";
}

// Upper 3 x 3 block orthonormal with determinant +1.
inline ::testing::AssertionResult isRotation(const Matrix& r, float tolerance) {
    const Matrix product = multiply(r, transpose(r));
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const float expected = i == j ? 1.0f : 0.0f;
            if (!(std::fabs(product.m[i][j] - expected) <= tolerance)) {
                return ::testing::AssertionFailure() << "R R^T element (" << i << ", " << j << ") is "
                                                     << product.m[i][j];
            }
        }
    }
    const Float3 r0{r.m[0][0], r.m[0][1], r.m[0][2]};
    const Float3 r1{r.m[1][0], r.m[1][1], r.m[1][2]};
    const Float3 r2{r.m[2][0], r.m[2][1], r.m[2][2]};
    const float det = dot(r0, cross(r1, r2));
    if (!(std::fabs(det - 1.0f) <= tolerance)) {
        return ::testing::AssertionFailure() << "determinant " << det;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace korvel::math::testing
