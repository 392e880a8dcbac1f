// The null backend of gpu_doubles.h. With it the library's own CPU work per
// call can be timed without a driver behind it.
#include <vector>

#include "support/gpu_doubles.h"

namespace korvel::gpu {
namespace {

class NullBuffer final : public Buffer {
public:
    explicit NullBuffer(const BufferDesc& desc) : desc_(desc), bytes_(desc.cpuWrite ? desc.byteWidth : 0) {}
    const BufferDesc& desc() const override { return desc_; }
    void* scratch() { return bytes_.data(); }

private:
    BufferDesc desc_;
    std::vector<uint8_t> bytes_;
};

class NullTexture final : public Texture2D {
public:
    explicit NullTexture(const Texture2DDesc& desc) : desc_(desc) {}
    const Texture2DDesc& desc() const override { return desc_; }

private:
    Texture2DDesc desc_;
};

template <class View>
class NullView final : public View {
public:
    explicit NullView(Texture2D& texture) : texture_(texture) {}
    Texture2D& texture() const override { return texture_; }

private:
    Texture2D& texture_;
};

class NullCode final : public ShaderCode {
public:
    explicit NullCode(ShaderStage stage) : stage_(stage) {}
    ShaderStage stage() const override { return stage_; }

private:
    ShaderStage stage_;
};

ShaderStage stageOf(const char* profile) {
    return profile[0] == 'v' ? ShaderStage::Vertex : profile[0] == 'g' ? ShaderStage::Geometry : ShaderStage::Pixel;
}

class NullDevice final : public Device {
public:
    std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void*) override {
        return std::make_unique<NullBuffer>(desc);
    }
    std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData*) override {
        return std::make_unique<NullTexture>(desc);
    }
    std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& t) override {
        return std::make_unique<NullView<ShaderResourceView>>(t);
    }
    std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& t) override {
        return std::make_unique<NullView<RenderTargetView>>(t);
    }
    std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& t) override {
        return std::make_unique<NullView<DepthStencilView>>(t);
    }
    std::unique_ptr<ShaderCode> compileShader(std::string_view, std::string_view, const char*, const char* profile,
                                              std::string&) override {
        return std::make_unique<NullCode>(stageOf(profile));
    }
    std::unique_ptr<VertexShader> createVertexShader(const ShaderCode&) override { return std::make_unique<VertexShader>(); }
    std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode&) override {
        return std::make_unique<GeometryShader>();
    }
    std::unique_ptr<PixelShader> createPixelShader(const ShaderCode&) override { return std::make_unique<PixelShader>(); }
    std::unique_ptr<InputLayout> createInputLayout(const InputElement*, size_t, const ShaderCode&) override {
        return std::make_unique<InputLayout>();
    }
    std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc&) override {
        return std::make_unique<SamplerState>();
    }
    std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc&) override {
        return std::make_unique<DepthStencilState>();
    }
    std::unique_ptr<BlendState> createBlendState(const BlendDesc&) override { return std::make_unique<BlendState>(); }
    std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc&) override {
        return std::make_unique<RasterizerState>();
    }
    DeviceStatus status() override { return DeviceStatus::Ok; }
};

class NullContext final : public Context {
public:
    void iaSetInputLayout(InputLayout*) override {}
    void iaSetVertexBuffer(uint32_t, Buffer*, uint32_t, uint32_t) override {}
    void iaSetIndexBuffer(Buffer*, Format, uint32_t) override {}
    void iaSetPrimitiveTopology(Topology) override {}
    void vsSetShader(VertexShader*) override {}
    void gsSetShader(GeometryShader*) override {}
    void psSetShader(PixelShader*) override {}
    void setConstantBuffer(ShaderStage, uint32_t, Buffer*) override {}
    void setShaderResource(ShaderStage, uint32_t, ShaderResourceView*) override {}
    void setSampler(ShaderStage, uint32_t, SamplerState*) override {}
    void rsSetState(RasterizerState*) override {}
    void rsSetViewport(const Viewport&) override {}
    void omSetBlendState(BlendState*, const float[4], uint32_t) override {}
    void omSetDepthStencilState(DepthStencilState*, uint32_t) override {}
    void omSetRenderTargets(RenderTargetView*, DepthStencilView*) override {}
    void updateSubresource(Buffer&, const void*, size_t) override {}
    void updateTexture(Texture2D&, uint32_t, uint32_t, uint32_t, uint32_t, const void*, uint32_t) override {}
    bool mapDiscard(Buffer& buffer, MappedSubresource& out) override {
        out.data = static_cast<NullBuffer&>(buffer).scratch();
        return out.data != nullptr;
    }
    void unmap(Buffer&) override {}
    bool mapDiscard(Texture2D&, MappedSubresource&) override { return false; }
    void unmap(Texture2D&) override {}
    void draw(uint32_t, uint32_t) override {}
    void drawIndexed(uint32_t, uint32_t, int32_t) override {}
    void drawIndexedInstanced(uint32_t, uint32_t, uint32_t, int32_t, uint32_t) override {}
    void clearRenderTargetView(RenderTargetView&, const float[4]) override {}
    void clearDepthStencilView(DepthStencilView&, float) override {}
    void clearState() override {}
    bool readPixels(RenderTargetView&, Image&) override { return false; }
};

class NullSwapChain final : public SwapChain {
public:
    explicit NullSwapChain(const SwapChainDesc& desc) {
        Texture2DDesc t;
        t.width = desc.width;
        t.height = desc.height;
        t.bindFlags = BindRenderTarget;
        back_ = std::make_unique<NullTexture>(t);
    }
    Texture2D* backBuffer() override { return back_.get(); }
    void present() override {}

private:
    std::unique_ptr<NullTexture> back_;
};

}  // namespace

BackendFactory nullBackendFactory() {
    return [](DriverType, const SwapChainDesc& desc) -> std::optional<DeviceBundle> {
        DeviceBundle bundle;
        bundle.device = std::make_unique<NullDevice>();
        bundle.context = std::make_unique<NullContext>();
        bundle.swapChain = std::make_unique<NullSwapChain>(desc);
        bundle.featureLevel = 0xB000;
        return bundle;
    };
}

}  // namespace korvel::gpu
