// The counters fed by a real X server: a private Xvfb with key and button
// presses injected through XTest.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "Korvelv0.h"
#include "input/keyboard.h"

namespace {

class X11Keyboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (int number = 73; number < 90 && display_ == nullptr; ++number) {
            std::string name = ":" + std::to_string(number);
            std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (access(lock.c_str(), F_OK) == 0) continue;
            server_ = fork();
            if (server_ == 0) {
                execl(KORVEL_XVFB, "Xvfb", name.c_str(), "-screen", "0", "64x64x24", "-nolisten", "tcp",
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int tries = 0; tries < 100 && display_ == nullptr; ++tries) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                display_ = XOpenDisplay(name.c_str());
            }
            if (display_ != nullptr) {
                setenv("DISPLAY", name.c_str(), 1);
            } else {
                stopServer();
            }
        }
    }
    static void TearDownTestSuite() {
        korvel::input::releaseKeyboard();
        if (display_ != nullptr) XCloseDisplay(display_);
        display_ = nullptr;
        stopServer();
    }
    static void stopServer() {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
        server_ = -1;
    }
    void SetUp() override {
        ASSERT_NE(display_, nullptr) << "Xvfb did not start";
        korvel::input::resetKeyboard(true);
    }
    static void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), down, CurrentTime);
        XSync(display_, False);
    }
    static void button(unsigned int number, bool down) {
        XTestFakeButtonEvent(display_, number, down, CurrentTime);
        XSync(display_, False);
    }

    static inline Display* display_ = nullptr;
    static inline pid_t server_ = -1;
};

TEST_F(X11Keyboard, PressedKeysCountUntilReleased) {
    key(XK_a, true);
    key(XK_Shift_R, true);
    GetKeyboardCount();
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x41), 2);
    EXPECT_EQ(GetKeyboardCountByIndex(0xA1), 2);  // right Shift
    EXPECT_EQ(GetKeyboardCountByIndex(0x10), 2);  // either Shift
    EXPECT_EQ(GetKeyboardCountByIndex(0xA0), 0);  // left Shift stays up
    key(XK_a, false);
    key(XK_Shift_R, false);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x41), 0);
    EXPECT_EQ(GetKeyboardCountByIndex(0x10), 0);
}

TEST_F(X11Keyboard, MouseButtonsCountThroughThePointerState) {
    button(1, true);
    button(3, true);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x01), 1);
    EXPECT_EQ(GetKeyboardCountByIndex(0x02), 1);
    EXPECT_EQ(GetKeyboardCountByIndex(0x04), 0);
    button(1, false);
    button(3, false);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x01), 0);
}

TEST_F(X11Keyboard, KeyPressedAndReleasedBetweenSamplesIsNotSeen) {
    key(XK_b, true);
    key(XK_b, false);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x42), 0);
}

}  // namespace
