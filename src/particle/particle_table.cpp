// The particle table and the step rules of a group.
#include "particle/particles.h"

#include <new>

#include "platform/module_state.h"

namespace korvel::particle {

int ParticleTable::create(const ParticleParams& params, int count) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        Slot& s = slots_[static_cast<size_t>(slot)];
        if (s.group) continue;
        s.group.reset(new (std::nothrow) ParticleGroup{});
        if (!s.group) return -2;
        applyParams(*s.group, params);
        s.group->count = count;
        if (count <= 0 || count > kMaxCount) return -3;
        s.particles.reset(new (std::nothrow) Particle[static_cast<size_t>(count)]{});
        if (!s.particles) return -3;
        resetParticles(*s.group, particles(slot));
        return slot;
    }
    return -1;
}

ParticleGroup* ParticleTable::group(int slot) {
    if (!inRange(slot)) return nullptr;
    Slot& s = slots_[static_cast<size_t>(slot)];
    return s.particles ? s.group.get() : nullptr;
}

std::span<Particle> ParticleTable::particles(int slot) {
    ParticleGroup* g = group(slot);
    if (g == nullptr) return {};
    return {slots_[static_cast<size_t>(slot)].particles.get(), static_cast<size_t>(g->count)};
}

void ParticleTable::release(int slot) {
    if (!inRange(slot)) return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.particles.reset();
    s.group.reset();
}

ParticleTable& particleTable() { return moduleState<ParticleTable>(); }

void applyParams(ParticleGroup& group, const ParticleParams& params) {
    for (int axis = 0; axis < 3; ++axis) {
        group.emitter[axis] = static_cast<float>(params.emitter[axis]);
        group.velmin[axis] = static_cast<float>(params.velocity[axis]);
        group.velmax[axis] = static_cast<float>(params.velocity[axis + 3]);
    }
    group.size[0] = static_cast<float>(params.size[0]);
    group.size[1] = static_cast<float>(params.size[1]);
    group.texno = params.texno;
    group.texrect[0] = static_cast<float>(params.texrect[0]);
    group.texrect[1] = static_cast<float>(params.texrect[2]);
    group.texrect[2] = static_cast<float>(params.texrect[1]);
    group.texrect[3] = static_cast<float>(params.texrect[3]);
    group.interval = params.interval;
    group.lifetime = params.lifetime;
    group.drift = static_cast<float>(params.drift);
}

void resetParticles(ParticleGroup& group, std::span<Particle> particles) {
    group.counter = 0;
    for (Particle& particle : particles) particle.age = kFreeParticle;
}

int emitParticle(ParticleGroup& group, std::span<Particle> particles, RandomSource random) {
    group.counter += 1;
    if (group.counter < group.interval) return -1;
    group.counter = 0;
    for (size_t index = 0; index < particles.size(); ++index) {
        Particle& particle = particles[index];
        if (particle.age != kFreeParticle) continue;
        particle.age = 0;
        for (int axis = 0; axis < 3; ++axis) {
            particle.position[axis] = group.emitter[axis];
            int k = random() % 21;
            double span = static_cast<double>(group.velmax[axis]) - group.velmin[axis];
            particle.velocity[axis] = static_cast<float>(group.velmin[axis] + span * k * 0.05);
        }
        return static_cast<int>(index);
    }
    return -1;
}

ParticleConstants particleConstants(const ParticleGroup& group, const Particle& particle) {
    return ParticleConstants{
        {particle.position[0], particle.position[1], particle.position[2], 1.0f},
        {group.size[0], group.size[1], group.texrect[0], group.texrect[1]},
        {group.texrect[2], group.texrect[3], 0.0f, 0.0f},
    };
}

void ageParticle(const ParticleGroup& group, Particle& particle) {
    particle.age += 1;
    if (particle.age >= group.lifetime) {
        particle.age = kFreeParticle;
        return;
    }
    for (int axis = 0; axis < 3; ++axis) particle.position[axis] += particle.velocity[axis];
    particle.position[1] += group.drift;
}

}  // namespace korvel::particle
