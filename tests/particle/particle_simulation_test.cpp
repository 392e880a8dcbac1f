// The emission schedule, entry reuse, start velocities, drift and lifetime
// of one group, stepped without a device.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "particle/particle_simulation.h"

namespace {

using namespace korvel::particle;

struct Emitter {
    double emitter[3] = {1.0, 2.0, 3.0};
    double size[2] = {0.5, 0.25};
    double texrect[4] = {0.0, 0.1, 0.9, 1.0};
    double velocity[6] = {0.0, 0.1, 0.0, 0.0, 0.1, 0.0};
    double drift = 0.0;
    int interval = 1;
    int lifetime = 10;

    ParticleParams params() const { return {emitter, size, 7, texrect, interval, lifetime, velocity, drift}; }
};

class Simulation : public ::testing::Test {
protected:
    void create(const Emitter& e, int count) {
        group = ParticleGroup{};
        applyParams(group, e.params());
        group.count = count;
        particles.assign(static_cast<size_t>(count), Particle{});
        resetParticles(group, particles);
    }
    // One ParticleMoveandRender step: emission, then each live entry is
    // "drawn" (recorded) and aged. Returns the entries drawn.
    std::vector<int> step(RandomSource random = std::rand) {
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

    ParticleGroup group{};
    std::vector<Particle> particles;
};

TEST_F(Simulation, IntervalThreeEmitsOnEveryThirdStepAgainAfterReset) {
    Emitter e;
    e.interval = 3;
    e.lifetime = 100;
    create(e, 10);
    std::vector<size_t> liveAfter;
    for (int i = 0; i < 7; ++i) {
        step();
        liveAfter.push_back(live());
    }
    EXPECT_EQ(liveAfter, (std::vector<size_t>{0, 0, 1, 1, 1, 2, 2}));
    resetParticles(group, particles);
    EXPECT_EQ(live(), 0u);
    step();
    step();
    EXPECT_EQ(live(), 0u);
    step();
    EXPECT_EQ(live(), 1u);
}

TEST_F(Simulation, FullArrayReleasesNothingThenReusesTheFirstEntry) {
    Emitter e;  // interval 1, lifetime 10
    create(e, 5);
    for (int i = 0; i < 5; ++i) step();
    EXPECT_EQ(live(), 5u);
    step();  // sixth: no free entry, counter still reset
    EXPECT_EQ(live(), 5u);
    EXPECT_EQ(group.counter, 0);
    for (int i = 7; i <= 9; ++i) step();
    std::vector<int> drawn = step();  // tenth: entry 0 drawn, then retired
    EXPECT_EQ(drawn.size(), 5u);
    EXPECT_EQ(particles[0].age, kFreeParticle);
    step();  // eleventh: entry 0 released again at the emitter
    EXPECT_EQ(particles[0].age, 1);
    EXPECT_FLOAT_EQ(particles[0].position[1], 2.0f + 0.1f);
}

TEST_F(Simulation, StartVelocityTakesTheTwentyOneValuesDrawnXThenYThenZ) {
    Emitter e;
    e.velocity[0] = 0.0;
    e.velocity[3] = 1.0;  // x from 0 to 1
    e.velocity[1] = -2.0;
    e.velocity[4] = -2.0;  // y fixed
    create(e, 1);
    std::srand(1234);
    std::vector<int> expectedK;
    for (int i = 0; i < 60; ++i) expectedK.push_back(std::rand() % 21);
    std::srand(1234);
    std::set<int> seen;
    for (int i = 0; i < 20; ++i) {
        resetParticles(group, particles);
        emitParticle(group, particles, std::rand);
        const float vx = particles[0].velocity[0];
        EXPECT_FLOAT_EQ(vx, static_cast<float>(expectedK[static_cast<size_t>(3 * i)] * 0.05)) << i;
        EXPECT_EQ(particles[0].velocity[1], -2.0f);
        seen.insert(static_cast<int>(vx * 20.0f + 0.5f));
    }
    for (int k : seen) EXPECT_TRUE(k >= 0 && k <= 20);

    static int counter = 0;
    RandomSource ramp = [] { return counter++; };
    for (int k = 0; k <= 20; ++k) {
        counter = k;
        resetParticles(group, particles);
        emitParticle(group, particles, ramp);
        EXPECT_FLOAT_EQ(particles[0].velocity[0], static_cast<float>(k * 0.05));
    }
    counter = 20;
    resetParticles(group, particles);
    emitParticle(group, particles, ramp);
    EXPECT_EQ(particles[0].velocity[0], 1.0f);  // k = 20 reaches velmax exactly
}

TEST_F(Simulation, DriftIsAConstantExtraVerticalSpeed) {
    Emitter e;
    e.velocity[1] = e.velocity[4] = 0.1;
    e.drift = -0.05;
    create(e, 1);
    step();
    for (int i = 1; i <= 5; ++i) {
        step();
        EXPECT_NEAR(particles[0].position[1], 2.0 + 0.05 * (i + 1), 1e-5) << i;
        EXPECT_FLOAT_EQ(particles[0].position[0], 1.0f);
    }
}

TEST_F(Simulation, LifetimeOneDrawsEachParticleOnceAtTheEmitter) {
    Emitter e;
    e.lifetime = 1;
    create(e, 3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(step(), std::vector<int>{0});
        EXPECT_EQ(live(), 0u);
        EXPECT_EQ(particles[0].position[1], 2.0f);  // freed without moving
    }
}

TEST(ParticleParams, TextureRectangleIsReorderedAndReachesTheConstants) {
    Emitter e;
    ParticleGroup group{};
    applyParams(group, e.params());
    Particle p{0, {4.0f, 5.0f, 6.0f}, {}};
    const ParticleConstants c = particleConstants(group, p);
    EXPECT_EQ((std::array<float, 4>{c.position[0], c.position[1], c.position[2], c.position[3]}),
              (std::array<float, 4>{4.0f, 5.0f, 6.0f, 1.0f}));
    EXPECT_EQ((std::array<float, 4>{c.sizeAndRect[0], c.sizeAndRect[1], c.sizeAndRect[2], c.sizeAndRect[3]}),
              (std::array<float, 4>{0.5f, 0.25f, 0.0f, 0.9f}));
    EXPECT_EQ((std::array<float, 4>{c.rectAndZero[0], c.rectAndZero[1], c.rectAndZero[2], c.rectAndZero[3]}),
              (std::array<float, 4>{0.1f, 1.0f, 0.0f, 0.0f}));
}

}  // namespace
