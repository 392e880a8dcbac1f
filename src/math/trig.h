#pragma once

// Single-precision trigonometry with the library's own edge rules.

namespace korvel::math {

// Arc cosine in [0, pi]. Inputs a rounding step outside [-1, 1] (magnitude up
// to 1.0000001) are treated as +-1; anything larger gives NaN.
float scalarACos(float x);

// Angle of (x, y) in [-pi, pi] with the C library's quadrant and special-value
// rules (signed zeros and infinities included).
float scalarATan2(float y, float x);

}  // namespace korvel::math
