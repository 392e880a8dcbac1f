#include "platform/gpu/gl/gl_context.h"

#include <algorithm>
#include <cfloat>

namespace korvel::gpu::gl {

namespace {

// Direct3D's defaults for a null state.
const RasterizerDesc kDefaultRasterizer{};
const BlendDesc kDefaultBlend{false,      Blend::One,  Blend::Zero,  BlendOp::Add,
                              Blend::One, Blend::Zero, BlendOp::Add, 0x0F};
const DepthStencilDesc kDefaultDepthStencil{};

SamplerDesc defaultSamplerDesc() {
    SamplerDesc desc;
    desc.addressU = desc.addressV = desc.addressW = AddressMode::Clamp;
    desc.minLod = -FLT_MAX;
    return desc;
}

size_t stageIndex(ShaderStage stage) { return static_cast<size_t>(stage); }

}  // namespace

GlContext::GlContext(std::shared_ptr<GlCore> core) : core_(std::move(core)) {
    makeCurrent();
    core_->context = this;
    // Direct3D conventions: upper-left origin (row 0 of every image is the
    // top row), depth 0..1, strip cut index, first-vertex flat shading.
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glEnable(GL_PRIMITIVE_RESTART_FIXED_INDEX);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    glCreateFramebuffers(1, &drawFbo_);
    glNamedFramebufferDrawBuffer(drawFbo_, GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    glCreateFramebuffers(1, &scratchFbo_);
    glNamedFramebufferDrawBuffer(scratchFbo_, GL_NONE);
    glNamedFramebufferReadBuffer(scratchFbo_, GL_NONE);
    glCreateVertexArrays(1, &emptyVao_);
    glBindVertexArray(emptyVao_);
    boundVao_ = emptyVao_;
    defaultSampler_ = createSampler(defaultSamplerDesc());
    const uint32_t transparentBlack = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &nullTexture_);
    glTextureStorage2D(nullTexture_, 1, GL_RGBA8, 1, 1);
    glTextureSubImage2D(nullTexture_, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &transparentBlack);
    for (uint32_t unit = 0; unit < unitTexture_.size(); ++unit) glBindTextureUnit(unit, nullTexture_);
    unitTexture_.fill(nullTexture_);
    for (StageState& stage : stages_) stage.boundOffset.fill(-1);

    applyRasterizer();
    applyBlend();
    applyColorMask();
    applyDepthStencil();
}

GlContext::~GlContext() {
    makeCurrent();
    for (auto& entry : pipelines_) glDeleteProgramPipelines(1, &entry.second);
    glDeleteSamplers(1, &defaultSampler_);
    glDeleteTextures(1, &nullTexture_);
    glDeleteVertexArrays(1, &emptyVao_);
    glDeleteFramebuffers(1, &scratchFbo_);
    glDeleteFramebuffers(1, &drawFbo_);
    core_->context = nullptr;
}

// ---------------------------------------------------------------- input assembler

void GlContext::iaSetInputLayout(InputLayout* layout) { layout_ = static_cast<GlInputLayout*>(layout); }

void GlContext::iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) {
    if (slot >= kVertexBufferSlots) return;
    vertexBuffers_[slot] = {static_cast<GlBuffer*>(buffer), stride, offset};
}

void GlContext::iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) {
    GLenum type = GL_UNSIGNED_SHORT;
    uint32_t size = 2;
    if (buffer && !indexFormat(format, type, size)) return;
    indexBuffer_ = static_cast<GlBuffer*>(buffer);
    indexType_ = type;
    indexSize_ = size;
    indexOffset_ = offset;
}

void GlContext::iaSetPrimitiveTopology(Topology topology) { mode_ = primitiveMode(topology); }

// ---------------------------------------------------------------- shader stages

void GlContext::setProgram(ShaderStage stage, GLuint program, const hlsl::TranslatedShader* shader) {
    size_t s = stageIndex(stage);
    programs_[s] = program;
    shaders_[s] = shader;
    pipelineDirty_ = true;
    samplersDirty_ = true;
}

void GlContext::vsSetShader(VertexShader* shader) {
    if (shaderObjects_[0] == shader) return;
    shaderObjects_[0] = shader;
    auto* gl = static_cast<GlVertexShader*>(shader);
    setProgram(ShaderStage::Vertex, gl ? gl->program->name : 0, gl ? gl->shader.get() : nullptr);
}

void GlContext::gsSetShader(GeometryShader* shader) {
    if (shaderObjects_[1] == shader) return;
    shaderObjects_[1] = shader;
    auto* gl = static_cast<GlGeometryShader*>(shader);
    setProgram(ShaderStage::Geometry, gl ? gl->program->name : 0, gl ? gl->shader.get() : nullptr);
    makeCurrent();
    applyRasterizer();  // line smoothing depends on what the geometry shader emits
}

void GlContext::psSetShader(PixelShader* shader) {
    if (shaderObjects_[2] == shader) return;
    shaderObjects_[2] = shader;
    auto* gl = static_cast<GlPixelShader*>(shader);
    setProgram(ShaderStage::Pixel, gl ? gl->program->name : 0, gl ? gl->shader.get() : nullptr);
    makeCurrent();
    applyColorMask();  // no pixel shader: no colour output, as in Direct3D
}

void GlContext::setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) {
    if (slot >= hlsl::kConstantBufferSlots) return;
    StageState& state = stages_[stageIndex(stage)];
    auto* gl = static_cast<GlBuffer*>(buffer);
    if (gl && !gl->isConstant()) gl = nullptr;
    if (state.constantBuffers[slot] == gl) return;
    state.constantBuffers[slot] = gl;
    state.boundOffset[slot] = -1;
    if (gl) {
        state.constantMask |= 1u << slot;
    } else {
        state.constantMask &= ~(1u << slot);
        makeCurrent();
        glBindBufferBase(GL_UNIFORM_BUFFER, hlsl::uniformBinding(stage, slot), 0);
        ++stateChanges_;
    }
}

void GlContext::bindTextureUnit(uint32_t unit, GLuint texture) {
    if (unitTexture_[unit] == texture) return;
    makeCurrent();
    glBindTextureUnit(unit, texture);
    unitTexture_[unit] = texture;
    ++stateChanges_;
}

void GlContext::bindSamplerUnit(uint32_t unit, GLuint sampler) {
    if (unitSampler_[unit] == sampler) return;
    makeCurrent();
    glBindSampler(unit, sampler);
    unitSampler_[unit] = sampler;
    ++stateChanges_;
}

void GlContext::setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) {
    if (slot >= hlsl::kTextureSlots) return;
    auto* gl = static_cast<GlShaderResourceView*>(view);
    StageState& state = stages_[stageIndex(stage)];
    // Direct3D never reads a texture that is bound for output: it binds null.
    if (gl && boundAsOutput(*gl->storage)) gl = nullptr;
    if (state.views[slot] == gl) return;
    state.views[slot] = gl;
    bindTextureUnit(hlsl::textureUnit(stage, slot), gl ? gl->storage->name : nullTexture_);
}

bool GlContext::boundAsOutput(const GlTextureStorage& storage) const {
    return (renderTarget_ && renderTarget_->storage.get() == &storage) ||
           (depthTarget_ && depthTarget_->storage.get() == &storage);
}

void GlContext::unbindViewsOf(const GlTextureStorage& storage) {
    for (size_t s = 0; s < 3; ++s)
        for (uint32_t slot = 0; slot < hlsl::kTextureSlots; ++slot)
            if (const GlShaderResourceView* view = stages_[s].views[slot]; view && view->storage.get() == &storage)
                setShaderResource(static_cast<ShaderStage>(s), slot, nullptr);
}

void GlContext::setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) {
    if (slot >= hlsl::kSamplerSlots) return;
    auto* gl = static_cast<GlSamplerState*>(sampler);
    StageState& state = stages_[stageIndex(stage)];
    if (state.samplers[slot] == gl) return;
    state.samplers[slot] = gl;
    samplersDirty_ = true;
}

// ---------------------------------------------------------------- rasterizer and output merger

void GlContext::applyRasterizer() {
    const RasterizerDesc& desc = rasterizer_ ? rasterizer_->desc : kDefaultRasterizer;
    AppliedRaster& applied = appliedRaster_;
    GLenum polygonMode = desc.fillMode == FillMode::Wireframe ? GL_LINE : GL_FILL;
    if (applied.polygonMode != polygonMode) {
        glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
        applied.polygonMode = polygonMode;
        ++stateChanges_;
    }
    bool cull = desc.cullMode != CullMode::None;
    if (applied.cull != cull) {
        cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        applied.cull = cull;
        ++stateChanges_;
    }
    GLenum cullFace = desc.cullMode == CullMode::Front ? GL_FRONT : GL_BACK;
    if (cull && applied.cullFace != cullFace) {
        glCullFace(cullFace);
        applied.cullFace = cullFace;
        ++stateChanges_;
    }
    // With the upper-left origin GL still judges winding as seen on screen,
    // so Direct3D's orientation carries over unchanged.
    GLenum frontFace = desc.frontCounterClockwise ? GL_CCW : GL_CW;
    if (applied.frontFace != frontFace) {
        glFrontFace(frontFace);
        applied.frontFace = frontFace;
        ++stateChanges_;
    }
    bool depthClamp = !desc.depthClipEnable;
    if (applied.depthClamp != depthClamp) {
        depthClamp ? glEnable(GL_DEPTH_CLAMP) : glDisable(GL_DEPTH_CLAMP);
        applied.depthClamp = depthClamp;
        ++stateChanges_;
    }
    // Lines that a geometry shader emits are drawn aliased: with line
    // smoothing on, Mesa's software rasteriser draws them right only on the
    // first draw of a process and misplaces them on every later one.
    const hlsl::TranslatedShader* geometry = shaders_[stageIndex(ShaderStage::Geometry)];
    const bool smooth = desc.antialiasedLineEnable && (geometry == nullptr || geometry->emitsTriangles);
    if (applied.lineSmooth != smooth) {
        smooth ? glEnable(GL_LINE_SMOOTH) : glDisable(GL_LINE_SMOOTH);
        applied.lineSmooth = smooth;
        ++stateChanges_;
    }
}

void GlContext::applyBlend() {
    const BlendDesc& desc = blend_ ? blend_->desc : kDefaultBlend;
    AppliedBlend& applied = appliedBlend_;
    if (applied.enable != desc.blendEnable) {
        desc.blendEnable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        applied.enable = desc.blendEnable;
        ++stateChanges_;
    }
    std::array<GLenum, 4> funcs{blendFactor(desc.srcBlend, false), blendFactor(desc.destBlend, false),
                                blendFactor(desc.srcBlendAlpha, true), blendFactor(desc.destBlendAlpha, true)};
    if (applied.funcs != funcs) {
        glBlendFuncSeparate(funcs[0], funcs[1], funcs[2], funcs[3]);
        applied.funcs = funcs;
        ++stateChanges_;
    }
    std::array<GLenum, 2> equations{blendEquation(desc.blendOp), blendEquation(desc.blendOpAlpha)};
    if (applied.equations != equations) {
        glBlendEquationSeparate(equations[0], equations[1]);
        applied.equations = equations;
        ++stateChanges_;
    }
    if (applied.factor != blendFactor_) {
        glBlendColor(blendFactor_[0], blendFactor_[1], blendFactor_[2], blendFactor_[3]);
        applied.factor = blendFactor_;
        ++stateChanges_;
    }
    applyColorMask();
}

void GlContext::applyColorMask() {
    uint8_t mask = programs_[2] ? (blend_ ? blend_->desc : kDefaultBlend).writeMask : 0;
    if (appliedColorMask_ == mask) return;
    glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
    appliedColorMask_ = mask;
    ++stateChanges_;
}

void GlContext::applyDepthStencil() {
    const DepthStencilDesc& desc = depthStencil_ ? depthStencil_->desc : kDefaultDepthStencil;
    AppliedDepth& applied = appliedDepth_;
    if (applied.test != desc.depthEnable) {
        desc.depthEnable ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        applied.test = desc.depthEnable;
        ++stateChanges_;
    }
    if (applied.write != desc.depthWrite) {
        glDepthMask(desc.depthWrite ? GL_TRUE : GL_FALSE);
        applied.write = desc.depthWrite;
        ++stateChanges_;
    }
    GLenum func = comparisonFunc(desc.depthFunc);
    if (applied.func != func) {
        glDepthFunc(func);
        applied.func = func;
        ++stateChanges_;
    }
    // The stencil operations are Direct3D's defaults (keep, always pass);
    // only the reference value travels.
    if (applied.stencil != desc.stencilEnable) {
        desc.stencilEnable ? glEnable(GL_STENCIL_TEST) : glDisable(GL_STENCIL_TEST);
        applied.stencil = desc.stencilEnable;
        ++stateChanges_;
    }
    if (desc.stencilEnable && applied.stencilRef != stencilRef_) {
        glStencilFunc(GL_ALWAYS, static_cast<GLint>(stencilRef_), 0xFF);
        applied.stencilRef = stencilRef_;
        ++stateChanges_;
    }
}

void GlContext::applyViewport() {
    if (appliedViewport_ == viewport_) return;
    const Viewport& v = viewport_;
    glViewportIndexedf(0, v.topLeftX, v.topLeftY, v.width, v.height);
    glDepthRangeIndexed(0, v.minDepth, v.maxDepth);
    appliedViewport_ = viewport_;
    stateChanges_ += 2;
}

void GlContext::rsSetState(RasterizerState* state) {
    auto* gl = static_cast<GlRasterizerState*>(state);
    if (rasterizer_ == gl) return;
    rasterizer_ = gl;
    makeCurrent();
    applyRasterizer();
}

void GlContext::rsSetViewport(const Viewport& viewport) {
    viewport_ = viewport;
    makeCurrent();
    applyViewport();
}

void GlContext::omSetBlendState(BlendState* state, const float factor[4], uint32_t) {
    // A sample mask has no effect without multisampling, which the backend never creates.
    auto* gl = static_cast<GlBlendState*>(state);
    std::array<float, 4> newFactor{1, 1, 1, 1};
    if (factor) newFactor = {factor[0], factor[1], factor[2], factor[3]};
    if (blend_ == gl && blendFactor_ == newFactor) return;
    blend_ = gl;
    blendFactor_ = newFactor;
    makeCurrent();
    applyBlend();
}

void GlContext::omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) {
    auto* gl = static_cast<GlDepthStencilState*>(state);
    if (depthStencil_ == gl && stencilRef_ == stencilRef) return;
    depthStencil_ = gl;
    stencilRef_ = stencilRef;
    makeCurrent();
    applyDepthStencil();
}

void GlContext::omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) {
    auto* color = static_cast<GlRenderTargetView*>(target);
    auto* depthView = static_cast<GlDepthStencilView*>(depth);
    if (color != renderTarget_ || depthView != depthTarget_) finishPendingClears();
    if (color != renderTarget_) {
        makeCurrent();
        glNamedFramebufferTexture(drawFbo_, GL_COLOR_ATTACHMENT0, color ? color->storage->name : 0, 0);
        glNamedFramebufferDrawBuffer(drawFbo_, color ? GL_COLOR_ATTACHMENT0 : GL_NONE);
        renderTarget_ = color;
        stateChanges_ += 2;
        // As Direct3D does, a texture becoming an output leaves every input slot.
        if (color) unbindViewsOf(*color->storage);
    }
    if (depthView != depthTarget_) {
        makeCurrent();
        glNamedFramebufferTexture(drawFbo_, GL_DEPTH_STENCIL_ATTACHMENT, depthView ? depthView->storage->name : 0, 0);
        depthTarget_ = depthView;
        ++stateChanges_;
        if (depthView) unbindViewsOf(*depthView->storage);
    }
}

}  // namespace korvel::gpu::gl
