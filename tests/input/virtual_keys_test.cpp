// X11 key symbols to virtual-key codes.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "platform/input/virtual_keys.h"

namespace {

using korvel::platform::input::genericModifierFor;
using korvel::platform::input::virtualKeyFor;

TEST(VirtualKeys, RangesMapToTheirWindowsCodes) {
    EXPECT_EQ(virtualKeyFor(XK_a), 0x41);
    EXPECT_EQ(virtualKeyFor(XK_z), 0x5A);
    EXPECT_EQ(virtualKeyFor(XK_0), 0x30);
    EXPECT_EQ(virtualKeyFor(XK_KP_7), 0x67);
    EXPECT_EQ(virtualKeyFor(XK_F1), 0x70);
    EXPECT_EQ(virtualKeyFor(XK_F12), 0x7B);
}

TEST(VirtualKeys, SidedModifiersAndTheirSideIndependentCodes) {
    EXPECT_EQ(virtualKeyFor(XK_Shift_L), 0xA0);
    EXPECT_EQ(virtualKeyFor(XK_Shift_R), 0xA1);
    EXPECT_EQ(virtualKeyFor(XK_Control_R), 0xA3);
    EXPECT_EQ(virtualKeyFor(XK_Alt_L), 0xA4);
    EXPECT_EQ(virtualKeyFor(XK_VoidSymbol), 0);
    EXPECT_EQ(genericModifierFor(0xA1), 0x10);
    EXPECT_EQ(genericModifierFor(0xA2), 0x11);
    EXPECT_EQ(genericModifierFor(0xA5), 0x12);
    EXPECT_EQ(genericModifierFor(0x41), 0);
}

}  // namespace
