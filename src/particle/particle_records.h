// The records of a particle group: its parameters, its particle entries and
// the constants one particle's draw hands to the particle shaders.
#pragma once

#include <cstddef>
#include <cstdint>

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
    float drift;       // added to y every step
    int32_t count;     // number of entries
};

inline constexpr int32_t kFreeParticle = -1;

struct Particle {
    int32_t age;  // kFreeParticle when the entry is free
    float position[3];
    float velocity[3];
};

// Constant buffer b6, 48 bytes.
struct ParticleConstants {
    float position[4];      // x, y, z, 1
    float sizeAndRect[4];   // size 1, size 2, texrect[0], texrect[1]
    float rectAndZero[4];   // texrect[2], texrect[3], 0, 0
};
static_assert(sizeof(ParticleConstants) == 48);
static_assert(offsetof(ParticleConstants, sizeAndRect) == 16 && offsetof(ParticleConstants, rectAndZero) == 32);

// The caller's parameters as the creating call and ParticleParamSet pass
// them.
struct ParticleParams {
    const double* emitter;   // 3
    const double* size;      // 2
    int texno;
    const double* texrect;   // r0 to r3
    int interval;
    int lifetime;
    const double* velocity;  // velmin x, y, z, velmax x, y, z
    double drift;
};

}  // namespace korvel::particle
