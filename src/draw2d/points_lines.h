// Single points and line segments: the primitive's vertices travel in a
// constant buffer (b4 for a point, b5 for a line) and the vertex shader picks
// them by vertex index.
#pragma once

#include <cstddef>

#include "math/types.h"

namespace korvel::draw2d {

struct PointConstants {
    float position[4];  // clip x, y, 0, 1
    float color[4];     // red, green, blue, opacity
};
static_assert(sizeof(PointConstants) == 32 && offsetof(PointConstants, color) == 16);

struct LineConstants {
    float position0[4];
    float color0[4];
    float position1[4];
    float color1[4];
};
static_assert(sizeof(LineConstants) == 64 && offsetof(LineConstants, color0) == 16);
static_assert(offsetof(LineConstants, position1) == 32 && offsetof(LineConstants, color1) == 48);

// A coloured end: a screen pixel or a clip-space vector, colour 0 to 255
// (divided by 255, unclamped) and opacity.
struct ColorEnd {
    int red = 0, green = 0, blue = 0;
    double opacity = 1.0;
};

// Pixel (x, y) in clip space on a screen of the given size, in double
// precision: (0, 0) is (-1, 1), (width, height) is (1, -1).
void pixelToClip(int x, int y, double screenWidth, double screenHeight, float out[4]);

PointConstants pointConstants(int x, int y, const ColorEnd& color, double screenWidth, double screenHeight);
LineConstants line2dConstants(int x0, int y0, const ColorEnd& color0, int x1, int y1, const ColorEnd& color1,
                              double screenWidth, double screenHeight);
// The world points (x, y, z, 1) times view times projection, undivided.
LineConstants line3dConstants(const double p0[3], const ColorEnd& color0, const double p1[3], const ColorEnd& color1,
                              const math::Matrix& view, const math::Matrix& projection);

// Draw one point (blend modes 0 to 4) or one anti-aliased line through the
// wireframe rasterizer state (modes 0 to 3); another mode keeps the previous
// blend state. Nothing happens without a device.
void renderPoint(const PointConstants& constants, int blendmode, double opacity);
void renderLine(const LineConstants& constants, int blendmode);

}  // namespace korvel::draw2d
