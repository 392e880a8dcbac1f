#include "platform/input/x11_key_state.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "platform/input/virtual_keys.h"

namespace korvel::platform::input {
namespace {

// Window trees are shallow; the walks stop here whatever the server says.
constexpr int kMaxTreeDepth = 64;

// A window can be destroyed between two requests, and Xlib reports the
// failed request through the process-wide error handler, whose default ends
// the process. While the reader's own requests run, errors on its private
// connection only make the request fail. Every request here waits for its
// reply, so no error arrives after the guard is gone.
class IgnoreXErrors {
public:
    IgnoreXErrors() : previous_(XSetErrorHandler(ignore)) {}
    ~IgnoreXErrors() { XSetErrorHandler(previous_); }
    IgnoreXErrors(const IgnoreXErrors&) = delete;
    IgnoreXErrors& operator=(const IgnoreXErrors&) = delete;

private:
    static int ignore(Display*, XErrorEvent*) { return 0; }
    XErrorHandler previous_;
};

}  // namespace

std::unique_ptr<X11KeyState> X11KeyState::open(const char* displayName, unsigned long window) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return nullptr;
    return std::unique_ptr<X11KeyState>(new X11KeyState(display, window));
}

X11KeyState::X11KeyState(Display* display, unsigned long window) : display_(display), window_(window) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
        KeySym symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0);
        virtualKeyOfKeycode_[static_cast<size_t>(keycode)] = virtualKeyFor(symbol);
    }
}

X11KeyState::~X11KeyState() { XCloseDisplay(display_); }

bool X11KeyState::isWindowOrInside(Window candidate) const {
    for (int depth = 0; depth < kMaxTreeDepth && candidate != None; ++depth) {
        if (candidate == window_) return true;
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, candidate, &root, &parent, &children, &count)) return false;
        if (children != nullptr) XFree(children);
        candidate = parent;
    }
    return false;
}

Window X11KeyState::deepestWindowUnderPointer() const {
    Window current = DefaultRootWindow(display_);
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        Window root = None;
        Window child = None;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(display_, current, &root, &child, &rootX, &rootY, &x, &y, &mask) || child == None) break;
        current = child;
    }
    return current;
}

bool X11KeyState::windowHasFocus() const {
    const IgnoreXErrors guard;
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    if (focus == PointerRoot) return isWindowOrInside(deepestWindowUnderPointer());
    return isWindowOrInside(focus);
}

void X11KeyState::read(KeyState& state) const {
    state.fill(0);
    if (!windowHasFocus()) return;
    const IgnoreXErrors guard;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    for (size_t keycode = 0; keycode < 256; ++keycode) {
        if ((static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))) == 0) continue;
        uint8_t virtualKey = virtualKeyOfKeycode_[keycode];
        if (virtualKey == 0) continue;
        state[virtualKey] |= 0x80;
        if (uint8_t generic = genericModifierFor(virtualKey)) state[generic] |= 0x80;
    }

    Window root = 0;
    Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        if (mask & Button1Mask) state[kVkLButton] |= 0x80;
        if (mask & Button2Mask) state[kVkMButton] |= 0x80;
        if (mask & Button3Mask) state[kVkRButton] |= 0x80;
    }
}

}  // namespace korvel::platform::input
