#include "input/keyboard.h"

#include <cstdint>
#include <memory>

#include "platform/module_state.h"

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

Keyboard& keyboard() { return moduleState<Keyboard>(); }

std::unique_ptr<WindowKeyState>& windowKeys() { return moduleState<KeyboardConnection>().windowKeys; }

#ifdef _WIN32
std::unique_ptr<WindowKeyState> openWindowKeyState(void* window) { return WindowKeyState::open(window); }
#else
std::unique_ptr<WindowKeyState> openWindowKeyState(void* window) {
    return WindowKeyState::open(nullptr, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
}
#endif

}  // namespace

void resetKeyboard(void* window) {
    keyboard().counters.fill(0);
    windowKeys().reset();
    if (window != nullptr) windowKeys() = openWindowKeyState(window);
}

void sampleKeyboard() {
    Keyboard& kb = keyboard();
    platform::input::KeyState state{};
    if (kb.stateSupplied) {
        state = kb.suppliedState;
        kb.stateSupplied = false;
    } else if (windowKeys()) {
        windowKeys()->read(state);
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
