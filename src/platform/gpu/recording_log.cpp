#include "platform/gpu/recording_log.h"

#include <algorithm>

namespace korvel::gpu {

const char* callName(Call call) {
    static const char* const names[] = {
        "CreateBuffer", "CreateTexture2D", "CreateShaderResourceView", "CreateRenderTargetView",
        "CreateDepthStencilView", "CompileShader", "CreateVertexShader", "CreateGeometryShader",
        "CreatePixelShader", "CreateInputLayout", "CreateSamplerState", "CreateDepthStencilState",
        "CreateBlendState", "CreateRasterizerState", "GetBackBuffer", "Present", "SetInputLayout",
        "SetVertexBuffer", "SetIndexBuffer", "SetTopology", "SetVertexShader", "SetGeometryShader",
        "SetPixelShader", "SetConstantBuffer", "SetShaderResource", "SetSampler", "SetRasterizerState",
        "SetViewport", "SetBlendState", "SetDepthStencilState", "SetRenderTargets", "UpdateSubresource",
        "UpdateTexture", "WriteBuffer", "WriteTexture", "Draw", "DrawIndexed", "DrawIndexedInstanced",
        "ClearRenderTarget", "ClearDepthStencil", "ClearState", "ReadPixels"};
    static_assert(sizeof names / sizeof names[0] == size_t(Call::ReadPixels) + 1);
    return names[static_cast<size_t>(call)];
}

size_t CallLog::count(Call call) const {
    size_t n = 0;
    for (const Record& record : records) n += record.call == call;
    return n;
}

std::vector<const Record*> CallLog::all(Call call) const {
    std::vector<const Record*> found;
    for (const Record& record : records)
        if (record.call == call) found.push_back(&record);
    return found;
}

const Record* CallLog::last(Call call) const {
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (it->call == call) return &*it;
    return nullptr;
}

size_t CallLog::indexOf(Call call, size_t n) const {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].call == call && n-- == 0) return i;
    return records.size();
}

std::vector<uint8_t> CallLog::bufferContentsAt(const Buffer* buffer, size_t before) const {
    for (size_t i = std::min(before, records.size()); i-- > 0;) {
        const Record& record = records[i];
        if (record.object != buffer) continue;
        if (record.call == Call::UpdateSubresource || record.call == Call::WriteBuffer ||
            record.call == Call::CreateBuffer)
            return record.bytes;
    }
    return {};
}

const void* CallLog::constantBufferAt(ShaderStage stage, uint32_t slot, size_t before) const {
    for (size_t i = std::min(before, records.size()); i-- > 0;) {
        const Record& record = records[i];
        if (record.call == Call::ClearState) return nullptr;
        if (record.call == Call::SetConstantBuffer && record.stage == stage && record.slot == slot)
            return record.object;
    }
    return nullptr;
}

}  // namespace korvel::gpu
