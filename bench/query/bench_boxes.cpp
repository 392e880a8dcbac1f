// Box fitting of a posed, skinned instance, beside the memory-bandwidth
// bound: each evaluated vertex reads at least its vertex record (32 bytes)
// and its weight record (16 bytes).
#include <benchmark/benchmark.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "support/models.h"
#include "query/boxes.h"

namespace {

using namespace korvel;

constexpr double kBytesPerVertex = sizeof(model::Obj3dVertex) + sizeof(model::Obj3dWeight);

void BM_FitBoxesSkinned(benchmark::State& state) {
    korvel::testing::SkinnedOptions options;
    options.joints = 60;
    options.motions = 1;
    options.vertices = static_cast<int>(state.range(0));
    options.parts = 8;
    const int model = korvel::testing::installModel(korvel::testing::skinnedModel(options));
    const int image = instance::createImage3d(model);
    int frame = 0;
    for (auto _ : state) {
        query::fitBoxes(image, 0, frame, 0, nullptr);
        benchmark::DoNotOptimize(instance::image3d(image)->aabox);
        frame = (frame + 7) % 41;
    }
    state.counters["vertices/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    korvel::testing::clearStore();
}
BENCHMARK(BM_FitBoxesSkinned)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Reading memory as fast as it goes: the bound above in vertices/s.
void BM_MemoryReadBound(benchmark::State& state) {
    std::vector<uint64_t> data(size_t{256} << 20 >> 3, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::accumulate(data.begin(), data.end(), uint64_t{0}));
    }
    const double bytes = static_cast<double>(data.size() * sizeof(uint64_t)) * state.iterations();
    state.counters["bytes/s"] = benchmark::Counter(bytes, benchmark::Counter::kIsRate);
    state.counters["vertices/s bound"] = benchmark::Counter(bytes / kBytesPerVertex, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MemoryReadBound)->Unit(benchmark::kMillisecond);

}  // namespace
