#include "device/camera.h"

#include "device/current.h"
#include "device/pipeline.h"
#include "device/projection.h"
#include "device/screen.h"
#include "math/bounds.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace korvel::device {
namespace {

CameraState& state() {
    static CameraState camera;
    return camera;
}

static_assert(sizeof(math::Matrix) == kConstantBufferBytes[CbView] &&
              sizeof(math::Matrix) == kConstantBufferBytes[CbProjection]);

// Uploads the transpose of a matrix into b0 or b1 and binds it to the
// vertex and geometry stages under its register number.
void uploadMatrix(ConstantBufferRegister reg, const math::Matrix& matrix) {
    gpu::Context* context = currentContext();
    gpu::Buffer* buffer = pipeline().cb(reg);
    if (!context || !buffer) return;
    const math::Matrix transposed = math::transpose(matrix);
    context->updateSubresource(*buffer, &transposed, sizeof transposed);
    context->setConstantBuffer(gpu::ShaderStage::Vertex, reg, buffer);
    context->setConstantBuffer(gpu::ShaderStage::Geometry, reg, buffer);
}

void updateFrustum() {
    CameraState& camera = state();
    const math::Frustum local = math::frustumFromProjection(camera.projectionMatrix);
    camera.viewFrustum =
        math::transformFrustum(local, 1.0f, frustumOrientation(camera.viewMatrix, camera.cameraEye, camera.cameraAt),
                              camera.cameraEye);
}

}  // namespace

const CameraState& camera() { return state(); }

void setView(math::Float3 eye, math::Float3 at, math::Float3 up) {
    CameraState& camera = state();
    camera.viewMatrix = math::lookToLH(eye, at - eye, up);
    uploadMatrix(CbView, camera.viewMatrix);
    camera.cameraEye = eye;
    camera.cameraAt = at;
    updateFrustum();
}

void setProjection(int mode, double a, double b, double nearZ, double farZ) {
    CameraState& camera = state();
    camera.nearZ = nearZ;
    camera.farZ = farZ;
    projectionForMode(mode, a, b, nearZ, farZ, camera.projectionMatrix);
    uploadMatrix(CbProjection, camera.projectionMatrix);
    updateFrustum();
}

void installDefaultProjection() {
    const ScreenSize& screen = screenSize();
    setProjection(0, 0.785, static_cast<double>(screen.width) / static_cast<double>(screen.height), 1.0, 11.0);
}

}  // namespace korvel::device
