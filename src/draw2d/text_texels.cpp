#include "draw2d/text_texels.h"

#include <cmath>

namespace korvel::draw2d {

uint8_t opacityByte(double alpha) {
    const double scaled = std::trunc(alpha * 255.0);
    if (!std::isfinite(scaled)) return 0;
    double low = std::fmod(scaled, 256.0);
    if (low < 0) low += 256.0;
    return static_cast<uint8_t>(low);
}

void copyTextTexels(const uint8_t* bitmap, size_t bitmapRowBytes, uint8_t* texels, size_t texelRowPitch, int x,
                    int y, int width, int height, uint8_t opacity) {
    for (int row = y; row < y + height; ++row) {
        const uint8_t* src = bitmap + static_cast<size_t>(row) * bitmapRowBytes + static_cast<size_t>(x) * 3;
        uint8_t* dst = texels + static_cast<size_t>(row) * texelRowPitch + static_cast<size_t>(x) * 4;
        for (int column = 0; column < width; ++column, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = opacity;
        }
    }
}

}  // namespace korvel::draw2d
