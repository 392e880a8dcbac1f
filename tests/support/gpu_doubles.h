// Stand-ins for the GPU backend, selected through gpu::setBackendFactory:
// a wrapper around the real backend that fails chosen creations and records
// the calls the tests read, and a null backend whose calls do nothing (the
// benchmarks time the library's own work with it).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/backend.h"

namespace korvel::gpu {

// Compile fails with an error text; Device is a call of the backend factory.
enum class FaultKind : uint8_t {
    Device,
    BackBuffer,
    Buffer,
    Texture,
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
};
constexpr size_t kFaultKindCount = static_cast<size_t>(FaultKind::RasterizerState) + 1;

// Which attempts fail. Attempts are counted per kind from the last reset,
// starting at 1.
class FaultPlan {
public:
    void failNth(FaultKind kind, uint32_t n) { failing_[size_t(kind)] = n; }
    void failAlways(FaultKind kind) { always_[size_t(kind)] = true; }
    void reset() { *this = FaultPlan(); }
    // Counts one attempt; true when it is to fail.
    bool attempt(FaultKind kind) {
        const size_t k = size_t(kind);
        return ++attempts_[k] == failing_[k] || always_[k];
    }

private:
    std::array<uint32_t, kFaultKindCount> failing_{}, attempts_{};
    std::array<bool, kFaultKindCount> always_{};
};

// The calls that are recorded; every other call passes unrecorded.
enum class Call : uint8_t {
    SetGeometryShader,     // object
    WriteBuffer,           // object: the buffer unmapped after a write-discard map
    Draw,                  // args: vertexCount, startVertex
    DrawIndexed,           // args: indexCount, startIndex, baseVertex
    DrawIndexedInstanced,  // args: indexCount, instanceCount, startIndex, baseVertex, startInstance
};

struct Record {
    Call call{};
    const void* object = nullptr;
    std::array<int64_t, 5> args{};
};

class CallLog {
public:
    std::vector<Record> records;

    void clear() { records.clear(); }
    // Records of one kind, in order (pointers into records, so they
    // compare in call order).
    std::vector<const Record*> all(Call call) const;
};

// Every call does nothing: objects are empty shells, buffer maps hand out a
// scratch block, draws are dropped, read-backs fail.
BackendFactory nullBackendFactory();

}  // namespace korvel::gpu

namespace korvel::testing {

// Puts the fault-injecting, recording wrapper around the installed backend
// for the lifetime of one object.
class InjectedBackend {
public:
    InjectedBackend();
    ~InjectedBackend() { gpu::setBackendFactory({}); }
    InjectedBackend(const InjectedBackend&) = delete;
    InjectedBackend& operator=(const InjectedBackend&) = delete;

    // Forgets earlier failures and calls; then fails the n-th (from 1)
    // attempt of kind, if given.
    void failNext(gpu::FaultKind kind, uint32_t n) {
        reset();
        plan->failNth(kind, n);
    }
    void reset() {
        plan->reset();
        log->clear();
        driversTried.clear();
    }

    std::shared_ptr<gpu::FaultPlan> plan = std::make_shared<gpu::FaultPlan>();
    std::shared_ptr<gpu::CallLog> log = std::make_shared<gpu::CallLog>();
    std::vector<gpu::DriverType> driversTried;
};

}  // namespace korvel::testing
