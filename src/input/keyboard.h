// The library's keyboard: the counters, where each sample's key state comes
// from, and the step InitDevice takes for it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#ifdef _WIN32
#include "platform/input/windows_key_state.h"
#else
#include "platform/input/x11_key_state.h"
#endif

namespace korvel::input {

// Per-key hold counters: how many consecutive samples each virtual key has
// been down.
using KeyCounters = std::array<uint8_t, 256>;

// One sample: a key whose state byte has bit 0x80 set counts up, stopping
// at 255; every other key goes back to 0. The low bits (the toggle state of
// lock keys) play no part.
void advanceKeyCounters(KeyCounters& counters, const std::array<uint8_t, 256>& state);

// InitDevice: zero every counter; for a device on a window (an X window id
// cast to a pointer; null for a headless device), also connect to the X
// server ($DISPLAY) to read that window's keys from. On Windows (an HWND)
// the keys are the calling thread's, as GetKeyboardState reports them.
void resetKeyboard(void* window);

// The counters and a key state handed in for the next sample; they outlive
// CleanupDevice.
struct Keyboard {
    KeyCounters counters{};
    platform::input::KeyState suppliedState{};
    bool stateSupplied = false;
};

#ifdef _WIN32
using WindowKeyState = platform::input::WindowsKeyState;
#else
using WindowKeyState = platform::input::X11KeyState;
#endif

// The connection a windowed device reads its window's keys through
// (device-owned: CleanupDevice drops it, the counters stay).
struct KeyboardConnection {
    std::unique_ptr<WindowKeyState> windowKeys;
};

// One sample: the state handed in by supplyKeyState since the last sample
// if there is one, else the X server's while the window has the focus, else
// all keys up.
void sampleKeyboard();

// The counter of a virtual key; 0 for a code outside 0 to 255.
int keyCount(int virtualKey);

// A host that reads input itself hands the next sample's 256-byte state.
void supplyKeyState(const uint8_t* state);

}  // namespace korvel::input
