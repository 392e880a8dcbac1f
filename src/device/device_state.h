// The device and the screen's targets, as InitDevice builds them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/gpu.h"

namespace korvel::device {

struct DeviceState {
    gpu::DeviceBundle bundle;  // device, immediate context, swap chain
    std::unique_ptr<gpu::RenderTargetView> backBufferRTV;
    std::unique_ptr<gpu::Texture2D> depthBuffer;
    std::unique_ptr<gpu::DepthStencilView> depthStencilView;
    gpu::Viewport screenViewport;
    uint32_t featureLevel = 0;
};

// The one library-wide device state.
DeviceState& deviceState();

}  // namespace korvel::device
