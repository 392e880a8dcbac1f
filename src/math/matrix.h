#pragma once

// 4 x 4 matrices in the row-vector, left-handed convention: applying A first
// and then B is multiply(A, B); a view looks along its +z axis.

#include "math/types.h"

namespace korvel::math {

Matrix identity();
Matrix multiply(const Matrix& a, const Matrix& b);
Matrix transpose(const Matrix& m);

// Cofactor expansion along row 0.
float determinant(const Matrix& m);

// Adjugate divided by the determinant, which is stored in *determinantOut when
// given. Nothing guards a singular matrix: its inverse has non-finite elements.
Matrix inverse(const Matrix& m, float* determinantOut = nullptr);

Matrix scaling(float x, float y, float z);
Matrix translation(float x, float y, float z);

// Roll about Z first, then pitch about X, then yaw about Y.
Matrix rotationPitchYawRoll(float pitch, float yaw, float roll);
// The same with the angles given as (pitch, yaw, roll).
Matrix rotationPitchYawRoll(Float3 angles);

// Rotation by angle (radians) about an axis of unit length.
Matrix rotationNormal(Float3 unitAxis, float angle);
// Rotation about any axis; the axis is normalised first, so a zero axis leaves
// only the cosine on the diagonal.
Matrix rotationAxis(Float3 axis, float angle);

// View matrix for an eye at `eye` looking along `direction`, with `up` giving
// the vertical; the view's own +z is the looking direction.
Matrix lookToLH(Float3 eye, Float3 direction, Float3 up);

}  // namespace korvel::math
