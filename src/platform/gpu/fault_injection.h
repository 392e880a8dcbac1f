// Fault injection for tests: a decorator that makes chosen creations fail,
// so that every failure path of the device layer can be reached on a
// healthy machine.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>

#include "platform/gpu/backend.h"

namespace korvel::gpu {

enum class FaultKind : uint8_t {
    Device,        // a call of the backend factory
    BackBuffer,    // SwapChain::backBuffer
    Buffer,
    Texture,
    ShaderResourceView,
    RenderTargetView,
    DepthStencilView,
    Compile,       // Device::compileShader (fails with an error text)
    VertexShader,
    GeometryShader,
    PixelShader,
    InputLayout,
    Sampler,
    DepthStencilState,
    BlendState,
    RasterizerState,
};
constexpr size_t kFaultKindCount = static_cast<size_t>(FaultKind::RasterizerState) + 1;

// Which attempts fail. Attempts are counted per kind from the plan's creation
// (or the last reset), starting at 1.
class FaultPlan {
public:
    void failNth(FaultKind kind, uint32_t n) { failing_[index(kind)].insert(n); }
    void failAlways(FaultKind kind) { always_[index(kind)] = true; }
    // Forgets the failures and restarts the counts.
    void reset();
    uint32_t attempts(FaultKind kind) const { return attempts_[index(kind)]; }
    // Counts one attempt; true when it is to fail.
    bool attempt(FaultKind kind);

private:
    static size_t index(FaultKind kind) { return static_cast<size_t>(kind); }
    std::array<std::set<uint32_t>, kFaultKindCount> failing_;
    std::array<bool, kFaultKindCount> always_{};
    std::array<uint32_t, kFaultKindCount> attempts_{};
};

// Wraps a bundle's device and swap chain; the context passes through.
DeviceBundle injectFaults(DeviceBundle inner, std::shared_ptr<FaultPlan> plan);

// A factory whose calls fail as planned for FaultKind::Device, and whose
// devices are wrapped by injectFaults.
BackendFactory faultInjectingFactory(BackendFactory inner, std::shared_ptr<FaultPlan> plan);

}  // namespace korvel::gpu
