#include "device/injected_backend.h"

namespace korvel::testing {

InjectedBackend::InjectedBackend() {
    gpu::BackendFactory inner =
        gpu::recordingFactory(gpu::faultInjectingFactory(gpu::currentBackendFactory(), plan), log);
    gpu::setBackendFactory([this, inner](gpu::DriverType type, const gpu::SwapChainDesc& desc) {
        driversTried.push_back(type);
        return inner(type, desc);
    });
}

InjectedBackend::~InjectedBackend() { gpu::setBackendFactory({}); }

void InjectedBackend::reset() {
    plan->reset();
    log->clear();
    driversTried.clear();
}

void InjectedBackend::failNext(gpu::FaultKind kind, uint32_t n) {
    reset();
    plan->failNth(kind, n);
}

}  // namespace korvel::testing
