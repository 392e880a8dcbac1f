#pragma once

// The plain value types of the math module. Other modules copy them byte for
// byte into GPU constant buffers and stored records, so their layouts are fixed
// and checked below.

#include <cstddef>
#include <type_traits>

namespace korvel::math {

struct Float3 {
    float x, y, z;
};

struct Float4 {
    float x, y, z, w;
};

// 4 x 4 matrix stored row by row; m[i][j] is row i, column j. Points are row
// vectors multiplied on the left (p' = p x M), so the translation is row 3.
struct Matrix {
    float m[4][4];
};

// (x, y, z) is the vector part, w the scalar part.
struct Quaternion {
    float x, y, z, w;
};

struct Sphere {
    Float3 center;
    float radius;
};

// Axis-aligned box; extents are half the edge lengths.
struct Aabox {
    Float3 center;
    Float3 extents;
};

// Oriented box: a point p of the box's own space lies at
// rotate(p, orientation) + center in the world.
struct Obox {
    Float3 center;
    Float3 extents;
    Quaternion orientation;
};

// View volume placed at origin, looking along its own +z axis. The side
// planes are x = rightSlope * z + rightOffset, x = leftSlope * z + leftOffset,
// y = topSlope * z + topOffset and y = bottomSlope * z + bottomOffset; near and
// far planes are z = nearDistance, z = farDistance. A perspective volume has
// zero offsets (its apex is the origin); an orthographic one zero slopes.
struct Frustum {
    Float3 origin;
    Quaternion orientation;
    float rightSlope;
    float leftSlope;
    float topSlope;
    float bottomSlope;
    float nearDistance;
    float farDistance;
    float rightOffset = 0.0f;
    float leftOffset = 0.0f;
    float topOffset = 0.0f;
    float bottomOffset = 0.0f;
};

template <typename T>
inline constexpr bool kPlainRecord = std::is_standard_layout_v<T>&& std::is_trivially_copyable_v<T>;

static_assert(kPlainRecord<Float3> && sizeof(Float3) == 12);
static_assert(kPlainRecord<Float4> && sizeof(Float4) == 16);
static_assert(kPlainRecord<Matrix> && sizeof(Matrix) == 64);
static_assert(kPlainRecord<Quaternion> && sizeof(Quaternion) == 16);
static_assert(kPlainRecord<Sphere> && sizeof(Sphere) == 16 && offsetof(Sphere, radius) == 12);
static_assert(kPlainRecord<Aabox> && sizeof(Aabox) == 24 && offsetof(Aabox, extents) == 12);
static_assert(kPlainRecord<Obox> && sizeof(Obox) == 40);
static_assert(offsetof(Obox, extents) == 12 && offsetof(Obox, orientation) == 24);
static_assert(kPlainRecord<Frustum> && sizeof(Frustum) == 68);
static_assert(offsetof(Frustum, orientation) == 12 && offsetof(Frustum, rightSlope) == 28);
static_assert(offsetof(Frustum, leftSlope) == 32 && offsetof(Frustum, topSlope) == 36);
static_assert(offsetof(Frustum, bottomSlope) == 40 && offsetof(Frustum, nearDistance) == 44);
static_assert(offsetof(Frustum, farDistance) == 48 && offsetof(Frustum, bottomOffset) == 64);

}  // namespace korvel::math
