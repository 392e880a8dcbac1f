// Ray picking of a posed instance and screen picking of a model's vertices.
#include <benchmark/benchmark.h>

#include "support/models.h"
#include "math/matrix.h"
#include "query/picking.h"

namespace {

using namespace korvel;

void BM_RayPickSkinned(benchmark::State& state) {
    korvel::testing::SkinnedOptions options;
    options.joints = 30;
    options.motions = 1;
    options.copyEvery = 0;
    options.vertices = static_cast<int>(state.range(0)) * 3;  // one face per three vertices
    const int image = instance::createImage3d(korvel::testing::installModel(korvel::testing::skinnedModel(options)));
    const double origin[3] = {0, 0, -10};
    const double direction[3] = {0.01, 0.02, 1};
    for (auto _ : state) {
        query::RayHit hit;
        query::rayPickImage(origin, direction, image, -1, 0, 0, 12, hit);
        benchmark::DoNotOptimize(hit);
    }
    state.counters["faces/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    korvel::testing::clearStore();
}
BENCHMARK(BM_RayPickSkinned)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_ScreenVertexPick100k(benchmark::State& state) {
    korvel::testing::SkinnedOptions options;
    options.motions = 0;
    options.vertices = 100'000;
    const int model = korvel::testing::installModel(korvel::testing::skinnedModel(options));
    query::ScreenCamera camera{math::lookToLH({0, 0, -6}, {0, 0, 1}, {0, 1, 0}), math::identity(), 1, 20, 800, 600};
    camera.projection.m[2][3] = 1.0f;  // clip w = view z
    camera.projection.m[3][3] = 0.0f;
    for (auto _ : state) benchmark::DoNotOptimize(query::screenVertexPick(camera, 400, 300, model, -1, 0));
    state.counters["vertices/s"] = benchmark::Counter(100'000.0 * state.iterations(), benchmark::Counter::kIsRate);
    korvel::testing::clearStore();
}
BENCHMARK(BM_ScreenVertexPick100k)->Unit(benchmark::kMillisecond);

}  // namespace
