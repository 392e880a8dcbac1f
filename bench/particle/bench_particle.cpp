// Particle stepping and drawing on the headless 800 x 600 back buffer.
//   BM_ParticleMoveandRender  one step of a group holding 1,000 live
//                             particles (each drawn as a 16 x 16 texel
//                             quad), items = particles drawn
//   BM_ParticleStepOnly       the same step's simulation alone
// Drawing ends with a read-back so the GPU work counts; the drawing rate is
// per wall-clock second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "particle/particles.h"
#include "platform/image/image.h"

namespace {

constexpr int kLive = 1000;

int loadParticleTexture() {
    korvel::gpu::Image image;
    image.width = 16;
    image.height = 16;
    image.rgba.assign(16 * 16 * 4, 180);
    if (!korvel::image::saveImageFile(3, "bench_particle_16.png", image)) return -1;
    const int slot = readtexture(L"bench_particle_16.png");
    std::remove("bench_particle_16.png");
    return slot;
}

// A fountain whose interval 1 and lifetime 1,000 keep 1,000 particles live
// once warmed up.
int createFountain(int texture) {
    const double emitter[3] = {0.0, -1.0, 0.0};
    const double size[2] = {0.1, 0.1};
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    const double velocity[6] = {-0.004, 0.004, -0.004, 0.004, 0.008, 0.004};
    const int group = CreateParticle(emitter, size, texture, rect, 1, kLive, velocity, -0.0001, kLive);
    for (int i = 0; i < kLive; ++i) ParticleMoveandRender(group, 1, 1.0);
    return group;
}

void BM_ParticleMoveandRender(benchmark::State& state) {
    ScreenSizeSet(1);
    if (InitDevice(nullptr) < 0) state.SkipWithError("InitDevice failed");
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    const int group = createFountain(loadParticleTexture());
    korvel::device::DeviceState& device = korvel::device::deviceState();
    korvel::gpu::Image pixels;
    for (auto _ : state) {
        ClearColorZ(1, 0, 0, 1.0);
        ParticleMoveandRender(group, 1, 1.0);
        device.bundle.context->readPixels(*device.backBufferRTV, pixels);
    }
    state.SetItemsProcessed(state.iterations() * kLive);
    ClearParticle(group);
    CleanupDevice();
}
BENCHMARK(BM_ParticleMoveandRender)->Unit(benchmark::kMillisecond)->UseRealTime();

// Groups exist only on a device, so the simulation alone runs through the
// step functions on a group of the same fountain.
void BM_ParticleStepOnly(benchmark::State& state) {
    using namespace korvel::particle;
    const double emitter[3] = {0.0, -1.0, 0.0};
    const double size[2] = {0.1, 0.1};
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    const double velocity[6] = {-0.004, 0.004, -0.004, 0.004, 0.008, 0.004};
    ParticleGroup group{};
    applyParams(group, {emitter, size, 0, rect, 1, kLive, velocity, -0.0001});
    std::vector<Particle> particles(kLive);
    resetParticles(group, particles);
    const auto step = [&] {
        emitParticle(group, particles, std::rand);
        for (Particle& particle : particles)
            if (particle.age != kFreeParticle) ageParticle(group, particle);
    };
    for (int i = 0; i < kLive; ++i) step();
    for (auto _ : state) step();
    state.SetItemsProcessed(state.iterations() * kLive);
}
BENCHMARK(BM_ParticleStepOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
