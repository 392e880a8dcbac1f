// The key state on Windows: the calling thread's 256-byte key state, indexed
// by virtual-key code (bit 0x80 = down), as GetKeyboardState reports it from
// the thread's message processing. The host therefore samples on the thread
// that pumps the window's messages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace korvel::platform::input {

using KeyState = std::array<uint8_t, 256>;

class WindowsKeyState {
public:
    // For a device on the window (an HWND); null when it is not a window.
    static std::unique_ptr<WindowsKeyState> open(void* window);

    // GetKeyboardState's bytes; every key up when it fails.
    void read(KeyState& state) const;

private:
    WindowsKeyState() = default;
};

}  // namespace korvel::platform::input
