// The immediate context of the GL backend. It keeps Direct3D's binding model
// as its own state, filters redundant changes, and translates to GL either at
// once (textures, states, render targets) or just before a draw (program
// pipeline, vertex arrays, constant-buffer ranges, sampler per texture unit),
// where GL ties together what Direct3D keeps apart. Nothing is allocated per
// draw.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gl/gl_objects.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

class GlContext final : public Context {
public:
    explicit GlContext(std::shared_ptr<GlCore> core);
    ~GlContext() override;

    void iaSetInputLayout(InputLayout* layout) override;
    void iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) override;
    void iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) override;
    void iaSetPrimitiveTopology(Topology topology) override;

    void vsSetShader(VertexShader* shader) override;
    void gsSetShader(GeometryShader* shader) override;
    void psSetShader(PixelShader* shader) override;
    void setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) override;
    void setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) override;
    void setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) override;

    void rsSetState(RasterizerState* state) override;
    void rsSetViewport(const Viewport& viewport) override;
    void omSetBlendState(BlendState* state, const float factor[4], uint32_t sampleMask) override;
    void omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) override;
    void omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) override;

    void updateSubresource(Buffer& buffer, const void* data, size_t bytes) override;
    void updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height, const void* data,
                       uint32_t rowPitch) override;
    bool mapDiscard(Buffer& buffer, MappedSubresource& out) override;
    void unmap(Buffer& buffer) override;

    void draw(uint32_t vertexCount, uint32_t startVertex) override;
    void drawInstanced(uint32_t vertexCountPerInstance, uint32_t instanceCount, uint32_t startVertex,
                       uint32_t startInstance) override;
    void drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) override;
    void drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                              int32_t baseVertex, uint32_t startInstance) override;

    void clearRenderTargetView(RenderTargetView& target, const float rgba[4]) override;
    void clearDepthStencilView(DepthStencilView& depth, float value) override;
    void clearState() override;
    bool readPixels(RenderTargetView& target, Image& out) override;

    // Drops every binding of a destroyed object (called through GlCore).
    void forget(const void* object);
    // A destroyed buffer's GL name leaves every vertex array.
    void releaseBufferBindings(GLuint name);
    // A destroyed program leaves every cached program pipeline.
    void forgetProgram(GLuint program);
    // GL unbinds a deleted sampler from its units; the context's record follows.
    void forgetSampler(GLuint sampler);
    // Input layouts are tracked so that a deleted buffer leaves no vertex array.
    void track(GlInputLayout& layout) { layouts_.push_back(&layout); }
    // GL state calls issued so far (tests check that redundant changes cost none).
    uint64_t stateChangeCount() const { return stateChanges_; }
    // The framebuffer object that draws go to.
    GLuint drawFramebuffer() const { return drawFbo_; }
    // Does the clears that wait for the next draw (see clearRenderTargetView)
    // now; called before anything outside the context reads a target.
    void finishPendingClears();

private:
    struct StageState {
        std::array<GlBuffer*, hlsl::kConstantBufferSlots> constantBuffers{};
        std::array<GLintptr, hlsl::kConstantBufferSlots> boundOffset{};  // ring offset bound, -1 none
        uint32_t constantMask = 0;
        std::array<GlShaderResourceView*, hlsl::kTextureSlots> views{};
        std::array<GlSamplerState*, hlsl::kSamplerSlots> samplers{};
    };
    struct VertexBufferSlot {
        GlBuffer* buffer = nullptr;
        uint32_t stride = 0;
        uint32_t offset = 0;
    };
    struct AppliedRaster {
        GLenum polygonMode = GL_FILL;
        bool cull = false;
        GLenum cullFace = GL_BACK;
        GLenum frontFace = GL_CCW;
        bool depthClamp = false;
        bool lineSmooth = false;
    };
    struct AppliedBlend {
        bool enable = false;
        std::array<GLenum, 4> funcs{GL_ONE, GL_ZERO, GL_ONE, GL_ZERO};
        std::array<GLenum, 2> equations{GL_FUNC_ADD, GL_FUNC_ADD};
        uint8_t writeMask = 0x0F;
        std::array<float, 4> factor{0, 0, 0, 0};
    };
    struct AppliedDepth {
        bool test = false;
        bool write = true;
        GLenum func = GL_LESS;
        bool stencil = false;
        uint32_t stencilRef = 0;
    };

    void makeCurrent() { core_->makeCurrent(); }
    void applyRasterizer();
    void applyBlend();
    void applyColorMask();
    void applyDepthStencil();
    void applyViewport();
    void bindTextureUnit(uint32_t unit, GLuint texture);
    void bindSamplerUnit(uint32_t unit, GLuint sampler);
    bool boundAsOutput(const GlTextureStorage& storage) const;
    void unbindViewsOf(const GlTextureStorage& storage);
    void setProgram(ShaderStage stage, GLuint program, const hlsl::TranslatedShader* shader);

    // A clear of a bound target waits for the next draw while the bound
    // colour and depth textures have the same size (a framebuffer clear
    // covers only the area all its attachments share).
    struct PendingClears {
        bool color = false;
        bool depth = false;
        std::array<float, 4> rgba{};
        float depthValue = 0.0f;
    };
    bool clearMayWait() const;
    bool clearPending(const GlTextureStorage& storage) const;
    void clearColorNow(GLuint texture, const float rgba[4]);
    void clearDepthNow(GLuint texture, float value);
    void clearDepthIn(GLuint framebuffer, float value);
    void clearPendingInDrawFramebuffer();

    bool prepareDraw(bool indexed);
    void bindPipeline();
    void bindVertexArray(bool indexed);
    void bindConstantBuffers();
    void bindSamplers();

    std::shared_ptr<GlCore> core_;
    uint64_t stateChanges_ = 0;

    GLuint drawFbo_ = 0;
    GLuint scratchFbo_ = 0;  // depth clears
    GLuint emptyVao_ = 0;
    GLuint nullTexture_ = 0;  // what an empty texture slot reads: (0, 0, 0, 0), as in Direct3D
    GLuint emptyVaoIndexBuffer_ = 0;
    GLuint boundVao_ = 0;
    GLuint defaultSampler_ = 0;

    // input assembler
    GlInputLayout* layout_ = nullptr;
    std::array<VertexBufferSlot, kVertexBufferSlots> vertexBuffers_{};
    GlBuffer* indexBuffer_ = nullptr;
    GLenum indexType_ = GL_UNSIGNED_SHORT;
    uint32_t indexSize_ = 2;
    uint32_t indexOffset_ = 0;
    GLenum mode_ = kNoPrimitive;
    std::vector<GlInputLayout*> layouts_;

    // shaders
    std::array<const void*, 3> shaderObjects_{};  // bound shader objects per stage
    std::array<GLuint, 3> programs_{};
    std::array<const hlsl::TranslatedShader*, 3> shaders_{};
    std::map<std::array<GLuint, 3>, GLuint> pipelines_;
    GLuint boundPipeline_ = 0;
    bool pipelineDirty_ = false;
    bool samplersDirty_ = false;
    std::array<StageState, 3> stages_{};
    std::array<GLuint, 3 * hlsl::kTextureSlots> unitTexture_{};
    std::array<GLuint, 3 * hlsl::kTextureSlots> unitSampler_{};

    // rasterizer and output merger
    GlRasterizerState* rasterizer_ = nullptr;
    GlBlendState* blend_ = nullptr;
    std::array<float, 4> blendFactor_{1, 1, 1, 1};
    GlDepthStencilState* depthStencil_ = nullptr;
    uint32_t stencilRef_ = 0;
    Viewport viewport_{};
    GlRenderTargetView* renderTarget_ = nullptr;
    GlDepthStencilView* depthTarget_ = nullptr;
    PendingClears pending_;

    AppliedRaster appliedRaster_;
    AppliedBlend appliedBlend_;
    uint8_t appliedColorMask_ = 0x0F;
    AppliedDepth appliedDepth_;
    Viewport appliedViewport_{0, 0, -1, -1, 0, 1};
};

}  // namespace korvel::gpu::gl
