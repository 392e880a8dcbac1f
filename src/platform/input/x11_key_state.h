// Reads the whole keyboard and the mouse buttons from an X server as a
// 256-byte key state indexed by Windows virtual-key code (bit 0x80 = down).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct _XDisplay;

namespace korvel::platform::input {

using KeyState = std::array<uint8_t, 256>;

class X11KeyState {
public:
    // Connects to the X server named by displayName (null: $DISPLAY); null
    // when no server answers.
    static std::unique_ptr<X11KeyState> open(const char* displayName);
    ~X11KeyState();
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    // Keys through the server's keymap (each physical key under the code of
    // the unshifted symbol of its first group), Shift, Control and Alt also
    // under their side-independent codes, and the left, right and middle
    // mouse buttons through the pointer state.
    void read(KeyState& state) const;

private:
    explicit X11KeyState(_XDisplay* display);

    _XDisplay* display_;
    std::array<uint8_t, 256> virtualKeyOfKeycode_{};
};

}  // namespace korvel::platform::input
