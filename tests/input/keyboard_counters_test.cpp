// The counters through the exports, fed by the extension export.
#include <gtest/gtest.h>

#include <array>

#include "Korvelv0.h"
#include "input/keyboard.h"

namespace {

constexpr int kA = 0x41;
constexpr int kCapsLock = 0x14;
constexpr int kLButton = 0x01;

std::array<unsigned char, 256> keysDown(std::initializer_list<int> keys, unsigned char bits = 0x80) {
    std::array<unsigned char, 256> state{};
    for (int key : keys) state[static_cast<size_t>(key)] = bits;
    return state;
}

void sample(const std::array<unsigned char, 256>& state) {
    KeyboardStateSet(state.data());
    GetKeyboardCount();
}

class KeyboardCounters : public ::testing::Test {
protected:
    void SetUp() override { korvel::input::resetKeyboard(nullptr); }
};

TEST_F(KeyboardCounters, HeldKeyCountsUpToSaturationAndReleaseZeroes) {
    auto down = keysDown({kA});
    for (int i = 1; i <= 300; ++i) {
        sample(down);
        ASSERT_EQ(GetKeyboardCountByIndex(kA), i < 255 ? i : 255) << "sample " << i;
    }
    EXPECT_EQ(GetKeyboardCountByIndex(kA + 1), 0);
    sample(keysDown({}));
    EXPECT_EQ(GetKeyboardCountByIndex(kA), 0);
}

TEST_F(KeyboardCounters, OnlyTheDownBitCountsForToggleKeysAndMouseButtons) {
    sample(keysDown({kCapsLock}, 0x01));
    EXPECT_EQ(GetKeyboardCountByIndex(kCapsLock), 0);
    sample(keysDown({kCapsLock, kLButton}, 0x81));
    sample(keysDown({kCapsLock, kLButton}, 0x80));
    EXPECT_EQ(GetKeyboardCountByIndex(kCapsLock), 2);
    EXPECT_EQ(GetKeyboardCountByIndex(kLButton), 2);
}

TEST_F(KeyboardCounters, SuppliedStateServesOneSampleThenKeysReadUpWithoutDisplay) {
    sample(keysDown({kA}));
    GetKeyboardCount();  // headless: nothing supplied, no X server
    EXPECT_EQ(GetKeyboardCountByIndex(kA), 0);
    KeyboardStateSet(nullptr);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(kA), 0);
}

TEST_F(KeyboardCounters, ResetZeroesAndCodesOutsideTheTableReadZero) {
    sample(keysDown({0, 255}));
    EXPECT_EQ(GetKeyboardCountByIndex(0), 1);
    EXPECT_EQ(GetKeyboardCountByIndex(255), 1);
    EXPECT_EQ(GetKeyboardCountByIndex(-1), 0);
    EXPECT_EQ(GetKeyboardCountByIndex(256), 0);
    korvel::input::resetKeyboard(nullptr);
    EXPECT_EQ(GetKeyboardCountByIndex(255), 0);
}

}  // namespace
