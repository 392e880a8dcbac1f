#include "device/render_target.h"

#include <memory>
#include <vector>

#include "device/lifecycle.h"
#include "platform/image/image.h"

namespace korvel::device {
namespace {

struct OffscreenTarget {
    std::unique_ptr<gpu::Texture2D> texture;
    std::unique_ptr<gpu::RenderTargetView> renderTargetView;
    std::unique_ptr<gpu::ShaderResourceView> textureView;
    std::unique_ptr<gpu::Texture2D> depthBuffer;
    std::unique_ptr<gpu::DepthStencilView> depthView;
    gpu::Viewport viewport;
};

struct RenderTargetState {
    uint32_t width = 512;
    uint32_t height = 512;
    int mode = 0;
    OffscreenTarget current;
    std::vector<OffscreenTarget> earlier;  // from repeated creation calls
};

// Views go before the textures they refer to.
void release(OffscreenTarget& target) {
    target.depthView.reset();
    target.depthBuffer.reset();
    target.textureView.reset();
    target.renderTargetView.reset();
    target.texture.reset();
}

RenderTargetState& rt() {
    static RenderTargetState state;
    return state;
}

}  // namespace

uint32_t rtWidth() { return rt().width; }
uint32_t rtHeight() { return rt().height; }
int renderTargetMode() { return rt().mode; }
gpu::ShaderResourceView* offscreenTextureView() { return rt().current.textureView.get(); }
gpu::RenderTargetView* offscreenRenderTargetView() { return rt().current.renderTargetView.get(); }
gpu::DepthStencilView* offscreenDepthView() { return rt().current.depthView.get(); }

int createOffscreenTarget(int width, int height) {
    gpu::Device* device = currentDevice();
    if (!device) return -1;
    RenderTargetState& state = rt();
    state.width = static_cast<uint32_t>(width);
    state.height = static_cast<uint32_t>(height);
    if (state.current.texture || state.current.depthBuffer) state.earlier.push_back(std::move(state.current));
    OffscreenTarget& target = state.current;

    // A size of zero or less, or beyond what the device can make, makes no
    // texture; refused before anything is allocated.
    const uint32_t limit = device->maxTextureSize();
    if (width <= 0 || height <= 0 || state.width > limit || state.height > limit) return -1;

    gpu::Texture2DDesc desc;
    desc.width = state.width;
    desc.height = state.height;
    desc.mipLevels = 1;
    desc.format = gpu::Format::R8G8B8A8_UNorm;
    desc.usage = gpu::Usage::Default;
    desc.bindFlags = gpu::BindRenderTarget | gpu::BindShaderResource;
    target.texture = device->createTexture2D(desc, nullptr);
    if (!target.texture) return -1;
    target.renderTargetView = device->createRenderTargetView(*target.texture);
    if (!target.renderTargetView) return -2;
    target.textureView = device->createShaderResourceView(*target.texture);
    if (!target.textureView) return -3;

    const gpu::Texture2DDesc& made = target.texture->desc();
    target.viewport =
        gpu::Viewport{0.0f, 0.0f, static_cast<float>(made.width), static_cast<float>(made.height), 0.0f, 1.0f};

    gpu::Texture2DDesc depthDesc = desc;
    depthDesc.format = gpu::Format::D24_UNorm_S8_UInt;
    depthDesc.bindFlags = gpu::BindDepthStencil;
    target.depthBuffer = device->createTexture2D(depthDesc, nullptr);
    if (!target.depthBuffer) return -4;
    target.depthView = device->createDepthStencilView(*target.depthBuffer);
    if (!target.depthView) return -5;
    return kRenderTargetTextureNumber;
}

void selectRenderTarget(int target) {
    gpu::Context* context = currentContext();
    if (!context) return;
    RenderTargetState& state = rt();
    state.mode = target;
    if (target == kRenderTargetTextureNumber) {
        // Selecting a target that was never made leaves the bindings alone.
        if (!state.current.renderTargetView || !state.current.depthView) return;
        context->rsSetViewport(state.current.viewport);
        context->omSetRenderTargets(state.current.renderTargetView.get(), state.current.depthView.get());
    } else {
        const DeviceState& screen = deviceState();
        context->rsSetViewport(screen.screenViewport);
        context->omSetRenderTargets(screen.backBufferRTV.get(), screen.depthStencilView.get());
    }
}

void releaseOffscreenTarget() {
    RenderTargetState& state = rt();
    release(state.current);
    for (OffscreenTarget& target : state.earlier) release(target);
    state.earlier.clear();
}

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

void saveBackBuffer(int kind, const std::string& utf8Path) {
    if (kind != 0 && kind != 1 && kind != 3 && kind != 4) return;
    DeviceState& state = deviceState();
    if (!state.bundle.context || !state.backBufferRTV) return;
    gpu::Image image;
    if (!state.bundle.context->readPixels(*state.backBufferRTV, image)) return;
    // The window shows the back buffer without its alpha, which blending
    // leaves at whatever the last sprite's texels held; the file shows what
    // the screen shows.
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
    image::saveImageFile(kind, utf8Path, image);
}

}  // namespace korvel::device
