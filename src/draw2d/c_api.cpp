// C exports of the texture table, sprites, points and lines, and text:
// argument conversion only.
#include <algorithm>
#include <exception>

#include "Korvelv0.h"
#include "device/camera.h"
#include "draw2d/points_lines.h"
#include "draw2d/sprite.h"
#include "draw2d/text_surface.h"
#include "draw2d/texture_table.h"
#include "platform/files.h"

using namespace korvel;

namespace {

draw2d::ColorEnd colorEnd(const int* rgb, double opacity) { return {rgb[0], rgb[1], rgb[2], opacity}; }

}  // namespace

extern "C" {

KORVEL_API int readtexture(const wchar_t* path) {
    if (!path) return -1;
    try {
        return draw2d::textureTable().read(platform::utf8FromWide(path));
    } catch (const std::exception&) {
        return -1;
    }
}

KORVEL_API void CleanupDeviceSRV(int slot) { draw2d::textureTable().release(slot); }

KORVEL_API void RenderSprite(int texno, int x, int y, double scalex, double scaley, double tu0, double tv0, double tu1,
                             double tv1, int blendmode, double angle, int pivotx, int pivoty, double z, double factor) {
    draw2d::ScreenSprite sprite;
    sprite.x = x;
    sprite.y = y;
    sprite.scalex = scalex;
    sprite.scaley = scaley;
    sprite.tu0 = tu0;
    sprite.tv0 = tv0;
    sprite.tu1 = tu1;
    sprite.tv1 = tv1;
    sprite.angle = angle;
    sprite.pivotx = pivotx;
    sprite.pivoty = pivoty;
    sprite.z = z;
    draw2d::renderSprite(texno, sprite, blendmode, factor);
}

KORVEL_API void RenderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4],
                               const double Z[4], const double U[4], const double V[4]) {
    draw2d::renderSprite3d(texno, blendmode, factor, X, Y, Z, U, V);
}

KORVEL_API void RenderPoint2d(int x, int y, int red, int green, int blue, double opacity, int blendmode) {
    const device::ScreenSize& screen = device::screenSize();
    draw2d::renderPoint(draw2d::pointConstants(x, y, {red, green, blue, opacity}, screen.width, screen.height),
                        blendmode, opacity);
}

KORVEL_API void RenderLine2d(int x0, int y0, int red0, int green0, int blue0, double opacity0, int x1, int y1, int red1,
                             int green1, int blue1, double opacity1, int blendmode) {
    const device::ScreenSize& screen = device::screenSize();
    draw2d::renderLine(draw2d::line2dConstants(x0, y0, {red0, green0, blue0, opacity0}, x1, y1,
                                               {red1, green1, blue1, opacity1}, screen.width, screen.height),
                       blendmode);
}

KORVEL_API void RenderLine3d(const double* p0, const int* color0, double opacity0, const double* p1, const int* color1,
                             double opacity1, int blendmode) {
    if (!p0 || !color0 || !p1 || !color1) return;
    const device::CameraState& cam = device::camera();
    draw2d::renderLine(draw2d::line3dConstants(p0, colorEnd(color0, opacity0), p1, colorEnd(color1, opacity1),
                                               cam.viewMatrix, cam.projectionMatrix),
                       blendmode);
}

KORVEL_API int myCreateFont(int height, int width, int weight, int italic, int underline, int strikeout, int fixedpitch,
                            const wchar_t* face) {
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
