// The call log of the recording wrapper: one small record per creation,
// binding, upload, draw and frame call, in order, so that tests can check
// bindings, constant-buffer contents and draw sequences without pixels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::gpu {

enum class Call : uint8_t {
    // device (object: the created object, null when creation failed)
    CreateBuffer,             // args: byteWidth, usage, bindFlags; bytes: initial data
    CreateTexture2D,          // args: width, height, mipLevels, format, bindFlags
    CreateShaderResourceView, // object2: the texture
    CreateRenderTargetView,   // object2: the texture
    CreateDepthStencilView,   // object2: the texture
    CompileShader,            // name: "entry profile"
    CreateVertexShader,       // object2: the code
    CreateGeometryShader,     // object2: the code
    CreatePixelShader,        // object2: the code
    CreateInputLayout,        // object2: the code; args: element count
    CreateSamplerState,
    CreateDepthStencilState,
    CreateBlendState,
    CreateRasterizerState,
    // swap chain
    GetBackBuffer,  // object: the texture
    Present,
    // context
    SetInputLayout,
    SetVertexBuffer,     // slot; args: stride, offset
    SetIndexBuffer,      // args: format, offset
    SetTopology,         // args: topology
    SetVertexShader,
    SetGeometryShader,
    SetPixelShader,
    SetConstantBuffer,   // stage, slot
    SetShaderResource,   // stage, slot
    SetSampler,          // stage, slot
    SetRasterizerState,
    SetViewport,         // values: x, y, width, height, minDepth, maxDepth
    SetBlendState,       // values: factor (1, 1, 1, 1 for null); args: sample mask
    SetDepthStencilState,  // args: stencil reference
    SetRenderTargets,    // object: colour view, object2: depth view
    UpdateSubresource,   // object: buffer; bytes
    UpdateTexture,       // object: texture; args: x, y, width, height, rowPitch; bytes
    WriteBuffer,         // unmap of a write-discard map: object: buffer; bytes
    WriteTexture,        // unmap of a write-discard map: object: texture; args: rowPitch; bytes
    Draw,                // args: vertexCount, startVertex
    DrawIndexed,         // args: indexCount, startIndex, baseVertex
    DrawIndexedInstanced,  // args: indexCount, instanceCount, startIndex, baseVertex, startInstance
    ClearRenderTarget,   // object: view; values: colour
    ClearDepthStencil,   // object: view; values[0]: depth
    ClearState,
    ReadPixels,          // object: view
};

const char* callName(Call call);

struct Record {
    Call call{};
    ShaderStage stage = ShaderStage::Vertex;
    uint32_t slot = 0;
    const void* object = nullptr;
    const void* object2 = nullptr;
    std::array<int64_t, 5> args{};
    std::array<float, 6> values{};
    std::string name;
    std::vector<uint8_t> bytes;
};

class CallLog {
public:
    std::vector<Record> records;

    void clear() { records.clear(); }
    size_t count(Call call) const;
    // Records of one kind, in order.
    std::vector<const Record*> all(Call call) const;
    // The last record of a kind, or null.
    const Record* last(Call call) const;
    // Index of the n-th (0-based) record of a kind, or records.size().
    size_t indexOf(Call call, size_t n) const;
    // The contents last written to a buffer (create, update or write-discard
    // map) before record index `before`; empty when it was never written.
    std::vector<uint8_t> bufferContentsAt(const Buffer* buffer, size_t before) const;
    // What was bound to a stage's constant-buffer slot at record `before`.
    const void* constantBufferAt(ShaderStage stage, uint32_t slot, size_t before) const;
};

}  // namespace korvel::gpu
