// Per-part values of a draw: which alpha and which matrix a part is drawn
// with, by the instance's partmode.
#pragma once

#include "instance/image3d.h"
#include "instance/placement.h"

namespace korvel::instance {

// The instance alpha, or with a non-zero partmode the alpha of `part`. Null
// when partmode asks for a part the record does not have.
inline const double* drawAlpha(const Image3dInstance& image, int part) {
    if (image.partmode == 0) return &image.whole().alpha;
    const Partinfo* info = image.part(part);
    return info ? &info->alpha : nullptr;
}

// Edges and vertex markers are drawn only on opaque parts (alpha 1 or more,
// or not a number).
inline bool opaqueForOverlay(double alpha) { return !(alpha < 1.0); }

}  // namespace korvel::instance
