#include "platform/input/x11_key_state.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "platform/input/virtual_keys.h"

namespace korvel::platform::input {

std::unique_ptr<X11KeyState> X11KeyState::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return nullptr;
    return std::unique_ptr<X11KeyState>(new X11KeyState(display));
}

X11KeyState::X11KeyState(Display* display) : display_(display) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
        KeySym symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0);
        virtualKeyOfKeycode_[static_cast<size_t>(keycode)] = virtualKeyFor(symbol);
    }
}

X11KeyState::~X11KeyState() { XCloseDisplay(display_); }

void X11KeyState::read(KeyState& state) const {
    state.fill(0);
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
