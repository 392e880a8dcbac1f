// The stand-in backends of gpu_doubles.h. The wrapper's device fails
// creations as the plan says and its context records the calls of
// gpu_doubles.h; everything else goes to the wrapped backend, whose objects
// the caller holds. The null backend's objects are empty shells, and its
// context is the same context with nothing behind it.
#include <utility>

#include "support/gpu_doubles.h"

namespace korvel::gpu {

std::vector<const Record*> CallLog::all(Call call) const {
    std::vector<const Record*> found;
    for (const Record& record : records)
        if (record.call == call) found.push_back(&record);
    return found;
}

const Record* CallLog::last(Call call) const {
    const std::vector<const Record*> found = all(call);
    return found.empty() ? nullptr : found.back();
}

size_t CallLog::indexOf(Call call, size_t n) const {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].call == call && n-- == 0) return i;
    return records.size();
}

namespace {

using Plan = std::shared_ptr<FaultPlan>;
using Log = std::shared_ptr<CallLog>;

struct NullBuffer final : Buffer {
    explicit NullBuffer(const BufferDesc& desc) : description(desc), scratch(desc.cpuWrite ? desc.byteWidth : 0) {}
    const BufferDesc& desc() const override { return description; }
    BufferDesc description;
    std::vector<uint8_t> scratch;
};

struct NullTexture final : Texture2D {
    explicit NullTexture(const Texture2DDesc& desc) : description(desc) {}
    const Texture2DDesc& desc() const override { return description; }
    Texture2DDesc description;
};

template <class View>
struct NullView final : View {
    explicit NullView(Texture2D& texture) : viewed(texture) {}
    Texture2D& texture() const override { return viewed; }
    Texture2D& viewed;
};

struct NullCode final : ShaderCode {
    explicit NullCode(const char* profile)
        : kind(profile[0] == 'v' ? ShaderStage::Vertex : profile[0] == 'g' ? ShaderStage::Geometry : ShaderStage::Pixel) {}
    ShaderStage stage() const override { return kind; }
    ShaderStage kind;
};

template <class T>
using Own = std::unique_ptr<T>;

class NullDevice final : public Device {
public:
    Own<Buffer> createBuffer(const BufferDesc& desc, const void*) override { return std::make_unique<NullBuffer>(desc); }
    Own<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData*) override {
        return std::make_unique<NullTexture>(desc);
    }
    Own<ShaderResourceView> createShaderResourceView(Texture2D& t) override {
        return std::make_unique<NullView<ShaderResourceView>>(t);
    }
    Own<RenderTargetView> createRenderTargetView(Texture2D& t) override {
        return std::make_unique<NullView<RenderTargetView>>(t);
    }
    Own<DepthStencilView> createDepthStencilView(Texture2D& t) override {
        return std::make_unique<NullView<DepthStencilView>>(t);
    }
    Own<ShaderCode> compileShader(std::string_view, std::string_view, const char*, const char* profile,
                                  std::string&) override {
        return std::make_unique<NullCode>(profile);
    }
    Own<VertexShader> createVertexShader(const ShaderCode&) override { return std::make_unique<VertexShader>(); }
    Own<GeometryShader> createGeometryShader(const ShaderCode&) override { return std::make_unique<GeometryShader>(); }
    Own<PixelShader> createPixelShader(const ShaderCode&) override { return std::make_unique<PixelShader>(); }
    Own<InputLayout> createInputLayout(const InputElement*, size_t, const ShaderCode&) override {
        return std::make_unique<InputLayout>();
    }
    Own<SamplerState> createSamplerState(const SamplerDesc&) override { return std::make_unique<SamplerState>(); }
    Own<DepthStencilState> createDepthStencilState(const DepthStencilDesc&) override {
        return std::make_unique<DepthStencilState>();
    }
    Own<BlendState> createBlendState(const BlendDesc&) override { return std::make_unique<BlendState>(); }
    Own<RasterizerState> createRasterizerState(const RasterizerDesc&) override { return std::make_unique<RasterizerState>(); }
    DeviceStatus status() override { return DeviceStatus::Ok; }
};


class FaultyDevice final : public Device {
public:
    FaultyDevice(std::unique_ptr<Device> inner, Plan plan, Log log)
        : inner_(std::move(inner)), plan_(std::move(plan)), log_(std::move(log)) {}

    std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void* initialData) override {
        auto buffer = unless(FaultKind::Buffer, [&] { return inner_->createBuffer(desc, initialData); });
        Record& record = log_->records.emplace_back(
            Record{Call::CreateBuffer, 0, buffer.get(), {desc.byteWidth, int64_t(desc.usage), desc.bindFlags}, {}});
        const auto* bytes = static_cast<const uint8_t*>(initialData);
        if (bytes) record.bytes.assign(bytes, bytes + desc.byteWidth);
        return buffer;
    }
    std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) override {
        return unless(FaultKind::Texture, [&] { return inner_->createTexture2D(desc, initial); });
    }
    std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& texture) override {
        return unless(FaultKind::ShaderResourceView, [&] { return inner_->createShaderResourceView(texture); });
    }
    std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& texture) override {
        return unless(FaultKind::RenderTargetView, [&] { return inner_->createRenderTargetView(texture); });
    }
    std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& texture) override {
        return unless(FaultKind::DepthStencilView, [&] { return inner_->createDepthStencilView(texture); });
    }
    std::unique_ptr<ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                              const char* entryPoint, const char* profile,
                                              std::string& errors) override {
        if (!plan_->attempt(FaultKind::Compile)) return inner_->compileShader(source, sourceName, entryPoint, profile, errors);
        errors += std::string(sourceName) + ": injected compile failure of " + (entryPoint ? entryPoint : "") + "\n";
        return nullptr;
    }
    std::unique_ptr<VertexShader> createVertexShader(const ShaderCode& code) override {
        return unless(FaultKind::VertexShader, [&] { return inner_->createVertexShader(code); });
    }
    std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode& code) override {
        return unless(FaultKind::GeometryShader, [&] { return inner_->createGeometryShader(code); });
    }
    std::unique_ptr<PixelShader> createPixelShader(const ShaderCode& code) override {
        return unless(FaultKind::PixelShader, [&] { return inner_->createPixelShader(code); });
    }
    std::unique_ptr<InputLayout> createInputLayout(const InputElement* elements, size_t count,
                                                   const ShaderCode& code) override {
        return unless(FaultKind::InputLayout, [&] { return inner_->createInputLayout(elements, count, code); });
    }
    std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc& desc) override {
        return unless(FaultKind::Sampler, [&] { return inner_->createSamplerState(desc); });
    }
    std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc& desc) override {
        return unless(FaultKind::DepthStencilState, [&] { return inner_->createDepthStencilState(desc); });
    }
    std::unique_ptr<BlendState> createBlendState(const BlendDesc& desc) override {
        return unless(FaultKind::BlendState, [&] { return inner_->createBlendState(desc); });
    }
    std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc& desc) override {
        return unless(FaultKind::RasterizerState, [&] { return inner_->createRasterizerState(desc); });
    }
    DeviceStatus status() override { return inner_->status(); }
    uint32_t maxTextureSize() const override { return inner_->maxTextureSize(); }

private:
    // Creates through the wrapped device unless the plan fails this attempt.
    template <class Create>
    auto unless(FaultKind kind, Create create) -> decltype(create()) {
        return plan_->attempt(kind) ? nullptr : create();
    }

    std::unique_ptr<Device> inner_;
    Plan plan_;
    Log log_;
};

class FaultySwapChain final : public SwapChain {
public:
    FaultySwapChain(std::unique_ptr<SwapChain> inner, Plan plan) : inner_(std::move(inner)), plan_(std::move(plan)) {}
    Texture2D* backBuffer() override { return plan_->attempt(FaultKind::BackBuffer) ? nullptr : inner_->backBuffer(); }
    void present() override { inner_->present(); }

private:
    std::unique_ptr<SwapChain> inner_;
    Plan plan_;
};

// Records the calls of gpu_doubles.h when it has a log, and passes every
// call to the inner context when it has one.
class StandInContext final : public Context {
public:
    StandInContext(std::unique_ptr<Context> inner, Log log) : in_(std::move(inner)), log_(std::move(log)) {}

    void iaSetInputLayout(InputLayout* layout) override { if (in_) in_->iaSetInputLayout(layout); }
    void iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) override {
        record({Call::SetVertexBuffer, slot, buffer, {stride, offset}, {}});
        if (in_) in_->iaSetVertexBuffer(slot, buffer, stride, offset);
    }
    void iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) override {
        record({Call::SetIndexBuffer, 0, buffer, {int64_t(format), offset}, {}});
        if (in_) in_->iaSetIndexBuffer(buffer, format, offset);
    }
    void iaSetPrimitiveTopology(Topology topology) override { if (in_) in_->iaSetPrimitiveTopology(topology); }
    void vsSetShader(VertexShader* shader) override { if (in_) in_->vsSetShader(shader); }
    void gsSetShader(GeometryShader* shader) override {
        record({Call::SetGeometryShader, 0, shader, {}, {}});
        if (in_) in_->gsSetShader(shader);
    }
    void psSetShader(PixelShader* shader) override { if (in_) in_->psSetShader(shader); }
    void setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) override {
        if (in_) in_->setConstantBuffer(stage, slot, buffer);
    }
    void setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) override {
        if (in_) in_->setShaderResource(stage, slot, view);
    }
    void setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) override {
        if (in_) in_->setSampler(stage, slot, sampler);
    }
    void rsSetState(RasterizerState* state) override { if (in_) in_->rsSetState(state); }
    void rsSetViewport(const Viewport& viewport) override { if (in_) in_->rsSetViewport(viewport); }
    void omSetBlendState(BlendState* state, const float factor[4], uint32_t sampleMask) override {
        if (in_) in_->omSetBlendState(state, factor, sampleMask);
    }
    void omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) override {
        if (in_) in_->omSetDepthStencilState(state, stencilRef);
    }
    void omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) override {
        if (in_) in_->omSetRenderTargets(target, depth);
    }
    void updateSubresource(Buffer& buffer, const void* data, size_t bytes) override {
        if (in_) in_->updateSubresource(buffer, data, bytes);
    }
    void updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height, const void* data,
                       uint32_t rowPitch) override {
        if (in_) in_->updateTexture(texture, x, y, width, height, data, rowPitch);
    }
    bool mapDiscard(Buffer& buffer, MappedSubresource& out) override {
        if (in_) return in_->mapDiscard(buffer, out);
        out.data = static_cast<NullBuffer&>(buffer).scratch.data();
        return out.data != nullptr;
    }
    void unmap(Buffer& buffer) override {
        record({Call::WriteBuffer, 0, &buffer, {}, {}});
        if (in_) in_->unmap(buffer);
    }
    bool mapDiscard(Texture2D& texture, MappedSubresource& out) override { return in_ && in_->mapDiscard(texture, out); }
    void unmap(Texture2D& texture) override { if (in_) in_->unmap(texture); }
    void draw(uint32_t vertexCount, uint32_t startVertex) override {
        record({Call::Draw, 0, nullptr, {vertexCount, startVertex}, {}});
        if (in_) in_->draw(vertexCount, startVertex);
    }
    void drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) override {
        record({Call::DrawIndexed, 0, nullptr, {indexCount, startIndex, baseVertex}, {}});
        if (in_) in_->drawIndexed(indexCount, startIndex, baseVertex);
    }
    void drawIndexedInstanced(uint32_t indexCount, uint32_t instanceCount, uint32_t startIndex, int32_t baseVertex,
                              uint32_t startInstance) override {
        record({Call::DrawIndexedInstanced, 0, nullptr, {indexCount, instanceCount, startIndex, baseVertex, startInstance}, {}});
        if (in_) in_->drawIndexedInstanced(indexCount, instanceCount, startIndex, baseVertex, startInstance);
    }
    void clearRenderTargetView(RenderTargetView& target, const float rgba[4]) override {
        if (in_) in_->clearRenderTargetView(target, rgba);
    }
    void clearDepthStencilView(DepthStencilView& depth, float value) override {
        if (in_) in_->clearDepthStencilView(depth, value);
    }
    void clearState() override { if (in_) in_->clearState(); }
    bool readPixels(RenderTargetView& target, Image& out) override { return in_ && in_->readPixels(target, out); }

private:
    void record(Record&& record) {
        if (log_) log_->records.push_back(std::move(record));
    }

    std::unique_ptr<Context> in_;
    Log log_;
};

struct NullSwapChain final : SwapChain {
    explicit NullSwapChain(const SwapChainDesc& desc)
        : back({desc.width, desc.height, 1, Format::R8G8B8A8_UNorm, Usage::Default, BindRenderTarget, false}) {}
    Texture2D* backBuffer() override { return &back; }
    void present() override {}
    NullTexture back;
};

}  // namespace

BackendFactory nullBackendFactory() {
    return [](DriverType, const SwapChainDesc& desc) -> std::optional<DeviceBundle> {
        DeviceBundle bundle;
        bundle.device = std::make_unique<NullDevice>();
        bundle.context = std::make_unique<StandInContext>(nullptr, nullptr);
        bundle.swapChain = std::make_unique<NullSwapChain>(desc);
        bundle.featureLevel = 0xB000;
        return bundle;
    };
}

}  // namespace korvel::gpu

namespace korvel::testing {

InjectedBackend::InjectedBackend() {
    gpu::setBackendFactory([this, inner = gpu::currentBackendFactory()](gpu::DriverType type,
                                                                        const gpu::SwapChainDesc& desc) {
        driversTried.push_back(type);
        std::optional<gpu::DeviceBundle> bundle;
        if (!plan->attempt(gpu::FaultKind::Device)) bundle = inner(type, desc);
        if (bundle) {
            bundle->device = std::make_unique<gpu::FaultyDevice>(std::move(bundle->device), plan, log);
            bundle->context = std::make_unique<gpu::StandInContext>(std::move(bundle->context), log);
            bundle->swapChain = std::make_unique<gpu::FaultySwapChain>(std::move(bundle->swapChain), plan);
        }
        return bundle;
    });
}

InjectedBackend::~InjectedBackend() { gpu::setBackendFactory({}); }

void InjectedBackend::reset() {
    plan->reset();
    log->clear();
    driversTried.clear();
}

void InjectedBackend::failNext(gpu::FaultKind kind, uint32_t n) {
    reset();
    plan->failNth(kind, n);
}

}  // namespace korvel::testing
