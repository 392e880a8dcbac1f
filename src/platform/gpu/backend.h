// Chooses the backend that creates the library's GPU device. The device layer
// always goes through createDevice(); tests and benchmarks replace the
// factory to put their own stand-ins around or in place of the real backend.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/gpu/gpu.h"

namespace korvel::gpu {

using BackendFactory = std::function<std::optional<DeviceBundle>(DriverType, const SwapChainDesc&)>;

// Installs a factory for all later createDevice calls; an empty function
// restores the default (the OpenGL backend).
void setBackendFactory(BackendFactory factory);

// The factory currently installed (the OpenGL backend unless replaced), so
// that a wrapper can delegate to it.
BackendFactory currentBackendFactory();

std::optional<DeviceBundle> createDevice(DriverType type, const SwapChainDesc& desc);

}  // namespace korvel::gpu

// The OpenGL 4.5 core backend (EGL; headless or on an X11 window).
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
