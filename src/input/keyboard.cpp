#include "input/keyboard.h"

#include <cstdint>
#include <memory>

#ifdef _WIN32
#include "platform/input/windows_key_state.h"
#else
#include "platform/input/x11_key_state.h"
#endif

namespace korvel::input {

void advanceKeyCounters(KeyCounters& counters, const std::array<uint8_t, 256>& state) {
    for (std::size_t key = 0; key < counters.size(); ++key) {
        if ((state[key] & 0x80) == 0) {
            counters[key] = 0;
        } else if (counters[key] < 255) {
            ++counters[key];
        }
    }
}

namespace {

#ifdef _WIN32
using WindowKeyState = platform::input::WindowsKeyState;

std::unique_ptr<WindowKeyState> openWindowKeyState(void* window) { return WindowKeyState::open(window); }
#else
using WindowKeyState = platform::input::X11KeyState;

std::unique_ptr<WindowKeyState> openWindowKeyState(void* window) {
    return WindowKeyState::open(nullptr, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
}
#endif

struct Keyboard {
    KeyCounters counters{};
    platform::input::KeyState suppliedState{};
    bool stateSupplied = false;
    std::unique_ptr<WindowKeyState> windowKeys;  // the window's keys, for a device on a window
};

Keyboard& keyboard() {
    static Keyboard instance;
    return instance;
}

}  // namespace

void resetKeyboard(void* window) {
    Keyboard& kb = keyboard();
    kb.counters.fill(0);
    kb.windowKeys.reset();
    if (window != nullptr) kb.windowKeys = openWindowKeyState(window);
}

void releaseKeyboard() { keyboard().windowKeys.reset(); }

void sampleKeyboard() {
    Keyboard& kb = keyboard();
    platform::input::KeyState state{};
    if (kb.stateSupplied) {
        state = kb.suppliedState;
        kb.stateSupplied = false;
    } else if (kb.windowKeys) {
        kb.windowKeys->read(state);
    }
    advanceKeyCounters(kb.counters, state);
}

int keyCount(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return keyboard().counters[static_cast<size_t>(virtualKey)];
}

void supplyKeyState(const uint8_t* state) {
    if (state == nullptr) return;
    Keyboard& kb = keyboard();
    for (size_t key = 0; key < kb.suppliedState.size(); ++key) kb.suppliedState[key] = state[key];
    kb.stateSupplied = true;
}

}  // namespace korvel::input
