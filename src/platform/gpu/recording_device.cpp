// The recording wrapper's device and swap chain (see recording.h).
#include <utility>

#include "platform/gpu/recording.h"
#include "platform/gpu/recording_context.h"

namespace korvel::gpu {

namespace {

class RecordingDevice final : public Device {
public:
    RecordingDevice(std::unique_ptr<Device> inner, std::shared_ptr<CallLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void* initialData) override {
        auto buffer = inner_->createBuffer(desc, initialData);
        Record& record = add(Call::CreateBuffer, buffer.get());
        record.args = {desc.byteWidth, static_cast<int64_t>(desc.usage), desc.bindFlags};
        if (initialData) {
            const auto* bytes = static_cast<const uint8_t*>(initialData);
            record.bytes.assign(bytes, bytes + desc.byteWidth);
        }
        return buffer;
    }
    std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) override {
        auto texture = inner_->createTexture2D(desc, initial);
        add(Call::CreateTexture2D, texture.get()).args = {desc.width, desc.height, desc.mipLevels,
                                                          static_cast<int64_t>(desc.format), desc.bindFlags};
        return texture;
    }
    std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& texture) override {
        auto view = inner_->createShaderResourceView(texture);
        add(Call::CreateShaderResourceView, view.get()).object2 = &texture;
        return view;
    }
    std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& texture) override {
        auto view = inner_->createRenderTargetView(texture);
        add(Call::CreateRenderTargetView, view.get()).object2 = &texture;
        return view;
    }
    std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& texture) override {
        auto view = inner_->createDepthStencilView(texture);
        add(Call::CreateDepthStencilView, view.get()).object2 = &texture;
        return view;
    }
    std::unique_ptr<ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                              const char* entryPoint, const char* profile,
                                              std::string& errors) override {
        auto code = inner_->compileShader(source, sourceName, entryPoint, profile, errors);
        add(Call::CompileShader, code.get()).name =
            std::string(entryPoint ? entryPoint : "") + " " + (profile ? profile : "");
        return code;
    }
    std::unique_ptr<VertexShader> createVertexShader(const ShaderCode& code) override {
        auto shader = inner_->createVertexShader(code);
        add(Call::CreateVertexShader, shader.get()).object2 = &code;
        return shader;
    }
    std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode& code) override {
        auto shader = inner_->createGeometryShader(code);
        add(Call::CreateGeometryShader, shader.get()).object2 = &code;
        return shader;
    }
    std::unique_ptr<PixelShader> createPixelShader(const ShaderCode& code) override {
        auto shader = inner_->createPixelShader(code);
        add(Call::CreatePixelShader, shader.get()).object2 = &code;
        return shader;
    }
    std::unique_ptr<InputLayout> createInputLayout(const InputElement* elements, size_t count,
                                                   const ShaderCode& code) override {
        auto layout = inner_->createInputLayout(elements, count, code);
        Record& record = add(Call::CreateInputLayout, layout.get());
        record.object2 = &code;
        record.args = {static_cast<int64_t>(count)};
        return layout;
    }
    std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc& desc) override {
        auto state = inner_->createSamplerState(desc);
        add(Call::CreateSamplerState, state.get());
        return state;
    }
    std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc& desc) override {
        auto state = inner_->createDepthStencilState(desc);
        add(Call::CreateDepthStencilState, state.get());
        return state;
    }
    std::unique_ptr<BlendState> createBlendState(const BlendDesc& desc) override {
        auto state = inner_->createBlendState(desc);
        add(Call::CreateBlendState, state.get());
        return state;
    }
    std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc& desc) override {
        auto state = inner_->createRasterizerState(desc);
        add(Call::CreateRasterizerState, state.get());
        return state;
    }
    DeviceStatus status() override { return inner_->status(); }
    uint32_t maxTextureSize() const override { return inner_->maxTextureSize(); }

private:
    Record& add(Call call, const void* object) {
        Record& record = log_->records.emplace_back();
        record.call = call;
        record.object = object;
        return record;
    }

    std::unique_ptr<Device> inner_;
    std::shared_ptr<CallLog> log_;
};

class RecordingSwapChain final : public SwapChain {
public:
    RecordingSwapChain(std::unique_ptr<SwapChain> inner, std::shared_ptr<CallLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}
    Texture2D* backBuffer() override {
        Texture2D* texture = inner_->backBuffer();
        Record& record = log_->records.emplace_back();
        record.call = Call::GetBackBuffer;
        record.object = texture;
        return texture;
    }
    void present() override {
        log_->records.emplace_back().call = Call::Present;
        inner_->present();
    }

private:
    std::unique_ptr<SwapChain> inner_;
    std::shared_ptr<CallLog> log_;
};

}  // namespace

DeviceBundle recordCalls(DeviceBundle inner, std::shared_ptr<CallLog> log) {
    DeviceBundle bundle;
    bundle.device = std::make_unique<RecordingDevice>(std::move(inner.device), log);
    bundle.context = std::make_unique<RecordingContext>(std::move(inner.context), log);
    bundle.swapChain = std::make_unique<RecordingSwapChain>(std::move(inner.swapChain), log);
    bundle.featureLevel = inner.featureLevel;
    return bundle;
}

BackendFactory recordingFactory(BackendFactory inner, std::shared_ptr<CallLog> log) {
    return [inner = std::move(inner), log = std::move(log)](DriverType type,
                                                            const SwapChainDesc& desc) -> std::optional<DeviceBundle> {
        std::optional<DeviceBundle> bundle = inner(type, desc);
        if (!bundle) return std::nullopt;
        return recordCalls(std::move(*bundle), log);
    };
}

}  // namespace korvel::gpu
