// The GL backend's Device and SwapChain.
#pragma once

#include <memory>

#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gl/gl_objects.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

class GlDevice final : public Device {
public:
    explicit GlDevice(std::shared_ptr<GlCore> core) : core_(std::move(core)) {}

    std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void* initialData) override;
    std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) override;
    std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& texture) override;
    std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& texture) override;
    std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& texture) override;

    std::unique_ptr<ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                              const char* entryPoint, const char* profile,
                                              std::string& errors) override;
    std::unique_ptr<VertexShader> createVertexShader(const ShaderCode& code) override;
    std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode& code) override;
    std::unique_ptr<PixelShader> createPixelShader(const ShaderCode& code) override;
    std::unique_ptr<InputLayout> createInputLayout(const InputElement* elements, size_t count,
                                                   const ShaderCode& vertexShaderCode) override;

    std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc& desc) override;
    std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc& desc) override;
    std::unique_ptr<BlendState> createBlendState(const BlendDesc& desc) override;
    std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc& desc) override;

    DeviceStatus status() override;
    uint32_t maxTextureSize() const override { return core_->maxTextureSize(); }

private:
    std::shared_ptr<GlCore> core_;
};

class GlSwapChain final : public SwapChain {
public:
    GlSwapChain(std::shared_ptr<GlCore> core, std::unique_ptr<GlTexture> backBuffer);
    ~GlSwapChain() override;
    Texture2D* backBuffer() override { return backBuffer_.get(); }
    void present() override;

private:
    std::shared_ptr<GlCore> core_;
    std::unique_ptr<GlTexture> backBuffer_;
    GLuint readFbo_ = 0;
};

}  // namespace korvel::gpu::gl
