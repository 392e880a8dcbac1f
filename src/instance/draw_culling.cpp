#include "instance/draw_culling.h"

#include "math/bounds.h"

namespace korvel::instance {

bool culledByFrustum(const Image3dInstance& image, const math::Frustum& frustum) {
    if (image.cullmode == 1) {
        const math::Aabox& box = image.aabox;
        if (!(box.extents.x > 0.0f)) return false;
        return math::oboxFrustumTest({box.center, box.extents, {0.0f, 0.0f, 0.0f, 1.0f}}, frustum) == 0;
    }
    if (image.cullmode == 2) {
        for (int p = 0; p < image.numpart; ++p) {
            const math::Obox& box = image.part(p)->obox;
            if (!(box.extents.x > 0.0f) || math::oboxFrustumTest(box, frustum) != 0) return false;
        }
        return true;
    }
    return false;
}

}  // namespace korvel::instance
