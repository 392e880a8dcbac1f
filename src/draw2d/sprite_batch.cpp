#include "draw2d/sprite_batch.h"

#include <utility>

#include "device/lifecycle.h"
#include "math/matrix.h"
#include "platform/module_state.h"

namespace korvel::draw2d {
namespace {

using gpu::ShaderStage;

// Modes 4 and 5 blend with the factor, as a float; the others ignore it.
bool sameBlend(int mode, double factor, int otherMode, double otherFactor) {
    return mode == otherMode && (mode < 4 || static_cast<float>(factor) == static_cast<float>(otherFactor));
}

// Draws what is collected: the pending-draws function of the device.
void issueBatch() {
    SpriteBatch& batch = spriteBatch();
    const uint32_t count = std::exchange(batch.count, 0u);
    gpu::Context* context = device::collectingContext();
    if (!context || count == 0) return;
    if (count == 1) {
        drawSingleSprite(*context, batch.sprites[0], batch.view, batch.blendmode, batch.factor);
        return;
    }
    gpu::Buffer* corners = device::pipeline().spriteBatchCorners.get();
    context->updateSubresource(*corners, batch.sprites.data(), count * sizeof(SpriteConstants));
    device::bindDrawState(*context, device::DrawPreset::SpriteBatch);
    context->setConstantBuffer(ShaderStage::Vertex, device::kSpriteBatchRegister, corners);
    context->setShaderResource(ShaderStage::Pixel, 0, batch.view);
    device::bindSpriteBlendMode(batch.blendmode, batch.factor);
    context->drawInstanced(4, count, 0, 0);
}

}  // namespace

static_assert(sizeof(SpriteConstants) * device::kSpriteBatchCapacity == device::kSpriteBatchBytes);

SpriteBatch& spriteBatch() { return moduleState<SpriteBatch>(); }

bool collectSprite(gpu::Context& context, const SpriteConstants& constants, gpu::ShaderResourceView* view,
                   int blendmode, double factor) {
    SpriteBatch& batch = spriteBatch();
    if (!batch.enabled || blendmode < 0 || blendmode > 5 || !device::spriteBatchingAvailable()) {
        device::issuePendingDraws();
        return false;
    }
    if (batch.count > 0 && (batch.count == batch.sprites.size() || view != batch.view ||
                            !sameBlend(blendmode, factor, batch.blendmode, batch.factor)))
        device::issuePendingDraws();
    if (batch.count == 0) {
        batch.view = view;
        batch.blendmode = blendmode;
        batch.factor = factor;
        batch.worldIsIdentity = false;
        device::setPendingDraws(&issueBatch);
    }
    // World sprites draw with the identity world, set as the one-sprite path
    // sets it; nothing else can change it before the batch is drawn.
    if (constants.spaceFlag == kWorldSpace && !batch.worldIsIdentity) {
        device::setWorldMatrix(context, math::identity());
        batch.worldIsIdentity = true;
    }
    batch.sprites[batch.count++] = constants;
    return true;
}

void setSpriteBatching(bool on) {
    device::issuePendingDraws();
    spriteBatch().enabled = on;
}

}  // namespace korvel::draw2d
