// Direct3D formats and enumerations translated to their OpenGL equivalents.
#pragma once

#include <cstdint>

#include "platform/gpu/gl/gl_api.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

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

}  // namespace korvel::gpu::gl
