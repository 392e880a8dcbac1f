#include "picking.h"

#include "Korvelv0.h"

namespace demo {

void preparePicker(Picker& picker) {
    int counts[2] = {};
    ToolSelectPreparation(picker.target.model, counts);
}

void pickAt(Picker& picker, int x, int y) {
    if (!picker.target.loaded()) return;
    // The ray from the camera through the pixel: its near and far points.
    const int screen[2] = {x, y};
    double nearPoint[3] = {}, farPoint[3] = {};
    PosFromScreenToWorld(screen, nearPoint, farPoint);
    const double direction[3] = {farPoint[0] - nearPoint[0], farPoint[1] - nearPoint[1], farPoint[2] - nearPoint[2]};
    int face = -1;
    double distance = 0.0;
    IntersectRayTriangleOfImage3d(nearPoint, direction, picker.target.image, -1, 0, -1, 0, &face, &distance);
    if (face == picker.face) return;
    // The crate's faces come in pairs, one pair per side.
    if (picker.face >= 0) {
        ToolFaceSetSelect(picker.face, 0);
        ToolFaceSetSelect(picker.face ^ 1, 0);
    }
    if (face >= 0) {
        ToolFaceSetSelect(face, 1);
        ToolFaceSetSelect(face ^ 1, 1);
    }
    picker.face = face;
}

void drawPicked(const Picker& picker, int x, int y) {
    if (picker.target.loaded()) ToolRenderImage(picker.target.image, -1, 0, -1, 0, 0, 1);
    constexpr int kArm = 9;
    RenderLine2d(x - kArm, y, 255, 255, 255, 1.0, x + kArm, y, 255, 255, 255, 1.0, 3);
    RenderLine2d(x, y - kArm, 255, 255, 255, 1.0, x, y + kArm, 255, 255, 255, 1.0, 3);
}

}  // namespace demo
