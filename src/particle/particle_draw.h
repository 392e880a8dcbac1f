// ParticleMoveandRender: one simulation step of a group and one draw per
// live particle through "VSparticle" and "GS_PARTICLE".
#pragma once

#include "particle/particle_simulation.h"

namespace korvel::particle {

// Steps the group in the slot (a free slot, one without entries or a number
// outside 0 to 19 does nothing) drawing from random for the emission; with
// no device the particles still move but nothing is drawn.
void moveAndRender(int slot, int blendmode, double factor, RandomSource random);

}  // namespace korvel::particle
