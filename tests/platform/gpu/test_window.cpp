// The window path: a device on an X11 window of a private Xvfb server shows
// the back buffer upright in the window after present().
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "gpu_test_support.h"
#include "platform/gpu/gl/gl_device.h"

// Xlib defines macros (None, Bool, Status) that clash with other headers: last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace korvel::gpu::test {
namespace {

// Starts Xvfb on a display number it picks itself (-displayfd) and stops it
// at the end of the test.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "256x256x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the number and a newline once it accepts clients.
        std::string number;
        char c = 0;
        while (pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (c == '\n' && !number.empty()) name_ = ":" + number;
    }
    ~Xvfb() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    const std::optional<std::string>& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::optional<std::string> name_;
};

Rgba windowPixel(::Display* display, Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {0, 0, 0, 0};
    unsigned long value = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value), 255};
}

TEST(GpuWindow, PresentShowsTheBackBufferUprightInTheWindow) {
    if (system("command -v Xvfb > /dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_TRUE(server.name()) << "Xvfb did not start";
    // The device opens its own connection to $DISPLAY.
    const char* previous = std::getenv("DISPLAY");
    const std::string restore = previous ? previous : "";
    setenv("DISPLAY", server.name()->c_str(), 1);
    ::Display* x11 = XOpenDisplay(server.name()->c_str());
    ASSERT_TRUE(x11);
    const Window window = XCreateSimpleWindow(x11, DefaultRootWindow(x11), 0, 0, 64, 64, 0, 0, 0);
    XMapWindow(x11, window);
    XSync(x11, False);

    {
        auto bundle = gl::createOpenGLDevice(DriverType::Hardware,
                                             SwapChainDesc{64, 64, reinterpret_cast<void*>(uintptr_t(window))});
        if (!bundle)
            bundle = gl::createOpenGLDevice(DriverType::Software,
                                            SwapChainDesc{64, 64, reinterpret_cast<void*>(uintptr_t(window))});
        ASSERT_TRUE(bundle);
        // The upper half red, the lower half blue.
        std::vector<uint32_t> texels(64 * 64, 0xFFFF0000);
        std::fill(texels.begin(), texels.begin() + 64 * 32, 0xFF0000FF);
        bundle->context->updateTexture(*bundle->swapChain->backBuffer(), 0, 0, 64, 64, texels.data(), 64 * 4);
        bundle->swapChain->present();
        EXPECT_EQ(bundle->device->status(), DeviceStatus::Ok);

        Rgba top{}, bottom{};
        for (int attempt = 0; attempt < 50 && !(top == Rgba{255, 0, 0, 255}); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            top = windowPixel(x11, window, 10, 4);
            bottom = windowPixel(x11, window, 10, 60);
        }
        EXPECT_EQ(top, (Rgba{255, 0, 0, 255}));
        EXPECT_EQ(bottom, (Rgba{0, 0, 255, 255}));
    }

    // A window id that does not exist fails creation instead of ending the process.
    EXPECT_FALSE(gl::createOpenGLDevice(DriverType::Hardware,
                                        SwapChainDesc{64, 64, reinterpret_cast<void*>(uintptr_t(0x7ffffff))}));
    XDestroyWindow(x11, window);
    XCloseDisplay(x11);
    if (previous) setenv("DISPLAY", restore.c_str(), 1);
    else unsetenv("DISPLAY");
}

}  // namespace
}  // namespace korvel::gpu::test
