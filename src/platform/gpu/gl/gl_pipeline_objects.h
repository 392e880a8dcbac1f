// Shaders, input layouts and fixed-function state objects of the GL backend.
#pragma once

#include <array>
#include <memory>

#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gpu.h"
#include "platform/gpu/hlsl/translated_shader.h"

namespace korvel::gpu::gl {

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

}  // namespace korvel::gpu::gl
