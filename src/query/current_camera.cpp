#include "query/current_camera.h"

#include "device/camera.h"

namespace korvel::query {

ScreenCamera currentScreenCamera() {
    const device::CameraState& state = device::camera();
    const device::ScreenSize& screen = device::screenSize();
    return {state.viewMatrix,
            state.projectionMatrix,
            static_cast<float>(state.nearZ),
            static_cast<float>(state.farZ),
            static_cast<float>(screen.width),
            static_cast<float>(screen.height)};
}

}  // namespace korvel::query
