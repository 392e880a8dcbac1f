// World and screen positions through a camera.
#pragma once

#include "math/types.h"

namespace korvel::query {

// What the conversions read of the camera and the screen.
struct ScreenCamera {
    math::Matrix view;
    math::Matrix projection;
    float nearZ;
    float farZ;
    float width;   // pixels
    float height;  // pixels
};

struct ScreenPosition {
    int x;
    int y;
    double depth;  // clip z / w
};

// Projects a world point: pixel coordinates truncated toward zero, no
// clipping. A coordinate that is not finite or does not fit an int becomes
// INT32_MIN.
ScreenPosition worldToScreen(const ScreenCamera& camera, math::Float3 world);

// A world point projected without truncation: pixel x, y as floats, clip
// depth z / w, and the view-space z.
struct ProjectedPoint {
    float x;
    float y;
    float depth;
    float viewZ;
};
ProjectedPoint project(const ScreenCamera& camera, math::Float3 world);

// The world points under pixel (x, y) on the near and on the far plane: the
// clip vectors (ndc x, ndc y, 0, 1) x wn and (ndc x, ndc y, 1, 1) x wf
// through the inverse projection and the inverse view, without a divide by
// w, where wn and wf are the clip w of view points at the near and the far
// distance (near x m23 + m33, far x m23 + m33): the distances themselves
// for a perspective projection (clip w = view z), 1 for an orthographic one.
void screenToWorld(const ScreenCamera& camera, int x, int y, math::Float3& nearPoint, math::Float3& farPoint);

}  // namespace korvel::query
