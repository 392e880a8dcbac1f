// GPU backend figures: small draws per second with a constant-buffer update
// per draw (through the ring, and with in-place buffer rewrites for
// comparison), and run-time shader compilation cold and warm.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gpu/backend.h"
#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace {

using namespace korvel::gpu;

const char* const kQuadShaders = R"(
cbuffer Quad : register(b3) { float4 Rect; float4 Color; };
struct PSIn { float4 pos : SV_POSITION; float4 color : COLOR; };
PSIn VSQuad(uint id : SV_VertexID) {
    float2 t = float2(id & 1, id >> 1);
    PSIn o;
    o.pos = float4(lerp(Rect.x, Rect.z, t.x), lerp(Rect.y, Rect.w, t.y), 0.5, 1);
    o.color = Color;
    return o;
}
float4 PSColor(PSIn i) : SV_Target { return i.color; }
)";

struct Scene {
    DeviceBundle bundle;
    std::unique_ptr<Texture2D> color;
    std::unique_ptr<RenderTargetView> rtv;
    std::unique_ptr<VertexShader> vs;
    std::unique_ptr<PixelShader> ps;
    std::unique_ptr<Buffer> cb;

    bool create() {
        auto created = gl::createOpenGLDevice(DriverType::Hardware, SwapChainDesc{256, 256, nullptr});
        if (!created) return false;
        bundle = std::move(*created);
        Device& device = *bundle.device;
        Texture2DDesc desc;
        desc.width = desc.height = 256;
        desc.bindFlags = BindRenderTarget;
        color = device.createTexture2D(desc, nullptr);
        rtv = device.createRenderTargetView(*color);
        std::string errors;
        auto vsCode = device.compileShader(kQuadShaders, "bench.hlsl", "VSQuad", "vs_4_0", errors);
        auto psCode = device.compileShader(kQuadShaders, "bench.hlsl", "PSColor", "ps_4_0", errors);
        if (!rtv || !vsCode || !psCode) return false;
        vs = device.createVertexShader(*vsCode);
        ps = device.createPixelShader(*psCode);
        cb = device.createBuffer(BufferDesc{32, Usage::Default, BindConstantBuffer, false}, nullptr);
        Context& context = *bundle.context;
        context.omSetRenderTargets(rtv.get(), nullptr);
        context.rsSetViewport(Viewport{0, 0, 256, 256, 0, 1});
        context.vsSetShader(vs.get());
        context.psSetShader(ps.get());
        context.iaSetPrimitiveTopology(Topology::TriangleStrip);
        return true;
    }
    void finish() {
        Image image;
        bundle.context->readPixels(*rtv, image);
    }
};

// 8 x 8 pixel quads on a grid, each with its own constants.
void quadConstants(int i, float out[8]) {
    const float x = -1 + (i % 32) / 16.0f, y = 1 - ((i / 32) % 32) / 16.0f;
    const float values[8] = {x, y, x + 0.0625f, y - 0.0625f, (i % 7) / 7.0f, (i % 5) / 5.0f, (i % 3) / 3.0f, 1};
    std::memcpy(out, values, sizeof values);
}

void BM_SmallDrawsRingUpdate(benchmark::State& state) {
    Scene scene;
    if (!scene.create()) return state.SkipWithError("no device");
    Context& context = *scene.bundle.context;
    context.setConstantBuffer(ShaderStage::Vertex, 3, scene.cb.get());
    int i = 0;
    for (auto _ : state) {
        float constants[8];
        quadConstants(i++, constants);
        context.updateSubresource(*scene.cb, constants, sizeof constants);
        context.draw(4, 0);
    }
    scene.finish();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SmallDrawsRingUpdate)->MinTime(1.0)->UseRealTime();

// The same draws, rewriting one uniform buffer in place before each draw
// (what the backend would do without the ring).
void BM_SmallDrawsInPlaceUpdate(benchmark::State& state) {
    Scene scene;
    if (!scene.create()) return state.SkipWithError("no device");
    Context& context = *scene.bundle.context;
    GLuint ubo = 0;
    glCreateBuffers(1, &ubo);
    glNamedBufferStorage(ubo, 32, nullptr, GL_DYNAMIC_STORAGE_BIT);
    glBindBufferBase(GL_UNIFORM_BUFFER, 3, ubo);  // vertex-stage register b3
    int i = 0;
    for (auto _ : state) {
        float constants[8];
        quadConstants(i++, constants);
        glNamedBufferSubData(ubo, 0, sizeof constants, constants);
        context.draw(4, 0);
    }
    scene.finish();
    glDeleteBuffers(1, &ubo);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SmallDrawsInPlaceUpdate)->MinTime(1.0)->UseRealTime();

// The effect file when run from the build folder, else the quad shaders.
struct EntryPoint {
    const char* name;
    const char* profile;
};
const std::vector<EntryPoint> kEffectEntries = {
    {"VSsprite", "vs_4_0"},    {"VSpoint", "vs_4_0"},      {"VSline", "vs_4_0"},         {"VSparticle", "vs_4_0"},
    {"VSshade0", "vs_4_0"},    {"VSshade0ph", "vs_4_0"},   {"VSshade1", "vs_4_0"},       {"VSshade1ph", "vs_4_0"},
    {"VSshade0ba", "vs_4_0"},  {"VSshade0baph", "vs_4_0"}, {"VSshade1ba", "vs_4_0"},     {"VSshade1baph", "vs_4_0"},
    {"GS_PARTICLE", "gs_4_0"}, {"GSshade0", "gs_4_0"},     {"GSparticlehair", "gs_4_0"}, {"GStoolpoint", "gs_4_0"},
    {"GStoolline", "gs_4_0"},  {"PS", "ps_4_0"},           {"PSpoint", "ps_4_0"},        {"PSddsalpha", "ps_4_0"},
    {"PSshade0", "ps_4_0"}};
const std::vector<EntryPoint> kQuadEntries = {{"VSQuad", "vs_4_0"}, {"PSColor", "ps_4_0"}};

struct ShaderSet {
    std::string source;
    const std::vector<EntryPoint>* entries;
};

const ShaderSet& shaderSet() {
    static const ShaderSet set = [] {
        std::ifstream file("Korvelv0.fx");
        std::stringstream text;
        text << file.rdbuf();
        return file ? ShaderSet{text.str(), &kEffectEntries} : ShaderSet{kQuadShaders, &kQuadEntries};
    }();
    return set;
}

void compileAll(benchmark::State& state) {
    const ShaderSet& set = shaderSet();
    for (const EntryPoint& entry : *set.entries) {
        std::string errors;
        if (!hlsl::compile(set.source, "Korvelv0.fx", entry.name, entry.profile, errors))
            state.SkipWithError(errors.c_str());
    }
    state.counters["entry_points"] = double(set.entries->size());
}

void BM_TranslateEntryPointsCold(benchmark::State& state) {
    for (auto _ : state) {
        hlsl::clearCompileCache();
        compileAll(state);
    }
}
BENCHMARK(BM_TranslateEntryPointsCold)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TranslateEntryPointsWarm(benchmark::State& state) {
    compileAll(state);
    for (auto _ : state) compileAll(state);
}
BENCHMARK(BM_TranslateEntryPointsWarm)->Unit(benchmark::kMillisecond);

// Device::compileShader with the translation cached: what a second device
// creation in the process pays (GL program linking).
void BM_DeviceCompileWarm(benchmark::State& state) {
    auto bundle = gl::createOpenGLDevice(DriverType::Hardware, SwapChainDesc{64, 64, nullptr});
    if (!bundle) return state.SkipWithError("no device");
    const ShaderSet& set = shaderSet();
    compileAll(state);
    for (auto _ : state) {
        for (const EntryPoint& entry : *set.entries) {
            std::string errors;
            benchmark::DoNotOptimize(
                bundle->device->compileShader(set.source, "Korvelv0.fx", entry.name, entry.profile, errors));
        }
    }
}
BENCHMARK(BM_DeviceCompileWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CreateHeadlessDevice(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(gl::createOpenGLDevice(DriverType::Hardware, SwapChainDesc{800, 600, nullptr}));
}
BENCHMARK(BM_CreateHeadlessDevice)->Unit(benchmark::kMillisecond);

}  // namespace
