// Ray picking of a posed instance and screen picking of a model's vertices.
// Two instances are picked: the generated skinned model (every face its own
// three vertices, thrown across one cube) and a tube of 501 rings of 100
// vertices, 100,000 faces over 50,100 shared vertices, bent by a chain of
// twenty joints, each vertex blended between the two joints nearest it, as
// an animated limb or body is.
#include <benchmark/benchmark.h>

#include <cmath>

#include "support/models.h"
#include "math/matrix.h"
#include "query/instance_pose.h"
#include "query/picking.h"

namespace {

using namespace korvel;

constexpr int kTubeSides = 100;
constexpr int kTubeRings = 501;  // 500 bands of 200 faces
constexpr int kTubeJoints = 20;
constexpr float kTubeLength = 10.0f;

// Joint j sits at x = j * 0.5 and turns about z by up to 5 degrees over 40
// frames; eight parts follow one another along the tube.
korvel::testing::ModelBlueprint bentTube() {
    korvel::testing::ModelBlueprint tube;
    tube.numpart = 8;
    const float spacing = kTubeLength / kTubeJoints;
    const float half = std::sin(0.5f * 5.0f * 3.14159265f / 180.0f);
    for (int j = 0; j < kTubeJoints; ++j) {
        const float x = j * spacing;
        tube.joints.push_back({j - 1, x, 0, 0});
        tube.keyframes.push_back({0, 0, 0, 1, 1, 1, 1, x, 0, 0});
        tube.keyframes.push_back({0, 0, half, std::sqrt(1 - half * half), 1, 1, 1, x, 0, 0});
    }
    tube.motions = {{2, 0, 0}};
    tube.frameno = {0, 40};
    for (int r = 0; r < kTubeRings; ++r) {
        const float x = kTubeLength * r / kTubeRings;
        const int joint = static_cast<int>(x / spacing);
        const float along = x / spacing - joint;
        for (int s = 0; s < kTubeSides; ++s) {
            const float angle = 2 * 3.14159265f * s / kTubeSides;
            tube.vertices.push_back(korvel::testing::vertexAt(r * tube.numpart / kTubeRings, x, 0.5f * std::cos(angle),
                                                              0.5f * std::sin(angle)));
            tube.weights.push_back({joint, joint + 1 < kTubeJoints ? joint + 1 : -1, 1 - along, along});
        }
    }
    for (int r = 0; r + 1 < kTubeRings; ++r) {
        for (int s = 0; s < kTubeSides; ++s) {
            const int a = r * kTubeSides + s;
            const int b = r * kTubeSides + (s + 1) % kTubeSides;
            const int part = r * tube.numpart / kTubeRings;
            tube.faces.push_back(korvel::testing::faceOf(part, a, b, a + kTubeSides));
            tube.faces.push_back(korvel::testing::faceOf(part, b, b + kTubeSides, a + kTubeSides));
        }
    }
    return tube;
}

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

// Rays at four vertices along the bent tube, from four sides in turn.
void BM_RayPickTube100kFaces(benchmark::State& state) {
    const int image = instance::createImage3d(korvel::testing::installModel(bentTube()));
    const int targets[4] = {100 * kTubeSides + 10, 200 * kTubeSides + 30, 300 * kTubeSides + 60, 400 * kTubeSides + 80};
    double x[4], y[4], z[4];
    query::vertexPositions(*query::ShapedPose::make(image, -1, 0, 0, 20), 4, targets, x, y, z);
    const double sides[4][3] = {{0, 0, -10}, {0, 10, 0}, {0.5, -3, 10}, {-2, -10, 1}};
    int ray = 0;
    int hits = 0;
    for (auto _ : state) {
        const double origin[3] = {x[ray] + sides[ray][0], y[ray] + sides[ray][1], z[ray] + sides[ray][2]};
        const double direction[3] = {-sides[ray][0], -sides[ray][1], -sides[ray][2]};
        query::RayHit hit;
        query::rayPickImage(origin, direction, image, -1, 0, 0, 20, hit);
        hits += hit.face >= 0;
        ray = (ray + 1) % 4;
    }
    state.counters["hit share"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
    korvel::testing::clearStore();
}
BENCHMARK(BM_RayPickTube100kFaces)->Unit(benchmark::kMillisecond);

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
