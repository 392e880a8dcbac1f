// The OpenGL entry points on Windows: OpenGL 1.1 functions come from
// opengl32.dll itself, every later one from the driver through
// wglGetProcAddress, which answers only while a context is current.
#include "platform/gpu/gl/gl_functions.h"

namespace korvel::gpu::gl {

#define KORVEL_DEFINE_GL_FUNCTION(type, name) type name = nullptr;
KORVEL_GL_FUNCTIONS(KORVEL_DEFINE_GL_FUNCTION)
#undef KORVEL_DEFINE_GL_FUNCTION

namespace {

// wglGetProcAddress returns null or one of the small values 1, 2, 3 and -1
// for a name the driver does not provide (the latter from some drivers).
void* driverFunction(const char* name) {
    const auto address = reinterpret_cast<intptr_t>(wglGetProcAddress(name));
    if (address == 0 || address == 1 || address == 2 || address == 3 || address == -1) return nullptr;
    return reinterpret_cast<void*>(address);
}

template <typename Function>
bool load(Function& function, const char* name, HMODULE opengl32) {
    void* address = driverFunction(name);
    if (!address && opengl32) address = reinterpret_cast<void*>(GetProcAddress(opengl32, name));
    function = reinterpret_cast<Function>(address);
    return address != nullptr;
}

}  // namespace

bool loadGlFunctions() {
    const HMODULE opengl32 = GetModuleHandleW(L"opengl32.dll");
    bool complete = true;
#define KORVEL_LOAD_GL_FUNCTION(type, name) complete = load(name, #name, opengl32) && complete;
    KORVEL_GL_FUNCTIONS(KORVEL_LOAD_GL_FUNCTION)
#undef KORVEL_LOAD_GL_FUNCTION
    return complete;
}

}  // namespace korvel::gpu::gl
