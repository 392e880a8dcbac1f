// The render targets: the off-screen target with its own depth buffer (drawn
// into after SetViewportsandRenderTargets(101), read by sprites and materials
// as texture number 101), the clear of whichever target is current, and the
// capture of the back buffer to an image file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::device {

inline constexpr int kRenderTargetTextureNumber = 101;

// What the render-target calls set; kept across CleanupDevice.
struct RenderTargetSettings {
    uint32_t width = 512;
    uint32_t height = 512;
    int mode = 0;
};

// One off-screen target, declared so that destruction releases the views
// before the textures they refer to.
struct OffscreenTarget {
    std::unique_ptr<gpu::Texture2D> texture;
    std::unique_ptr<gpu::RenderTargetView> renderTargetView;
    std::unique_ptr<gpu::ShaderResourceView> textureView;
    std::unique_ptr<gpu::Texture2D> depthBuffer;
    std::unique_ptr<gpu::DepthStencilView> depthView;
    gpu::Viewport viewport;
};

// The device's off-screen targets: the current one and those of earlier
// creation calls (device-owned).
struct OffscreenTargets {
    OffscreenTarget current;
    std::vector<OffscreenTarget> earlier;
};

// RTWidth x RTHeight: 512 x 512 until CreateTextureforRTandSRV sets them.
uint32_t rtWidth();
uint32_t rtHeight();

// Last value given to SetViewportsandRenderTargets; 0 until then.
int renderTargetMode();

// The target's views; null until created (or after a failed step).
gpu::ShaderResourceView* offscreenTextureView();
gpu::RenderTargetView* offscreenRenderTargetView();
gpu::DepthStencilView* offscreenDepthView();

// Sets RTWidth and RTHeight, then creates the texture (-1, also for a size
// of 0 or less or above the device's largest texture), its render-target
// view (-2), its texture view (-3), the viewport, the depth buffer (-4) and
// its view (-5); returns 101 on success. Objects of an earlier call are kept
// alive until CleanupDevice, since the context may still have them bound.
// Without a device: -1, and nothing changes.
int createOffscreenTarget(int width, int height);

// 101 binds the off-screen viewport and views; any other value the screen's.
// Without a device it does nothing (the mode stays).
void selectRenderTarget(int target);

// A red value above 0 clears the colour of the current target (screen when
// RenderTargetMode is 0, the off-screen target otherwise) to (r, g, b) / 255
// with alpha 1; the depth of that target is always cleared to depth.
void clearColorAndDepth(int red, int green, int blue, double depth);

// Reads the back buffer (whatever target is bound) and writes it, opaque as
// the screen shows it, as kind 0 BMP, 1 JPG, 3 PNG or 4 DDS; any other kind
// writes nothing. The outcome is not reported.
void saveBackBuffer(int kind, const std::string& utf8Path);

}  // namespace korvel::device
