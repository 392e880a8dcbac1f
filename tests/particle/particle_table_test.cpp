// ParticleTable slots through the exports, without a device.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "particle/particle_table.h"

namespace {

using korvel::particle::particleTable;

const double kEmitter[3] = {0, 0, 0};
const double kSize[2] = {1, 1};
const double kRect[4] = {0, 0, 1, 1};
const double kVelocity[6] = {0, 0, 0, 0, 0, 0};

int create(int count) { return CreateParticle(kEmitter, kSize, 0, kRect, 1, 5, kVelocity, 0.0, count); }

class ParticleSlots : public ::testing::Test {
protected:
    void TearDown() override { particleTable().releaseAll(); }
};

TEST_F(ParticleSlots, TwentyGroupsFillTheTableAndAClearedSlotIsTakenAgain) {
    for (int i = 0; i < 20; ++i) ASSERT_EQ(create(4), i);
    EXPECT_EQ(create(4), -1);
    ClearParticle(7);
    EXPECT_EQ(create(4), 7);
}

TEST_F(ParticleSlots, NonPositiveCountFailsAndTheSlotStaysTakenUntilCleared) {
    EXPECT_EQ(create(0), -3);
    EXPECT_EQ(create(-5), -3);
    EXPECT_EQ(create(3), 2);
    // Calls on the slots left by -3, free slots and numbers out of range do nothing.
    for (int slot : {0, 1, 5, -1, 20}) {
        ParticleSetInit(slot);
        ParticleMoveandRender(slot, 0, 1.0);
        ParticleParamSet(slot, kEmitter, kSize, 0, kRect, 1, 5, kVelocity, 0.0);
        ClearParticle(slot);
    }
    EXPECT_EQ(create(3), 0);
}

TEST_F(ParticleSlots, ParamSetKeepsLiveParticlesAndTheCounter) {
    const int slot = create(4);
    ParticleMoveandRender(slot, 0, 1.0);  // no device: simulated, not drawn
    ParticleMoveandRender(slot, 0, 1.0);
    const double rising[6] = {0, 1, 0, 0, 1, 0};
    ParticleParamSet(slot, kEmitter, kSize, 3, kRect, 10, 5, rising, 0.0);
    auto particles = particleTable().particles(slot);
    EXPECT_EQ(particles[0].age, 2);
    EXPECT_EQ(particles[0].velocity[1], 0.0f);
    EXPECT_EQ(particleTable().group(slot)->texno, 3);
    EXPECT_EQ(particleTable().group(slot)->count, 4);
    ParticleSetInit(slot);
    EXPECT_EQ(particles[0].age, -1);
    EXPECT_EQ(particleTable().group(slot)->counter, 0);
}

}  // namespace
