#include "picking.h"

#include <cmath>

#include "Korvelv0.h"

namespace demo {
namespace {

// The corner of `face` nearest to the world point `hit`, posed as drawn.
int nearestCorner(const Picker& picker, int face, const double hit[3]) {
    const int* corner = &picker.corners[static_cast<size_t>(face) * 3];
    double x[3] = {}, y[3] = {}, z[3] = {};
    Image3dVertexPosGet(picker.target.image, -1, 0, -1, 0, 3, corner, x, y, z);
    int best = 0;
    double bestDistance = 1e30;
    for (int i = 0; i < 3; ++i) {
        const double dx = x[i] - hit[0], dy = y[i] - hit[1], dz = z[i] - hit[2];
        const double d = dx * dx + dy * dy + dz * dz;
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return corner[best];
}

}  // namespace

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
    double along = 0.0;  // the hit is nearPoint + along x direction
    IntersectRayTriangleOfImage3d(nearPoint, direction, picker.target.image, -1, 0, -1, 0, &face, &along);
    int vertex = -1;
    if (face >= 0 && static_cast<size_t>(face) * 3 + 2 < picker.corners.size()) {
        const double hit[3] = {nearPoint[0] + along * direction[0], nearPoint[1] + along * direction[1],
                               nearPoint[2] + along * direction[2]};
        vertex = nearestCorner(picker, face, hit);
    }
    if (vertex != picker.vertex) {
        if (picker.vertex >= 0) ToolPointSetSelect(picker.vertex, 0);
        if (vertex >= 0) ToolPointSetSelect(vertex, 1);
    }
    picker.face = face;
    picker.vertex = vertex;
}

void drawPicked(const Picker& picker, int x, int y) {
    if (!picker.target.loaded()) return;
    ToolRenderImage(picker.target.image, -1, 0, -1, 0, 1, 0);
    // A yellow ring round the picked vertex, so that it shows from afar.
    if (picker.vertex >= 0) {
        double px = 0.0, py = 0.0, pz = 0.0;
        Image3dVertexPosGet(picker.target.image, -1, 0, -1, 0, 1, &picker.vertex, &px, &py, &pz);
        const double world[3] = {px, py, pz};
        int at[2] = {};
        double depth = 0.0;
        PosFromWorldToScreen(world, at, &depth);
        constexpr int kRing = 12;
        for (int i = 0; i < kRing; ++i) {
            const double a0 = i * 6.2831853 / kRing, a1 = (i + 1) * 6.2831853 / kRing;
            RenderLine2d(at[0] + static_cast<int>(10 * std::cos(a0)), at[1] + static_cast<int>(10 * std::sin(a0)), 255,
                         230, 0, 1.0, at[0] + static_cast<int>(10 * std::cos(a1)),
                         at[1] + static_cast<int>(10 * std::sin(a1)), 255, 230, 0, 1.0, 3);
        }
    }
    constexpr int kArm = 9;
    RenderLine2d(x - kArm, y, 255, 255, 255, 1.0, x + kArm, y, 255, 255, 255, 1.0, 3);
    RenderLine2d(x, y - kArm, 255, 255, 255, 1.0, x, y + kArm, 255, 255, 255, 1.0, 3);
}

}  // namespace demo
