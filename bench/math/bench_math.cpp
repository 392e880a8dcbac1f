#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "math/bounds.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::math {
namespace {

std::vector<Float3> cloud(size_t count) {
    std::mt19937 engine(1);
    std::normal_distribution<float> normal(0.0f, 1.0f);
    const Quaternion q = normalize(Quaternion{0.3f, -0.2f, 0.5f, 0.8f});
    std::vector<Float3> points(count);
    for (Float3& p : points) {
        p = rotate({normal(engine) * 5, normal(engine) * 2, normal(engine)}, q) + Float3{10, -3, 7};
    }
    return points;
}

std::vector<Matrix> matrices(size_t count) {
    std::mt19937 engine(2);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<Matrix> result(count);
    for (Matrix& m : result) {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                m.m[r][c] = uniform(engine) + (r == c ? 3.0f : 0.0f);
            }
        }
    }
    return result;
}

void BM_OboxFromPoints(benchmark::State& state) {
    const std::vector<Float3> points = cloud(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(oboxFromPoints(points.size(), points.data()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OboxFromPoints)->Arg(1000)->Arg(100000);

void BM_AaboxFromPoints(benchmark::State& state) {
    const std::vector<Float3> points = cloud(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(aaboxFromPoints(points.size(), points.data()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AaboxFromPoints)->Arg(1000000);

void BM_SphereFromPoints(benchmark::State& state) {
    const std::vector<Float3> points = cloud(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(sphereFromPoints(points.size(), points.data(), sizeof(Float3)));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SphereFromPoints)->Arg(100000);

// 1024 matrices cycled so the compiler cannot fold the work away.
void BM_MatrixMultiply(benchmark::State& state) {
    const std::vector<Matrix> input = matrices(1024);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(multiply(input[i & 1023], input[(i + 1) & 1023]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatrixMultiply);

void BM_MatrixInverse(benchmark::State& state) {
    const std::vector<Matrix> input = matrices(1024);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(inverse(input[i & 1023]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatrixInverse);

}  // namespace
}  // namespace korvel::math
