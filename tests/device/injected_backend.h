// Puts the GPU layer's fault-injecting and recording wrappers around the
// real backend for the lifetime of one object, so that tests can make chosen
// creations fail and inspect the calls the library makes.
#pragma once

#include <memory>
#include <vector>

#include "platform/gpu/backend.h"
#include "platform/gpu/fault_injection.h"
#include "platform/gpu/recording.h"

namespace korvel::testing {

class InjectedBackend {
public:
    InjectedBackend();
    ~InjectedBackend();
    InjectedBackend(const InjectedBackend&) = delete;
    InjectedBackend& operator=(const InjectedBackend&) = delete;

    // Forgets earlier failures and calls; then fails the n-th (from 1)
    // attempt of kind, if given.
    void failNext(gpu::FaultKind kind, uint32_t n);
    void reset();

    std::shared_ptr<gpu::FaultPlan> plan = std::make_shared<gpu::FaultPlan>();
    std::shared_ptr<gpu::CallLog> log = std::make_shared<gpu::CallLog>();
    std::vector<gpu::DriverType> driversTried;
};

}  // namespace korvel::testing
