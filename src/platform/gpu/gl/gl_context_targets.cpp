// The GL context's clears and read-back of render targets.
//
// A clear of a bound target waits for the next draw, which does it on the
// framebuffer it draws to. A tiling software rasteriser then clears each tile
// as it begins the pass, while the tile is in its cache, instead of filling
// the whole texture at once and loading it back tile by tile for the draws.
// A frame cleared and presented without a draw gets the plain fill, which
// needs no pass at all. Anything that could see a waiting target first does
// its clears: a read, an upload into it, a present, a change of targets.
#include <algorithm>

#include "platform/gpu/gl/gl_context.h"

namespace korvel::gpu::gl {

bool GlContext::clearMayWait() const {
    if (!renderTarget_ || !depthTarget_) return true;
    const Texture2DDesc& color = renderTarget_->storage->desc;
    const Texture2DDesc& depth = depthTarget_->storage->desc;
    return color.width == depth.width && color.height == depth.height;
}

bool GlContext::clearPending(const GlTextureStorage& storage) const {
    return (pending_.color && renderTarget_->storage.get() == &storage) ||
           (pending_.depth && depthTarget_->storage.get() == &storage);
}

void GlContext::clearRenderTargetView(RenderTargetView& target, const float rgba[4]) {
    const GlTextureStorage& storage = *static_cast<GlRenderTargetView&>(target).storage;
    if (renderTarget_ && renderTarget_->storage.get() == &storage && clearMayWait()) {
        pending_.color = true;
        std::copy(rgba, rgba + 4, pending_.rgba.begin());
        return;
    }
    makeCurrent();
    clearColorNow(storage.name, rgba);
}

void GlContext::clearDepthStencilView(DepthStencilView& depth, float value) {
    const GlTextureStorage& storage = *static_cast<GlDepthStencilView&>(depth).storage;
    if (depthTarget_ && depthTarget_->storage.get() == &storage && clearMayWait()) {
        pending_.depth = true;
        pending_.depthValue = value;
        return;
    }
    makeCurrent();
    clearDepthNow(storage.name, value);
}

void GlContext::finishPendingClears() {
    if (!pending_.color && !pending_.depth) return;
    makeCurrent();
    if (pending_.color) clearColorNow(renderTarget_->storage->name, pending_.rgba.data());
    if (pending_.depth) clearDepthNow(depthTarget_->storage->name, pending_.depthValue);
    pending_ = {};
}

void GlContext::clearColorNow(GLuint texture, const float rgba[4]) {
    // Clears the whole texture, ignoring write masks, as Direct3D does.
    glClearTexImage(texture, 0, GL_RGBA, GL_FLOAT, rgba);
}

void GlContext::clearDepthNow(GLuint texture, float value) {
    // The texture is attached only for the clear: a texture deleted later
    // must not stay attached to a framebuffer that is not bound.
    glNamedFramebufferTexture(scratchFbo_, GL_DEPTH_STENCIL_ATTACHMENT, texture, 0);
    clearDepthIn(scratchFbo_, value);
    glNamedFramebufferTexture(scratchFbo_, GL_DEPTH_STENCIL_ATTACHMENT, 0, 0);
}

void GlContext::clearDepthIn(GLuint framebuffer, float value) {
    // The stencil is cleared to 0 with the depth. Nothing can tell: this
    // backend's stencil test always passes and never writes (Direct3D's
    // default operations), so the stencil's contents are never seen. But a
    // depth-only clear of a packed depth-stencil texture must keep the
    // stencil bits of every pixel, a read and a masked write per pixel on a
    // software rasteriser, where clearing the whole word is a plain fill.
    // The clear must ignore the depth-write state.
    if (!appliedDepth_.write) glDepthMask(GL_TRUE);
    glClearNamedFramebufferfi(framebuffer, GL_DEPTH_STENCIL, 0, value, 0);
    if (!appliedDepth_.write) glDepthMask(GL_FALSE);
}

// The same clears on the draw framebuffer, whose attachments are the whole
// of both textures (clearMayWait). No scissor is ever enabled; the colour
// write mask is lifted for the clear and then set back from the state.
void GlContext::clearPendingInDrawFramebuffer() {
    if (pending_.color) {
        if (appliedColorMask_ != 0x0F) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            appliedColorMask_ = 0x0F;
        }
        glClearNamedFramebufferfv(drawFbo_, GL_COLOR, 0, pending_.rgba.data());
        applyColorMask();
    }
    if (pending_.depth) clearDepthIn(drawFbo_, pending_.depthValue);
    pending_ = {};
}

bool GlContext::readPixels(RenderTargetView& target, Image& out) {
    GlTextureStorage& storage = *static_cast<GlRenderTargetView&>(target).storage;
    if (storage.format.compressed || storage.format.depth) return false;
    if (clearPending(storage)) finishPendingClears();
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
