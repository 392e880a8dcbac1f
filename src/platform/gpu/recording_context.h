// The recording wrapper's context (see recording.h).
#pragma once

#include <memory>
#include <unordered_map>

#include "platform/gpu/recording_log.h"

namespace korvel::gpu {

class RecordingContext final : public Context {
public:
    RecordingContext(std::unique_ptr<Context> inner, std::shared_ptr<CallLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    void iaSetInputLayout(InputLayout* layout) override;
    void iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) override;
    void iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) override;
    void iaSetPrimitiveTopology(Topology topology) override;
    void vsSetShader(VertexShader* shader) override;
    void gsSetShader(GeometryShader* shader) override;
    void psSetShader(PixelShader* shader) override;
    void setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) override;
    void setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) override;
    void setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) override;
    void rsSetState(RasterizerState* state) override;
    void rsSetViewport(const Viewport& viewport) override;
    void omSetBlendState(BlendState* state, const float factor[4], uint32_t sampleMask) override;
    void omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) override;
    void omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) override;
    void updateSubresource(Buffer& buffer, const void* data, size_t bytes) override;
    void updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                       const void* data, uint32_t rowPitch) override;
    bool mapDiscard(Buffer& buffer, MappedSubresource& out) override;
    void unmap(Buffer& buffer) override;
    bool mapDiscard(Texture2D& texture, MappedSubresource& out) override;
    void unmap(Texture2D& texture) override;
    void draw(uint32_t vertexCount, uint32_t startVertex) override;
    void drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) override;
    void drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                              int32_t baseVertex, uint32_t startInstance) override;
    void clearRenderTargetView(RenderTargetView& target, const float rgba[4]) override;
    void clearDepthStencilView(DepthStencilView& depth, float value) override;
    void clearState() override;
    bool readPixels(RenderTargetView& target, Image& out) override;

    Context& inner() { return *inner_; }

private:
    Record& add(Call call, const void* object = nullptr);

    std::unique_ptr<Context> inner_;
    std::shared_ptr<CallLog> log_;
    std::unordered_map<const void*, MappedSubresource> mapped_;  // open write-discard maps
};

}  // namespace korvel::gpu
