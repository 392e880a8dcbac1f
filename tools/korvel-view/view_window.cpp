#include "view_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace view {

ViewWindow::ViewWindow(unsigned width, unsigned height, const char* title) {
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
    for (XEvent event;;) {
        XNextEvent(display_, &event);
        if (event.type == MapNotify) break;
    }
}

ViewWindow::~ViewWindow() {
    if (!display_) return;
    if (window_) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

Key ViewWindow::nextKey() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom_) return Key::Quit;
        if (event.type != KeyPress) continue;
        switch (XLookupKeysym(&event.xkey, 0)) {
            case XK_Escape: return Key::Quit;
            case XK_Left: return Key::MotionPrevious;
            case XK_Right: return Key::MotionNext;
            case XK_Down: return Key::ShapekeyPrevious;
            case XK_Up: return Key::ShapekeyNext;
            case XK_p: return Key::Pass;
            case XK_t: return Key::Tool;
            case XK_space: return Key::Pause;
            default: break;
        }
    }
    return Key::Nothing;
}

}  // namespace view
