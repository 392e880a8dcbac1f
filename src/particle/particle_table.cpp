#include "particle/particle_table.h"

#include <new>

#include "particle/particle_simulation.h"

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

void ParticleTable::releaseAll() {
    for (int slot = 0; slot < kSlotCount; ++slot) release(slot);
}

ParticleTable& particleTable() {
    static ParticleTable table;
    return table;
}

}  // namespace korvel::particle
