// A backend wrapper for tests: delegates to the real backend, records what
// the device layer asks of the device, and fails the n-th call of a chosen
// creation kind, so that every InitDevice and render-target failure code can
// be reached.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/gpu/backend.h"

namespace korvel::testing {

enum class Op : size_t {
    CreateDevice,  // the factory itself, for every driver type
    BackBuffer,
    Buffer,
    Texture2D,
    ShaderResourceView,
    RenderTargetView,
    DepthStencilView,
    Compile,
    VertexShader,
    GeometryShader,
    PixelShader,
    InputLayout,
    Sampler,
    DepthStencilState,
    BlendState,
    RasterizerState,
    Count
};

struct LayoutRecord {
    size_t elementCount;
    uint32_t inputSlot;
    bool madeWithLatestVertexShaderCode;
};

struct FaultPlan {
    Op op = Op::Count;  // Count: fail nothing
    int occurrence = 0; // 0-based index among calls of that kind
    bool failAll = false;

    // Filled while the wrapped device is used.
    std::array<int, static_cast<size_t>(Op::Count)> calls{};
    std::vector<gpu::DriverType> driversTried;
    std::vector<std::string> compiledEntries;  // "entry profile"
    std::vector<LayoutRecord> layouts;

    // True when this call should fail; counts it either way.
    bool shouldFail(Op kind);
    void resetCounts();
};

// Installs the wrapper around the default backend; restores it on
// destruction. One at a time.
class FaultBackend {
public:
    FaultBackend();
    ~FaultBackend();
    FaultBackend(const FaultBackend&) = delete;
    FaultBackend& operator=(const FaultBackend&) = delete;

    FaultPlan plan;
};

}  // namespace korvel::testing
