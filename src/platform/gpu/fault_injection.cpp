#include "platform/gpu/fault_injection.h"

#include <utility>

namespace korvel::gpu {

void FaultPlan::reset() {
    for (auto& set : failing_) set.clear();
    always_.fill(false);
    attempts_.fill(0);
}

bool FaultPlan::attempt(FaultKind kind) {
    const uint32_t n = ++attempts_[index(kind)];
    return always_[index(kind)] || failing_[index(kind)].count(n) > 0;
}

namespace {

class FaultyDevice final : public Device {
public:
    FaultyDevice(std::unique_ptr<Device> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}

    std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void* initialData) override {
        return fails(FaultKind::Buffer) ? nullptr : inner_->createBuffer(desc, initialData);
    }
    std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) override {
        return fails(FaultKind::Texture) ? nullptr : inner_->createTexture2D(desc, initial);
    }
    std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& texture) override {
        return fails(FaultKind::ShaderResourceView) ? nullptr : inner_->createShaderResourceView(texture);
    }
    std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& texture) override {
        return fails(FaultKind::RenderTargetView) ? nullptr : inner_->createRenderTargetView(texture);
    }
    std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& texture) override {
        return fails(FaultKind::DepthStencilView) ? nullptr : inner_->createDepthStencilView(texture);
    }
    std::unique_ptr<ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                              const char* entryPoint, const char* profile,
                                              std::string& errors) override {
        if (fails(FaultKind::Compile)) {
            errors += std::string(sourceName) + ": injected compile failure of " + (entryPoint ? entryPoint : "") + "\n";
            return nullptr;
        }
        return inner_->compileShader(source, sourceName, entryPoint, profile, errors);
    }
    std::unique_ptr<VertexShader> createVertexShader(const ShaderCode& code) override {
        return fails(FaultKind::VertexShader) ? nullptr : inner_->createVertexShader(code);
    }
    std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode& code) override {
        return fails(FaultKind::GeometryShader) ? nullptr : inner_->createGeometryShader(code);
    }
    std::unique_ptr<PixelShader> createPixelShader(const ShaderCode& code) override {
        return fails(FaultKind::PixelShader) ? nullptr : inner_->createPixelShader(code);
    }
    std::unique_ptr<InputLayout> createInputLayout(const InputElement* elements, size_t count,
                                                   const ShaderCode& code) override {
        return fails(FaultKind::InputLayout) ? nullptr : inner_->createInputLayout(elements, count, code);
    }
    std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc& desc) override {
        return fails(FaultKind::Sampler) ? nullptr : inner_->createSamplerState(desc);
    }
    std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc& desc) override {
        return fails(FaultKind::DepthStencilState) ? nullptr : inner_->createDepthStencilState(desc);
    }
    std::unique_ptr<BlendState> createBlendState(const BlendDesc& desc) override {
        return fails(FaultKind::BlendState) ? nullptr : inner_->createBlendState(desc);
    }
    std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc& desc) override {
        return fails(FaultKind::RasterizerState) ? nullptr : inner_->createRasterizerState(desc);
    }
    DeviceStatus status() override { return inner_->status(); }
    uint32_t maxTextureSize() const override { return inner_->maxTextureSize(); }

private:
    bool fails(FaultKind kind) { return plan_->attempt(kind); }

    std::unique_ptr<Device> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

class FaultySwapChain final : public SwapChain {
public:
    FaultySwapChain(std::unique_ptr<SwapChain> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}
    Texture2D* backBuffer() override { return plan_->attempt(FaultKind::BackBuffer) ? nullptr : inner_->backBuffer(); }
    void present() override { inner_->present(); }

private:
    std::unique_ptr<SwapChain> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

}  // namespace

DeviceBundle injectFaults(DeviceBundle inner, std::shared_ptr<FaultPlan> plan) {
    inner.device = std::make_unique<FaultyDevice>(std::move(inner.device), plan);
    inner.swapChain = std::make_unique<FaultySwapChain>(std::move(inner.swapChain), std::move(plan));
    return inner;
}

BackendFactory faultInjectingFactory(BackendFactory inner, std::shared_ptr<FaultPlan> plan) {
    return [inner = std::move(inner), plan = std::move(plan)](DriverType type,
                                                              const SwapChainDesc& desc) -> std::optional<DeviceBundle> {
        if (plan->attempt(FaultKind::Device)) return std::nullopt;
        std::optional<DeviceBundle> bundle = inner(type, desc);
        if (!bundle) return std::nullopt;
        return injectFaults(std::move(*bundle), plan);
    };
}

}  // namespace korvel::gpu
