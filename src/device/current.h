// The device that InitDevice brought up, for every module that draws or
// creates GPU objects. Both are null while no device exists (before
// InitDevice, after CleanupDevice, and after a failure before step 2).
#pragma once

#include "platform/gpu/gpu.h"

namespace korvel::device {

gpu::Device* currentDevice();
gpu::Context* currentContext();

}  // namespace korvel::device
