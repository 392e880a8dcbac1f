// Text and line throughput on the headless 800 x 600 back buffer.
//   BM_WriteTextTexture  one 256 x 32 line of text drawn and copied into the
//                        text texture, items = calls
//   BM_RenderText        the 256 x 32 text rectangle shown at spread
//                        positions, items = calls
//   BM_RenderLine2d      anti-aliased alpha lines across the screen,
//                        items = calls
// Drawing batches end with a read-back so the GPU work counts; rates are
// per wall-clock second.
#include <benchmark/benchmark.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"

namespace {

constexpr int kBatch = 1024;

void finishGpuWork() {
    korvel::gpu::Context* context = korvel::device::currentContext();  // issues any draws still collected
    korvel::gpu::Image pixels;
    context->readPixels(*korvel::device::deviceState().backBufferRTV, pixels);
}

int startWithFont(benchmark::State& state) {
    ScreenSizeSet(1);
    if (InitDevice(nullptr) < 0) state.SkipWithError("InitDevice failed");
    const int font = myCreateFont(24, 0, 400, 0, 0, 0, 0, L"DejaVu Sans");
    if (font < 0) state.SkipWithError("no font");
    return font;
}

void BM_WriteTextTexture(benchmark::State& state) {
    const int font = startWithFont(state);
    for (auto _ : state) {
        WriteTextTexture(L"Score 0012345  Lives 3  Stage 7", font, 255, 255, 255, 1.0, 0, 0, 256, 32, 1);
    }
    state.SetItemsProcessed(state.iterations());
    CleanupDevice();
}
BENCHMARK(BM_WriteTextTexture)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RenderText(benchmark::State& state) {
    const int font = startWithFont(state);
    WriteTextTexture(L"Score 0012345  Lives 3  Stage 7", font, 255, 255, 255, 1.0, 0, 0, 256, 32, 1);
    ClearColorZ(10, 10, 10, 1.0);
    int i = 0;
    for (auto _ : state) {
        RenderText(0, 0, 256, 32, (i * 37) % 540, (i * 53) % 560);
        if (++i % kBatch == 0) {
            finishGpuWork();
            ClearColorZ(-1, 0, 0, 1.0);
        }
    }
    finishGpuWork();
    state.SetItemsProcessed(state.iterations());
    CleanupDevice();
}
BENCHMARK(BM_RenderText)->Unit(benchmark::kNanosecond)->MinTime(2.0)->UseRealTime();

void BM_RenderLine2d(benchmark::State& state) {
    ScreenSizeSet(1);
    if (InitDevice(nullptr) < 0) state.SkipWithError("InitDevice failed");
    ClearColorZ(10, 10, 10, 1.0);
    int i = 0;
    for (auto _ : state) {
        const int x = (i * 37) % 800;
        const int y = (i * 53) % 600;
        RenderLine2d(x, y, 255, 200, 0, 1.0, 799 - x, 599 - y, 0, 200, 255, 0.2, 3);
        if (++i % kBatch == 0) {
            finishGpuWork();
            ClearColorZ(-1, 0, 0, 1.0);
        }
    }
    finishGpuWork();
    state.SetItemsProcessed(state.iterations());
    CleanupDevice();
}
BENCHMARK(BM_RenderLine2d)->Unit(benchmark::kNanosecond)->MinTime(2.0)->UseRealTime();

}  // namespace
