// A 24-bit pixel surface as the text rasteriser draws into it: rows of
// blue, green, red bytes, top row first.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace korvel::platform::text {

struct BgrSurface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;
};

// A pixel rectangle; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    PixelRect intersect(const PixelRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
};

struct TextColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// Sets every pixel of rect (clipped to the surface) to color.
inline void fillRect(BgrSurface& surface, const PixelRect& rect, TextColor color) {
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

// Mixes color into the pixel at (x, y) with coverage 0 to 255; the caller
// keeps (x, y) inside the surface.
inline void blendPixel(BgrSurface& surface, int x, int y, TextColor color, unsigned coverage) {
    uint8_t* p = surface.pixels + static_cast<size_t>(y) * surface.rowBytes + static_cast<size_t>(x) * 3;
    const uint8_t target[3] = {color.blue, color.green, color.red};
    for (int i = 0; i < 3; ++i) {
        const int mixed = p[i] + ((static_cast<int>(target[i]) - p[i]) * static_cast<int>(coverage) + 127) / 255;
        p[i] = static_cast<uint8_t>(mixed);
    }
}

}  // namespace korvel::platform::text
