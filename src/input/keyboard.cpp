#include "input/keyboard.h"

#include <cstdint>
#include <memory>

#include "platform/input/x11_key_state.h"

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

struct Keyboard {
    KeyCounters counters{};
    platform::input::KeyState suppliedState{};
    bool stateSupplied = false;
    std::unique_ptr<platform::input::X11KeyState> x11;
};

Keyboard& keyboard() {
    static Keyboard instance;
    return instance;
}

}  // namespace

void resetKeyboard(void* window) {
    Keyboard& kb = keyboard();
    kb.counters.fill(0);
    kb.x11.reset();
    if (window != nullptr) {
        kb.x11 = platform::input::X11KeyState::open(nullptr, static_cast<unsigned long>(
                                                                 reinterpret_cast<uintptr_t>(window)));
    }
}

void releaseKeyboard() { keyboard().x11.reset(); }

void sampleKeyboard() {
    Keyboard& kb = keyboard();
    platform::input::KeyState state{};
    if (kb.stateSupplied) {
        state = kb.suppliedState;
        kb.stateSupplied = false;
    } else if (kb.x11) {
        kb.x11->read(state);
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
