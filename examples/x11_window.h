// A plain Xlib window for the --window modes of the demo and of korvel-view.
#pragma once

#include <cstdint>

// Xlib's display type, declared here so that the header does not pull in
// Xlib's macros.
struct _XDisplay;

namespace host {

class X11Window {
public:
    // Opens $DISPLAY and maps a window of the given size; check isOpen().
    X11Window(unsigned width, unsigned height, const char* title);
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool isOpen() const { return window_ != 0; }

    // The window id as InitDevice takes it.
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }

    // The next pending key press as an X keysym (XK_Escape also when the
    // window was closed), or 0 when no key press is pending.
    unsigned long nextKey();

private:
    ::_XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long deleteAtom_ = 0;
};

}  // namespace host
