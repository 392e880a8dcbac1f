// The counters through the exports, fed by the host's own key states, and
// the X key symbols behind the virtual-key codes.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <array>

#include "Korvelv0.h"
#include "input/keyboard.h"
#include "platform/input/x11_key_state.h"

namespace {

constexpr int kA = 0x41;
constexpr int kCapsLock = 0x14;
constexpr int kLButton = 0x01;

void sample(std::initializer_list<int> keys, unsigned char bits = 0x80) {
    std::array<unsigned char, 256> state{};
    for (int key : keys) state[static_cast<size_t>(key)] = bits;
    KeyboardStateSet(state.data());
    GetKeyboardCount();
}

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override { korvel::input::resetKeyboard(nullptr); }
};

// A held key counts up to 255 and goes back to 0 when released; only the
// down bit counts (toggle keys, mouse buttons); a handed state serves one
// sample, after which a headless keyboard reads every key up.
TEST_F(Keyboard, HeldKeysCountUpToSaturationAndReleaseZeroes) {
    for (int i = 1; i <= 300; ++i) {
        sample({kA, kLButton});
        ASSERT_EQ(GetKeyboardCountByIndex(kA), std::min(i, 255)) << "sample " << i;
    }
    sample({kCapsLock}, 0x01);
    EXPECT_EQ(GetKeyboardCountByIndex(kCapsLock), 0);
    EXPECT_EQ(GetKeyboardCountByIndex(kA), 0);
    sample({kCapsLock, kLButton, 0, 255}, 0x81);
    for (const int code : {kCapsLock, kLButton, 0, 255}) EXPECT_EQ(GetKeyboardCountByIndex(code), 1) << code;
    GetKeyboardCount();  // nothing handed over, no X server
    EXPECT_EQ(GetKeyboardCountByIndex(kLButton), 0);
    sample({kA});
    KeyboardStateSet(nullptr);
    korvel::input::resetKeyboard(nullptr);
    for (const int code : {kA, -1, 256}) EXPECT_EQ(GetKeyboardCountByIndex(code), 0) << code;
}

TEST(VirtualKeys, KeySymbolsMapToTheirWindowsCodes) {
    using korvel::platform::input::virtualKeyFor;
    for (const auto& [symbol, code] : {std::pair<unsigned long, int>{XK_a, 0x41}, {XK_z, 0x5A}, {XK_0, 0x30},
                                       {XK_KP_7, 0x67}, {XK_F1, 0x70}, {XK_F12, 0x7B}, {XK_Shift_L, 0xA0},
                                       {XK_Shift_R, 0xA1}, {XK_Control_R, 0xA3}, {XK_Alt_L, 0xA4},
                                       {XK_comma, 0xBC}, {XK_VoidSymbol, 0}}) {
        EXPECT_EQ(virtualKeyFor(symbol), code) << std::hex << symbol;
    }
    using korvel::platform::input::genericModifierFor;
    for (const auto& [sided, generic] : {std::pair{0xA1, 0x10}, {0xA2, 0x11}, {0xA5, 0x12}, {0x41, 0}})
        EXPECT_EQ(genericModifierFor(static_cast<uint8_t>(sided)), generic) << std::hex << sided;
}

}  // namespace
