// A Device / Context / SwapChain decorator that forwards every call to an
// inner backend and appends it to a CallLog. Objects are the inner backend's
// own, so the log's object pointers are the ones the caller holds. Each
// logged upload copies its bytes: this is a test tool, not for frames.
#pragma once

#include <memory>

#include "platform/gpu/backend.h"
#include "platform/gpu/recording_log.h"

namespace korvel::gpu {

DeviceBundle recordCalls(DeviceBundle inner, std::shared_ptr<CallLog> log);

// A factory whose devices are inner's, wrapped by recordCalls.
BackendFactory recordingFactory(BackendFactory inner, std::shared_ptr<CallLog> log);

}  // namespace korvel::gpu
