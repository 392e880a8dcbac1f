// The counters fed by a real X server: a private Xvfb with key and button
// presses injected through XTest, read by the keyboard module directly and
// by a device made on a window of that server.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "Korvelv0.h"
#include "input/keyboard.h"

namespace {

class X11Keyboard : public ::testing::Test {
protected:
    // Xvfb picks a free display number and writes it to a pipe, so that
    // tests running in parallel each get a server of their own.
    static void SetUpTestSuite() {
        int fds[2];
        if (pipe(fds) != 0) return;
        server_ = fork();
        if (server_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl(KORVEL_XVFB, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "64x64x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        size_t length = 0;
        while (length + 1 < sizeof number) {
            const ssize_t got = read(fds[0], number + length, 1);
            if (got <= 0 || number[length] == '\n') break;
            ++length;
        }
        close(fds[0]);
        number[length] = 0;
        if (length == 0) {
            stopServer();
            return;
        }
        const std::string name = std::string(":") + number;
        display_ = XOpenDisplay(name.c_str());
        setenv("DISPLAY", name.c_str(), 1);
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

TEST_F(X11Keyboard, ADeviceOnAWindowReadsTheServerAndCleanupKeepsTheCounters) {
    korvel::input::releaseKeyboard();  // only the device's own connection from here
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 64, 64, 0, 0, 0);
    XMapWindow(display_, window);
    XSync(display_, False);
    ASSERT_GE(InitDevice(reinterpret_cast<void*>(static_cast<uintptr_t>(window))), 0);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 0);
    key(XK_c, true);
    GetKeyboardCount();
    GetKeyboardCount();
    key(XK_c, false);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 2);
    CleanupDevice();
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 2);
    XDestroyWindow(display_, window);
}

TEST_F(X11Keyboard, KeyPressedAndReleasedBetweenSamplesIsNotSeen) {
    key(XK_b, true);
    key(XK_b, false);
    GetKeyboardCount();
    EXPECT_EQ(GetKeyboardCountByIndex(0x42), 0);
}

}  // namespace
