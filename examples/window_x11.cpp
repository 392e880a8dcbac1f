// host::Window on Xlib.
#include <cstdint>

#include "window.h"

// Xlib's macros (None, Bool, Status) stay out of window.h: last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace host {

struct Window::System {
    ::Display* display = nullptr;
    ::Window window = 0;
    Atom deleteAtom = 0;
};

namespace {

// The virtual-key code of a keysym the programs use, 0 for the others.
int virtualKey(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>('A' + (keysym - XK_a));
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym);
    switch (keysym) {
        case XK_Escape:
            return kKeyEscape;
        case XK_space:
            return kKeySpace;
        case XK_Left:
            return kKeyLeft;
        case XK_Up:
            return kKeyUp;
        case XK_Right:
            return kKeyRight;
        case XK_Down:
            return kKeyDown;
        default:
            return 0;
    }
}

}  // namespace

Window::Window(unsigned width, unsigned height, const char* title) {
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    system_ = new System{display};
    const int screen = DefaultScreen(display);
    system_->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                          BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, system_->window, title);
    XSelectInput(display, system_->window, KeyPressMask | StructureNotifyMask);
    system_->deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, system_->window, &system_->deleteAtom, 1);
    XMapWindow(display, system_->window);
    // Wait until the window is on screen before the device is created on it.
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    handle_ = reinterpret_cast<void*>(static_cast<uintptr_t>(system_->window));
}

Window::~Window() {
    if (!system_) return;
    if (system_->window) XDestroyWindow(system_->display, system_->window);
    XCloseDisplay(system_->display);
    delete system_;
}

int Window::nextKey() {
    if (!system_) return 0;
    while (XPending(system_->display) > 0) {
        XEvent event;
        XNextEvent(system_->display, &event);
        if (event.type == KeyPress) {
            if (const int key = virtualKey(XLookupKeysym(&event.xkey, 0))) return key;
        } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == system_->deleteAtom) {
            return kKeyEscape;
        }
    }
    return 0;
}

}  // namespace host
