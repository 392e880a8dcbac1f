// Reads the whole keyboard and the mouse buttons from an X server as a
// 256-byte key state indexed by Windows virtual-key code (bit 0x80 = down),
// for one window: keys count only while that window has the input focus.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct _XDisplay;

namespace korvel::platform::input {

using KeyState = std::array<uint8_t, 256>;

class X11KeyState {
public:
    // Connects to the X server named by displayName (null: $DISPLAY) to read
    // keys for the window with that id; null when no server answers.
    static std::unique_ptr<X11KeyState> open(const char* displayName, unsigned long window);
    ~X11KeyState();
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    // While the window has the focus: keys through the server's keymap (each
    // physical key under the code of the unshifted symbol of its first
    // group), Shift, Control and Alt also under their side-independent
    // codes, and the left, right and middle mouse buttons through the
    // pointer state. Otherwise every key and button reads up.
    void read(KeyState& state) const;

private:
    X11KeyState(_XDisplay* display, unsigned long window);
    // The window has the focus when the focus is on it or on a window inside
    // it, or when the focus follows the pointer (PointerRoot) and the
    // deepest window under the pointer is it or lies inside it.
    bool windowHasFocus() const;
    bool isWindowOrInside(unsigned long candidate) const;
    unsigned long deepestWindowUnderPointer() const;

    _XDisplay* display_;
    unsigned long window_;
    std::array<uint8_t, 256> virtualKeyOfKeycode_{};
};

}  // namespace korvel::platform::input
