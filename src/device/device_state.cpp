#include "device/device_state.h"

#include "device/current.h"

namespace korvel::device {

DeviceState& deviceState() {
    static DeviceState state;
    return state;
}

gpu::Device* currentDevice() { return deviceState().bundle.device.get(); }

gpu::Context* currentContext() { return deviceState().bundle.context.get(); }

}  // namespace korvel::device
