// Reads the whole keyboard and the mouse buttons from an X server as a
// 256-byte key state indexed by Windows virtual-key code (bit 0x80 = down),
// for one window: keys count only while that window has the input focus.
// The virtual-key codes of X11 key symbols keep the keyboard counters indexed
// the same way on every platform.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct _XDisplay;

namespace korvel::platform::input {

// Virtual-key codes the X11 reader sets besides the ones of virtualKeyFor.
inline constexpr uint8_t kVkLButton = 0x01;
inline constexpr uint8_t kVkRButton = 0x02;
inline constexpr uint8_t kVkMButton = 0x04;
inline constexpr uint8_t kVkShift = 0x10;
inline constexpr uint8_t kVkControl = 0x11;
inline constexpr uint8_t kVkMenu = 0x12;  // Alt
inline constexpr uint8_t kVkLShift = 0xA0;
inline constexpr uint8_t kVkRShift = 0xA1;
inline constexpr uint8_t kVkLControl = 0xA2;
inline constexpr uint8_t kVkRControl = 0xA3;
inline constexpr uint8_t kVkLMenu = 0xA4;
inline constexpr uint8_t kVkRMenu = 0xA5;

// The virtual-key code of an unshifted X11 key symbol (the symbol in
// column 0 of a key's mapping), or 0 for a key that has none.
uint8_t virtualKeyFor(unsigned long keysym);

// The side-independent code of a left or right Shift, Control or Alt code
// (0xA0 to 0xA5), or 0 for any other code.
uint8_t genericModifierFor(uint8_t virtualKey);

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
