#include "device/camera.h"

#include <algorithm>
#include <cmath>

#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "math/bounds.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::device {
namespace {

ScreenSize& screenStorage() {
    static ScreenSize size;
    return size;
}

}  // namespace

const ScreenSize& screenSize() { return screenStorage(); }

void setScreenSizeMode(int mode) {
    switch (mode) {
        case 0:
            screenStorage() = {640, 480};
            break;
        case 1:
            screenStorage() = {800, 600};
            break;
        case 2:
            screenStorage() = {1024, 768};
            break;
        default:
            break;
    }
}

bool projectionForMode(int mode, double a, double b, double nearZ, double farZ, math::Matrix& out) {
    if (mode < 0 || mode > 2) return false;
    const float fa = static_cast<float>(a);
    const float fb = static_cast<float>(b);
    const float n = static_cast<float>(nearZ);
    const float f = static_cast<float>(farZ);
    const float r = f / (f - n);
    math::Matrix m{};
    switch (mode) {
        case 0: {
            const double half = static_cast<double>(fa) / 2.0;
            const float h = static_cast<float>(std::cos(half) / std::sin(half));
            const float w = h / fb;
            m.m[0][0] = w;
            m.m[1][1] = h;
            m.m[2][2] = r;
            m.m[2][3] = 1.0f;
            m.m[3][2] = -r * n;
            break;
        }
        case 1:
            m.m[0][0] = 2.0f * n / fa;
            m.m[1][1] = 2.0f * n / fb;
            m.m[2][2] = r;
            m.m[2][3] = 1.0f;
            m.m[3][2] = -r * n;
            break;
        default:
            m.m[0][0] = 2.0f / fa;
            m.m[1][1] = 2.0f / fb;
            m.m[2][2] = 1.0f / (f - n);
            m.m[3][2] = -n / (f - n);
            m.m[3][3] = 1.0f;
            break;
    }
    out = m;
    return true;
}

namespace {

math::Quaternion shortestRotationFromZ(math::Float3 eye, math::Float3 at) {
    if (at.x == eye.x && at.y == eye.y) return {0.0f, 0.0f, 0.0f, 1.0f};
    const math::Float3 d = math::normalize(at - eye);
    const math::Float3 k = math::normalize(math::cross({0.0f, 0.0f, 1.0f}, d));
    const float cosine = std::clamp(math::dot({0.0f, 0.0f, 1.0f}, d), -1.0f, 1.0f);
    const float t = math::scalarACos(cosine);
    const float s = static_cast<float>(std::sin(static_cast<double>(t / 2.0f)));
    const float c = static_cast<float>(std::cos(static_cast<double>(t / 2.0f)));
    return {k.x * s, k.y * s, k.z * s, c};
}

}  // namespace

math::Quaternion frustumOrientation(const math::Matrix& view, math::Float3 eye, math::Float3 at) {
    math::Matrix axes = math::identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) axes.m[i][j] = view.m[j][i];
    const math::Float3 right{axes.m[0][0], axes.m[0][1], axes.m[0][2]};
    const math::Float3 forward{axes.m[2][0], axes.m[2][1], axes.m[2][2]};
    // The look-to view's axes are unit vectors or, when degenerate, zero.
    if (!(math::dot(right, right) > 0.5f && math::dot(forward, forward) > 0.5f)) {
        return shortestRotationFromZ(eye, at);
    }
    return math::normalize(math::quaternionFromMatrix(axes));
}

namespace {

CameraState& cameraStorage() {
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
    CameraState& camera = cameraStorage();
    const math::Frustum local = math::frustumFromProjection(camera.projectionMatrix);
    camera.viewFrustum = math::transformFrustum(
        local, 1.0f, frustumOrientation(camera.viewMatrix, camera.cameraEye, camera.cameraAt), camera.cameraEye);
}

}  // namespace

const CameraState& camera() { return cameraStorage(); }

void setView(math::Float3 eye, math::Float3 at, math::Float3 up) {
    CameraState& camera = cameraStorage();
    camera.viewMatrix = math::lookToLH(eye, at - eye, up);
    uploadMatrix(CbView, camera.viewMatrix);
    camera.cameraEye = eye;
    camera.cameraAt = at;
    updateFrustum();
}

void setProjection(int mode, double a, double b, double nearZ, double farZ) {
    CameraState& camera = cameraStorage();
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

namespace {

SceneLighting& lightingStorage() {
    static SceneLighting values;
    return values;
}

}  // namespace

const SceneLighting& lighting() { return lightingStorage(); }

void setSceneAmbientColor(int red, int green, int blue) {
    lightingStorage().sceneAmbientColor = {static_cast<float>(red) / 255.0f, static_cast<float>(green) / 255.0f,
                                           static_cast<float>(blue) / 255.0f};
}

void setPointLightPos(double x, double y, double z) {
    lightingStorage().pointLightPos = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void setLightingCoefficients(double ktex, double kdif, double kemi, double kspc, double mparam0, double mparam1) {
    SceneLighting& values = lightingStorage();
    values.ktex = static_cast<float>(ktex);
    values.kdif = static_cast<float>(kdif);
    values.kemi = static_cast<float>(kemi);
    values.kspc = static_cast<float>(kspc);
    values.mparam0 = static_cast<float>(mparam0);
    values.mparam1 = static_cast<float>(mparam1);
}

}  // namespace korvel::device
