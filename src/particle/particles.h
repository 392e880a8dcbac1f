// Particle groups: CPU-simulated emitters drawn as expanded points. The
// records of a group (its parameters, its particle entries and the constants
// one particle's draw hands to the particle shaders), the step rules free of
// any GPU work, the table of 20 numbered groups, and the step that draws.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace korvel::particle {

struct ParticleGroup {
    float emitter[3];  // where new particles start, world space
    float size[2];     // extent of the drawn quad
    int32_t texno;     // TextureTable slot
    float texrect[4];  // the caller's r0, r1, r2, r3 stored as r0, r2, r1, r3
    int32_t interval;  // emission period in steps
    int32_t counter;   // steps since the last emission
    int32_t lifetime;  // steps a particle lives
    float velmin[3];   // start velocity bounds per axis, units per step
    float velmax[3];
    float drift;    // added to y every step
    int32_t count;  // number of entries
};

inline constexpr int32_t kFreeParticle = -1;

struct Particle {
    int32_t age;  // kFreeParticle when the entry is free
    float position[3];
    float velocity[3];
};

// Constant buffer b6, 48 bytes.
struct ParticleConstants {
    float position[4];     // x, y, z, 1
    float sizeAndRect[4];  // size 1, size 2, texrect[0], texrect[1]
    float rectAndZero[4];  // texrect[2], texrect[3], 0, 0
};
static_assert(sizeof(ParticleConstants) == 48);
static_assert(offsetof(ParticleConstants, sizeAndRect) == 16 && offsetof(ParticleConstants, rectAndZero) == 32);

// The caller's parameters as the creating call and ParticleParamSet pass
// them.
struct ParticleParams {
    const double* emitter;  // 3
    const double* size;     // 2
    int texno;
    const double* texrect;  // r0 to r3
    int interval;
    int lifetime;
    const double* velocity;  // velmin x, y, z, velmax x, y, z
    double drift;
};

// A random generator with the C runtime's contract (values 0 to RAND_MAX).
using RandomSource = int (*)();

// Stores the parameters in the group (doubles to float, the texture
// rectangle reordered); counter, count and the entries are not touched.
void applyParams(ParticleGroup& group, const ParticleParams& params);

// Counter back to 0 and every entry free.
void resetParticles(ParticleGroup& group, std::span<Particle> particles);

// The emission part of a step: counts the step and, when interval steps
// have passed, releases one particle into the lowest free entry (if any) at
// the emitter with a start velocity per axis of velmin + (velmax - velmin)
// * k * 0.05, k = random() % 21 drawn for x, y, z in turn. Returns the entry
// released, or -1.
int emitParticle(ParticleGroup& group, std::span<Particle> particles, RandomSource random);

// The constants that draw a live particle.
ParticleConstants particleConstants(const ParticleGroup& group, const Particle& particle);

// Ages a live particle after its draw: it becomes free when its age reaches
// the lifetime, otherwise it moves by its velocity and y also by drift.
void ageParticle(const ParticleGroup& group, Particle& particle);

// ParticleTable: 20 numbered particle groups, each a parameter record and
// an array of particle entries.
class ParticleTable {
public:
    static constexpr int kSlotCount = 20;
    // Most entries a group may hold. Every live particle costs one draw per
    // step, so a step of this many is already far past a frame's time; the
    // ceiling keeps a group's array at 2.8 MB.
    static constexpr int kMaxCount = 100000;

    // Takes the lowest free slot: -1 none free, -2 record not allocated, -3
    // entry array not allocated (also for a count outside 1 to kMaxCount,
    // refused before allocating; the record stays in the slot until
    // release). Returns the slot with every entry free and the counter at 0.
    int create(const ParticleParams& params, int count);

    // The group of a slot holding a record and its entries, else null.
    ParticleGroup* group(int slot);
    std::span<Particle> particles(int slot);

    // Frees a slot's entries and record; numbers outside 0 to 19 are ignored.
    void release(int slot);
    void releaseAll();

private:
    struct Slot {
        std::unique_ptr<ParticleGroup> group;
        std::unique_ptr<Particle[]> particles;
    };
    static bool inRange(int slot) { return slot >= 0 && slot < kSlotCount; }

    std::array<Slot, kSlotCount> slots_;
};

// The library-wide table.
ParticleTable& particleTable();

// ParticleMoveandRender: one simulation step of a group and one draw per
// live particle through "VSparticle" and "GS_PARTICLE".
// Steps the group in the slot (a free slot, one without entries or a number
// outside 0 to 19 does nothing) drawing from random for the emission; with
// no device the particles still move but nothing is drawn.
void moveAndRender(int slot, int blendmode, double factor, RandomSource random);

}  // namespace korvel::particle
