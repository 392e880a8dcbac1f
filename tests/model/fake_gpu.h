// A device and context that record buffer creation and vertex/index buffer
// bindings and nothing else, so the buffer builders run without a GPU.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::model::testing {

class FakeBuffer final : public gpu::Buffer {
public:
    FakeBuffer(const gpu::BufferDesc& desc, const void* data);
    const gpu::BufferDesc& desc() const override { return desc_; }
    std::vector<uint8_t> bytes;

private:
    gpu::BufferDesc desc_;
};

class FakeDevice final : public gpu::Device {
public:
    int failBufferCall = -1;  // 0-based index of the createBuffer call that fails
    int bufferCalls = 0;

    std::unique_ptr<gpu::Buffer> createBuffer(const gpu::BufferDesc& desc, const void* initialData) override;
    std::unique_ptr<gpu::Texture2D> createTexture2D(const gpu::Texture2DDesc&, const gpu::SubresourceData*) override {
        return nullptr;
    }
    std::unique_ptr<gpu::ShaderResourceView> createShaderResourceView(gpu::Texture2D&) override { return nullptr; }
    std::unique_ptr<gpu::RenderTargetView> createRenderTargetView(gpu::Texture2D&) override { return nullptr; }
    std::unique_ptr<gpu::DepthStencilView> createDepthStencilView(gpu::Texture2D&) override { return nullptr; }
    std::unique_ptr<gpu::ShaderCode> compileShader(std::string_view, std::string_view, const char*, const char*,
                                                   std::string&) override {
        return nullptr;
    }
    std::unique_ptr<gpu::VertexShader> createVertexShader(const gpu::ShaderCode&) override { return nullptr; }
    std::unique_ptr<gpu::GeometryShader> createGeometryShader(const gpu::ShaderCode&) override { return nullptr; }
    std::unique_ptr<gpu::PixelShader> createPixelShader(const gpu::ShaderCode&) override { return nullptr; }
    std::unique_ptr<gpu::InputLayout> createInputLayout(const gpu::InputElement*, size_t,
                                                        const gpu::ShaderCode&) override {
        return nullptr;
    }
    std::unique_ptr<gpu::SamplerState> createSamplerState(const gpu::SamplerDesc&) override { return nullptr; }
    std::unique_ptr<gpu::DepthStencilState> createDepthStencilState(const gpu::DepthStencilDesc&) override {
        return nullptr;
    }
    std::unique_ptr<gpu::BlendState> createBlendState(const gpu::BlendDesc&) override { return nullptr; }
    std::unique_ptr<gpu::RasterizerState> createRasterizerState(const gpu::RasterizerDesc&) override {
        return nullptr;
    }
    gpu::DeviceStatus status() override { return gpu::DeviceStatus::Ok; }
};

struct VertexBinding {
    gpu::Buffer* buffer = nullptr;
    uint32_t stride = 0;
    uint32_t offset = 0;
};

class FakeContext final : public gpu::Context {
public:
    VertexBinding vertexSlots[8];
    gpu::Buffer* indexBuffer = nullptr;

    void iaSetVertexBuffer(uint32_t slot, gpu::Buffer* buffer, uint32_t stride, uint32_t offset) override {
        if (slot < 8) vertexSlots[slot] = {buffer, stride, offset};
    }
    void iaSetIndexBuffer(gpu::Buffer* buffer, gpu::Format, uint32_t) override { indexBuffer = buffer; }
    void iaSetInputLayout(gpu::InputLayout*) override {}
    void iaSetPrimitiveTopology(gpu::Topology) override {}
    void vsSetShader(gpu::VertexShader*) override {}
    void gsSetShader(gpu::GeometryShader*) override {}
    void psSetShader(gpu::PixelShader*) override {}
    void setConstantBuffer(gpu::ShaderStage, uint32_t, gpu::Buffer*) override {}
    void setShaderResource(gpu::ShaderStage, uint32_t, gpu::ShaderResourceView*) override {}
    void setSampler(gpu::ShaderStage, uint32_t, gpu::SamplerState*) override {}
    void rsSetState(gpu::RasterizerState*) override {}
    void rsSetViewport(const gpu::Viewport&) override {}
    void omSetBlendState(gpu::BlendState*, const float[4], uint32_t) override {}
    void omSetDepthStencilState(gpu::DepthStencilState*, uint32_t) override {}
    void omSetRenderTargets(gpu::RenderTargetView*, gpu::DepthStencilView*) override {}
    void updateSubresource(gpu::Buffer&, const void*, size_t) override {}
    void updateTexture(gpu::Texture2D&, uint32_t, uint32_t, uint32_t, uint32_t, const void*, uint32_t) override {}
    bool mapDiscard(gpu::Buffer&, gpu::MappedSubresource&) override { return false; }
    void unmap(gpu::Buffer&) override {}
    bool mapDiscard(gpu::Texture2D&, gpu::MappedSubresource&) override { return false; }
    void unmap(gpu::Texture2D&) override {}
    void draw(uint32_t, uint32_t) override {}
    void drawIndexed(uint32_t, uint32_t, int32_t) override {}
    void drawIndexedInstanced(uint32_t, uint32_t, uint32_t, int32_t, uint32_t) override {}
    void clearRenderTargetView(gpu::RenderTargetView&, const float[4]) override {}
    void clearDepthStencilView(gpu::DepthStencilView&, float) override {}
    void clearState() override {}
    bool readPixels(gpu::RenderTargetView&, gpu::Image&) override { return false; }
};

}  // namespace korvel::model::testing
