// A GPU backend whose every call does nothing: objects are empty shells,
// maps hand out a scratch block, draws are dropped. With it the library's
// own CPU work per call can be timed without a driver behind it.
#pragma once

#include "platform/gpu/backend.h"

namespace korvel::bench {

gpu::BackendFactory nullBackendFactory();

}  // namespace korvel::bench
