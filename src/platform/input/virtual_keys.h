// Windows virtual-key codes for X11 key symbols, so that the keyboard
// counters are indexed the same way on every platform.
#pragma once

#include <cstdint>

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

}  // namespace korvel::platform::input
