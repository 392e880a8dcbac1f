// The GL device's shared core, its constant-buffer ring, and the format and
// enumeration tables.
#include "platform/gpu/gl/gl_core.h"

#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_context.h"

namespace korvel::gpu::gl {

namespace {
bool hasGlExtension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (extension && std::strcmp(extension, name) == 0) return true;
    }
    return false;
}
}  // namespace

GlCore::GlCore(std::unique_ptr<GlTarget> target) : target_(std::move(target)) {
    makeCurrent();
    ring_ = std::make_unique<UniformRing>();
    s3tc_ = hasGlExtension("GL_EXT_texture_compression_s3tc");
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize_ = static_cast<uint32_t>(std::max(maxSize, 0));
}

GlCore::~GlCore() {
    makeCurrent();
    ring_.reset();
}

void GlCore::forget(const void* object) {
    makeCurrent();
    if (context) context->forget(object);
}

void GlCore::forgetBuffer(const void* object, GLuint name) {
    makeCurrent();
    if (!context) return;
    context->forget(object);
    if (name) context->releaseBufferBindings(name);
}

void GlCore::forgetProgram(const void* object, GLuint program) {
    makeCurrent();
    if (!context) return;
    context->forget(object);
    context->forgetProgram(program);
}

void GlCore::forgetSampler(const void* object, GLuint sampler) {
    makeCurrent();
    if (!context) return;
    context->forget(object);
    context->forgetSampler(sampler);
}

// ---------------------------------------------------------------- constant-buffer ring

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

// ---------------------------------------------------------------- formats

const TextureFormat* textureFormat(Format format) {
    static const TextureFormat rgba8{GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, false, false};
    // Stored as RGBA; uploads and reads convert, so shaders see the same channels.
    static const TextureFormat bgra8{GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, false, false};
    static const TextureFormat d24s8{GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 4, false, true};
    static const TextureFormat bc1{GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, 8, true, false};
    static const TextureFormat bc2{GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 16, true, false};
    static const TextureFormat bc3{GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 16, true, false};
    switch (format) {
        case Format::R8G8B8A8_UNorm:
            return &rgba8;
        case Format::B8G8R8A8_UNorm:
            return &bgra8;
        case Format::D24_UNorm_S8_UInt:
            return &d24s8;
        case Format::BC1_UNorm:
            return &bc1;
        case Format::BC2_UNorm:
            return &bc2;
        case Format::BC3_UNorm:
            return &bc3;
        default:
            return nullptr;
    }
}

uint32_t tightRowPitch(const TextureFormat& format, uint32_t width) {
    return format.compressed ? (width + 3) / 4 * format.blockBytes : width * format.blockBytes;
}

uint32_t rowCount(const TextureFormat& format, uint32_t height) {
    return format.compressed ? (height + 3) / 4 : height;
}

bool attributeFormat(Format format, AttributeFormat& out) {
    switch (format) {
        case Format::R32_Float:
            out = {1, GL_FLOAT, false};
            return true;
        case Format::R32G32_Float:
            out = {2, GL_FLOAT, false};
            return true;
        case Format::R32G32B32_Float:
            out = {3, GL_FLOAT, false};
            return true;
        case Format::R32G32B32A32_Float:
            out = {4, GL_FLOAT, false};
            return true;
        case Format::R32_SInt:
            out = {1, GL_INT, true};
            return true;
        case Format::R32_UInt:
            out = {1, GL_UNSIGNED_INT, true};
            return true;
        default:
            return false;
    }
}

bool indexFormat(Format format, GLenum& type, uint32_t& size) {
    if (format == Format::R16_UInt) {
        type = GL_UNSIGNED_SHORT;
        size = 2;
        return true;
    }
    if (format == Format::R32_UInt) {
        type = GL_UNSIGNED_INT;
        size = 4;
        return true;
    }
    return false;
}

GLenum comparisonFunc(Comparison comparison) {
    switch (comparison) {
        case Comparison::Never:
            return GL_NEVER;
        case Comparison::Less:
            return GL_LESS;
        case Comparison::Equal:
            return GL_EQUAL;
        case Comparison::LessEqual:
            return GL_LEQUAL;
        case Comparison::Greater:
            return GL_GREATER;
        case Comparison::NotEqual:
            return GL_NOTEQUAL;
        case Comparison::GreaterEqual:
            return GL_GEQUAL;
        case Comparison::Always:
            return GL_ALWAYS;
    }
    return GL_ALWAYS;
}

GLenum blendFactor(Blend blend, bool alpha) {
    switch (blend) {
        case Blend::Zero:
            return GL_ZERO;
        case Blend::One:
            return GL_ONE;
        case Blend::SrcAlpha:
            return GL_SRC_ALPHA;
        case Blend::InvSrcAlpha:
            return GL_ONE_MINUS_SRC_ALPHA;
        // The Direct3D blend factor applies per component: alpha uses its fourth.
        case Blend::BlendFactor:
            return alpha ? GL_CONSTANT_ALPHA : GL_CONSTANT_COLOR;
        case Blend::InvBlendFactor:
            return alpha ? GL_ONE_MINUS_CONSTANT_ALPHA : GL_ONE_MINUS_CONSTANT_COLOR;
    }
    return GL_ONE;
}

GLenum blendEquation(BlendOp op) {
    switch (op) {
        case BlendOp::Add:
            return GL_FUNC_ADD;
        case BlendOp::Subtract:
            return GL_FUNC_SUBTRACT;
        case BlendOp::RevSubtract:
            return GL_FUNC_REVERSE_SUBTRACT;
        case BlendOp::Min:
            return GL_MIN;
        case BlendOp::Max:
            return GL_MAX;
    }
    return GL_FUNC_ADD;
}

GLenum primitiveMode(Topology topology) {
    switch (topology) {
        case Topology::PointList:
            return GL_POINTS;
        case Topology::LineList:
            return GL_LINES;
        case Topology::LineStrip:
            return GL_LINE_STRIP;
        case Topology::TriangleList:
            return GL_TRIANGLES;
        case Topology::TriangleStrip:
            return GL_TRIANGLE_STRIP;
        case Topology::Undefined:
            return kNoPrimitive;
    }
    return kNoPrimitive;
}

GLenum addressMode(AddressMode mode) { return mode == AddressMode::Wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE; }

}  // namespace korvel::gpu::gl
