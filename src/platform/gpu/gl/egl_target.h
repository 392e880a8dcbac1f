// An EGL display, OpenGL 4.5 core context and (for a window) surface. Headless
// targets render only into framebuffer objects; a window target also has the
// X11 window's surface that present() copies the back buffer to.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

class EglTarget {
public:
    // window: null for headless, otherwise an X11 Window id. Returns null when
    // no context of the requested driver type can be made.
    static std::unique_ptr<EglTarget> create(DriverType type, void* window);
    ~EglTarget();
    EglTarget(const EglTarget&) = delete;
    EglTarget& operator=(const EglTarget&) = delete;

    // Makes the context current on this thread (cheap when it already is).
    void makeCurrent();
    bool windowed() const { return surface_ != nullptr; }
    // Size of the window surface in pixels (windowed targets only).
    void windowSize(int32_t& width, int32_t& height) const;
    // Shows the window surface's default framebuffer. False when the window
    // is gone or the context was lost.
    bool swapBuffers();

private:
    EglTarget() = default;
    void* x11Display_ = nullptr;  // owned connection, windowed targets only
    void* display_ = nullptr;
    void* config_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    bool ownsDisplay_ = false;  // terminate on destruction (the X11 display)
};

}  // namespace korvel::gpu::gl
