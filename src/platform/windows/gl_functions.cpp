// The GL entry points beyond 1.1, forwarded to the driver's functions.
#include "platform/windows/gl_functions.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/windows/gl_function_list.h"

namespace platform::gl {
namespace {

#define LUMIVANE_GL_POINTER(name, type, result, parameters, arguments) type name##Pointer = nullptr;
LUMIVANE_GL_FUNCTIONS(LUMIVANE_GL_POINTER)
#undef LUMIVANE_GL_POINTER

HGLRC redirectContext = nullptr;
GLuint redirectFramebuffer = 0;

// wglGetProcAddress answers some drivers' misses with small integers instead of null.
void* procAddress(const char* name) {
    void* proc = reinterpret_cast<void*>(wglGetProcAddress(name));
    const auto value = reinterpret_cast<intptr_t>(proc);
    return value >= -1 && value <= 3 ? nullptr : proc;
}

}  // namespace

bool loadFunctions() {
    bool all = true;
#define LUMIVANE_GL_LOAD(name, type, result, parameters, arguments) \
    name##Pointer = reinterpret_cast<type>(procAddress(#name));     \
    all = all && name##Pointer != nullptr;
    LUMIVANE_GL_FUNCTIONS(LUMIVANE_GL_LOAD)
#undef LUMIVANE_GL_LOAD
    return all;
}

void setSwapInterval(int interval) {
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto swapInterval = reinterpret_cast<SwapInterval>(procAddress("wglSwapIntervalEXT"))) swapInterval(interval);
}

void setDefaultFramebuffer(HGLRC context, unsigned framebuffer) {
    redirectContext = context;
    redirectFramebuffer = framebuffer;
}

unsigned framebufferFor(unsigned framebuffer) {
    if (framebuffer != 0 || !redirectContext || wglGetCurrentContext() != redirectContext) return framebuffer;
    return redirectFramebuffer;
}

}  // namespace platform::gl

using namespace platform::gl;

// Each entry point calls the driver's function; one the driver lacks does nothing (and gives
// zero), as a GL call in error does.
#define LUMIVANE_GL_DEFINE(name, type, result, parameters, arguments)         \
    extern "C" result APIENTRY name parameters {                              \
        if (!name##Pointer) return static_cast<result>(0);                    \
        return name##Pointer arguments;                                        \
    }
LUMIVANE_GL_FUNCTIONS(LUMIVANE_GL_DEFINE)
