// Particle group exports: argument conversion only.
#include <cstdlib>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "particle/particles.h"

using namespace korvel::particle;

namespace {

bool complete(const ParticleParams& params) {
    return params.emitter && params.size && params.texrect && params.velocity;
}

int cRand() { return std::rand(); }

}  // namespace

extern "C" {

KORVEL_API int CreateParticle(const double* emitter, const double* size, int texno, const double* texrect, int interval,
                              int lifetime, const double* velocity, double drift, int count) {
    const ParticleParams params{emitter, size, texno, texrect, interval, lifetime, velocity, drift};
    if (!complete(params)) return -2;
    if (korvel::device::currentDevice() == nullptr) return -1;
    return particleTable().create(params, count);
}

KORVEL_API void ParticleParamSet(int slot, const double* emitter, const double* size, int texno, const double* texrect,
                                 int interval, int lifetime, const double* velocity, double drift) {
    const ParticleParams params{emitter, size, texno, texrect, interval, lifetime, velocity, drift};
    ParticleGroup* group = particleTable().group(slot);
    if (group && complete(params)) applyParams(*group, params);
}

KORVEL_API void ParticleSetInit(int slot) {
    ParticleGroup* group = particleTable().group(slot);
    if (group) resetParticles(*group, particleTable().particles(slot));
}

KORVEL_API void ParticleMoveandRender(int slot, int blendmode, double factor) {
    moveAndRender(slot, blendmode, factor, cRand);
}

KORVEL_API void ClearParticle(int slot) { particleTable().release(slot); }

}  // extern "C"
