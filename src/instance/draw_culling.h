// Frustum culling of an instance on the boxes stored in its record.
#pragma once

#include "instance/image3d.h"
#include "math/types.h"

namespace korvel::instance {

// cullmode 1: outside when the aabox is present (x extent above 0) and lies
// wholly outside the frustum. cullmode 2: outside when the instance has no
// part, or when every part box is present and outside. Any other cullmode:
// never outside.
bool culledByFrustum(const Image3dInstance& image, const math::Frustum& frustum);

}  // namespace korvel::instance
