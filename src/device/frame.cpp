#include "device/frame.h"

#include "device/device_state.h"
#include "device/render_target.h"

namespace korvel::device {

void clearColorAndDepth(int red, int green, int blue, double depth) {
    DeviceState& state = deviceState();
    gpu::Context* context = state.bundle.context.get();
    if (!context) return;
    const float colour[4] = {static_cast<float>(red) / 255.0f, static_cast<float>(green) / 255.0f,
                             static_cast<float>(blue) / 255.0f, 1.0f};
    const bool screen = renderTargetMode() == 0;
    gpu::RenderTargetView* target = screen ? state.backBufferRTV.get() : offscreenRenderTargetView();
    gpu::DepthStencilView* depthView = screen ? state.depthStencilView.get() : offscreenDepthView();
    if (red > 0 && target) context->clearRenderTargetView(*target, colour);
    if (depthView) context->clearDepthStencilView(*depthView, static_cast<float>(depth));
}

void present() {
    if (gpu::SwapChain* swapChain = deviceState().bundle.swapChain.get()) swapChain->present();
}

int deviceRemovedState() {
    gpu::Device* device = deviceState().bundle.device.get();
    if (!device) return -1;
    switch (device->status()) {
        case gpu::DeviceStatus::Ok: return 1;
        case gpu::DeviceStatus::Hung:
        case gpu::DeviceStatus::Reset: return 0;
        case gpu::DeviceStatus::Removed: return -1;
    }
    return -1;
}

}  // namespace korvel::device
