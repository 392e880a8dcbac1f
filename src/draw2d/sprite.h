// Drawing sprites: one textured quad per call through "VSsprite", with no
// vertex buffer; everything comes from constant buffer b3.
#pragma once

#include "draw2d/sprite_constants.h"

namespace korvel::draw2d {

// A quad in screen pixels. Texture numbers outside -1 to 101 draw nothing;
// no device draws nothing.
void renderSprite(int texno, const ScreenSprite& sprite, int blendmode, double factor);

// A quad with world-space corners (X, Y, Z) and texture coordinates (U, V),
// transformed by the world (reset to identity), view and projection.
void renderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4],
                    const double Z[4], const double U[4], const double V[4]);

// Uploads the identity into b2 (world) and binds it to vertex slot 2.
void resetWorldTransform();

}  // namespace korvel::draw2d
