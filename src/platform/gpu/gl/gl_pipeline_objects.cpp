#include "platform/gpu/gl/gl_pipeline_objects.h"

#include "platform/gpu/gl/gl_formats.h"

namespace korvel::gpu::gl {

GLuint createSampler(const SamplerDesc& desc) {
    GLuint sampler = 0;
    glCreateSamplers(1, &sampler);
    const bool linear = desc.filter == Filter::MinMagMipLinear;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(addressMode(desc.addressU)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(addressMode(desc.addressV)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(addressMode(desc.addressW)));
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, desc.mipLodBias);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, desc.minLod);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, desc.maxLod);
    return sampler;
}

}  // namespace korvel::gpu::gl
