// C exports of the device, render-target and camera calls: argument
// conversion only. InitDevice and CleanupDevice live in library.cpp.
#include <exception>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lifecycle.h"
#include "device/render_target.h"
#include "platform/files.h"

using namespace korvel;

extern "C" {

KORVEL_API int IsDeviceRemoved(void) { return device::deviceRemovedState(); }

KORVEL_API void SwapChainPresent(void) { device::present(); }

KORVEL_API void ClearColorZ(int red, int green, int blue, double depth) {
    device::clearColorAndDepth(red, green, blue, depth);
}

KORVEL_API int CreateTextureforRTandSRV(int width, int height) {
    try {
        return device::createOffscreenTarget(width, height);
    } catch (const std::exception&) {
        return -1;
    }
}

KORVEL_API void SetViewportsandRenderTargets(int target) { device::selectRenderTarget(target); }

KORVEL_API void BackBufferToFile(int kind, const wchar_t* path) {
    if (!path) return;
    try {
        device::saveBackBuffer(kind, platform::utf8FromWide(path));
    } catch (const std::exception&) {
        // The outcome of a capture is not reported.
    }
}

KORVEL_API void ScreenSizeSet(int mode) { device::setScreenSizeMode(mode); }

KORVEL_API void ViewMatrixValueSet(double eyeX, double eyeY, double eyeZ, double atX, double atY, double atZ,
                                   double upX, double upY, double upZ) {
    const auto f = [](double v) { return static_cast<float>(v); };
    device::setView({f(eyeX), f(eyeY), f(eyeZ)}, {f(atX), f(atY), f(atZ)}, {f(upX), f(upY), f(upZ)});
}

KORVEL_API void ProjectionMatrixValueSet(int mode, double a, double b, double nearZ, double farZ) {
    device::setProjection(mode, a, b, nearZ, farZ);
}

KORVEL_API void SceneAmbientColorSet(int red, int green, int blue) { device::setSceneAmbientColor(red, green, blue); }

KORVEL_API void SetPointLightPos(double x, double y, double z) { device::setPointLightPos(x, y, z); }

KORVEL_API void SetktexkdifkemikspcMparam(double ktex, double kdif, double kemi, double kspc, double Mparam0,
                                          double Mparam1) {
    device::setLightingCoefficients(ktex, kdif, kemi, kspc, Mparam0, Mparam1);
}

}  // extern "C"
