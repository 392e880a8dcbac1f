// The GL target on Windows: a WGL OpenGL 4.5 core context on the host's
// window, or on a hidden window of the target's own for a headless device.
// Windows picks the OpenGL driver itself and has no separate software one
// to ask for, so both driver types get the same context: the software
// request, the fallback after a failed hardware one, tries the driver again.
#include "platform/gpu/gl/gl_functions.h"
#include "platform/gpu/gl/gl_target.h"

#include <GL/wglext.h>

namespace korvel::gpu::gl {

namespace {

constexpr wchar_t kHiddenWindowClass[] = L"KorvelHeadless";

HWND createHiddenWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSW wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kHiddenWindowClass;
        return RegisterClassW(&wc);
    }();
    if (!windowClass) return nullptr;
    return CreateWindowExW(0, kHiddenWindowClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool choosePixelFormat(HDC dc) {
    // A window keeps the first pixel format it is given: a host's window
    // that already has one is used as it is.
    if (GetPixelFormat(dc) != 0) return true;
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    return format != 0 && SetPixelFormat(dc, format, &pfd) != FALSE;
}

// wglCreateContextAttribsARB is only reachable through a current context, so
// a legacy context is made first and dropped once the core one exists. A
// robust context (reset notification, as the EGL target asks for) is
// preferred; a driver without it gives a plain one.
HGLRC createCoreContext(HDC dc) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy || !wglMakeCurrent(dc, legacy)) {
        if (legacy) wglDeleteContext(legacy);
        return nullptr;
    }
    const auto createContextAttribs = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
        reinterpret_cast<void*>(wglGetProcAddress("wglCreateContextAttribsARB")));
    HGLRC core = nullptr;
    if (createContextAttribs) {
        const int robust[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                              4,
                              WGL_CONTEXT_MINOR_VERSION_ARB,
                              5,
                              WGL_CONTEXT_PROFILE_MASK_ARB,
                              WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                              WGL_CONTEXT_FLAGS_ARB,
                              WGL_CONTEXT_ROBUST_ACCESS_BIT_ARB,
                              WGL_CONTEXT_RESET_NOTIFICATION_STRATEGY_ARB,
                              WGL_LOSE_CONTEXT_ON_RESET_ARB,
                              0};
        const int plain[] = {
            WGL_CONTEXT_MAJOR_VERSION_ARB,    4, WGL_CONTEXT_MINOR_VERSION_ARB, 5, WGL_CONTEXT_PROFILE_MASK_ARB,
            WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
        core = createContextAttribs(dc, nullptr, robust);
        if (!core) core = createContextAttribs(dc, nullptr, plain);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    return core;
}

}  // namespace

std::unique_ptr<GlTarget> GlTarget::create(DriverType, void* window) {
    std::unique_ptr<GlTarget> target(new GlTarget());
    HWND hwnd = static_cast<HWND>(window);
    if (!hwnd) {
        hwnd = createHiddenWindow();
        if (!hwnd) return nullptr;
        target->ownsWindow_ = true;
    } else if (!IsWindow(hwnd)) {
        return nullptr;
    }
    target->window_ = hwnd;
    HDC dc = GetDC(hwnd);
    target->dc_ = dc;
    if (!dc || !choosePixelFormat(dc)) return nullptr;
    HGLRC context = createCoreContext(dc);
    if (!context) return nullptr;
    target->context_ = context;
    if (!wglMakeCurrent(dc, context) || !loadGlFunctions()) return nullptr;
    const auto swapInterval =
        reinterpret_cast<PFNWGLSWAPINTERVALEXTPROC>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval) swapInterval(0);
    return target;
}

GlTarget::~GlTarget() {
    if (context_) {
        if (wglGetCurrentContext() == static_cast<HGLRC>(context_)) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(context_));
    }
    if (dc_) ReleaseDC(static_cast<HWND>(window_), static_cast<HDC>(dc_));
    if (ownsWindow_) DestroyWindow(static_cast<HWND>(window_));
}

void GlTarget::makeCurrent() {
    if (wglGetCurrentContext() != static_cast<HGLRC>(context_)) {
        wglMakeCurrent(static_cast<HDC>(dc_), static_cast<HGLRC>(context_));
    }
}

void GlTarget::windowSize(int32_t& width, int32_t& height) const {
    RECT rect{};
    GetClientRect(static_cast<HWND>(window_), &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}

bool GlTarget::swapBuffers() {
    if (!IsWindow(static_cast<HWND>(window_))) return false;
    return SwapBuffers(static_cast<HDC>(dc_)) != FALSE;
}

}  // namespace korvel::gpu::gl
