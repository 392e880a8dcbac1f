// RenderImage of 200 instances of one skinned model (50 joints, 10k
// vertices, 3 parts, 2 motions) per frame on the headless 800 x 600 device.
// The /0 and /1 arguments are the instances' boxmode (1: CPU aabox every
// call, 3: aabox and part oboxes).
//   BM_FrameGpu       200 calls, then a read-back that waits for the GPU:
//                     time per frame (the read-back alone: BM_Readback)
//   BM_CallsGpu       the 200 calls without waiting: the CPU side of a call
//                     on the OpenGL backend (per_call: seconds per call)
//   BM_CallsNull      the 200 calls on a backend whose every call is a no-op:
//                     the library's own work per call
#include <benchmark/benchmark.h>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "support/models.h"
#include "platform/gpu/backend.h"
#include "support/gpu_doubles.h"

namespace {

using korvel::testing::SkinnedOptions;

constexpr int kInstances = 200;

class RenderScene {
public:
    explicit RenderScene(benchmark::State& state, int boxmode) {
        ScreenSizeSet(1);
        if (InitDevice(nullptr) < 0) {
            state.SkipWithError("InitDevice failed");
            return;
        }
        SkinnedOptions options;
        options.joints = 50;
        options.vertices = 10000;
        options.parts = 3;
        const int model = korvel::testing::installModel(korvel::testing::skinnedModel(options));
        MakeVertexIndexBuffer0ba();
        Obj3dSetMaterialParam(model, 0, 3, 200, 180, 160, 1.0, 8.0, 40, 40, 40, 0, 0, 0, -1);
        for (int i = 0; i < kInstances; ++i) {
            const int image = CreateImage3d(model);
            ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0.1 * i, 0, (i % 20 - 9.5) * 5.0, (i / 20 - 4.5) * 5.0, 0,
                                       1.0);
            Image3dSetRendarparam(image, boxmode, boxmode != 0 ? 1 : 0, 0, 0);
        }
        ViewMatrixValueSet(0, 0, -120, 0, 0, 0, 0, 1, 0);
        ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 300.0);
        ready_ = true;
    }
    ~RenderScene() {
        CleanupDevice();
        korvel::testing::clearStore();
    }
    bool ready() const { return ready_; }

    void drawFrame(int frame) const {
        ClearColorZ(30, 30, 30, 1.0);
        for (int i = 0; i < kInstances; ++i) RenderImage(i, 2, -1, 0, i & 1, (frame + i) % 40);
    }

private:
    bool ready_ = false;
};

void finishGpuWork() {
    korvel::device::DeviceState& device = korvel::device::deviceState();
    korvel::gpu::Image pixels;
    device.bundle.context->readPixels(*device.backBufferRTV, pixels);
}

int boxmodeOf(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void perCall(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kInstances);
    // Seconds per call (printed with SI prefixes: 5.4u is 5.4 microseconds).
    state.counters["per_call"] =
        benchmark::Counter(kInstances, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FrameGpu(benchmark::State& state) {
    const RenderScene scene(state, boxmodeOf(state));
    if (!scene.ready()) return;
    int frame = 0;
    for (auto _ : state) {
        scene.drawFrame(frame++);
        finishGpuWork();
    }
    perCall(state);
}
BENCHMARK(BM_FrameGpu)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Readback(benchmark::State& state) {
    const RenderScene scene(state, 0);
    if (!scene.ready()) return;
    for (auto _ : state) finishGpuWork();
}
BENCHMARK(BM_Readback)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CallsGpu(benchmark::State& state) {
    const RenderScene scene(state, boxmodeOf(state));
    if (!scene.ready()) return;
    int frame = 0;
    for (auto _ : state) {
        scene.drawFrame(frame++);
        state.PauseTiming();
        finishGpuWork();
        state.ResumeTiming();
    }
    perCall(state);
}
BENCHMARK(BM_CallsGpu)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_CallsNull(benchmark::State& state) {
    korvel::gpu::setBackendFactory(korvel::gpu::nullBackendFactory());
    {
        const RenderScene scene(state, boxmodeOf(state));
        if (scene.ready()) {
            int frame = 0;
            for (auto _ : state) scene.drawFrame(frame++);
            perCall(state);
        }
    }
    korvel::gpu::setBackendFactory({});
}
BENCHMARK(BM_CallsNull)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
