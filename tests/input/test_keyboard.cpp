// The keyboard counters: fed by the host's own key states through the
// exports, the X key symbols behind the virtual-key codes, and fed by a
// private Xvfb, with key and button presses injected through XTest and read
// for a window that has, or has not, the input focus.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "Korvelv0.h"
#include "input/keyboard.h"
#include "platform/input/x11_key_state.h"
#include "support/xvfb.h"

namespace {

constexpr int kA = 0x41, kCapsLock = 0x14, kLButton = 0x01;

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
    for (const auto& [symbol, code] : {std::pair<unsigned long, int>{XK_a, 0x41},
                                       {XK_z, 0x5A},
                                       {XK_0, 0x30},
                                       {XK_KP_7, 0x67},
                                       {XK_F1, 0x70},
                                       {XK_F12, 0x7B},
                                       {XK_Shift_L, 0xA0},
                                       {XK_Shift_R, 0xA1},
                                       {XK_Control_R, 0xA3},
                                       {XK_Alt_L, 0xA4},
                                       {XK_comma, 0xBC},
                                       {XK_VoidSymbol, 0}})
        EXPECT_EQ(virtualKeyFor(symbol), code) << std::hex << symbol;
    using korvel::platform::input::genericModifierFor;
    for (const auto& [sided, generic] : {std::pair{0xA1, 0x10}, {0xA2, 0x11}, {0xA5, 0x12}, {0x41, 0}})
        EXPECT_EQ(genericModifierFor(static_cast<uint8_t>(sided)), generic) << std::hex << sided;
}

void* asHandle(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

class X11Keyboard : public ::testing::Test {
protected:
    // The screen holds the host's window on the left and another program's
    // on the right.
    static void SetUpTestSuite() {
        server_ = new korvel::testing::XvfbServer("128x64x24");
        const std::string& name = server_->display();
        if (name.empty() || !(display_ = XOpenDisplay(name.c_str()))) return;
        setenv("DISPLAY", name.c_str(), 1);
        const Window root = DefaultRootWindow(display_);
        host_ = XCreateSimpleWindow(display_, root, 0, 0, 64, 64, 0, 0, 0);
        inner_ = XCreateSimpleWindow(display_, host_, 8, 8, 16, 16, 0, 0, 0);
        other_ = XCreateSimpleWindow(display_, root, 64, 0, 64, 64, 0, 0, 0);
        XMapSubwindows(display_, host_);
        for (Window w : {host_, other_}) XMapWindow(display_, w);
        XSync(display_, False);
    }
    static void TearDownTestSuite() {
        if (display_) XCloseDisplay(display_);
        delete server_;
    }
    void SetUp() override {
        ASSERT_NE(display_, nullptr) << "Xvfb did not start";
        focus(host_);
        korvel::input::resetKeyboard(asHandle(host_));
    }
    void TearDown() override { korvel::input::releaseKeyboard(); }

    static void focus(Window window) {
        XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
    }
    static void pointerAt(int x, int y) {
        XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
        XSync(display_, False);
    }
    static void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), down, CurrentTime);
        XSync(display_, False);
    }
    // 'A', right Shift, and the left and right buttons.
    static void press(bool down) {
        for (const KeySym symbol : {XK_a, XK_Shift_R}) key(symbol, down);
        for (const unsigned int number : {1, 3}) XTestFakeButtonEvent(display_, number, down, CurrentTime);
        XSync(display_, False);
    }

    static inline korvel::testing::XvfbServer* server_ = nullptr;
    static inline Display* display_ = nullptr;
    static inline Window host_ = None, inner_ = None, other_ = None;
};

TEST_F(X11Keyboard, KeysAndButtonsCountOnlyWhileTheWindowHasTheFocus) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"focus on the window", [] { focus(host_); }},
        {"focus on a window inside it", [] { focus(inner_); }},
        {"focus follows the pointer, over the window", [] { focus(PointerRoot), pointerAt(30, 30); }},
        {"focus on another program's window", [] { focus(other_); }},
        {"no focus", [] { focus(None); }},
        {"focus follows the pointer, over the other", [] { focus(PointerRoot), pointerAt(100, 30); }},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(cases[i].first);
        const int held = i < 3 ? 2 : 0;
        cases[i].second();
        press(true);
        GetKeyboardCount();
        GetKeyboardCount();
        // 'A', right Shift and Shift, the left and right buttons; left Shift
        // and the middle button stay up.
        for (const auto& [code, count] :
             {std::pair{0x41, held}, {0xA1, held}, {0x10, held}, {0x01, held}, {0x02, held}, {0xA0, 0}, {0x04, 0}})
            EXPECT_EQ(GetKeyboardCountByIndex(code), count) << std::hex << code;
        press(false);
        key(XK_b, true);  // pressed and released between two samples: never seen
        key(XK_b, false);
        GetKeyboardCount();
        for (const int code : {0x41, 0x10, 0x01, 0x42}) EXPECT_EQ(GetKeyboardCountByIndex(code), 0) << code;
    }
}

TEST_F(X11Keyboard, ADeviceOnAWindowReadsItsKeysAndCleanupKeepsTheCounters) {
    korvel::input::releaseKeyboard();  // only the device's own connection from here
    ASSERT_GE(InitDevice(asHandle(other_)), 0);
    focus(other_);
    key(XK_c, true);
    GetKeyboardCount();
    key(XK_c, false);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 1);
    CleanupDevice();
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 1);
}

}  // namespace
