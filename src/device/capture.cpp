#include "device/capture.h"

#include "device/device_state.h"
#include "platform/image/image.h"

namespace korvel::device {

void saveBackBuffer(int kind, const std::string& utf8Path) {
    if (kind != 0 && kind != 1 && kind != 3 && kind != 4) return;
    DeviceState& state = deviceState();
    if (!state.bundle.context || !state.backBufferRTV) return;
    gpu::Image image;
    if (!state.bundle.context->readPixels(*state.backBufferRTV, image)) return;
    // The window shows the back buffer without its alpha, which blending
    // leaves at whatever the last sprite's texels held; the file shows what
    // the screen shows.
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
    image::saveImageFile(kind, utf8Path, image);
}

}  // namespace korvel::device
