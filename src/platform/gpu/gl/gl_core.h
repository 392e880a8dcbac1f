// What every object of one GL device shares: the EGL target, the constant
// buffer ring and the immediate context's state. Each object holds the core
// through a shared_ptr, so the GL context outlives every object whatever the
// order of destruction; a destroyed object first removes itself from the
// context's bindings.
#pragma once

#include <memory>

#include "platform/gpu/gl/egl_target.h"
#include "platform/gpu/gl/gl_api.h"
#include "platform/gpu/gl/uniform_ring.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

class GlContext;

class GlCore {
public:
    explicit GlCore(std::unique_ptr<EglTarget> target);
    ~GlCore();
    GlCore(const GlCore&) = delete;
    GlCore& operator=(const GlCore&) = delete;

    void makeCurrent() { target_->makeCurrent(); }
    EglTarget& target() { return *target_; }
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
    std::unique_ptr<EglTarget> target_;
    std::unique_ptr<UniformRing> ring_;
    bool s3tc_ = false;
    uint32_t maxTextureSize_ = 0;
};

}  // namespace korvel::gpu::gl
