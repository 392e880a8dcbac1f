// C exports of the texture table and sprites: argument conversion only.
#include <exception>

#include "Korvelv0.h"
#include "draw2d/sprite.h"
#include "draw2d/texture_table.h"
#include "platform/files.h"

using namespace korvel;

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

KORVEL_API void RenderSprite(int texno, int x, int y, double scalex, double scaley, double tu0, double tv0,
                             double tu1, double tv1, int blendmode, double angle, int pivotx, int pivoty, double z,
                             double factor) {
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

}  // extern "C"
