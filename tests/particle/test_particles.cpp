// Particle groups through the exports on the headless 800 x 600 device: the
// emission schedule, entry reuse and motion, the start speeds, slots, the
// count ceiling, and where particles are drawn.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "Korvelv0.h"
#include "support/device.h"
#include "particle/particles.h"

namespace korvel::testing {
namespace {

using namespace particle;

const double kEmitter[3] = {1.0, 2.0, 3.0};
const double kSize[2] = {0.5, 0.25};
const double kRect[4] = {0.0, 0.0, 1.0, 1.0};
const double kRising[6] = {0.0, 0.1, 0.0, 0.0, 0.1, 0.0};  // velmin, velmax: 0.1 up

std::span<Particle> entries(int slot) { return particleTable().particles(slot); }

size_t live(int slot) {
    size_t n = 0;
    for (const Particle& p : entries(slot)) n += p.age != kFreeParticle;
    return n;
}

class Particles : public DeviceTest {
protected:
    static int create(int count, int interval = 1, int lifetime = 5, double drift = 0.0) {
        return CreateParticle(kEmitter, kSize, 0, kRect, interval, lifetime, kRising, drift, count);
    }
};

TEST_F(Particles, IntervalThreeEmitsOnEveryThirdStepAgainAfterReset) {
    const int slot = create(10, 3, 100);
    std::vector<size_t> liveAfter;
    for (int i = 0; i < 10; ++i) {
        if (i == 7) ParticleSetInit(slot);
        liveAfter.push_back((ParticleMoveandRender(slot, 0, 1.0), live(slot)));
    }
    EXPECT_EQ(liveAfter, (std::vector<size_t>{0, 0, 1, 1, 1, 2, 2, 0, 0, 1}));
}

TEST_F(Particles, FullArrayReleasesNothingThenReusesTheFirstEntryAndParamSetKeepsTheLiveOnes) {
    const int slot = create(5, 1, 10);
    for (int i = 0; i < 6; ++i) ParticleMoveandRender(slot, 0, 1.0);  // the sixth finds no free entry
    EXPECT_EQ(live(slot), 5u);
    EXPECT_EQ(particleTable().group(slot)->counter, 0);
    for (int i = 7; i <= 10; ++i) ParticleMoveandRender(slot, 0, 1.0);  // the tenth retires entry 0
    EXPECT_EQ(live(slot), 4u);
    ParticleMoveandRender(slot, 0, 1.0);  // released again, drawn, moved once
    EXPECT_EQ(entries(slot)[0].age, 1);
    EXPECT_FLOAT_EQ(entries(slot)[0].position[1], 2.1f);
    const double still[6] = {};
    ParticleParamSet(slot, kEmitter, kSize, 3, kRect, 10, 5, still, 0.0);
    EXPECT_EQ(entries(slot)[0].age, 1);
    EXPECT_FLOAT_EQ(entries(slot)[0].velocity[1], 0.1f);
    EXPECT_EQ(particleTable().group(slot)->texno, 3);
}

// Without a device, groups made in the table directly still move, undrawn.
TEST_F(Particles, DriftAddsASteadyRiseAndLifetimeOneFreesWithoutMovingAlsoWithoutADevice) {
    CleanupDevice();
    const int drifting = particleTable().create({kEmitter, kSize, 0, kRect, 1, 100, kRising, -0.05}, 1);
    for (int i = 0; i < 6; ++i) ParticleMoveandRender(drifting, 0, 1.0);
    EXPECT_NEAR(entries(drifting)[0].position[1], 2.0 + 6 * 0.05, 1e-5);  // 0.1 - 0.05 per step
    EXPECT_FLOAT_EQ(entries(drifting)[0].position[0], 1.0f);

    const int once = particleTable().create({kEmitter, kSize, 0, kRect, 1, 1, kRising, 0.0}, 3);
    for (int i = 0; i < 3; ++i) {
        ParticleMoveandRender(once, 0, 1.0);
        EXPECT_EQ(live(once), 0u);
        EXPECT_EQ(entries(once)[0].position[1], 2.0f);
    }
}

TEST_F(Particles, StartVelocityIsOneOfTwentyOneStepsDrawnXThenYThenZ) {
    const double span[6] = {0.0, -2.0, 10.0, 1.0, -2.0, 30.0};  // x 0..1, y fixed, z 10..30
    for (const int k : {0, 7, 20}) {
        ParticleGroup group{};
        applyParams(group, {kEmitter, kSize, 0, kRect, 1, 10, span, 0.0});
        Particle particle{kFreeParticle, {}, {}};
        static int next = 0;
        next = k;
        emitParticle(group, {&particle, 1}, [] { return next++; });  // x draws k, y k + 1, z k + 2
        EXPECT_FLOAT_EQ(particle.velocity[0], 0.05f * k) << k;
        EXPECT_EQ(particle.velocity[1], -2.0f) << k;
        EXPECT_FLOAT_EQ(particle.velocity[2], 10.0f + ((k + 2) % 21) * 1.0f) << k;
    }
}

TEST_F(Particles, TwentySlotsAndNoneWithoutADevice) {
    for (int i = 0; i < 20; ++i) ASSERT_EQ(create(4), i);
    EXPECT_EQ(create(4), -1);
    ClearParticle(7);
    EXPECT_EQ(create(4), 7);
    CleanupDevice();  // releases every group
    EXPECT_EQ(create(4), -1);
    EXPECT_EQ(particleTable().group(0), nullptr);
    ASSERT_GE(InitDevice(nullptr), 0);
    EXPECT_EQ(create(4), 0);
    EXPECT_EQ(CreateParticle(kEmitter, nullptr, 0, kRect, 1, 5, kRising, 0.0, 4), -2);
}

TEST_F(Particles, CountsOutsideOneToTheCeilingAreRefusedBeforeAllocating) {
    for (const int count : {1, ParticleTable::kMaxCount}) {
        EXPECT_EQ(create(count), 0) << count;
        EXPECT_EQ(entries(0).size(), static_cast<size_t>(count));
        ClearParticle(0);
    }
    // A refused record holds its slot until cleared; other calls ignore it.
    for (const int count : {ParticleTable::kMaxCount + 1, INT_MAX, 0, -5}) EXPECT_EQ(create(count), -3) << count;
    ParticleSetInit(0);
    ParticleMoveandRender(0, 0, 1.0);
    ParticleParamSet(0, kEmitter, kSize, 0, kRect, 1, 5, kRising, 0.0);
    EXPECT_EQ(create(2), 4);
}

TEST_F(Particles, EachLiveParticleIsDrawnWhereItStandsBeforeItMovesWithItsTextureRectangle) {
    // Red left half, green right half; the rectangle (0.5, 0, 1, 1) shows green.
    const int texture = loadTexture(8, 8, [](uint32_t x, uint32_t) {
        return x < 4 ? Rgba{255, 0, 0} : Rgba{0, 255, 0};
    });
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    const double rightwards[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    const double emitter[3] = {-1.0, 0.0, 0.0};
    const double size[2] = {0.2, 0.2};
    const double rightHalf[4] = {0.5, 0.0, 1.0, 1.0};
    const int group = CreateParticle(emitter, size, texture, rightHalf, 1, 10, rightwards, 0.0, 4);
    ClearColorZ(1, 0, 0, 1.0);
    for (int step = 0; step < 3; ++step) ParticleMoveandRender(group, 0, 1.0);
    // The last step draws particles at x = 1, 0 and -1, five units away:
    // columns 400 -/+ 144.9 on row 300.
    const Rgba green{0, 255, 0};
    expectPixels({{255, 300, green}, {400, 300, green}, {545, 300, green}, {472, 300, {1, 0, 0}}});
}

}  // namespace
}  // namespace korvel::testing
