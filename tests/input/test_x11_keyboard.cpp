// The counters fed by a private Xvfb: key and button presses injected
// through XTest, read for a window that has, or has not, the input focus.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "Korvelv0.h"
#include "input/keyboard.h"

namespace {

void* asHandle(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

class X11Keyboard : public ::testing::Test {
protected:
    // Xvfb picks a free display number and writes it to a pipe, so that
    // tests running in parallel each get a server of their own. The screen
    // holds the host's window on the left and another program's on the right.
    static void SetUpTestSuite() {
        int fds[2];
        if (pipe(fds) != 0) return;
        server_ = fork();
        if (server_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl(KORVEL_XVFB, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "128x64x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (number.size() < 16 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        const std::string name = ":" + number;
        if (number.empty() || !(display_ = XOpenDisplay(name.c_str()))) return stopServer();
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
    static void button(unsigned int number, bool down) {
        XTestFakeButtonEvent(display_, number, down, CurrentTime);
        XSync(display_, False);
    }

    static inline Display* display_ = nullptr;
    static inline pid_t server_ = -1;
    static inline Window host_ = None, inner_ = None, other_ = None;
};

TEST_F(X11Keyboard, PressedKeysAndButtonsCountUntilReleased) {
    key(XK_a, true);
    key(XK_Shift_R, true);
    button(1, true);
    button(3, true);
    GetKeyboardCount();
    GetKeyboardCount();
    for (const auto& [code, count] : {std::pair{0x41, 2}, {0xA1, 2}, {0x10, 2}, {0xA0, 0}, {0x01, 2}, {0x02, 2},
                                      {0x04, 0}}) {
        EXPECT_EQ(GetKeyboardCountByIndex(code), count) << std::hex << code;
    }
    key(XK_a, false);
    key(XK_Shift_R, false);
    button(1, false);
    button(3, false);
    key(XK_b, true);  // pressed and released between two samples: never seen
    key(XK_b, false);
    GetKeyboardCount();
    for (const int code : {0x41, 0x10, 0x01, 0x42}) EXPECT_EQ(GetKeyboardCountByIndex(code), 0) << std::hex << code;
}

TEST_F(X11Keyboard, KeysCountOnlyWhileTheWindowHasTheFocus) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int expected;
    };
    const Case cases[] = {
        {"focus on the window", [] { focus(host_); }, 1},
        {"focus on a window inside it", [] { focus(inner_); }, 1},
        {"focus on another program's window", [] { focus(other_); }, 0},
        {"no focus", [] { focus(None); }, 0},
        {"focus follows the pointer, over the window", [] { focus(PointerRoot), pointerAt(30, 30); }, 1},
        {"focus follows the pointer, over the other", [] { focus(PointerRoot), pointerAt(100, 30); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        key(XK_c, true);
        button(1, true);
        GetKeyboardCount();
        key(XK_c, false);
        button(1, false);
        EXPECT_EQ(GetKeyboardCountByIndex(0x43), c.expected);
        EXPECT_EQ(GetKeyboardCountByIndex(0x01), c.expected);
        GetKeyboardCount();
    }
}

TEST_F(X11Keyboard, ADeviceOnAWindowReadsItsKeysAndCleanupKeepsTheCounters) {
    korvel::input::releaseKeyboard();  // only the device's own connection from here
    ASSERT_GE(InitDevice(asHandle(host_)), 0);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 0);
    key(XK_c, true);
    GetKeyboardCount();
    GetKeyboardCount();
    focus(other_);
    GetKeyboardCount();
    key(XK_c, false);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 0);
    focus(host_);
    key(XK_c, true);
    GetKeyboardCount();
    key(XK_c, false);
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 1);
    CleanupDevice();
    EXPECT_EQ(GetKeyboardCountByIndex(0x43), 1);
}

}  // namespace
