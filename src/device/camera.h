// The view of the scene: the screen size in pixels, the one camera (view and
// projection matrices, clip distances, eye and look-at point, and the
// world-space view frustum used for culling) with the pure arithmetic of its
// projections, and the scene lighting. Everything here survives
// CleanupDevice; the GPU copies of the matrices do not.
#pragma once

#include <cstdint>

#include "math/types.h"

namespace korvel::device {

// The screen size: read by InitDevice for the swap chain, depth buffer and
// viewport, and by every pixel-addressed drawing call for the pixel-to-clip
// mapping.
struct ScreenSize {
    uint32_t width = 800;
    uint32_t height = 600;
};

const ScreenSize& screenSize();

// Mode 0: 640 x 480, 1: 800 x 600, 2: 1024 x 768; any other mode keeps the
// size. A size set after InitDevice does not resize the back buffer.
void setScreenSizeMode(int mode);

// The camera's matrices go to constant buffers b0 and b1 (transposed) as
// soon as they are set.
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

// Left-handed projection mapping depth nearZ to 0 and farZ to 1.
// Mode 0: a = vertical field of view (radians), b = aspect (width / height).
// Mode 1: a, b = width and height of the view volume at the near plane.
// Mode 2: orthographic, a, b = width and height of the view volume.
// Returns false for any other mode, leaving out untouched. Degenerate inputs
// (equal planes, zero sizes) give non-finite elements, kept as computed.
bool projectionForMode(int mode, double a, double b, double nearZ, double farZ, math::Matrix& out);

// The rotation that carries the view's own axes (x right, y up, z forward)
// onto the world: the transpose of the rotation block of the look-to view
// `view`, whose columns are those axes in world space. When the view has no
// proper axes (the eye on the look-at point, the up vector along the view
// direction), the shortest rotation from +z to the direction from eye to at
// stands in, or the identity when both points share x and y.
math::Quaternion frustumOrientation(const math::Matrix& view, math::Float3 eye, math::Float3 at);

// Scene lighting values: stored here, copied into the material constant
// buffer by model drawing on every draw. Static defaults.
struct SceneLighting {
    math::Float3 sceneAmbientColor{0.0f, 0.0f, 0.0f};
    math::Float3 pointLightPos{3.0f, 3.0f, -3.0f};
    float ktex = 1.0f;
    float kdif = 1.0f;
    float kemi = 1.0f;
    float kspc = 1.0f;
    float mparam0 = 0.0f;
    float mparam1 = 0.0f;
};

const SceneLighting& lighting();

// Colours are divided by 255 without clamping.
void setSceneAmbientColor(int red, int green, int blue);
void setPointLightPos(double x, double y, double z);
void setLightingCoefficients(double ktex, double kdif, double kemi, double kspc, double mparam0, double mparam1);

}  // namespace korvel::device
