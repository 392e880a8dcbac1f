// Draw-time work of the GL context: everything Direct3D keeps as separate
// context state but GL ties to other objects is brought up to date here.
#include "platform/gpu/gl/gl_context.h"

namespace korvel::gpu::gl {

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
            uint32_t slot = static_cast<uint32_t>(__builtin_ctz(mask));
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
                uint32_t slot = static_cast<uint32_t>(__builtin_ctz(mask));
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
            uint32_t texture = static_cast<uint32_t>(__builtin_ctz(mask));
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

void GlContext::drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    if (!prepareDraw(true)) return;
    const auto offset = static_cast<uintptr_t>(indexOffset_) + static_cast<uintptr_t>(startIndex) * indexSize_;
    glDrawElementsBaseVertex(mode_, static_cast<GLsizei>(indexCount), indexType_,
                             reinterpret_cast<const void*>(offset), baseVertex);
}

void GlContext::drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                                     int32_t baseVertex, uint32_t startInstance) {
    if (!prepareDraw(true)) return;
    const auto offset = static_cast<uintptr_t>(indexOffset_) + static_cast<uintptr_t>(startIndex) * indexSize_;
    glDrawElementsInstancedBaseVertexBaseInstance(mode_, static_cast<GLsizei>(indexCountPerInstance), indexType_,
                                                  reinterpret_cast<const void*>(offset),
                                                  static_cast<GLsizei>(instanceCount), baseVertex, startInstance);
}

}  // namespace korvel::gpu::gl
