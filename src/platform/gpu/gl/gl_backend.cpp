// The GL backend's entry point and window side: the EGL target (display,
// context, window surface), the swap chain that presents through it (or, on
// CPU rasterisers, through an image shared with the X server), and
// createOpenGLDevice.
#include "platform/gpu/backend.h"
#include "platform/gpu/gl/gl_context.h"
#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gl/gl_objects.h"

// Xlib defines macros (None, Bool, Status, Always) that clash with other
// headers: after them.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "platform/gpu/gl/gl_x11_window.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- EGL target

namespace {

// The EGL context this thread last made current through an EglTarget.
thread_local void* currentContext = nullptr;

bool hasExtension(const char* list, std::string_view name) {
    if (!list) return false;
    std::string_view all(list);
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find(' ', start);
        if (end == std::string_view::npos) end = all.size();
        if (all.substr(start, end - start) == name) return true;
        start = end + 1;
    }
    return false;
}

// A device of the EGL device platform: the software rasteriser, or the first
// other device (a GPU driver without the Mesa surfaceless platform).
EGLDisplay deviceDisplay(bool software) {
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!queryDevices || !queryString) return EGL_NO_DISPLAY;
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices(16, devices, &count)) return EGL_NO_DISPLAY;
    for (EGLint i = 0; i < count; ++i) {
        bool isSoftware = hasExtension(queryString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software");
        if (isSoftware == software) return eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
    }
    return EGL_NO_DISPLAY;
}

EGLDisplay openHeadlessDisplay(DriverType type) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay display = EGL_NO_DISPLAY;
    if (type == DriverType::Software) {
        display = deviceDisplay(true);
    } else {
        if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
            display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY) display = deviceDisplay(false);
    }
    if (display != EGL_NO_DISPLAY && !eglInitialize(display, nullptr, nullptr)) display = EGL_NO_DISPLAY;
    return display;
}

// Headless displays are initialised once per driver type and shared by every
// headless device of the process: terminating one would end the others.
EGLDisplay headlessDisplay(DriverType type) {
    if (type == DriverType::Software) {
        static EGLDisplay software = openHeadlessDisplay(DriverType::Software);
        return software;
    }
    static EGLDisplay hardware = openHeadlessDisplay(DriverType::Hardware);
    return hardware;
}

// Sets an environment variable for the lifetime of the guard.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

EGLContext createCoreContext(EGLDisplay display, EGLConfig config) {
    if (!eglBindAPI(EGL_OPENGL_API)) return EGL_NO_CONTEXT;
    const bool robust = hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_EXT_create_context_robustness");
    const EGLint robustAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                    4,
                                    EGL_CONTEXT_MINOR_VERSION,
                                    5,
                                    EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                    EGL_CONTEXT_OPENGL_ROBUST_ACCESS,
                                    EGL_TRUE,
                                    EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY,
                                    EGL_LOSE_CONTEXT_ON_RESET,
                                    EGL_NONE};
    const EGLint plainAttribs[] = {
        EGL_CONTEXT_MAJOR_VERSION,           4,       EGL_CONTEXT_MINOR_VERSION, 5, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = EGL_NO_CONTEXT;
    if (robust) context = eglCreateContext(display, config, EGL_NO_CONTEXT, robustAttribs);
    if (context == EGL_NO_CONTEXT) context = eglCreateContext(display, config, EGL_NO_CONTEXT, plainAttribs);
    return context;
}

EGLConfig chooseConfig(EGLDisplay display, bool window, EGLint visualId) {
    const EGLint attribs[] = {EGL_RENDERABLE_TYPE,
                              EGL_OPENGL_BIT,
                              EGL_SURFACE_TYPE,
                              window ? EGL_WINDOW_BIT : 0,
                              EGL_RED_SIZE,
                              8,
                              EGL_GREEN_SIZE,
                              8,
                              EGL_BLUE_SIZE,
                              8,
                              EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(display, attribs, configs, 64, &count) || count == 0) return nullptr;
    for (EGLint i = 0; window && i < count; ++i) {
        EGLint id = 0;
        if (eglGetConfigAttrib(display, configs[i], EGL_NATIVE_VISUAL_ID, &id) && id == visualId) return configs[i];
    }
    return configs[0];
}

}  // namespace

std::unique_ptr<EglTarget> EglTarget::create(DriverType type, void* window) {
    std::unique_ptr<EglTarget> target(new EglTarget);
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLint visualId = 0;
    Window xWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(window));
    if (!window) {
        display = headlessDisplay(type);
    } else {
        ::Display* x11 = XOpenDisplay(nullptr);
        if (!x11) return nullptr;
        target->x11Display_ = x11;
        target->x11Window_ = xWindow;
        XWindowAttributes attributes;
        XErrorTrap trap(x11);
        if (!XGetWindowAttributes(x11, xWindow, &attributes) || trap.failed()) return nullptr;
        visualId = static_cast<EGLint>(XVisualIDFromVisual(attributes.visual));
        display = eglGetPlatformDisplay(EGL_PLATFORM_X11_KHR, x11, nullptr);
        if (display == EGL_NO_DISPLAY) return nullptr;
        // Mesa reads the variable when the display is initialised.
        std::optional<ScopedEnv> software;
        if (type == DriverType::Software) software.emplace("LIBGL_ALWAYS_SOFTWARE", "1");
        if (!eglInitialize(display, nullptr, nullptr)) return nullptr;
        target->ownsDisplay_ = true;
    }
    if (display == EGL_NO_DISPLAY) return nullptr;
    target->display_ = display;

    EGLConfig config = chooseConfig(display, window != nullptr, visualId);
    if (window && !config) return nullptr;
    target->config_ = config;
    target->context_ = createCoreContext(display, config);
    if (target->context_ == EGL_NO_CONTEXT) return nullptr;
    if (window) {
        target->surface_ = eglCreatePlatformWindowSurface(display, config, &xWindow, nullptr);
        if (target->surface_ == EGL_NO_SURFACE) {
            target->surface_ = nullptr;
            return nullptr;
        }
    }
    target->makeCurrent();
    if (currentContext != target->context_) return nullptr;
    if (window) eglSwapInterval(display, 0);
    return target;
}

EglTarget::~EglTarget() {
    if (display_) {
        if (currentContext == context_ && context_) {
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            currentContext = nullptr;
        }
        if (surface_) eglDestroySurface(display_, surface_);
        if (context_) eglDestroyContext(display_, context_);
        if (ownsDisplay_) eglTerminate(display_);
    }
    if (x11Display_) XCloseDisplay(static_cast<::Display*>(x11Display_));
}

void EglTarget::makeCurrent() {
    if (currentContext == context_) return;
    EGLSurface surface = surface_ ? surface_ : EGL_NO_SURFACE;
    if (eglMakeCurrent(display_, surface, surface, context_)) currentContext = context_;
}

void EglTarget::windowSize(int32_t& width, int32_t& height) const {
    EGLint w = 0, h = 0;
    eglQuerySurface(display_, surface_, EGL_WIDTH, &w);
    eglQuerySurface(display_, surface_, EGL_HEIGHT, &h);
    width = w;
    height = h;
}

bool EglTarget::swapBuffers() { return surface_ && eglSwapBuffers(display_, surface_); }

std::unique_ptr<ShmWindowImage> EglTarget::createShmWindowImage(uint32_t width, uint32_t height) const {
    if (!surface_) return nullptr;
    return ShmWindowImage::create(static_cast<::Display*>(x11Display_), x11Window_, width, height);
}

// ---------------------------------------------------------------- swap chain and creation

namespace {
constexpr uint32_t kFeatureLevel11 = 0xB000;  // GL 4.5 core covers Direct3D 11.0

// Mesa's rasterisers that draw on the CPU, keeping textures in host memory.
bool rendersOnCpu() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
}
}  // namespace

GlSwapChain::GlSwapChain(std::shared_ptr<GlCore> core, std::unique_ptr<GlTexture> backBuffer)
    : core_(std::move(core)), backBuffer_(std::move(backBuffer)) {
    core_->makeCurrent();
    glCreateFramebuffers(1, &readFbo_);
    glNamedFramebufferTexture(readFbo_, GL_COLOR_ATTACHMENT0, backBuffer_->storage->name, 0);
    glNamedFramebufferReadBuffer(readFbo_, GL_COLOR_ATTACHMENT0);
    if (rendersOnCpu()) {
        const auto& desc = backBuffer_->desc();
        shmImage_ = core_->target().createShmWindowImage(desc.width, desc.height);
    }
}

GlSwapChain::~GlSwapChain() {
    core_->makeCurrent();
    glDeleteFramebuffers(1, &readFbo_);
}

void GlSwapChain::present() {
    core_->makeCurrent();
    EglTarget& target = core_->target();
    if (!target.windowed()) {
        glFlush();
        return;
    }
    if (shmImage_ && shmImage_->show(backBuffer_->storage->name)) return;
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
    std::unique_ptr<EglTarget> target = EglTarget::create(type, desc.window);
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
