// Device start-up and sprite throughput on the headless back buffer.
//   BM_InitDeviceCold   the first InitDevice of the process (one iteration)
//   BM_InitDeviceWarm   InitDevice + CleanupDevice again and again
//   BM_RenderSprite     rotated 32 x 16 sprites on 800 x 600, items = calls per
//                       wall-clock second;
//                       each batch ends with a read-back so the GPU work counts;
//                       gl_state_calls = GL state calls per sprite after the
//                       first: consecutive sprites go out 256 to an instanced
//                       draw, which binds its whole draw state while the
//                       context issues only what changed, so one range of new
//                       constants per 256 sprites is all that remains
//   BM_SpriteFrame/N    frames of N rotated, alpha-blended 32 x 16 sprites of
//                       one texture: clear, N calls, read-back; items = sprites
//                       per wall-clock second
#include <benchmark/benchmark.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "platform/gpu/backend.h"
#include "support/sprite_scene.h"

namespace {

void initOrSkip(benchmark::State& state) {
    if (InitDevice(nullptr) < 0) state.SkipWithError("InitDevice failed");
}

void BM_InitDeviceCold(benchmark::State& state) {
    for (auto _ : state) {
        initOrSkip(state);
        state.PauseTiming();
        CleanupDevice();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InitDeviceCold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_InitDeviceWarm(benchmark::State& state) {
    for (auto _ : state) {
        initOrSkip(state);
        CleanupDevice();
    }
}
BENCHMARK(BM_InitDeviceWarm)->Unit(benchmark::kMillisecond);

void finishGpuWork() {
    korvel::gpu::Context* context = korvel::device::currentContext();  // issues any draws still collected
    korvel::gpu::Image pixels;
    context->readPixels(*korvel::device::deviceState().backBufferRTV, pixels);
}

void BM_RenderSprite(benchmark::State& state) {
    ScreenSizeSet(1);
    initOrSkip(state);
    const int texture = korvel::bench::loadSpriteTexture();
    if (texture < 0) state.SkipWithError("texture load failed");
    ClearColorZ(10, 10, 10, 1.0);
    RenderSprite(texture, 0, 0, 1.0, 1.0, 0, 0, 1, 1, 3, 0.0, 16, 8, 1.0, 1.0);
    const korvel::gpu::Context& context = *korvel::device::currentContext();
    const uint64_t stateCallsBefore = korvel::gpu::gl::stateChangeCount(context);
    int i = 0;
    constexpr int kBatch = 4096;
    for (auto _ : state) {
        // Spread over the screen at decreasing depth so every sprite passes
        // the depth test.
        const int x = (i * 37) % 760;
        const int y = (i * 53) % 570;
        const double z = 1.0 - (i % kBatch + 1) / (kBatch + 1.0);
        RenderSprite(texture, x, y, 1.0, 1.0, 0, 0, 1, 1, 3, i * 0.01, 16, 8, z, 1.0);
        if (++i % kBatch == 0) {
            finishGpuWork();
            ClearColorZ(-1, 0, 0, 1.0);
        }
    }
    finishGpuWork();
    state.SetItemsProcessed(state.iterations());
    state.counters["gl_state_calls"] =
        benchmark::Counter(static_cast<double>(korvel::gpu::gl::stateChangeCount(context) - stateCallsBefore),
                           benchmark::Counter::kAvgIterations);
    CleanupDevice();
}
BENCHMARK(BM_RenderSprite)->Unit(benchmark::kNanosecond)->MinTime(2.0)->UseRealTime();

void BM_SpriteFrame(benchmark::State& state) {
    ScreenSizeSet(1);
    initOrSkip(state);
    const int texture = korvel::bench::loadSpriteTexture();
    if (texture < 0) state.SkipWithError("texture load failed");
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        korvel::bench::drawSpriteFrame(texture, count);
        finishGpuWork();
    }
    state.SetItemsProcessed(state.iterations() * count);
    CleanupDevice();
}
BENCHMARK(BM_SpriteFrame)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
