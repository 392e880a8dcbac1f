// The OpenGL 4.5 core context a GL device renders with, and the window it
// presents to. On Linux: an EGL display, context and (for a window) the X11
// window's surface. On Windows: a WGL context on the host's window, or on a
// hidden window of the target's own when headless. Headless targets render
// only into framebuffer objects; a window target also has the window's
// default framebuffer that present() copies the back buffer to.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

#ifndef _WIN32
class ShmWindowImage;
#endif

class GlTarget {
public:
    // window: null for headless, otherwise an X11 Window id (Linux) or an
    // HWND (Windows). Returns null when no context of the requested driver
    // type can be made.
    static std::unique_ptr<GlTarget> create(DriverType type, void* window);
    ~GlTarget();
    GlTarget(const GlTarget&) = delete;
    GlTarget& operator=(const GlTarget&) = delete;

    // Makes the context current on this thread (cheap when it already is).
    void makeCurrent();
    // Size of the window in pixels (windowed targets only).
    void windowSize(int32_t& width, int32_t& height) const;
    // Shows the window's default framebuffer. False when the window is gone
    // or the context was lost.
    bool swapBuffers();

#ifdef _WIN32
    bool windowed() const { return !ownsWindow_; }

private:
    GlTarget() = default;
    void* window_ = nullptr;   // HWND
    void* dc_ = nullptr;       // the window's device context
    void* context_ = nullptr;  // HGLRC
    bool ownsWindow_ = false;  // the hidden window of a headless target
#else
    bool windowed() const { return surface_ != nullptr; }
    // An image shared with the X server that shows width x height pixels on
    // the window; null when headless or when the server cannot share one.
    std::unique_ptr<ShmWindowImage> createShmWindowImage(uint32_t width, uint32_t height) const;

private:
    GlTarget() = default;
    void* x11Display_ = nullptr;  // owned connection, windowed targets only
    unsigned long x11Window_ = 0;
    void* display_ = nullptr;
    void* config_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    bool ownsDisplay_ = false;  // terminate on destruction (the X11 display)
#endif
};

}  // namespace korvel::gpu::gl
