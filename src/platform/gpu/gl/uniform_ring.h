// Constant-buffer contents are written into fresh ranges of one persistently
// mapped ring buffer and bound with glBindBufferRange, so an update never
// waits for draws that still read the previous contents (the renaming that
// Direct3D drivers do for UpdateSubresource and Map with write-discard).
//
// The ring is split into chunks; leaving a chunk puts a fence behind it, and
// a chunk is reused only once its fence has passed. A range written in chunk
// serial c is valid until the ring enters serial c + kChunkCount; callers keep
// a copy of their data and push it again when stale() says so.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/gpu/gl/gl_api.h"

namespace korvel::gpu::gl {

class UniformRing {
public:
    static constexpr size_t kChunkCount = 8;
    static constexpr size_t kChunkSize = 512 * 1024;
    // The largest range one push may take (a Direct3D constant buffer holds
    // at most 4096 four-component registers).
    static constexpr size_t kMaxRange = 64 * 1024;

    struct Range {
        GLintptr offset = 0;
        uint64_t chunk = 0;  // serial of the chunk holding the range; 0 = never written
    };

    UniformRing();  // the owning context must be current
    ~UniformRing();
    UniformRing(const UniformRing&) = delete;
    UniformRing& operator=(const UniformRing&) = delete;

    GLuint buffer() const { return buffer_; }
    Range push(const void* data, size_t size);
    bool stale(const Range& range) const { return range.chunk + kChunkCount <= serial_; }
    uint64_t serial() const { return serial_; }

private:
    void enterNextChunk();

    GLuint buffer_ = 0;
    uint8_t* mapped_ = nullptr;
    size_t alignment_ = 256;
    uint64_t serial_ = kChunkCount;  // so that chunk 0 ("never written") is stale
    size_t used_ = 0;                // bytes used in the current chunk
    std::array<GLsync, kChunkCount> fences_{};
};

}  // namespace korvel::gpu::gl
