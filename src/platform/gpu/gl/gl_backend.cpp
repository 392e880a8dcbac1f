// The GL backend's entry point and window side: the swap chain that presents
// through the GL target (or, on CPU rasterisers under X11, through an image
// shared with the X server), and createOpenGLDevice.
#include "platform/gpu/backend.h"
#include "platform/gpu/gl/gl_context.h"
#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gl/gl_objects.h"
#include "platform/gpu/gl/gl_target.h"

#ifndef _WIN32
#include <cstring>

#include "platform/gpu/gl/gl_x11_window.h"
#endif

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- swap chain and creation

namespace {
constexpr uint32_t kFeatureLevel11 = 0xB000;  // GL 4.5 core covers Direct3D 11.0

#ifndef _WIN32
// Mesa's rasterisers that draw on the CPU, keeping textures in host memory.
bool rendersOnCpu() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
}
#endif
}  // namespace

GlSwapChain::GlSwapChain(std::shared_ptr<GlCore> core, std::unique_ptr<GlTexture> backBuffer)
    : core_(std::move(core)), backBuffer_(std::move(backBuffer)) {
    core_->makeCurrent();
    glCreateFramebuffers(1, &readFbo_);
    glNamedFramebufferTexture(readFbo_, GL_COLOR_ATTACHMENT0, backBuffer_->storage->name, 0);
    glNamedFramebufferReadBuffer(readFbo_, GL_COLOR_ATTACHMENT0);
#ifndef _WIN32
    if (rendersOnCpu()) {
        const auto& desc = backBuffer_->desc();
        shmImage_ = core_->target().createShmWindowImage(desc.width, desc.height);
    }
#endif
}

GlSwapChain::~GlSwapChain() {
    core_->makeCurrent();
    glDeleteFramebuffers(1, &readFbo_);
}

void GlSwapChain::present() {
    core_->makeCurrent();
    if (core_->context) core_->context->finishPendingClears();
    GlTarget& target = core_->target();
    if (!target.windowed()) {
        glFlush();
        return;
    }
#ifndef _WIN32
    if (shmImage_ && shmImage_->show(backBuffer_->storage->name)) return;
#endif
    // Back-buffer row 0 is the top row; the window's framebuffer counts rows
    // from the bottom, so the copy flips. It stretches to the window's size.
    const auto& desc = backBuffer_->desc();
    int32_t width = 0, height = 0;
    target.windowSize(width, height);
    glBlitNamedFramebuffer(readFbo_, 0, 0, 0, static_cast<GLint>(desc.width), static_cast<GLint>(desc.height), 0,
                           height, width, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (!target.swapBuffers() && core_->lostStatus == DeviceStatus::Ok) core_->lostStatus = DeviceStatus::Removed;
}

std::optional<DeviceBundle> createOpenGLDevice(DriverType type, const SwapChainDesc& desc) {
    if (desc.width == 0 || desc.height == 0) return std::nullopt;
    std::unique_ptr<GlTarget> target = GlTarget::create(type, desc.window);
    if (!target) return std::nullopt;
    auto core = std::make_shared<GlCore>(std::move(target));

    DeviceBundle bundle;
    bundle.context = std::make_unique<GlContext>(core);
    bundle.device = std::make_unique<GlDevice>(core);
    Texture2DDesc backBufferDesc;
    backBufferDesc.width = desc.width;
    backBufferDesc.height = desc.height;
    backBufferDesc.format = Format::R8G8B8A8_UNorm;
    backBufferDesc.bindFlags = BindRenderTarget | BindShaderResource;
    auto texture = bundle.device->createTexture2D(backBufferDesc, nullptr);
    if (!texture) return std::nullopt;
    bundle.swapChain =
        std::make_unique<GlSwapChain>(core, std::unique_ptr<GlTexture>(static_cast<GlTexture*>(texture.release())));
    bundle.featureLevel = kFeatureLevel11;
    return bundle;
}

uint64_t stateChangeCount(const Context& context) {
    const auto* gl = dynamic_cast<const GlContext*>(&context);
    return gl ? gl->stateChangeCount() : 0;
}

}  // namespace korvel::gpu::gl
