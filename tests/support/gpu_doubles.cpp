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

namespace {

using Plan = std::shared_ptr<FaultPlan>;
template <class T>
using Own = std::unique_ptr<T>;

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
        : kind(profile[0] == 'v'   ? ShaderStage::Vertex
               : profile[0] == 'g' ? ShaderStage::Geometry
                                   : ShaderStage::Pixel) {}
    ShaderStage stage() const override { return kind; }
    ShaderStage kind;
};

// A creation of the null device: a new Made from the arguments args.
#define KORVEL_MAKE(Type, method, params, Made, args) \
    Own<Type> method params override { return std::make_unique<Made> args; }

class NullDevice final : public Device {
public:
    KORVEL_MAKE(Buffer, createBuffer, (const BufferDesc& d, const void*), NullBuffer, (d))
    KORVEL_MAKE(Texture2D, createTexture2D, (const Texture2DDesc& d, const SubresourceData*), NullTexture, (d))
    KORVEL_MAKE(ShaderResourceView, createShaderResourceView, (Texture2D & t), NullView<ShaderResourceView>, (t))
    KORVEL_MAKE(RenderTargetView, createRenderTargetView, (Texture2D & t), NullView<RenderTargetView>, (t))
    KORVEL_MAKE(DepthStencilView, createDepthStencilView, (Texture2D & t), NullView<DepthStencilView>, (t))
    KORVEL_MAKE(ShaderCode, compileShader,
                (std::string_view, std::string_view, const char*, const char* kind, std::string&), NullCode, (kind))
    KORVEL_MAKE(VertexShader, createVertexShader, (const ShaderCode&), VertexShader, ())
    KORVEL_MAKE(GeometryShader, createGeometryShader, (const ShaderCode&), GeometryShader, ())
    KORVEL_MAKE(PixelShader, createPixelShader, (const ShaderCode&), PixelShader, ())
    KORVEL_MAKE(InputLayout, createInputLayout, (const InputElement*, size_t, const ShaderCode&), InputLayout, ())
    KORVEL_MAKE(SamplerState, createSamplerState, (const SamplerDesc&), SamplerState, ())
    KORVEL_MAKE(DepthStencilState, createDepthStencilState, (const DepthStencilDesc&), DepthStencilState, ())
    KORVEL_MAKE(BlendState, createBlendState, (const BlendDesc&), BlendState, ())
    KORVEL_MAKE(RasterizerState, createRasterizerState, (const RasterizerDesc&), RasterizerState, ())
    DeviceStatus status() override { return DeviceStatus::Ok; }
};

// A creation of the wrapped device, refused (null) when the plan fails this
// attempt of kind.
#define KORVEL_UNLESS(Type, method, kind, params, args) \
    Own<Type> method params override { return plan_->attempt(FaultKind::kind) ? nullptr : inner_->method args; }

class FaultyDevice final : public Device {
public:
    FaultyDevice(Own<Device> inner, Plan plan) : inner_(std::move(inner)), plan_(std::move(plan)) {}

    KORVEL_UNLESS(Buffer, createBuffer, Buffer, (const BufferDesc& d, const void* data), (d, data))
    KORVEL_UNLESS(Texture2D, createTexture2D, Texture, (const Texture2DDesc& d, const SubresourceData* s), (d, s))
    KORVEL_UNLESS(ShaderResourceView, createShaderResourceView, ShaderResourceView, (Texture2D & t), (t))
    KORVEL_UNLESS(RenderTargetView, createRenderTargetView, RenderTargetView, (Texture2D & t), (t))
    KORVEL_UNLESS(DepthStencilView, createDepthStencilView, DepthStencilView, (Texture2D & t), (t))
    KORVEL_UNLESS(VertexShader, createVertexShader, VertexShader, (const ShaderCode& c), (c))
    KORVEL_UNLESS(GeometryShader, createGeometryShader, GeometryShader, (const ShaderCode& c), (c))
    KORVEL_UNLESS(PixelShader, createPixelShader, PixelShader, (const ShaderCode& c), (c))
    KORVEL_UNLESS(InputLayout, createInputLayout, InputLayout, (const InputElement* e, size_t n, const ShaderCode& c),
                  (e, n, c))
    KORVEL_UNLESS(SamplerState, createSamplerState, Sampler, (const SamplerDesc& d), (d))
    KORVEL_UNLESS(DepthStencilState, createDepthStencilState, DepthStencilState, (const DepthStencilDesc& d), (d))
    KORVEL_UNLESS(BlendState, createBlendState, BlendState, (const BlendDesc& d), (d))
    KORVEL_UNLESS(RasterizerState, createRasterizerState, RasterizerState, (const RasterizerDesc& d), (d))
    Own<ShaderCode> compileShader(std::string_view source, std::string_view sourceName, const char* entryPoint,
                                  const char* profile, std::string& errors) override {
        if (!plan_->attempt(FaultKind::Compile))
            return inner_->compileShader(source, sourceName, entryPoint, profile, errors);
        errors += std::string(sourceName) + ": injected compile failure of " + (entryPoint ? entryPoint : "") + "\n";
        return nullptr;
    }
    DeviceStatus status() override { return inner_->status(); }
    uint32_t maxTextureSize() const override { return inner_->maxTextureSize(); }

private:
    Own<Device> inner_;
    Plan plan_;
};

class FaultySwapChain final : public SwapChain {
public:
    FaultySwapChain(Own<SwapChain> inner, Plan plan) : inner_(std::move(inner)), plan_(std::move(plan)) {}
    Texture2D* backBuffer() override { return plan_->attempt(FaultKind::BackBuffer) ? nullptr : inner_->backBuffer(); }
    void present() override { inner_->present(); }

private:
    Own<SwapChain> inner_;
    Plan plan_;
};

// A context call passed on to the inner context, when there is one; the
// recorded ones are first logged as call with an object and the arguments
// the tests read, when there is a log.
#define KORVEL_PASS(method, params, args) \
    void method params override {         \
        if (in_) in_->method args;        \
    }
#define KORVEL_RECORD(method, params, args, call, object, ...)                  \
    void method params override {                                               \
        if (log_) log_->records.push_back({Call::call, object, {__VA_ARGS__}}); \
        if (in_) in_->method args;                                              \
    }

// Records the calls of gpu_doubles.h when it has a log, and passes every
// call to the inner context when it has one.
class StandInContext final : public Context {
public:
    StandInContext(Own<Context> inner, std::shared_ptr<CallLog> log) : in_(std::move(inner)), log_(std::move(log)) {}

    KORVEL_PASS(iaSetInputLayout, (InputLayout * layout), (layout))
    KORVEL_PASS(iaSetVertexBuffer, (uint32_t slot, Buffer* b, uint32_t stride, uint32_t at), (slot, b, stride, at))
    KORVEL_PASS(iaSetIndexBuffer, (Buffer * b, Format format, uint32_t offset), (b, format, offset))
    KORVEL_PASS(iaSetPrimitiveTopology, (Topology topology), (topology))
    KORVEL_PASS(vsSetShader, (VertexShader * shader), (shader))
    KORVEL_PASS(psSetShader, (PixelShader * shader), (shader))
    KORVEL_PASS(setConstantBuffer, (ShaderStage stage, uint32_t slot, Buffer* b), (stage, slot, b))
    KORVEL_PASS(setShaderResource, (ShaderStage stage, uint32_t slot, ShaderResourceView* v), (stage, slot, v))
    KORVEL_PASS(setSampler, (ShaderStage stage, uint32_t slot, SamplerState* sampler), (stage, slot, sampler))
    KORVEL_PASS(rsSetState, (RasterizerState * state), (state))
    KORVEL_PASS(rsSetViewport, (const Viewport& viewport), (viewport))
    KORVEL_PASS(omSetBlendState, (BlendState * state, const float factor[4], uint32_t mask), (state, factor, mask))
    KORVEL_PASS(omSetDepthStencilState, (DepthStencilState * state, uint32_t stencilRef), (state, stencilRef))
    KORVEL_PASS(omSetRenderTargets, (RenderTargetView * target, DepthStencilView* depth), (target, depth))
    KORVEL_PASS(updateSubresource, (Buffer & b, const void* data, size_t bytes), (b, data, bytes))
    KORVEL_PASS(updateTexture,
                (Texture2D & t, uint32_t x, uint32_t y, uint32_t w, uint32_t h, const void* data, uint32_t rowPitch),
                (t, x, y, w, h, data, rowPitch))
    KORVEL_PASS(clearRenderTargetView, (RenderTargetView & target, const float rgba[4]), (target, rgba))
    KORVEL_PASS(clearDepthStencilView, (DepthStencilView & depth, float value), (depth, value))
    KORVEL_PASS(clearState, (), ())
    bool mapDiscard(Buffer& buffer, MappedSubresource& out) override {
        if (in_) return in_->mapDiscard(buffer, out);
        out.data = static_cast<NullBuffer&>(buffer).scratch.data();
        return out.data != nullptr;
    }
    bool readPixels(RenderTargetView& target, Image& out) override { return in_ && in_->readPixels(target, out); }

    KORVEL_RECORD(gsSetShader, (GeometryShader * shader), (shader), SetGeometryShader, shader)
    KORVEL_RECORD(unmap, (Buffer & buffer), (buffer), WriteBuffer, &buffer)
    KORVEL_RECORD(draw, (uint32_t count, uint32_t start), (count, start), Draw, nullptr, count, start)
    KORVEL_RECORD(drawIndexed, (uint32_t n, uint32_t start, int32_t base), (n, start, base), DrawIndexed, nullptr, n,
                  start, base)
    KORVEL_RECORD(drawIndexedInstanced, (uint32_t n, uint32_t instances, uint32_t start, int32_t base, uint32_t first),
                  (n, instances, start, base, first), DrawIndexedInstanced, nullptr, n, instances, start, base, first)

private:
    Own<Context> in_;
    std::shared_ptr<CallLog> log_;
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
        return DeviceBundle{std::make_unique<NullDevice>(), std::make_unique<StandInContext>(nullptr, nullptr),
                            std::make_unique<NullSwapChain>(desc), 0xB000};
    };
}

}  // namespace korvel::gpu

namespace korvel::testing {

InjectedBackend::InjectedBackend() {
    gpu::setBackendFactory(
        [this, inner = gpu::currentBackendFactory()](gpu::DriverType type, const gpu::SwapChainDesc& desc) {
            driversTried.push_back(type);
            std::optional<gpu::DeviceBundle> bundle;
            if (!plan->attempt(gpu::FaultKind::Device)) bundle = inner(type, desc);
            if (bundle) {
                bundle->device = std::make_unique<gpu::FaultyDevice>(std::move(bundle->device), plan);
                bundle->context = std::make_unique<gpu::StandInContext>(std::move(bundle->context), log);
                bundle->swapChain = std::make_unique<gpu::FaultySwapChain>(std::move(bundle->swapChain), plan);
            }
            return bundle;
        });
}

}  // namespace korvel::testing
