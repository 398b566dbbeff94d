// EGL without a display server: the first hardware device EGL lists, else Mesa's surfaceless
// platform (software rendering, no GPU needed).
#include "platform/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>  // the desktop window's context is a GLX one under X11

#include <cstring>

namespace platform {
namespace {

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + n, name))
        if ((at == list || at[-1] == ' ') && (at[n] == ' ' || at[n] == '\0')) return true;
    return false;
}

// The display of the first device that is not a software renderer, or EGL_NO_DISPLAY.
EGLDisplay hardwareDisplay(PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_EXT_device_enumeration") ||
        !hasExtension(clientExtensions, "EGL_EXT_platform_device"))
        return EGL_NO_DISPLAY;
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryDeviceString =
        reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!queryDevices || !queryDeviceString) return EGL_NO_DISPLAY;
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices(16, devices, &count)) return EGL_NO_DISPLAY;
    for (EGLint i = 0; i < count; ++i) {
        if (hasExtension(queryDeviceString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software")) continue;
        EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        if (display != EGL_NO_DISPLAY) return display;
    }
    return EGL_NO_DISPLAY;
}

}  // namespace

HeadlessGL::~HeadlessGL() { destroy(); }

bool HeadlessGL::create(int width, int height) {
    destroy();
    sizeRefused_ = false;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error_ = "no eglGetPlatformDisplayEXT";
        return false;
    }
    EGLDisplay hardware = hardwareDisplay(getPlatformDisplay);
    if (hardware != EGL_NO_DISPLAY && createOn(hardware, width, height)) return true;
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        error_ = "no surfaceless EGL display";
        return false;
    }
    return createOn(display, width, height);
}

bool HeadlessGL::createOn(void* eglDisplay, int width, int height) {
    EGLDisplay display = eglDisplay;
    if (!eglInitialize(display, nullptr, nullptr)) {
        error_ = "eglInitialize failed";
        return false;
    }
    // The window's pixel format has no alpha planes, so a capture reads alpha 1 everywhere; the
    // pbuffer must match. EGL sorts configs with more colour bits first, so pick the alpha-free one.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                       EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0, EGL_DEPTH_SIZE, 16,
                                       EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    EGLConfig config = nullptr;
    if (eglChooseConfig(display, configAttributes, configs, 64, &count)) {
        for (EGLint i = 0; i < count && !config; ++i) {
            EGLint r = 0, g = 0, b = 0, a = -1;
            eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &r);
            eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &g);
            eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &b);
            eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &a);
            if (r == 8 && g == 8 && b == 8 && a == 0) config = configs[i];
        }
    }
    if (!config) {
        error_ = "no EGL config with RGB8, no alpha and a depth buffer";
        return false;
    }
    EGLint maxWidth = 0, maxHeight = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxWidth);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxHeight);
    if (width < 1 || height < 1 || (maxWidth > 0 && width > maxWidth) || (maxHeight > 0 && height > maxHeight)) {
        error_ = "an output of " + std::to_string(width) + "x" + std::to_string(height) +
                 " is over the largest offscreen surface of " + std::to_string(maxWidth) + "x" +
                 std::to_string(maxHeight);
        sizeRefused_ = true;
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        error_ = "eglCreatePbufferSurface failed";
        return false;
    }
    eglBindAPI(EGL_OPENGL_API);
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface, surface, context)) {
        error_ = "no compatibility-profile GL context";
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
        eglDestroySurface(display, surface);
        return false;
    }
    display_ = display;
    surface_ = surface;
    context_ = context;
    return true;
}

void HeadlessGL::destroy() {
    if (!display_) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_) eglDestroyContext(display_, context_);
    if (surface_) eglDestroySurface(display_, surface_);
    // The display stays initialised: terminating it unloads Mesa's driver, whose own allocations
    // then show up as leaks of an unknown module.
    display_ = surface_ = context_ = nullptr;
}

bool glContextCurrent() { return eglGetCurrentContext() != EGL_NO_CONTEXT || glXGetCurrentContext() != nullptr; }

}  // namespace platform
