// ParticleTable: 20 numbered particle groups, each a parameter record and
// an array of particle entries.
#pragma once

#include <array>
#include <memory>
#include <span>

#include "particle/particle_records.h"

namespace korvel::particle {

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

}  // namespace korvel::particle
