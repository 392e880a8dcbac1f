#include "x11_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace host {

X11Window::X11Window(unsigned width, unsigned height, const char* title) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, width, height, 0,
                                  BlackPixel(display_, screen), BlackPixel(display_, screen));
    XStoreName(display_, window_, title);
    XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask);
    Atom deleteAtom = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteAtom, 1);
    deleteAtom_ = deleteAtom;
    XMapWindow(display_, window_);
    // Wait until the window is on screen before the device is created on it.
    for (XEvent event;;) {
        XNextEvent(display_, &event);
        if (event.type == MapNotify) break;
    }
}

X11Window::~X11Window() {
    if (!display_) return;
    if (window_) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

unsigned long X11Window::nextKey() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress) return XLookupKeysym(&event.xkey, 0);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_) return XK_Escape;
    }
    return 0;
}

}  // namespace host
