// Windowed present: an empty 800 x 600 frame (ClearColorZ + SwapChainPresent)
// on an X11 window of a private Xvfb server, through the C interface.
//   BM_PresentEmptyFrame   wall-clock time per frame; the CPU column counts
//                          every thread of the process (the rasteriser's too)
// Run from the build folder (InitDevice reads Korvelv0.fx there).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "Korvelv0.h"
#include "support/xvfb.h"

// Xlib defines macros (None, Bool, Status) that clash with other headers: last.
#include <X11/Xlib.h>

namespace {

void BM_PresentEmptyFrame(benchmark::State& state) {
    const korvel::testing::XvfbServer server("800x600x24");
    if (server.display().empty()) return state.SkipWithError("Xvfb did not start");
    setenv("DISPLAY", server.display().c_str(), 1);  // the library opens its own connection
    ::Display* x11 = XOpenDisplay(server.display().c_str());
    if (!x11) return state.SkipWithError("no X connection");
    const Window window = XCreateSimpleWindow(x11, DefaultRootWindow(x11), 0, 0, 800, 600, 0, 0, 0);
    XMapWindow(x11, window);
    XSync(x11, False);
    ScreenSizeSet(1);  // 800 x 600
    if (InitDevice(reinterpret_cast<void*>(static_cast<uintptr_t>(window))) < 0) {
        state.SkipWithError("InitDevice failed");
    } else {
        for (auto _ : state) {
            ClearColorZ(32, 64, 128, 1.0);
            SwapChainPresent();
        }
    }
    CleanupDevice();
    XDestroyWindow(x11, window);
    XCloseDisplay(x11);
}
BENCHMARK(BM_PresentEmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
