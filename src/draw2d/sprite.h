// Drawing sprites: one textured quad per call through "VSsprite", with no
// vertex buffer; everything comes from constant buffer b3, the 96 bytes of
// SpriteConstants. Corners in triangle-strip order: 0 top-left, 1 top-right,
// 2 bottom-left, 3 bottom-right.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::draw2d {

struct SpriteConstants {
    float x[4];
    float y[4];
    float z[4];
    float u[4];
    float v[4];
    int32_t spaceFlag;  // 0: x, y, z are clip space; 1: world space
    float unused[3];
};
// Six rows of four 32-bit values, as "VSsprite" reads register b3.
static_assert(sizeof(SpriteConstants) == 96);
static_assert(offsetof(SpriteConstants, y) == 16 && offsetof(SpriteConstants, z) == 32);
static_assert(offsetof(SpriteConstants, u) == 48 && offsetof(SpriteConstants, v) == 64);
static_assert(offsetof(SpriteConstants, spaceFlag) == 80);

inline constexpr int32_t kClipSpace = 0;
inline constexpr int32_t kWorldSpace = 1;

// A screen sprite: top-left pixel, scale per texel, texture rectangle,
// rotation angle (radians, clockwise on screen) about the pivot offset from
// (x, y), and depth.
struct ScreenSprite {
    int x = 0;
    int y = 0;
    double scalex = 1.0;
    double scaley = 1.0;
    double tu0 = 0.0;
    double tv0 = 0.0;
    double tu1 = 1.0;
    double tv1 = 1.0;
    double angle = 0.0;
    int pivotx = 0;
    int pivoty = 0;
    double z = 0.0;
};

// Corners of a screen sprite in clip space for a texture of the given size
// on a screen of the given size, computed in double precision.
SpriteConstants screenSpriteConstants(const ScreenSprite& sprite, double textureWidth, double textureHeight,
                                      double screenWidth, double screenHeight);

// Corners given as world-space points with their texture coordinates.
SpriteConstants worldSpriteConstants(const double X[4], const double Y[4], const double Z[4], const double U[4],
                                     const double V[4]);

// A quad in screen pixels. Texture numbers outside -1 to 101 draw nothing;
// no device draws nothing.
void renderSprite(int texno, const ScreenSprite& sprite, int blendmode, double factor);

// A quad with world-space corners (X, Y, Z) and texture coordinates (U, V),
// transformed by the world (reset to identity), view and projection.
void renderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4], const double Z[4],
                    const double U[4], const double V[4]);

// Uploads the identity into b2 (world) and binds it to vertex slot 2.
void resetWorldTransform();

}  // namespace korvel::draw2d
