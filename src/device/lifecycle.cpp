#include "device/lifecycle.h"

#include <initializer_list>

#include "device/camera.h"
#include "platform/gpu/backend.h"

namespace korvel::device {

DeviceState& deviceState() {
    static DeviceState state;
    return state;
}

gpu::Device* currentDevice() { return deviceState().bundle.device.get(); }

gpu::Context* currentContext() { return deviceState().bundle.context.get(); }

int createDeviceAndScreenTargets(void* window) {
    DeviceState& state = deviceState();
    const ScreenSize& screen = screenSize();

    gpu::SwapChainDesc swapChainDesc;
    swapChainDesc.width = screen.width;
    swapChainDesc.height = screen.height;
    swapChainDesc.window = window;

    for (gpu::DriverType type : {gpu::DriverType::Hardware, gpu::DriverType::Software}) {
        std::optional<gpu::DeviceBundle> bundle = gpu::createDevice(type, swapChainDesc);
        if (bundle && bundle->device && bundle->context && bundle->swapChain) {
            state.bundle = std::move(*bundle);
            break;
        }
    }
    if (!state.bundle.device) return -1;
    state.featureLevel = state.bundle.featureLevel;
    gpu::Device& device = *state.bundle.device;

    gpu::Texture2D* backBuffer = state.bundle.swapChain->backBuffer();
    if (!backBuffer) return -2;
    state.backBufferRTV = device.createRenderTargetView(*backBuffer);
    if (!state.backBufferRTV) return -3;

    gpu::Texture2DDesc depthDesc;
    depthDesc.width = screen.width;
    depthDesc.height = screen.height;
    depthDesc.mipLevels = 1;
    depthDesc.format = gpu::Format::D24_UNorm_S8_UInt;
    depthDesc.usage = gpu::Usage::Default;
    depthDesc.bindFlags = gpu::BindDepthStencil;
    state.depthBuffer = device.createTexture2D(depthDesc, nullptr);
    if (!state.depthBuffer) return -4;
    state.depthStencilView = device.createDepthStencilView(*state.depthBuffer);
    if (!state.depthStencilView) return -5;

    state.screenViewport =
        gpu::Viewport{0.0f, 0.0f, static_cast<float>(screen.width), static_cast<float>(screen.height), 0.0f, 1.0f};
    state.bundle.context->rsSetViewport(state.screenViewport);
    return 0;
}

void bindScreenTargets() {
    DeviceState& state = deviceState();
    if (!state.bundle.context) return;
    state.bundle.context->omSetRenderTargets(state.backBufferRTV.get(), state.depthStencilView.get());
}

uint32_t featureLevel() { return deviceState().featureLevel; }

bool deviceExists() { return deviceState().bundle.device != nullptr; }

void clearContextState() {
    if (gpu::Context* context = deviceState().bundle.context.get()) context->clearState();
}

void releaseDevice() {
    DeviceState& state = deviceState();
    state.depthStencilView.reset();
    state.depthBuffer.reset();
    state.backBufferRTV.reset();
    state.bundle.swapChain.reset();
    state.bundle.context.reset();
    state.bundle.device.reset();
    state.featureLevel = 0;
}

void present() {
    if (gpu::SwapChain* swapChain = deviceState().bundle.swapChain.get()) swapChain->present();
}

int deviceRemovedState() {
    gpu::Device* device = deviceState().bundle.device.get();
    if (!device) return -1;
    switch (device->status()) {
        case gpu::DeviceStatus::Ok:
            return 1;
        case gpu::DeviceStatus::Hung:
        case gpu::DeviceStatus::Reset:
            return 0;
        case gpu::DeviceStatus::Removed:
            return -1;
    }
    return -1;
}

}  // namespace korvel::device
