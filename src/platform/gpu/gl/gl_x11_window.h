// The X11 side of a window device: trapping the errors of the device's own
// display connection, and showing the back buffer through an image in memory
// shared with the X server.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/gl/gl_core.h"

// Xlib defines macros (None, Bool, Status, Always) that clash with other
// headers: include this header after them.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

namespace korvel::gpu::gl {

// Xlib's default error handler ends the process; a bad or destroyed window
// must only make device creation fail or present() take its other path.
class XErrorTrap {
public:
    explicit XErrorTrap(::Display* display) : display_(display) {
        failed_ = false;
        previous_ = XSetErrorHandler(&XErrorTrap::record);
    }
    ~XErrorTrap() { XSetErrorHandler(previous_); }
    bool failed() {
        XSync(display_, False);
        return failed_;
    }

private:
    static int record(::Display*, XErrorEvent*) {
        failed_ = true;
        return 0;
    }
    static inline bool failed_ = false;
    ::Display* display_;
    int (*previous_)(::Display*, XErrorEvent*) = nullptr;
};

// The back buffer shown through an X image in memory shared with the server
// (MIT-SHM). A renderer that draws on the CPU keeps its textures in host
// memory, so reading the back buffer into the image and putting the image on
// the window costs two copies of memory; the window surface's path instead
// draws a flipped copy with a shader and sends every frame's pixels through
// the X connection.
class ShmWindowImage {
public:
    // Null when the server has no MIT-SHM or cannot attach the segment (a
    // display on another machine), or when the window's pixels are not 32-bit
    // words of 8-bit red, green and blue in the usual places.
    static std::unique_ptr<ShmWindowImage> create(::Display* display, Window window, uint32_t width, uint32_t height);
    ~ShmWindowImage();
    ShmWindowImage(const ShmWindowImage&) = delete;
    ShmWindowImage& operator=(const ShmWindowImage&) = delete;

    // Puts `texture` (RGBA8 of the image's size, row 0 the top row) on the
    // window. False, showing nothing, when the window is gone or no longer
    // has the image's size.
    bool show(GLuint texture);

private:
    ShmWindowImage() = default;

    ::Display* display_ = nullptr;
    Window window_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool attached_ = false;
};

}  // namespace korvel::gpu::gl
