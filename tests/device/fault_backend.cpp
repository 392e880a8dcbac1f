#include "device/fault_backend.h"

#include <memory>

namespace korvel::testing {

bool FaultPlan::shouldFail(Op kind) {
    const int index = calls[static_cast<size_t>(kind)]++;
    return kind == op && (failAll || index == occurrence);
}

void FaultPlan::resetCounts() {
    calls.fill(0);
    compiledEntries.clear();
    layouts.clear();
}

namespace {

class FaultSwapChain : public gpu::SwapChain {
public:
    FaultSwapChain(std::unique_ptr<gpu::SwapChain> real, FaultPlan& plan) : real_(std::move(real)), plan_(plan) {}
    gpu::Texture2D* backBuffer() override { return plan_.shouldFail(Op::BackBuffer) ? nullptr : real_->backBuffer(); }
    void present() override { real_->present(); }

private:
    std::unique_ptr<gpu::SwapChain> real_;
    FaultPlan& plan_;
};

template <typename T>
std::unique_ptr<T> unlessFailing(FaultPlan& plan, Op op, std::unique_ptr<T> made) {
    if (plan.shouldFail(op)) return nullptr;
    return made;
}

class FaultDevice : public gpu::Device {
public:
    FaultDevice(std::unique_ptr<gpu::Device> real, FaultPlan& plan) : real_(std::move(real)), plan_(plan) {}

    std::unique_ptr<gpu::Buffer> createBuffer(const gpu::BufferDesc& desc, const void* data) override {
        return unlessFailing(plan_, Op::Buffer, real_->createBuffer(desc, data));
    }
    std::unique_ptr<gpu::Texture2D> createTexture2D(const gpu::Texture2DDesc& desc,
                                                    const gpu::SubresourceData* initial) override {
        return unlessFailing(plan_, Op::Texture2D, real_->createTexture2D(desc, initial));
    }
    std::unique_ptr<gpu::ShaderResourceView> createShaderResourceView(gpu::Texture2D& texture) override {
        return unlessFailing(plan_, Op::ShaderResourceView, real_->createShaderResourceView(texture));
    }
    std::unique_ptr<gpu::RenderTargetView> createRenderTargetView(gpu::Texture2D& texture) override {
        return unlessFailing(plan_, Op::RenderTargetView, real_->createRenderTargetView(texture));
    }
    std::unique_ptr<gpu::DepthStencilView> createDepthStencilView(gpu::Texture2D& texture) override {
        return unlessFailing(plan_, Op::DepthStencilView, real_->createDepthStencilView(texture));
    }
    std::unique_ptr<gpu::ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                                   const char* entryPoint, const char* profile,
                                                   std::string& errors) override {
        plan_.compiledEntries.push_back(std::string(entryPoint) + " " + profile);
        if (plan_.shouldFail(Op::Compile)) {
            errors = "injected compile failure";
            return nullptr;
        }
        return real_->compileShader(source, sourceName, entryPoint, profile, errors);
    }
    std::unique_ptr<gpu::VertexShader> createVertexShader(const gpu::ShaderCode& code) override {
        latestVertexShaderCode_ = &code;
        return unlessFailing(plan_, Op::VertexShader, real_->createVertexShader(code));
    }
    std::unique_ptr<gpu::GeometryShader> createGeometryShader(const gpu::ShaderCode& code) override {
        return unlessFailing(plan_, Op::GeometryShader, real_->createGeometryShader(code));
    }
    std::unique_ptr<gpu::PixelShader> createPixelShader(const gpu::ShaderCode& code) override {
        return unlessFailing(plan_, Op::PixelShader, real_->createPixelShader(code));
    }
    std::unique_ptr<gpu::InputLayout> createInputLayout(const gpu::InputElement* elements, size_t count,
                                                        const gpu::ShaderCode& code) override {
        plan_.layouts.push_back({count, count ? elements[0].inputSlot : 0u, &code == latestVertexShaderCode_});
        return unlessFailing(plan_, Op::InputLayout, real_->createInputLayout(elements, count, code));
    }
    std::unique_ptr<gpu::SamplerState> createSamplerState(const gpu::SamplerDesc& desc) override {
        return unlessFailing(plan_, Op::Sampler, real_->createSamplerState(desc));
    }
    std::unique_ptr<gpu::DepthStencilState> createDepthStencilState(const gpu::DepthStencilDesc& desc) override {
        return unlessFailing(plan_, Op::DepthStencilState, real_->createDepthStencilState(desc));
    }
    std::unique_ptr<gpu::BlendState> createBlendState(const gpu::BlendDesc& desc) override {
        return unlessFailing(plan_, Op::BlendState, real_->createBlendState(desc));
    }
    std::unique_ptr<gpu::RasterizerState> createRasterizerState(const gpu::RasterizerDesc& desc) override {
        return unlessFailing(plan_, Op::RasterizerState, real_->createRasterizerState(desc));
    }
    gpu::DeviceStatus status() override { return real_->status(); }

private:
    std::unique_ptr<gpu::Device> real_;
    FaultPlan& plan_;
    const gpu::ShaderCode* latestVertexShaderCode_ = nullptr;
};

}  // namespace

FaultBackend::FaultBackend() {
    gpu::BackendFactory real = gpu::currentBackendFactory();
    gpu::setBackendFactory([this, real](gpu::DriverType type, const gpu::SwapChainDesc& desc)
                               -> std::optional<gpu::DeviceBundle> {
        plan.driversTried.push_back(type);
        if (plan.shouldFail(Op::CreateDevice)) return std::nullopt;
        std::optional<gpu::DeviceBundle> bundle = real(type, desc);
        if (!bundle) return bundle;
        bundle->device = std::make_unique<FaultDevice>(std::move(bundle->device), plan);
        bundle->swapChain = std::make_unique<FaultSwapChain>(std::move(bundle->swapChain), plan);
        return bundle;
    });
}

FaultBackend::~FaultBackend() { gpu::setBackendFactory({}); }

}  // namespace korvel::testing
