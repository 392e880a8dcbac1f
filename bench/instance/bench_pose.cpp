// The joint palette of a 120-joint skeleton, as model drawing computes it
// once per draw call.
#include <benchmark/benchmark.h>

#include "instance/pose.h"
#include "support/models.h"

namespace {

using namespace korvel;

void BM_JointPalette120(benchmark::State& state) {
    korvel::testing::SkinnedOptions options;
    options.joints = 120;
    options.motions = 1;
    options.vertices = 3;
    const int slot = korvel::testing::installModel(korvel::testing::skinnedModel(options));
    const model::Obj3dModel& model = *model::completeModel(slot);
    instance::JointPalette palette;
    int frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(instance::jointPalette(model, 0, frame, palette));
        benchmark::DoNotOptimize(palette.matrix[119].m[3][0]);
        frame = (frame + 7) % 41;  // on and between keys
    }
    state.counters["joints/s"] = benchmark::Counter(120.0 * state.iterations(), benchmark::Counter::kIsRate);
    korvel::testing::clearStore();
}
BENCHMARK(BM_JointPalette120);

}  // namespace
