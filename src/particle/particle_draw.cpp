// One step of a group that draws each live particle.
#include "particle/particles.h"

#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "draw2d/sprite.h"
#include "draw2d/texture_table.h"

namespace korvel::particle {
namespace {

using gpu::ShaderStage;

// Binds what every particle of the group draws with; false when the device
// or its particle buffer is missing.
bool bindParticlePipeline(gpu::Context& context, int texno, int blendmode, double factor) {
    const device::Pipeline& objects = device::pipeline();
    gpu::Buffer* constants = objects.cb(device::CbParticle);
    if (!constants) return false;
    draw2d::resetWorldTransform();
    device::bindDrawState(context, device::DrawPreset::Particle);
    context.setConstantBuffer(ShaderStage::Vertex, device::CbParticle, constants);
    context.setConstantBuffer(ShaderStage::Geometry, device::CbParticle, constants);
    context.setShaderResource(ShaderStage::Pixel, 0, draw2d::textureTable().view(texno));
    device::bindSpriteBlendMode(blendmode, factor);
    return true;
}

}  // namespace

void moveAndRender(int slot, int blendmode, double factor, RandomSource random) {
    ParticleTable& table = particleTable();
    ParticleGroup* group = table.group(slot);
    if (group == nullptr) return;
    std::span<Particle> particles = table.particles(slot);
    emitParticle(*group, particles, random);

    gpu::Context* context = device::currentContext();
    bool drawing = false;
    gpu::Buffer* constantBuffer = device::pipeline().cb(device::CbParticle);
    for (Particle& particle : particles) {
        if (particle.age == kFreeParticle) continue;
        if (context && !drawing) drawing = bindParticlePipeline(*context, group->texno, blendmode, factor);
        if (drawing) {
            const ParticleConstants constants = particleConstants(*group, particle);
            context->updateSubresource(*constantBuffer, &constants, sizeof constants);
            context->draw(1, 0);
        }
        ageParticle(*group, particle);
    }
}

}  // namespace korvel::particle
