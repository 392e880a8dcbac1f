// Model benchmarks: PT3 reading of generated models of growing size (time
// and MB/s, which should stay flat as the size grows), and the CPU packing of
// each buffer builder over 50 models of 20k vertices.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/model_buffers.h"
#include "model/pt3.h"
#include "model/store.h"
#include "model/tool_input.h"

namespace {

using namespace korvel::model;

class NoTextures final : public TextureLoader {
public:
    int load(const std::string&) override { return -1; }
    void release(int) override {}
};

NoTextures textures;

// A skinned model with normals (the widest vertex lines): a strip of
// triangles over a grid, 4 parts, 2 materials, 2 joints, no motions.
void fillModel(Obj3dModel& m, int vertices) {
    Obj3dHeader& h = *m.head();
    h.NumPart = 4;
    h.NumMaterial = 2;
    for (int v = 0; v < vertices; ++v) {
        const float a = static_cast<float>(v) * 0.001f;
        m.vertex[v] = {v * 4 / vertices, v % 2, v % 7 == 3 ? v - 1 : -1, std::sin(a) * 10,
                       std::cos(a) * 10, a,     std::fmod(a, 1.0f),      0.5f};
        if (m.normal.present()) m.normal[v] = {std::sin(a), 0.0f, std::cos(a)};
        if (m.weight.present()) m.weight[v] = {0, 1, 0.75f, 0.25f};
    }
    for (size_t f = 0; f < m.face.size(); ++f) {
        const auto v = static_cast<int32_t>(f);
        const int32_t part = v * 4 / static_cast<int32_t>(m.face.size());
        m.face[f] = {part, {v, v + 1, v + 2}, part % 2};
    }
    for (size_t i = 0; i < m.material.size(); ++i) m.material[i] = {1, 1, 1, 1, 5, 0, 0, 0, 0, 0, 0, -1, 3};
}

std::string generatedPt3(int vertices) {
    clearAllModels(textures);
    const int slot = toolMakeObj3d({vertices, 1, 1, vertices - 2, 2, 2, 0, 0});
    Obj3dModel& m = *modelSlot(slot);
    fillModel(m, vertices);
    m.head()->skinmode = 1;
    m.joint[0] = {-1, 0, 0, 0};
    m.joint[1] = {0, 0, 1, 0};
    std::string text = pt3Text(m, {});
    clearAllModels(textures);
    return text;
}

void BM_ReadPT3file(benchmark::State& state) {
    const int vertices = static_cast<int>(state.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("korvel-bench-" + std::to_string(vertices) + ".pt3")).string();
    const std::string text = generatedPt3(vertices);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    for (auto _ : state) {
        const int m = readPt3File(path, 1, 1.0, textures);
        if (m != 0) state.SkipWithError("load failed");
        state.PauseTiming();
        clearAllModels(textures);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadPT3file)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// 50 models of 20k vertices in the group, with shape keys on every other.
std::vector<Obj3dModel*> groupModels(LayoutGroup group, bool hair) {
    clearAllModels(textures);
    const GroupFormat format = groupFormat(group);
    std::vector<Obj3dModel*> models;
    for (int i = 0; i < kModelSlots; ++i) {
        const int slot = toolMakeObj3d({20000, format.normals ? 1 : 0, format.skin ? 1 : 0, 19998, 2, 0, 0, 0});
        Obj3dModel& m = *modelSlot(slot);
        fillModel(m, 20000);
        m.head()->skinmode = format.skin ? 2 : 0;
        m.head()->NumJoint = 2;
        if (i % 2 == 0) {
            m.head()->NumShapekey = 1;
            m.head()->NumShapekeyVertex = 1000;
            m.shapekeyvertex.allocate(1000);
            for (int k = 0; k < 1000; ++k) m.shapekeyvertex[k] = k * 20;
        }
        if (hair) {
            m.head()->NumParticlehairFace = 5000;
            m.particlehairface.allocate(5000);
            for (int k = 0; k < 5000; ++k) m.particlehairface[k].faceno = k * 3;
        }
        models.push_back(&m);
    }
    return models;
}

void BM_PackGroup(benchmark::State& state) {
    const auto group = static_cast<LayoutGroup>(state.range(0));
    const std::vector<Obj3dModel*> models = groupModels(group, false);
    uint64_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> vertices = packVertices(models, group);
        resetDrawRanges(models);
        const std::vector<uint32_t> indices = packIndices(models);
        benchmark::DoNotOptimize(vertices.data());
        benchmark::DoNotOptimize(indices.data());
        bytes += vertices.size() + indices.size() * 4;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    clearAllModels(textures);
}
BENCHMARK(BM_PackGroup)->DenseRange(0, 3)->ArgName("group")->Unit(benchmark::kMillisecond);

void BM_PackParticleHair(benchmark::State& state) {
    const std::vector<Obj3dModel*> models = groupModels(LayoutGroup::Plain, true);
    for (auto _ : state) {
        const std::vector<uint32_t> indices = packHairIndices(models);
        benchmark::DoNotOptimize(indices.data());
    }
    clearAllModels(textures);
}
BENCHMARK(BM_PackParticleHair)->Unit(benchmark::kMillisecond);

}  // namespace
