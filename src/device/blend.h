// The blend-mode numbers shared by sprites, particles, points and lines:
// 0 off, 1 add, 2 destination minus source, 3 alpha, 4 constant factor,
// 5 constant factor with the pixel shader "PSddsalpha" (sprites, particles).
#pragma once

namespace korvel::device {

// Binds the blend state of mode 0 to highestMode (factor feeds modes 4 and
// 5). A mode outside that range binds nothing, so the previous draw's blend
// state stays; returns whether the mode was in range. Points pass 4, lines 3.
bool bindBlendState(int mode, double factor, int highestMode);

// Sprites and particles: the blend state of modes 0 to 5 and the pixel
// shader "PS" (or "PSddsalpha" for mode 5). Out of range binds neither.
void bindSpriteBlendMode(int mode, double factor);

}  // namespace korvel::device
