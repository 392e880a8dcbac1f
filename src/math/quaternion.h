#pragma once

// Rotation quaternions (x, y, z, w), w the scalar part, in the same row-vector
// convention as the matrices: rotate(v, q) equals v x matrixFromQuaternion(q).

#include "math/types.h"

namespace korvel::math {

// Quaternion of the rotation that applies roll about Z, then pitch about X,
// then yaw about Y (angles in radians).
Quaternion quaternionPitchYawRoll(float pitch, float yaw, float roll);

// Rotation matrix of a unit quaternion (translation zero).
Matrix matrixFromQuaternion(Quaternion q);

// Quaternion of a proper rotation; only the upper 3 x 3 block is read. The
// component found by square root is never negative; the result is not
// normalised.
Quaternion quaternionFromMatrix(const Matrix& m);

float dot(Quaternion a, Quaternion b);

// Unit quaternion along q, with the guards of the vector normalisation: zero
// stays zero, an infinite squared length gives NaN.
Quaternion normalize(Quaternion q);

Quaternion conjugate(Quaternion q);

// The rotation of a followed by the rotation of b: its matrix is
// multiply(matrixFromQuaternion(a), matrixFromQuaternion(b)).
Quaternion compose(Quaternion a, Quaternion b);

Float3 rotate(Float3 v, Quaternion q);
// Rotation by the conjugate: undoes rotate for a unit quaternion.
Float3 inverseRotate(Float3 v, Quaternion q);

// Spherical interpolation from q0 (t = 0) to q1 (t = 1) the short way round.
// Nearly parallel inputs are blended linearly; the result is not renormalised.
Quaternion slerp(Quaternion q0, Quaternion q1, float t);

}  // namespace korvel::math
