// The window path: a device on an X11 window of a private Xvfb server shows
// the back buffer upright in the window after present().
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/gpu/backend.h"
#include "support/xvfb.h"

// Xlib defines macros (None, Bool, Status) that clash with other headers: last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace korvel::gpu {
namespace {

TEST(GpuWindow, PresentShowsTheBackBufferUprightInTheWindow) {
    const testing::XvfbServer server("256x256x24");
    const std::string& name = server.display();
    ASSERT_FALSE(name.empty()) << "Xvfb did not start";
    // The device opens its own connection to $DISPLAY.
    const char* previous = std::getenv("DISPLAY");
    const std::string restore = previous ? previous : "";
    setenv("DISPLAY", name.c_str(), 1);
    ::Display* x11 = XOpenDisplay(name.c_str());
    ASSERT_TRUE(x11);
    const Window window = XCreateSimpleWindow(x11, DefaultRootWindow(x11), 0, 0, 64, 64, 0, 0, 0);
    XMapWindow(x11, window);
    XSync(x11, False);
    const auto onWindow = [](uintptr_t id) {
        auto bundle = createDevice(DriverType::Hardware, SwapChainDesc{64, 64, reinterpret_cast<void*>(id)});
        return bundle ? std::move(bundle) : createDevice(DriverType::Software, {64, 64, reinterpret_cast<void*>(id)});
    };
    {
        auto bundle = onWindow(window);
        ASSERT_TRUE(bundle);
        // The upper half red, the lower half blue.
        std::vector<uint32_t> texels(64 * 64, 0xFFFF0000);
        std::fill(texels.begin(), texels.begin() + 64 * 32, 0xFF0000FF);
        bundle->context->updateTexture(*bundle->swapChain->backBuffer(), 0, 0, 64, 64, texels.data(), 64 * 4);
        bundle->swapChain->present();
        EXPECT_EQ(bundle->device->status(), DeviceStatus::Ok);
        unsigned long top = 0, bottom = 0;  // 0xRRGGBB
        for (int attempt = 0; attempt < 50 && top != 0xFF0000; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            XImage* image = XGetImage(x11, window, 0, 0, 64, 64, AllPlanes, ZPixmap);
            ASSERT_TRUE(image);
            top = XGetPixel(image, 10, 4);
            bottom = XGetPixel(image, 10, 60);
            XDestroyImage(image);
        }
        EXPECT_EQ(top, 0xFF0000u);
        EXPECT_EQ(bottom, 0x0000FFu);
    }
    // A window id that does not exist fails creation instead of ending the process.
    EXPECT_FALSE(onWindow(0x7ffffff));
    XDestroyWindow(x11, window);
    XCloseDisplay(x11);
    if (previous)
        setenv("DISPLAY", restore.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

}  // namespace
}  // namespace korvel::gpu
