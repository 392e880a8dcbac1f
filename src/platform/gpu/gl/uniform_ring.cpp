#include "platform/gpu/gl/uniform_ring.h"

#include <cstring>

namespace korvel::gpu::gl {

UniformRing::UniformRing() {
    GLint alignment = 0;
    glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &alignment);
    if (alignment > 0) alignment_ = static_cast<size_t>(alignment);
    const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    glCreateBuffers(1, &buffer_);
    glNamedBufferStorage(buffer_, kChunkCount * kChunkSize, nullptr, flags);
    mapped_ = static_cast<uint8_t*>(glMapNamedBufferRange(buffer_, 0, kChunkCount * kChunkSize, flags));
}

UniformRing::~UniformRing() {
    for (GLsync fence : fences_)
        if (fence) glDeleteSync(fence);
    if (mapped_) glUnmapNamedBuffer(buffer_);
    glDeleteBuffers(1, &buffer_);
}

void UniformRing::enterNextChunk() {
    fences_[serial_ % kChunkCount] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    ++serial_;
    GLsync& fence = fences_[serial_ % kChunkCount];
    if (fence) {
        while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000) == GL_TIMEOUT_EXPIRED) {
        }
        glDeleteSync(fence);
        fence = nullptr;
    }
    used_ = 0;
}

UniformRing::Range UniformRing::push(const void* data, size_t size) {
    size_t offset = (used_ + alignment_ - 1) / alignment_ * alignment_;
    if (offset + size > kChunkSize) {
        enterNextChunk();
        offset = 0;
    }
    const size_t absolute = (serial_ % kChunkCount) * kChunkSize + offset;
    if (mapped_) std::memcpy(mapped_ + absolute, data, size);
    used_ = offset + size;
    return Range{static_cast<GLintptr>(absolute), serial_};
}

}  // namespace korvel::gpu::gl
