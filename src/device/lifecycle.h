// The device's own steps of InitDevice and CleanupDevice. library.cpp calls
// them in order, between the steps of the other modules.
#pragma once

#include <cstdint>

namespace korvel::device {

// Steps 1 to 5: device and swap chain of ScreenWidth x ScreenHeight (hardware
// driver first, then software), the back-buffer view, the depth buffer and its
// view, and the screen viewport (bound). Returns 0, or -1 no driver produced a
// device, -2 no back buffer, -3 back-buffer view, -4 depth buffer, -5 depth
// view. What was built before a failure stays for releaseDevice.
int createDeviceAndScreenTargets(void* window);

// Step 9: the back buffer and the depth view become the output.
void bindScreenTargets();

// The feature level the device reported (0 while there is none).
uint32_t featureLevel();

// True while any device object exists, even from a failed InitDevice.
bool deviceExists();

// First step of CleanupDevice: unbind everything from the context, if any.
void clearContextState();

// Last step of CleanupDevice: the screen's depth buffer and views, the swap
// chain, the context and the device. Every other module releases its GPU
// objects before this.
void releaseDevice();

}  // namespace korvel::device
