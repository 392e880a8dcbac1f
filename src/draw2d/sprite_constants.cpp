#include "draw2d/sprite_constants.h"

#include <cmath>

namespace korvel::draw2d {

SpriteConstants screenSpriteConstants(const ScreenSprite& sprite, double textureWidth, double textureHeight,
                                      double screenWidth, double screenHeight) {
    const double left = sprite.x;
    const double top = sprite.y;
    const double right = left + (sprite.tu1 - sprite.tu0) * textureWidth * sprite.scalex;
    const double bottom = top + (sprite.tv1 - sprite.tv0) * textureHeight * sprite.scaley;
    double cx[4] = {left, right, left, right};
    double cy[4] = {top, top, bottom, bottom};

    if (sprite.angle != 0.0) {
        const double px = left + sprite.pivotx;
        const double py = top + sprite.pivoty;
        const double c = std::cos(sprite.angle);
        const double s = std::sin(sprite.angle);
        for (int i = 0; i < 4; ++i) {
            const double dx = cx[i] - px;
            const double dy = cy[i] - py;
            cx[i] = px + dx * c - dy * s;
            cy[i] = py + dy * c + dx * s;
        }
    }

    const double halfW = screenWidth / 2.0;
    const double halfH = screenHeight / 2.0;
    SpriteConstants out{};
    for (int i = 0; i < 4; ++i) {
        out.x[i] = static_cast<float>((cx[i] - halfW) / halfW);
        out.y[i] = static_cast<float>(-(cy[i] - halfH) / halfH);
        out.z[i] = static_cast<float>(sprite.z);
    }
    const float u0 = static_cast<float>(sprite.tu0);
    const float u1 = static_cast<float>(sprite.tu1);
    const float v0 = static_cast<float>(sprite.tv0);
    const float v1 = static_cast<float>(sprite.tv1);
    out.u[0] = u0, out.u[1] = u1, out.u[2] = u0, out.u[3] = u1;
    out.v[0] = v0, out.v[1] = v0, out.v[2] = v1, out.v[3] = v1;
    out.spaceFlag = kClipSpace;
    return out;
}

SpriteConstants worldSpriteConstants(const double X[4], const double Y[4], const double Z[4], const double U[4],
                                     const double V[4]) {
    SpriteConstants out{};
    for (int i = 0; i < 4; ++i) {
        out.x[i] = static_cast<float>(X[i]);
        out.y[i] = static_cast<float>(Y[i]);
        out.z[i] = static_cast<float>(Z[i]);
        out.u[i] = static_cast<float>(U[i]);
        out.v[i] = static_cast<float>(V[i]);
    }
    out.spaceFlag = kWorldSpace;
    return out;
}

}  // namespace korvel::draw2d
