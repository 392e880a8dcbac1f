// What the GL context does besides keeping bindings. At a draw, everything
// Direct3D keeps as separate context state but GL ties to other objects is
// brought up to date; then resource updates; and the reset of all state and
// the unbinding of destroyed objects. Clears and read-back are in
// gl_context_targets.cpp.
#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gpu/gl/gl_context.h"

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- draws

void GlContext::bindPipeline() {
    pipelineDirty_ = false;
    GLuint pipeline = 0;
    auto found = pipelines_.find(programs_);
    if (found != pipelines_.end()) {
        pipeline = found->second;
    } else {
        // First use of this shader combination: build and keep its pipeline.
        glCreateProgramPipelines(1, &pipeline);
        glUseProgramStages(pipeline, GL_VERTEX_SHADER_BIT, programs_[0]);
        if (programs_[1]) glUseProgramStages(pipeline, GL_GEOMETRY_SHADER_BIT, programs_[1]);
        if (programs_[2]) glUseProgramStages(pipeline, GL_FRAGMENT_SHADER_BIT, programs_[2]);
        pipelines_.emplace(programs_, pipeline);
    }
    if (pipeline != boundPipeline_) {
        glBindProgramPipeline(pipeline);
        boundPipeline_ = pipeline;
        ++stateChanges_;
    }
}

void GlContext::bindVertexArray(bool indexed) {
    GLuint vao = layout_ ? layout_->vao : emptyVao_;
    if (vao != boundVao_) {
        glBindVertexArray(vao);
        boundVao_ = vao;
        ++stateChanges_;
    }
    if (layout_) {
        for (uint32_t mask = layout_->slotMask; mask; mask &= mask - 1) {
            uint32_t slot = static_cast<uint32_t>(std::countr_zero(mask));
            const VertexBufferSlot& source = vertexBuffers_[slot];
            GlInputLayout::Binding wanted{source.buffer ? source.buffer->name : 0u,
                                          static_cast<GLintptr>(source.offset), static_cast<GLsizei>(source.stride)};
            if (layout_->applied[slot] == wanted) continue;
            glVertexArrayVertexBuffer(vao, slot, wanted.buffer, wanted.offset, wanted.stride);
            layout_->applied[slot] = wanted;
            ++stateChanges_;
        }
    }
    if (indexed) {
        GLuint& applied = layout_ ? layout_->appliedIndexBuffer : emptyVaoIndexBuffer_;
        if (applied != indexBuffer_->name) {
            glVertexArrayElementBuffer(vao, indexBuffer_->name);
            applied = indexBuffer_->name;
            ++stateChanges_;
        }
    }
}

void GlContext::bindConstantBuffers() {
    UniformRing& ring = core_->ring();
    uint64_t serial = 0;
    do {
        // Pushing a stale buffer may move the ring into a new chunk, which
        // can make buffers checked earlier in the pass stale: check again.
        serial = ring.serial();
        for (size_t s = 0; s < 3; ++s) {
            StageState& state = stages_[s];
            for (uint32_t mask = state.constantMask; mask; mask &= mask - 1) {
                uint32_t slot = static_cast<uint32_t>(std::countr_zero(mask));
                GlBuffer& buffer = *state.constantBuffers[slot];
                if (ring.stale(buffer.ring)) buffer.pushToRing();
                if (state.boundOffset[slot] == buffer.ring.offset) continue;
                glBindBufferRange(GL_UNIFORM_BUFFER, hlsl::uniformBinding(static_cast<ShaderStage>(s), slot),
                                  ring.buffer(), buffer.ring.offset, static_cast<GLsizeiptr>(buffer.shadow.size()));
                state.boundOffset[slot] = buffer.ring.offset;
                ++stateChanges_;
            }
        }
    } while (serial != ring.serial());
}

void GlContext::bindSamplers() {
    samplersDirty_ = false;
    for (size_t s = 0; s < 3; ++s) {
        const hlsl::TranslatedShader* shader = shaders_[s];
        if (!shader) continue;
        const auto stage = static_cast<ShaderStage>(s);
        for (uint32_t mask = shader->textureMask; mask; mask &= mask - 1) {
            uint32_t texture = static_cast<uint32_t>(std::countr_zero(mask));
            uint8_t samplerSlot = shader->samplerOfTexture[texture];
            if (samplerSlot == hlsl::kNoSampler) continue;
            const GlSamplerState* sampler = stages_[s].samplers[samplerSlot];
            bindSamplerUnit(hlsl::textureUnit(stage, texture), sampler ? sampler->sampler : defaultSampler_);
        }
    }
}

bool GlContext::prepareDraw(bool indexed) {
    if (!programs_[0] || mode_ == kNoPrimitive || (indexed && !indexBuffer_)) return false;
    makeCurrent();
    if (pending_.color || pending_.depth) clearPendingInDrawFramebuffer();
    if (pipelineDirty_) bindPipeline();
    bindVertexArray(indexed);
    bindConstantBuffers();
    if (samplersDirty_) bindSamplers();
    return true;
}

void GlContext::draw(uint32_t vertexCount, uint32_t startVertex) {
    if (!prepareDraw(false)) return;
    glDrawArrays(mode_, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertexCount));
}

void GlContext::drawInstanced(uint32_t vertexCountPerInstance, uint32_t instanceCount, uint32_t startVertex,
                              uint32_t startInstance) {
    if (!prepareDraw(false)) return;
    glDrawArraysInstancedBaseInstance(mode_, static_cast<GLint>(startVertex),
                                      static_cast<GLsizei>(vertexCountPerInstance), static_cast<GLsizei>(instanceCount),
                                      startInstance);
}

void GlContext::drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    if (!prepareDraw(true)) return;
    const auto offset = static_cast<uintptr_t>(indexOffset_) + static_cast<uintptr_t>(startIndex) * indexSize_;
    glDrawElementsBaseVertex(mode_, static_cast<GLsizei>(indexCount), indexType_, reinterpret_cast<const void*>(offset),
                             baseVertex);
}

void GlContext::drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                                     int32_t baseVertex, uint32_t startInstance) {
    if (!prepareDraw(true)) return;
    const auto offset = static_cast<uintptr_t>(indexOffset_) + static_cast<uintptr_t>(startIndex) * indexSize_;
    glDrawElementsInstancedBaseVertexBaseInstance(mode_, static_cast<GLsizei>(indexCountPerInstance), indexType_,
                                                  reinterpret_cast<const void*>(offset),
                                                  static_cast<GLsizei>(instanceCount), baseVertex, startInstance);
}

// ---------------------------------------------------------------- resource updates

void GlContext::updateSubresource(Buffer& buffer, const void* data, size_t bytes) {
    auto& gl = static_cast<GlBuffer&>(buffer);
    if (gl.desc().usage != Usage::Default || !data) return;
    size_t size = std::min<size_t>(bytes, gl.desc().byteWidth);
    if (gl.isConstant()) {
        // The next draw copies the contents into a fresh ring range.
        std::memcpy(gl.shadow.data(), data, size);
        gl.ring = {};
        return;
    }
    makeCurrent();
    glNamedBufferSubData(gl.name, 0, static_cast<GLsizeiptr>(size), data);
}

void GlContext::updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                              const void* data, uint32_t rowPitch) {
    GlTextureStorage& storage = *static_cast<GlTexture&>(texture).storage;
    const TextureFormat& format = storage.format;
    if (storage.desc.usage != Usage::Default || format.compressed || format.depth || !data) return;
    if (x + width > storage.desc.width || y + height > storage.desc.height) return;
    if (clearPending(storage)) finishPendingClears();
    makeCurrent();
    // The unpack row length is 0 everywhere else in the backend.
    const auto rowLength = static_cast<GLint>(rowPitch / format.blockBytes);
    if (rowLength != static_cast<GLint>(width)) glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    // Row 0 of the data is the top row, which is row 0 of the GL texture.
    glTextureSubImage2D(storage.name, 0, static_cast<GLint>(x), static_cast<GLint>(y), static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height), format.uploadFormat, format.uploadType, data);
    if (rowLength != static_cast<GLint>(width)) glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

bool GlContext::mapDiscard(Buffer& buffer, MappedSubresource& out) {
    auto& gl = static_cast<GlBuffer&>(buffer);
    if (gl.desc().usage != Usage::Dynamic || !gl.desc().cpuWrite) return false;
    if (gl.isConstant()) {
        out = {gl.shadow.data(), gl.desc().byteWidth};
        return true;
    }
    if (gl.mapped) return false;
    makeCurrent();
    // Invalidating the whole buffer lets the driver hand out new storage
    // while draws still read the old contents.
    gl.mapped = glMapNamedBufferRange(gl.name, 0, gl.desc().byteWidth, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    out = {gl.mapped, gl.desc().byteWidth};
    return gl.mapped != nullptr;
}

void GlContext::unmap(Buffer& buffer) {
    auto& gl = static_cast<GlBuffer&>(buffer);
    if (gl.isConstant()) {
        gl.ring = {};
        return;
    }
    if (!gl.mapped) return;
    makeCurrent();
    glUnmapNamedBuffer(gl.name);
    gl.mapped = nullptr;
}

// ---------------------------------------------------------------- reset and destruction

void GlContext::clearState() {
    iaSetInputLayout(nullptr);
    for (uint32_t slot = 0; slot < kVertexBufferSlots; ++slot) iaSetVertexBuffer(slot, nullptr, 0, 0);
    iaSetIndexBuffer(nullptr, Format::Unknown, 0);
    iaSetPrimitiveTopology(Topology::Undefined);
    vsSetShader(nullptr);
    gsSetShader(nullptr);
    psSetShader(nullptr);
    for (ShaderStage stage : {ShaderStage::Vertex, ShaderStage::Geometry, ShaderStage::Pixel}) {
        for (uint32_t slot = 0; slot < hlsl::kConstantBufferSlots; ++slot) setConstantBuffer(stage, slot, nullptr);
        for (uint32_t slot = 0; slot < hlsl::kTextureSlots; ++slot) setShaderResource(stage, slot, nullptr);
        for (uint32_t slot = 0; slot < hlsl::kSamplerSlots; ++slot) setSampler(stage, slot, nullptr);
    }
    rsSetState(nullptr);
    rsSetViewport(Viewport{0, 0, 0, 0, 0, 0});
    omSetBlendState(nullptr, nullptr, 0xFFFFFFFF);
    omSetDepthStencilState(nullptr, 0);
    omSetRenderTargets(nullptr, nullptr);
}

void GlContext::releaseBufferBindings(GLuint name) {
    // A deleted buffer stays attached to vertex arrays that are not bound, and
    // its name may come back for a new buffer: detach it everywhere.
    for (GlInputLayout* layout : layouts_) {
        for (uint32_t slot = 0; slot < kVertexBufferSlots; ++slot) {
            if (layout->applied[slot].buffer != name) continue;
            glVertexArrayVertexBuffer(layout->vao, slot, 0, 0, 0);
            layout->applied[slot] = {};
        }
        if (layout->appliedIndexBuffer == name) {
            glVertexArrayElementBuffer(layout->vao, 0);
            layout->appliedIndexBuffer = 0;
        }
    }
    if (emptyVaoIndexBuffer_ == name) {
        glVertexArrayElementBuffer(emptyVao_, 0);
        emptyVaoIndexBuffer_ = 0;
    }
}

void GlContext::forgetProgram(GLuint program) {
    for (auto it = pipelines_.begin(); it != pipelines_.end();) {
        if (it->first[0] != program && it->first[1] != program && it->first[2] != program) {
            ++it;
            continue;
        }
        if (boundPipeline_ == it->second) {
            glBindProgramPipeline(0);
            boundPipeline_ = 0;
            pipelineDirty_ = true;
        }
        glDeleteProgramPipelines(1, &it->second);
        it = pipelines_.erase(it);
    }
}

void GlContext::forgetSampler(GLuint sampler) { std::replace(unitSampler_.begin(), unitSampler_.end(), sampler, 0u); }

void GlContext::forget(const void* object) {
    for (VertexBufferSlot& slot : vertexBuffers_)
        if (slot.buffer == object) slot = {};
    if (indexBuffer_ == object) indexBuffer_ = nullptr;
    if (layout_ == object) layout_ = nullptr;
    for (auto it = layouts_.begin(); it != layouts_.end(); ++it) {
        if (*it != object) continue;
        if (boundVao_ == (*it)->vao) boundVao_ = 0;  // GL falls back to no vertex array
        layouts_.erase(it);
        break;
    }
    for (size_t s = 0; s < 3; ++s) {
        const auto stage = static_cast<ShaderStage>(s);
        StageState& state = stages_[s];
        for (uint32_t slot = 0; slot < hlsl::kConstantBufferSlots; ++slot)
            if (state.constantBuffers[slot] == object) setConstantBuffer(stage, slot, nullptr);
        for (uint32_t slot = 0; slot < hlsl::kTextureSlots; ++slot)
            if (state.views[slot] == object) setShaderResource(stage, slot, nullptr);
        for (uint32_t slot = 0; slot < hlsl::kSamplerSlots; ++slot)
            if (state.samplers[slot] == object) setSampler(stage, slot, nullptr);
        if (shaderObjects_[s] == object) {
            shaderObjects_[s] = nullptr;
            setProgram(stage, 0, nullptr);
        }
    }
    applyColorMask();
    if (rasterizer_ == object) rsSetState(nullptr);
    if (blend_ == object) omSetBlendState(nullptr, blendFactor_.data(), 0xFFFFFFFF);
    if (depthStencil_ == object) omSetDepthStencilState(nullptr, stencilRef_);
    if (renderTarget_ == object) omSetRenderTargets(nullptr, depthTarget_);
    if (depthTarget_ == object) omSetRenderTargets(renderTarget_, nullptr);
}

}  // namespace korvel::gpu::gl
