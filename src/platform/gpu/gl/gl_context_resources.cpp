// Resource updates, clears and read-back of the GL context.
#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_context.h"

namespace korvel::gpu::gl {

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

bool GlContext::mapDiscard(Texture2D& texture, MappedSubresource& out) {
    GlTextureStorage& storage = *static_cast<GlTexture&>(texture).storage;
    if (storage.staging.empty()) return false;
    out = {storage.staging.data(), tightRowPitch(storage.format, storage.desc.width)};
    return true;
}

void GlContext::unmap(Texture2D& texture) {
    GlTextureStorage& storage = *static_cast<GlTexture&>(texture).storage;
    if (storage.staging.empty()) return;
    makeCurrent();
    const auto width = static_cast<GLsizei>(storage.desc.width);
    const auto height = static_cast<GLsizei>(storage.desc.height);
    if (storage.format.compressed) {
        glCompressedTextureSubImage2D(storage.name, 0, 0, 0, width, height, storage.format.internalFormat,
                                      static_cast<GLsizei>(storage.staging.size()), storage.staging.data());
        return;
    }
    glTextureSubImage2D(storage.name, 0, 0, 0, width, height, storage.format.uploadFormat, storage.format.uploadType,
                        storage.staging.data());
}

void GlContext::clearRenderTargetView(RenderTargetView& target, const float rgba[4]) {
    makeCurrent();
    // Clears the whole texture, ignoring write masks, as Direct3D does.
    glClearTexImage(static_cast<GlRenderTargetView&>(target).storage->name, 0, GL_RGBA, GL_FLOAT, rgba);
}

void GlContext::clearDepthStencilView(DepthStencilView& depth, float value) {
    makeCurrent();
    // The texture is attached only for the clear: a texture deleted later
    // must not stay attached to a framebuffer that is not bound.
    glNamedFramebufferTexture(scratchFbo_, GL_DEPTH_STENCIL_ATTACHMENT,
                              static_cast<GlDepthStencilView&>(depth).storage->name, 0);
    // Depth only, stencil untouched; the clear must ignore the depth-write state.
    if (!appliedDepth_.write) glDepthMask(GL_TRUE);
    glClearNamedFramebufferfv(scratchFbo_, GL_DEPTH, 0, &value);
    if (!appliedDepth_.write) glDepthMask(GL_FALSE);
    glNamedFramebufferTexture(scratchFbo_, GL_DEPTH_STENCIL_ATTACHMENT, 0, 0);
}

bool GlContext::readPixels(RenderTargetView& target, Image& out) {
    GlTextureStorage& storage = *static_cast<GlRenderTargetView&>(target).storage;
    if (storage.format.compressed || storage.format.depth) return false;
    makeCurrent();
    out.width = storage.desc.width;
    out.height = storage.desc.height;
    out.rgba.resize(size_t(out.width) * out.height * 4);
    // GL row 0 is the top row (upper-left origin), so the image is top row first.
    glGetTextureImage(storage.name, 0, GL_RGBA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(out.rgba.size()),
                      out.rgba.data());
    return true;
}

}  // namespace korvel::gpu::gl
