#pragma once

// Single-precision trigonometry, as scalars and lane by lane on Float4.

#include "math/types.h"

namespace korvel::math {

float scalarSin(float x);
float scalarCos(float x);
void scalarSinCos(float x, float* sine, float* cosine);

// Arc cosine in [0, pi]. Inputs a rounding step outside [-1, 1] (magnitude up
// to 1.0000001) are treated as +-1; anything larger gives NaN.
float scalarACos(float x);

float scalarATan(float x);

// Angle of (x, y) in [-pi, pi] with the C library's quadrant and special-value
// rules (signed zeros and infinities included).
float scalarATan2(float y, float x);

Float4 sinEach(Float4 v);
Float4 cosEach(Float4 v);
void sinCosEach(Float4 v, Float4* sine, Float4* cosine);
Float4 acosEach(Float4 v);
Float4 atanEach(Float4 v);
Float4 atan2Each(Float4 y, Float4 x);

}  // namespace korvel::math
