// ReadXfile on generated grid files of 10k, 100k and 1M vertices, with and
// without normals and skin (file MB/s, which should stay flat as the size
// grows), and the clean-up (merges, normals, face order) against its
// pairwise reference on 10k.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

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

// Grid files in the temporary folder, written once and removed at exit.
class GridFiles {
public:
    ~GridFiles() {
        for (const auto& [key, path] : paths_) std::filesystem::remove(path);
    }
    const std::string& path(int vertices, bool skin) {
        auto [it, fresh] = paths_.try_emplace({vertices, skin});
        if (fresh) {
            it->second = (std::filesystem::temp_directory_path() /
                          ("korvel-bench-grid-" + std::to_string(vertices) + (skin ? "-skin.x" : ".x")))
                             .string();
            const std::string text = writeXText(gridScene(vertices, 4, skin));
            if (std::FILE* file = std::fopen(it->second.c_str(), "wb")) {
                std::fwrite(text.data(), 1, text.size(), file);
                std::fclose(file);
            }
        }
        return it->second;
    }

private:
    std::map<std::pair<int, bool>, std::string> paths_;
};

GridFiles gridFiles;

void BM_ReadXfile(benchmark::State& state) {
    const auto vertices = static_cast<int>(state.range(0));
    const bool normals = state.range(1) != 0;
    const bool skin = state.range(2) != 0;
    const std::string& path = gridFiles.path(vertices, skin);
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    NoTextures textures;
    const XfileOptions options{.normalmode = normals ? 1 : 0, .scale = 1.0, .skinmode = skin ? 2 : 0};
    for (auto _ : state) {
        const int m = readXfile(path, options, textures);
        if (m != 0) state.SkipWithError("import failed");
        state.PauseTiming();
        clearAllModels(textures);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReadXfile)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}, {0, 1}})
    ->ArgNames({"vertices", "normals", "skin"})
    ->Unit(benchmark::kMillisecond);

// A grid's raw tables as the mesh pass leaves them, with their storage.
struct RawGrid {
    std::vector<Obj3dVertex> vertices;
    std::vector<Obj3dFace> faces;
    RawModel raw;

    void copyFrom(const RawGrid& other) {
        vertices = other.vertices;
        faces = other.faces;
        raw = other.raw;
        raw.vertices = vertices;
        raw.faces = faces;
    }
};

void readRawGrid(int vertices, RawGrid& grid) {
    constexpr int kHeaderLines = 212;
    FileText file;
    file.open(gridFiles.path(vertices, true), kMaxXfileBytes);
    XLines lines(file);
    lines.skip(kHeaderLines);
    const std::vector<MeshCounts> counts = countMeshes(lines, true);
    for (const MeshCounts& c : counts) {
        grid.vertices.resize(grid.vertices.size() + static_cast<size_t>(c.vertices));
        grid.faces.resize(grid.faces.size() + static_cast<size_t>(c.faces));
    }
    grid.raw.vertices = grid.vertices;
    grid.raw.faces = grid.faces;
    lines.rewind();
    lines.skip(kHeaderLines);
    readMeshes(lines, counts, true, grid.raw);
}

void BM_CleanUpLinear(benchmark::State& state) {
    RawGrid grid, work;
    readRawGrid(static_cast<int>(state.range(0)), grid);
    for (auto _ : state) {
        state.PauseTiming();
        work.copyFrom(grid);
        state.ResumeTiming();
        CleanModel clean = cleanUp(work.raw, 1.0f);
        std::vector<Obj3dNormal> normals(clean.vertices.size());
        vertexNormals(clean.vertices, clean.faces, normals);
        orderFacesByMaterial(clean.faces);
    }
}
BENCHMARK(BM_CleanUpLinear)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CleanUpPairwiseReference(benchmark::State& state) {
    RawGrid grid;
    readRawGrid(static_cast<int>(state.range(0)), grid);
    for (auto _ : state) {
        testing::ReferenceModel clean = testing::referenceCleanUp(grid.raw, 1.0f);
        benchmark::DoNotOptimize(testing::referenceNormals(clean.vertices, clean.faces));
        testing::referenceFaceOrder(clean.faces);
    }
}
BENCHMARK(BM_CleanUpPairwiseReference)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
