// The objects of the GL backend: buffers, textures and views; shaders, input
// layouts and fixed-function states; and the Device and SwapChain that make
// them.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gpu.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- buffers, textures and views

class GlBuffer final : public Buffer {
public:
    GlBuffer(std::shared_ptr<GlCore> core, const BufferDesc& desc);
    ~GlBuffer() override;
    const BufferDesc& desc() const override { return desc_; }

    bool isConstant() const { return desc_.bindFlags & BindConstantBuffer; }
    // Copies the constant-buffer contents into a fresh ring range.
    void pushToRing() { ring = core_->ring().push(shadow.data(), shadow.size()); }

    GLuint name = 0;              // vertex and index buffers
    std::vector<uint8_t> shadow;  // constant buffers: the current contents
    UniformRing::Range ring;      // constant buffers: where they were last pushed
    void* mapped = nullptr;       // vertex and index buffers between mapDiscard and unmap

private:
    std::shared_ptr<GlCore> core_;
    BufferDesc desc_;
};

// The GL texture itself; views share it, as Direct3D views hold a reference
// to their resource.
struct GlTextureStorage {
    GlTextureStorage(std::shared_ptr<GlCore> core, const Texture2DDesc& desc, const TextureFormat& format);
    ~GlTextureStorage();
    GlTextureStorage(const GlTextureStorage&) = delete;
    GlTextureStorage& operator=(const GlTextureStorage&) = delete;

    std::shared_ptr<GlCore> core;
    Texture2DDesc desc;
    const TextureFormat& format;
    GLuint name = 0;
};

class GlTexture final : public Texture2D {
public:
    explicit GlTexture(std::shared_ptr<GlTextureStorage> storage) : storage(std::move(storage)) {}
    const Texture2DDesc& desc() const override { return storage->desc; }
    std::shared_ptr<GlTextureStorage> storage;
};

template <class Base>
class GlView final : public Base {
public:
    GlView(Texture2D& texture, std::shared_ptr<GlTextureStorage> storage)
        : storage(std::move(storage)), texture_(texture) {}
    ~GlView() override { storage->core->forget(this); }
    Texture2D& texture() const override { return texture_; }
    std::shared_ptr<GlTextureStorage> storage;

private:
    Texture2D& texture_;
};

using GlShaderResourceView = GlView<ShaderResourceView>;
using GlRenderTargetView = GlView<RenderTargetView>;
using GlDepthStencilView = GlView<DepthStencilView>;

// ---------------------------------------------------------------- shaders, input layouts and fixed-function states

// A linked separable program. Compiled code and the shader objects made
// from it share one program; the last holder deletes it.
struct GlProgram {
    GlProgram(std::shared_ptr<GlCore> core, GLuint name) : core(std::move(core)), name(name) {}
    ~GlProgram() {
        core->forgetProgram(this, name);
        glDeleteProgram(name);
    }
    GlProgram(const GlProgram&) = delete;
    GlProgram& operator=(const GlProgram&) = delete;
    std::shared_ptr<GlCore> core;
    GLuint name;
};

class GlShaderCode final : public ShaderCode {
public:
    GlShaderCode(std::shared_ptr<const hlsl::TranslatedShader> shader, std::shared_ptr<GlProgram> program)
        : shader(std::move(shader)), program(std::move(program)) {}
    ShaderStage stage() const override { return shader->stage; }
    const ShaderInterface* reflection() const override { return &shader->reflection; }
    std::shared_ptr<const hlsl::TranslatedShader> shader;
    std::shared_ptr<GlProgram> program;
};

template <class Base>
class GlShader final : public Base {
public:
    explicit GlShader(const GlShaderCode& code) : shader(code.shader), program(code.program) {}
    ~GlShader() override { program->core->forget(this); }
    std::shared_ptr<const hlsl::TranslatedShader> shader;
    std::shared_ptr<GlProgram> program;
};

using GlVertexShader = GlShader<VertexShader>;
using GlGeometryShader = GlShader<GeometryShader>;
using GlPixelShader = GlShader<PixelShader>;

constexpr uint32_t kVertexBufferSlots = 16;

// One vertex array object per layout. Buffer bindings are vertex-array state
// in GL but context state in Direct3D: the context copies its bindings into
// the layout's vertex array before a draw, and the layout remembers what it
// holds so that unchanged bindings cost nothing.
class GlInputLayout final : public InputLayout {
public:
    GlInputLayout(std::shared_ptr<GlCore> core, GLuint vao, uint32_t slotMask)
        : vao(vao), slotMask(slotMask), core_(std::move(core)) {}
    ~GlInputLayout() override {
        core_->forget(this);
        glDeleteVertexArrays(1, &vao);
    }
    struct Binding {
        GLuint buffer = 0;
        GLintptr offset = 0;
        GLsizei stride = 0;
        bool operator==(const Binding&) const = default;
    };
    GLuint vao;
    uint32_t slotMask;  // input slots the layout reads
    std::array<Binding, kVertexBufferSlots> applied{};
    GLuint appliedIndexBuffer = 0;

private:
    std::shared_ptr<GlCore> core_;
};

class GlSamplerState final : public SamplerState {
public:
    GlSamplerState(std::shared_ptr<GlCore> core, GLuint sampler) : sampler(sampler), core_(std::move(core)) {}
    ~GlSamplerState() override {
        core_->forgetSampler(this, sampler);
        glDeleteSamplers(1, &sampler);
    }
    GLuint sampler;

private:
    std::shared_ptr<GlCore> core_;
};

// Fixed-function states are plain descriptions; the context applies them
// field by field, skipping what is already set.
template <class Base, class Desc>
class GlStateObject final : public Base {
public:
    GlStateObject(std::shared_ptr<GlCore> core, const Desc& desc) : desc(desc), core_(std::move(core)) {}
    ~GlStateObject() override { core_->forget(this); }
    const Desc desc;

private:
    std::shared_ptr<GlCore> core_;
};

using GlDepthStencilState = GlStateObject<DepthStencilState, DepthStencilDesc>;
using GlBlendState = GlStateObject<BlendState, BlendDesc>;
using GlRasterizerState = GlStateObject<RasterizerState, RasterizerDesc>;

// Creates a sampler object with Direct3D's semantics for the description.
GLuint createSampler(const SamplerDesc& desc);

// ---------------------------------------------------------------- device and swap chain

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
#ifndef _WIN32
    // Shows the back buffer while the window has its size, on CPU renderers
    // under X11; otherwise present() copies it to the window surface and swaps.
    std::unique_ptr<ShmWindowImage> shmImage_;
#endif
};

}  // namespace korvel::gpu::gl
