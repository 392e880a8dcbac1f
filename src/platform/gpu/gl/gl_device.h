// The OpenGL 4.5 core backend (EGL; headless or on an X11 window).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

// Hardware uses the default driver, Software forces Mesa's software
// rasteriser. desc.window null gives a headless device; otherwise it is an
// X11 Window id on the display named by $DISPLAY. The back buffer is always
// an RGBA8 texture of desc.width x desc.height; present() copies it to the
// window (and only flushes when headless).
std::optional<DeviceBundle> createOpenGLDevice(DriverType type, const SwapChainDesc& desc);

// GL state calls the context has issued (0 for a context of another backend).
uint64_t stateChangeCount(const Context& context);

}  // namespace korvel::gpu::gl
