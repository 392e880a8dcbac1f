// One simulation step of a particle group, free of any GPU work.
#pragma once

#include <span>

#include "particle/particle_records.h"

namespace korvel::particle {

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

}  // namespace korvel::particle
