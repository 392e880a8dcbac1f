// Point and line exports: argument conversion only.
#include "Korvelv0.h"
#include "device/camera.h"
#include "device/screen.h"
#include "draw2d/points_lines.h"

using namespace korvel;

namespace {

draw2d::ColorEnd colorEnd(const int* rgb, double opacity) { return {rgb[0], rgb[1], rgb[2], opacity}; }

}  // namespace

extern "C" {

KORVEL_API void RenderPoint2d(int x, int y, int red, int green, int blue, double opacity, int blendmode) {
    const device::ScreenSize& screen = device::screenSize();
    draw2d::renderPoint(draw2d::pointConstants(x, y, {red, green, blue, opacity}, screen.width, screen.height),
                        blendmode, opacity);
}

KORVEL_API void RenderLine2d(int x0, int y0, int red0, int green0, int blue0, double opacity0, int x1, int y1,
                             int red1, int green1, int blue1, double opacity1, int blendmode) {
    const device::ScreenSize& screen = device::screenSize();
    draw2d::renderLine(draw2d::line2dConstants(x0, y0, {red0, green0, blue0, opacity0}, x1, y1,
                                               {red1, green1, blue1, opacity1}, screen.width, screen.height),
                       blendmode);
}

KORVEL_API void RenderLine3d(const double* p0, const int* color0, double opacity0, const double* p1,
                             const int* color1, double opacity1, int blendmode) {
    if (!p0 || !color0 || !p1 || !color1) return;
    const device::CameraState& cam = device::camera();
    draw2d::renderLine(draw2d::line3dConstants(p0, colorEnd(color0, opacity0), p1, colorEnd(color1, opacity1),
                                               cam.viewMatrix, cam.projectionMatrix),
                       blendmode);
}

}  // extern "C"
