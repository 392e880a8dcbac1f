// Windowed frames on an 800 x 600 X11 window of a private Xvfb server,
// through the C interface. Times are wall-clock per frame; the CPU column
// counts every thread of the process (the rasteriser's too).
//   BM_PresentEmptyFrame      ClearColorZ + SwapChainPresent
//   BM_WindowedSpriteFrame/N  clear, N rotated alpha-blended 32 x 16 sprites
//                             of one texture, present; items = sprites per
//                             wall-clock second
// Run from the build folder (InitDevice reads Korvelv0.fx there).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "Korvelv0.h"
#include "support/sprite_scene.h"
#include "support/xvfb.h"

// Xlib defines macros (None, Bool, Status) that clash with other headers: last.
#include <X11/Xlib.h>

namespace {

// An 800 x 600 window on a private Xvfb server with a device rendering to it,
// for the length of one benchmark.
class WindowedDevice {
public:
    explicit WindowedDevice(benchmark::State& state) : server_("800x600x24") {
        if (server_.display().empty()) {
            state.SkipWithError("Xvfb did not start");
            return;
        }
        setenv("DISPLAY", server_.display().c_str(), 1);  // the library opens its own connection
        x11_ = XOpenDisplay(server_.display().c_str());
        if (!x11_) {
            state.SkipWithError("no X connection");
            return;
        }
        window_ = XCreateSimpleWindow(x11_, DefaultRootWindow(x11_), 0, 0, 800, 600, 0, 0, 0);
        XMapWindow(x11_, window_);
        XSync(x11_, False);
        ScreenSizeSet(1);  // 800 x 600
        ready_ = InitDevice(reinterpret_cast<void*>(static_cast<uintptr_t>(window_))) >= 0;
        if (!ready_) state.SkipWithError("InitDevice failed");
    }
    ~WindowedDevice() {
        CleanupDevice();
        if (!x11_) return;
        XDestroyWindow(x11_, window_);
        XCloseDisplay(x11_);
    }
    bool ready() const { return ready_; }

private:
    const korvel::testing::XvfbServer server_;
    ::Display* x11_ = nullptr;
    Window window_ = 0;
    bool ready_ = false;
};

void BM_PresentEmptyFrame(benchmark::State& state) {
    const WindowedDevice device(state);
    if (!device.ready()) return;
    for (auto _ : state) {
        ClearColorZ(32, 64, 128, 1.0);
        SwapChainPresent();
    }
}
BENCHMARK(BM_PresentEmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

void BM_WindowedSpriteFrame(benchmark::State& state) {
    const WindowedDevice device(state);
    if (!device.ready()) return;
    const int texture = korvel::bench::loadSpriteTexture();
    if (texture < 0) return state.SkipWithError("texture load failed");
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        korvel::bench::drawSpriteFrame(texture, count);
        SwapChainPresent();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_WindowedSpriteFrame)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace
