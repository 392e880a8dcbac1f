// Sprites collected into instanced draws. Consecutive sprites with the same
// texture view, blend mode (and factor, where the mode uses it) wait in a
// fixed array; they go out as one instanced draw of the twin of "VSsprite"
// when a sprite with other state comes, when the array is full, or when
// anything else uses the context (see device::setPendingDraws). A batch of
// one sprite goes out through the one-sprite path. The pixels are those of
// one draw per sprite, in the same order.
#pragma once

#include <array>
#include <cstdint>

#include "device/pipeline.h"
#include "draw2d/sprite.h"
#include "platform/gpu/gpu.h"

namespace korvel::draw2d {

// The collected sprites (a device-owned module state).
struct SpriteBatch {
    bool enabled = true;  // false: every sprite is drawn by its own call
    gpu::ShaderResourceView* view = nullptr;
    int blendmode = 0;
    double factor = 0.0;
    bool worldIsIdentity = false;  // this batch has reset the world matrix for its world sprites
    uint32_t count = 0;
    std::array<SpriteConstants, device::kSpriteBatchCapacity> sprites;
};

SpriteBatch& spriteBatch();

// Collects one sprite whose texture resolved; false when it is to be drawn
// at once instead (batching off or unavailable, or a blend mode outside 0
// to 5, whose draw keeps the previous draw's blend state and pixel shader),
// after whatever was collected has been drawn.
bool collectSprite(gpu::Context& context, const SpriteConstants& constants, gpu::ShaderResourceView* view,
                   int blendmode, double factor);

// Turns collection on or off for the rest of this device's life, drawing
// what is collected first. Tests compare the two ways of drawing with it.
void setSpriteBatching(bool on);

}  // namespace korvel::draw2d
