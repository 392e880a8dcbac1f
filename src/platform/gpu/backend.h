// Chooses the backend that creates the library's GPU device. The device layer
// always goes through createDevice(); tests and benchmarks replace the
// factory to put their own stand-ins around or in place of the real backend.
#pragma once

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
