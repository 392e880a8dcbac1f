#include "platform/text/bgr_surface.h"

namespace korvel::platform::text {

void fillRect(BgrSurface& surface, const PixelRect& rect, TextColor color) {
    const PixelRect r = rect.intersect({0, 0, surface.width, surface.height});
    if (r.empty()) return;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* p = surface.pixels + static_cast<size_t>(y) * surface.rowBytes + static_cast<size_t>(r.left) * 3;
        for (int x = r.left; x < r.right; ++x, p += 3) {
            p[0] = color.blue;
            p[1] = color.green;
            p[2] = color.red;
        }
    }
}

}  // namespace korvel::platform::text
