// Per-frame calls: clear, present, and the device health check.
#pragma once

namespace korvel::device {

// A red value above 0 clears the colour of the current target (screen when
// RenderTargetMode is 0, the off-screen target otherwise) to (r, g, b) / 255
// with alpha 1; the depth of that target is always cleared to depth.
void clearColorAndDepth(int red, int green, int blue, double depth);

void present();

// 1 usable, 0 hung or reset, -1 removed for any other reason (or no device).
int deviceRemovedState();

}  // namespace korvel::device
