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

GlCore::GlCore(std::unique_ptr<EglTarget> target) : target_(std::move(target)) {
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

}  // namespace korvel::gpu::gl
