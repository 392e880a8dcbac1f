// The device and the screen's targets: the device's own steps of InitDevice
// and CleanupDevice (library.cpp calls them in order, between the steps of
// the other modules), the device every module draws with, and the per-frame
// present and health check.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/gpu.h"

namespace korvel::device {

// Declared so that destruction releases the views before what they view and
// the device last.
struct DeviceState {
    gpu::DeviceBundle bundle;  // device, immediate context, swap chain
    std::unique_ptr<gpu::RenderTargetView> backBufferRTV;
    std::unique_ptr<gpu::Texture2D> depthBuffer;
    std::unique_ptr<gpu::DepthStencilView> depthStencilView;
    gpu::Viewport screenViewport;
    uint32_t featureLevel = 0;
    void (*pendingDraws)() = nullptr;  // see setPendingDraws
};

// The one library-wide device state (a device-owned module state).
DeviceState& deviceState();

// The device that InitDevice brought up, for every module that draws or
// creates GPU objects. Both are null while no device exists (before
// InitDevice, after CleanupDevice, and after a failure before step 2).
gpu::Device* currentDevice();
gpu::Context* currentContext();

// Draws collected but not yet issued: consecutive sprites wait there to go
// out as one instanced draw. The collecting module names the function that
// issues them (one at a time); every other use of the context issues them
// first (currentContext(), the clears, read-backs, present, a released
// texture and CleanupDevice), so nothing else can see or change the state
// they draw with before they are drawn.
void setPendingDraws(void (*issue)());
void issuePendingDraws();
// The context for the collecting module itself: what is pending stays so.
gpu::Context* collectingContext();

// Steps 1 to 5: device and swap chain of ScreenWidth x ScreenHeight (hardware
// driver first, then software), the back-buffer view, the depth buffer and its
// view, and the screen viewport (bound). Returns 0, or -1 no driver produced a
// device, -2 no back buffer, -3 back-buffer view, -4 depth buffer, -5 depth
// view. What was built before a failure stays until CleanupDevice.
int createDeviceAndScreenTargets(void* window);

// Step 9: the back buffer and the depth view become the output.
void bindScreenTargets();

// The feature level the device reported (0 while there is none).
uint32_t featureLevel();

// True while any device object exists, even from a failed InitDevice.
bool deviceExists();

// First step of CleanupDevice: unbind everything from the context, if any.
void clearContextState();

void present();

// 1 usable, 0 hung or reset, -1 removed for any other reason (or no device).
int deviceRemovedState();

}  // namespace korvel::device
