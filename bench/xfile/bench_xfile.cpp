// ReadXfile on generated grids of 10k, 100k and 1M vertices, with and
// without normals and skin (linear growth expected), and the clean-up
// (merges, normals, face order) against its pairwise reference on 10k.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <tuple>

#include "model/store.h"
#include "model/xfile/cleanup.h"
#include "model/xfile/import.h"
#include "model/xfile/passes.h"
#include "model/xfile/text.h"
#include "reference_cleanup.h"
#include "xfile-writer/writer.h"

namespace {

using namespace korvel::model;
using namespace korvel::model::xfile;

class NoTextures final : public TextureLoader {
public:
    int load(const std::string&) override { return -1; }
    void release(int) override {}
};

const std::string& gridText(int vertices, bool skin) {
    static std::map<std::pair<int, bool>, std::string> cache;
    auto [it, fresh] = cache.try_emplace({vertices, skin});
    if (fresh) it->second = writeXText(gridScene(vertices, 4, skin));
    return it->second;
}

void BM_ReadXfile(benchmark::State& state) {
    const auto vertices = static_cast<int>(state.range(0));
    const bool normals = state.range(1) != 0;
    const bool skin = state.range(2) != 0;
    const std::string& text = gridText(vertices, skin);
    NoTextures textures;
    const XfileOptions options{.normalmode = normals ? 1 : 0, .scale = 1.0, .skinmode = skin ? 2 : 0};
    for (auto _ : state) {
        const int m = readXfileBytes(text, "bench/grid.x", options, textures);
        if (m != 0) state.SkipWithError("import failed");
        clearAllModels(textures);
    }
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["vertices/s"] = benchmark::Counter(vertices, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadXfile)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

RawModel rawGrid(int vertices) {
    const std::string& text = gridText(vertices, true);
    XLines lines(text);
    lines.skip(212);
    const size_t start = lines.position();
    const std::vector<MeshCounts> counts = countMeshes(lines, true);
    lines.seek(start);
    RawModel raw;
    readMeshes(lines, counts, true, raw);
    return raw;
}

void BM_CleanUpLinear(benchmark::State& state) {
    const RawModel raw = rawGrid(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RawModel copy = raw;
        CleanModel clean = cleanUp(copy, 1.0f);
        benchmark::DoNotOptimize(vertexNormals(clean.vertices, clean.faces));
        orderFacesByMaterial(clean.faces);
    }
}
BENCHMARK(BM_CleanUpLinear)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CleanUpPairwiseReference(benchmark::State& state) {
    const RawModel raw = rawGrid(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CleanModel clean = testing::referenceCleanUp(raw, 1.0f);
        benchmark::DoNotOptimize(testing::referenceNormals(clean.vertices, clean.faces));
        testing::referenceFaceOrder(clean.faces);
    }
}
BENCHMARK(BM_CleanUpPairwiseReference)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
