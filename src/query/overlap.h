// Overlap of two boxes, and of the boxes stored in instance records.
#pragma once

#include "math/types.h"

namespace korvel::query {

// Disjoint only when on some axis one box ends strictly before the other
// begins: touching boxes overlap.
bool aaboxOverlap(const math::Aabox& a, const math::Aabox& b);

// Separating-axis test in a's frame over the fifteen axes (three of a, three
// of b, nine cross products), with no tolerance: an axis separates only when
// the projected distance strictly exceeds the projected radii, so a
// degenerate cross product never separates.
bool oboxOverlap(const math::Obox& a, const math::Obox& b);

// 1 overlap, 0 apart, -1 when either box is absent (x extent 0 or less) or
// either instance (or part) does not exist.
int intersectImageAaboxes(int imageA, int imageB);
int intersectImageOboxes(int imageA, int partA, int imageB, int partB);

}  // namespace korvel::query
