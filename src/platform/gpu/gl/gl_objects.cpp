#include "platform/gpu/gl/gl_objects.h"

namespace korvel::gpu::gl {

GlBuffer::GlBuffer(std::shared_ptr<GlCore> core, const BufferDesc& desc) : core_(std::move(core)), desc_(desc) {}

GlBuffer::~GlBuffer() {
    core_->forgetBuffer(this, name);
    if (name) {
        if (mapped) glUnmapNamedBuffer(name);
        glDeleteBuffers(1, &name);
    }
}

GlTextureStorage::GlTextureStorage(std::shared_ptr<GlCore> core, const Texture2DDesc& desc,
                                   const TextureFormat& format)
    : core(std::move(core)), desc(desc), format(format) {}

GlTextureStorage::~GlTextureStorage() {
    core->makeCurrent();
    glDeleteTextures(1, &name);
}

}  // namespace korvel::gpu::gl
