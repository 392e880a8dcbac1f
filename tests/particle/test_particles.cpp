// Particle groups: the step rules on a bare group, then slots, ceilings and
// drawing through the exports on the headless 800 x 600 device.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "Korvelv0.h"
#include "device/device_fixture.h"
#include "particle/particle_simulation.h"
#include "particle/particle_table.h"

namespace korvel::testing {
namespace {

using namespace particle;

const double kEmitter[3] = {1.0, 2.0, 3.0};
const double kSize[2] = {0.5, 0.25};
const double kRect[4] = {0.0, 0.1, 0.9, 1.0};
const double kRising[6] = {0.0, 0.1, 0.0, 0.0, 0.1, 0.0};  // velmin, velmax: 0.1 up

// A group stepped as ParticleMoveandRender steps it, without drawing.
struct Group {
    ParticleGroup group{};
    std::vector<Particle> particles;

    Group(int interval, int lifetime, int count, const double* velocity = kRising, double drift = 0.0)
        : particles(static_cast<size_t>(count)) {
        applyParams(group, {kEmitter, kSize, 7, kRect, interval, lifetime, velocity, drift});
        resetParticles(group, particles);
    }
    // One step; returns the entries drawn.
    std::vector<int> step(RandomSource random = [] { return 0; }) {
        emitParticle(group, particles, random);
        std::vector<int> drawn;
        for (size_t i = 0; i < particles.size(); ++i) {
            if (particles[i].age == kFreeParticle) continue;
            drawn.push_back(static_cast<int>(i));
            ageParticle(group, particles[i]);
        }
        return drawn;
    }
    size_t live() const {
        size_t n = 0;
        for (const Particle& p : particles) n += p.age != kFreeParticle;
        return n;
    }
};

TEST(ParticleStep, IntervalThreeEmitsOnEveryThirdStepAgainAfterReset) {
    Group g(3, 100, 10);
    std::vector<size_t> liveAfter;
    for (int i = 0; i < 7; ++i) liveAfter.push_back((g.step(), g.live()));
    EXPECT_EQ(liveAfter, (std::vector<size_t>{0, 0, 1, 1, 1, 2, 2}));
    resetParticles(g.group, g.particles);
    g.step();
    g.step();
    EXPECT_EQ(g.live(), 0u);
    g.step();
    EXPECT_EQ(g.live(), 1u);
}

TEST(ParticleStep, FullArrayReleasesNothingThenReusesTheFirstEntry) {
    Group g(1, 10, 5);
    for (int i = 0; i < 6; ++i) g.step();  // the sixth finds no free entry
    EXPECT_EQ(g.live(), 5u);
    EXPECT_EQ(g.group.counter, 0);
    for (int i = 7; i <= 9; ++i) g.step();
    EXPECT_EQ(g.step().size(), 5u);  // tenth: entry 0 drawn, then retired
    EXPECT_EQ(g.particles[0].age, kFreeParticle);
    g.step();  // eleventh: entry 0 released again, drawn, moved once
    EXPECT_EQ(g.particles[0].age, 1);
    EXPECT_FLOAT_EQ(g.particles[0].position[1], 2.1f);
}

TEST(ParticleStep, StartVelocityIsOneOfTwentyOneStepsDrawnXThenYThenZ) {
    const double span[6] = {0.0, -2.0, 10.0, 1.0, -2.0, 30.0};  // x 0..1, y fixed, z 10..30
    for (const int k : {0, 7, 20}) {
        Group g(1, 10, 1, span);
        static int next = 0;
        next = k;
        emitParticle(g.group, g.particles, [] { return next++; });  // x draws k, y k + 1, z k + 2
        EXPECT_FLOAT_EQ(g.particles[0].velocity[0], 0.05f * k) << k;
        EXPECT_EQ(g.particles[0].velocity[1], -2.0f) << k;
        EXPECT_FLOAT_EQ(g.particles[0].velocity[2], 10.0f + ((k + 2) % 21) * 1.0f) << k;
    }
}

TEST(ParticleStep, DriftAddsASteadyRiseAndLifetimeOneFreesWithoutMoving) {
    Group drifting(1, 100, 1, kRising, -0.05);
    for (int i = 0; i < 6; ++i) drifting.step();
    EXPECT_NEAR(drifting.particles[0].position[1], 2.0 + 6 * 0.05, 1e-5);  // 0.1 - 0.05 per step
    EXPECT_FLOAT_EQ(drifting.particles[0].position[0], 1.0f);

    Group once(1, 1, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(once.step(), std::vector<int>{0});
        EXPECT_EQ(once.live(), 0u);
        EXPECT_EQ(once.particles[0].position[1], 2.0f);
    }
}

TEST(ParticleStep, TextureRectangleReachesTheConstantsReordered) {
    Group g(1, 10, 1);
    const ParticleConstants c = particleConstants(g.group, Particle{0, {4, 5, 6}, {}});
    const float expected[12] = {4, 5, 6, 1, 0.5f, 0.25f, 0.0f, 0.9f, 0.1f, 1.0f, 0, 0};
    EXPECT_EQ(0, std::memcmp(&c, expected, sizeof expected));
}

class Particles : public DeviceTest {
protected:
    static int create(int count, int texno = 0, const double* velocity = kRising) {
        return CreateParticle(kEmitter, kSize, texno, kRect, 1, 5, velocity, 0.0, count);
    }
};

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
    struct Case {
        int count;
        bool accepted;
    };
    for (const Case c : {Case{1, true}, {ParticleTable::kMaxCount, true}, {ParticleTable::kMaxCount + 1, false},
                         {INT_MAX, false}, {0, false}, {-5, false}}) {
        const int slot = create(c.count);
        if (c.accepted) {
            EXPECT_EQ(slot, 0) << c.count;
            EXPECT_EQ(particleTable().particles(0).size(), static_cast<size_t>(c.count));
        } else {
            EXPECT_EQ(slot, -3) << c.count;
            // The record holds the slot until cleared; other calls ignore it.
            ParticleSetInit(0);
            ParticleMoveandRender(0, 0, 1.0);
            ParticleParamSet(0, kEmitter, kSize, 0, kRect, 1, 5, kRising, 0.0);
            EXPECT_EQ(create(2), 1);
            ClearParticle(1);
        }
        ClearParticle(0);
    }
}

TEST_F(Particles, ParamSetKeepsLiveParticlesAndSetInitFreesThem) {
    const int slot = create(4);
    ParticleMoveandRender(slot, 0, 1.0);
    ParticleMoveandRender(slot, 0, 1.0);
    const double still[6] = {};
    ParticleParamSet(slot, kEmitter, kSize, 3, kRect, 10, 5, still, 0.0);
    EXPECT_EQ(particleTable().particles(slot)[0].age, 2);
    EXPECT_FLOAT_EQ(particleTable().particles(slot)[0].velocity[1], 0.1f);
    EXPECT_EQ(particleTable().group(slot)->texno, 3);
    ParticleSetInit(slot);
    EXPECT_EQ(particleTable().particles(slot)[0].age, kFreeParticle);
    EXPECT_EQ(particleTable().group(slot)->counter, 0);
}

TEST_F(Particles, EachLiveParticleIsDrawnWhereItStandsBeforeItMoves) {
    const int texture = loadSolidTexture(8, 8, Rgba{0, 255, 0});
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 11.0);
    const double rightwards[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    const double emitter[3] = {-1.0, 0.0, 0.0};
    const double size[2] = {0.2, 0.2};
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    const int group = CreateParticle(emitter, size, texture, rect, 1, 10, rightwards, 0.0, 4);
    ClearColorZ(1, 0, 0, 1.0);
    for (int step = 0; step < 3; ++step) ParticleMoveandRender(group, 0, 1.0);
    const gpu::Image image = captureBackBuffer();
    // The last step draws particles at x = 1, 0 and -1, five units away:
    // columns 400 -/+ 144.9 on row 300.
    for (const uint32_t x : {255u, 400u, 545u}) EXPECT_PIXEL(image, x, 300, (Rgba{0, 255, 0}));
    EXPECT_PIXEL(image, 472, 300, (Rgba{1, 0, 0}));
}

}  // namespace
}  // namespace korvel::testing
