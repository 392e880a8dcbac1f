// Text exports: fonts, writing text into the text texture, and showing a
// rectangle of it.
#include <algorithm>
#include <exception>

#include "Korvelv0.h"
#include "draw2d/font_table.h"
#include "draw2d/sprite.h"
#include "draw2d/text_surface.h"
#include "draw2d/texture_numbers.h"
#include "platform/files.h"

using namespace korvel;

extern "C" {

KORVEL_API int myCreateFont(int height, int width, int weight, int italic, int underline, int strikeout,
                            int fixedpitch, const wchar_t* face) {
    try {
        platform::text::FontRequest request;
        request.height = height;
        request.width = width;
        request.weight = std::clamp(weight, 0, 1000);
        request.italic = italic != 0;
        request.underline = underline != 0;
        request.strikeout = strikeout != 0;
        request.fixedPitch = fixedpitch != 0;
        request.preferJapanese = true;
        request.face = platform::utf8FromWide(face);
        return draw2d::fontTable().create(request);
    } catch (const std::exception&) {
        return -1;
    }
}

KORVEL_API void myDleteFont(int slot) { draw2d::fontTable().release(slot); }

KORVEL_API void WriteTextTexture(const wchar_t* text, int font, int c1, int c2, int c3, double alpha, int x, int y,
                                 int width, int height, int clear) {
    try {
        draw2d::textSurface().write({text, font, c1, c2, c3, alpha, x, y, width, height, clear});
    } catch (const std::exception&) {
    }
}

KORVEL_API void RenderText(int srcx, int srcy, int width, int height, int dstx, int dsty) {
    constexpr double kSize = draw2d::kTextTextureSize;
    draw2d::ScreenSprite sprite;
    sprite.x = dstx;
    sprite.y = dsty;
    sprite.tu0 = srcx / kSize;
    sprite.tv0 = srcy / kSize;
    sprite.tu1 = (static_cast<double>(srcx) + width) / kSize;
    sprite.tv1 = (static_cast<double>(srcy) + height) / kSize;
    draw2d::renderSprite(draw2d::kTextTextureNumber, sprite, 3, 1.0);
}

}  // extern "C"
