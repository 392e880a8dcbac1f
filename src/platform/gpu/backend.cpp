#include "platform/gpu/backend.h"

#include <utility>

namespace korvel::gpu {

namespace {
BackendFactory& installedFactory() {
    static BackendFactory factory;
    return factory;
}
}  // namespace

void setBackendFactory(BackendFactory factory) { installedFactory() = std::move(factory); }

BackendFactory currentBackendFactory() {
    if (installedFactory()) return installedFactory();
    return &gl::createOpenGLDevice;
}

std::optional<DeviceBundle> createDevice(DriverType type, const SwapChainDesc& desc) {
    if (installedFactory()) return installedFactory()(type, desc);
    return gl::createOpenGLDevice(type, desc);
}

}  // namespace korvel::gpu
