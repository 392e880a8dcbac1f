// Ordering an imported model's faces by material within each part, with the
// exact result of the exchange sort that defines it: for each face i, each
// later face j of the same part whose material is smaller than i's current
// one exchanges material and corners with i. That sort is not stable; this
// reproduces its permutation with a min-tree over the part's materials, in
// time proportional to (faces + exchanges) x log(faces), where a face takes
// part in at most one exchange per distinct smaller material.
#pragma once

#include <span>

#include "model/records.h"

namespace korvel::model::xfile {

// Faces must be grouped by part in ascending part order.
void orderFacesByMaterial(std::span<Obj3dFace> faces);

}  // namespace korvel::model::xfile
