// The window path: a device on an X11 window of a private Xvfb server shows
// the back buffer upright in the window after present(), stretched when the
// sizes differ, with a clear of the bound back buffer done first.
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
    const auto onWindow = [](uintptr_t id, uint32_t size) {
        auto bundle = createDevice(DriverType::Hardware, SwapChainDesc{size, size, reinterpret_cast<void*>(id)});
        return bundle ? std::move(bundle)
                      : createDevice(DriverType::Software, {size, size, reinterpret_cast<void*>(id)});
    };
    // A back buffer of the window's size, then one of half its size that the
    // present stretches; each case has colours of its own (0xRRGGBB).
    const struct {
        uint32_t size;
        unsigned long top, bottom;
    } cases[] = {{64, 0xFF0000, 0x0000FF}, {32, 0x00FF00, 0xFF0000}};
    for (const auto& c : cases) {
        auto bundle = onWindow(window, c.size);
        ASSERT_TRUE(bundle);
        const auto texel = [](unsigned long rgb) {  // RGBA bytes in memory
            return static_cast<uint32_t>(0xFF000000 | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16);
        };
        // The window's pixels at (10, 4) and (10, 60) once they read as expected, or after a second.
        const auto shows = [&](unsigned long wantTop, unsigned long wantBottom) {
            unsigned long top = 0, bottom = 0;
            for (int attempt = 0; attempt < 50 && (top != wantTop || bottom != wantBottom); ++attempt) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                XImage* image = XGetImage(x11, window, 0, 0, 64, 64, AllPlanes, ZPixmap);
                if (!image) return false;
                top = XGetPixel(image, 10, 4);
                bottom = XGetPixel(image, 10, 60);
                XDestroyImage(image);
            }
            return top == wantTop && bottom == wantBottom;
        };
        // A clear of the bound back buffer that no draw follows is done by the present.
        const auto view = bundle->device->createRenderTargetView(*bundle->swapChain->backBuffer());
        ASSERT_TRUE(view);
        bundle->context->omSetRenderTargets(view.get(), nullptr);
        const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
        bundle->context->clearRenderTargetView(*view, grey);
        bundle->swapChain->present();
        EXPECT_TRUE(shows(0x808080, 0x808080)) << c.size;

        std::vector<uint32_t> texels(c.size * c.size, texel(c.bottom));
        std::fill(texels.begin(), texels.begin() + c.size * c.size / 2, texel(c.top));
        bundle->context->updateTexture(*bundle->swapChain->backBuffer(), 0, 0, c.size, c.size, texels.data(),
                                       c.size * 4);
        bundle->swapChain->present();
        EXPECT_EQ(bundle->device->status(), DeviceStatus::Ok);
        EXPECT_TRUE(shows(c.top, c.bottom)) << c.size;
        bundle->context->omSetRenderTargets(nullptr, nullptr);
    }
    // A window id that does not exist fails creation instead of ending the process.
    EXPECT_FALSE(onWindow(0x7ffffff, 64));
    XDestroyWindow(x11, window);
    XCloseDisplay(x11);
    if (previous)
        setenv("DISPLAY", restore.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

}  // namespace
}  // namespace korvel::gpu
