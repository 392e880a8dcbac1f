// The GL target on Linux: an EGL display, an OpenGL 4.5 core context and,
// for a window, the X11 window's surface. Headless targets use the Mesa
// surfaceless platform or an EGL device.
#include "platform/gpu/gl/gl_target.h"

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

namespace {

// The EGL context this thread last made current through a GlTarget.
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

std::unique_ptr<GlTarget> GlTarget::create(DriverType type, void* window) {
    std::unique_ptr<GlTarget> target(new GlTarget);
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

GlTarget::~GlTarget() {
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

void GlTarget::makeCurrent() {
    if (currentContext == context_) return;
    EGLSurface surface = surface_ ? surface_ : EGL_NO_SURFACE;
    if (eglMakeCurrent(display_, surface, surface, context_)) currentContext = context_;
}

void GlTarget::windowSize(int32_t& width, int32_t& height) const {
    EGLint w = 0, h = 0;
    eglQuerySurface(display_, surface_, EGL_WIDTH, &w);
    eglQuerySurface(display_, surface_, EGL_HEIGHT, &h);
    width = w;
    height = h;
}

bool GlTarget::swapBuffers() { return surface_ && eglSwapBuffers(display_, surface_); }

std::unique_ptr<ShmWindowImage> GlTarget::createShmWindowImage(uint32_t width, uint32_t height) const {
    if (!surface_) return nullptr;
    return ShmWindowImage::create(static_cast<::Display*>(x11Display_), x11Window_, width, height);
}

}  // namespace korvel::gpu::gl
