// What every part of the GL backend shares: the OpenGL 4.5 core entry points
// (on Linux called directly through the GLVND libOpenGL dispatch library,
// which exports every core function; on Windows through pointers loaded
// once a context exists), the translation of Direct3D formats and
// enumerations, the constant-buffer ring and the core that holds them and
// the GL target for one device.
#pragma once

#ifdef _WIN32
#include "platform/gpu/gl/gl_functions.h"
#else
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#endif

// S3TC block formats (Direct3D BC1 to BC3), from EXT_texture_compression_s3tc.
#ifndef GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gpu/gl/gl_target.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- formats

// Direct3D formats and enumerations translated to their OpenGL equivalents.
struct TextureFormat {
    GLenum internalFormat = 0;
    GLenum uploadFormat = 0;  // pixel transfer format (uncompressed only)
    GLenum uploadType = 0;
    uint32_t blockBytes = 0;  // bytes per pixel, or per 4x4 block when compressed
    bool compressed = false;
    bool depth = false;
};
// Null for formats that cannot be a texture.
const TextureFormat* textureFormat(Format format);

// Bytes of one row of mip level `width` pixels wide (block rows when compressed).
uint32_t tightRowPitch(const TextureFormat& format, uint32_t width);
uint32_t rowCount(const TextureFormat& format, uint32_t height);

struct AttributeFormat {
    GLint components = 0;
    GLenum type = 0;
    bool integer = false;
};
bool attributeFormat(Format format, AttributeFormat& out);

// Index format: GL type and size in bytes; false if not an index format.
bool indexFormat(Format format, GLenum& type, uint32_t& size);

GLenum comparisonFunc(Comparison comparison);
GLenum blendFactor(Blend blend, bool alpha);
GLenum blendEquation(BlendOp op);
// GL_POINTS is 0, so an undefined topology has its own value.
constexpr GLenum kNoPrimitive = 0xFFFF;
GLenum primitiveMode(Topology topology);  // kNoPrimitive for Undefined
GLenum addressMode(AddressMode mode);

// ---------------------------------------------------------------- constant-buffer ring

// Constant-buffer contents are written into fresh ranges of one persistently
// mapped ring buffer and bound with glBindBufferRange, so an update never
// waits for draws that still read the previous contents (the renaming that
// Direct3D drivers do for UpdateSubresource and Map with write-discard).
//
// The ring is split into chunks; leaving a chunk puts a fence behind it, and
// a chunk is reused only once its fence has passed. A range written in chunk
// serial c is valid until the ring enters serial c + kChunkCount; callers keep
// a copy of their data and push it again when stale() says so.
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

// ---------------------------------------------------------------- core

// What every object of one GL device shares: the GL target, the constant
// buffer ring and the immediate context's state. Each object holds the core
// through a shared_ptr, so the GL context outlives every object whatever the
// order of destruction; a destroyed object first removes itself from the
// context's bindings.
class GlContext;

class GlCore {
public:
    explicit GlCore(std::unique_ptr<GlTarget> target);
    ~GlCore();
    GlCore(const GlCore&) = delete;
    GlCore& operator=(const GlCore&) = delete;

    void makeCurrent() { target_->makeCurrent(); }
    GlTarget& target() { return *target_; }
    UniformRing& ring() { return *ring_; }
    bool supportsS3tc() const { return s3tc_; }
    uint32_t maxTextureSize() const { return maxTextureSize_; }

    // Set once the device is found lost (a failed present, a reset); never cleared.
    DeviceStatus lostStatus = DeviceStatus::Ok;

    // The immediate context while it exists (it registers itself).
    GlContext* context = nullptr;

    // Called by an object's destructor: the context drops every binding of
    // it, then the caller may delete its GL names.
    void forget(const void* object);
    void forgetBuffer(const void* object, GLuint name);
    void forgetProgram(const void* object, GLuint program);
    void forgetSampler(const void* object, GLuint sampler);

private:
    std::unique_ptr<GlTarget> target_;
    std::unique_ptr<UniformRing> ring_;
    bool s3tc_ = false;
    uint32_t maxTextureSize_ = 0;
};

}  // namespace korvel::gpu::gl
