// The one camera: view and projection matrices, clip distances, eye and
// look-at point, and the world-space view frustum used for culling. The
// matrices go to constant buffers b0 and b1 (transposed) as soon as they are
// set. Everything survives CleanupDevice; the GPU copies do not.
#pragma once

#include "math/types.h"

namespace korvel::device {

struct CameraState {
    math::Matrix viewMatrix{};        // all zero until the first view is set
    math::Matrix projectionMatrix{};  // InitDevice installs the default
    double nearZ = 0.0;
    double farZ = 0.0;
    math::Float3 cameraEye{0.0f, 0.0f, 0.0f};
    math::Float3 cameraAt{0.0f, 0.0f, 0.0f};
    math::Frustum viewFrustum{};
};

const CameraState& camera();

// Look-to view from eye along at - eye; uploads b0 and rebuilds the frustum.
void setView(math::Float3 eye, math::Float3 at, math::Float3 up);

// Stores nearZ and farZ, replaces the projection for modes 0 to 2 (see
// projectionForMode), uploads b1 (for every mode) and rebuilds the frustum.
void setProjection(int mode, double a, double b, double nearZ, double farZ);

// InitDevice step 14: mode 0, field of view 0.785, aspect ScreenWidth /
// ScreenHeight, near 1, far 11.
void installDefaultProjection();

}  // namespace korvel::device
