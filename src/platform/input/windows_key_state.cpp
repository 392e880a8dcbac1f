#include "platform/input/windows_key_state.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace korvel::platform::input {

std::unique_ptr<WindowsKeyState> WindowsKeyState::open(void* window) {
    if (!IsWindow(static_cast<HWND>(window))) return nullptr;
    return std::unique_ptr<WindowsKeyState>(new WindowsKeyState());
}

void WindowsKeyState::read(KeyState& state) const {
    if (!GetKeyboardState(state.data())) state.fill(0);
}

}  // namespace korvel::platform::input
