// The headless picture on Windows: a hidden window's WGL context drawing into a framebuffer object
// of the asked size, which stands in for framebuffer 0 while the context is current, so that the
// program binds, reads and captures "the picture" as it does on a pbuffer elsewhere.
#include "platform/headless_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include "platform/windows/gl_functions.h"
#include "platform/windows/win32.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <map>

namespace platform {
namespace {

constexpr const char* kClassName = "lumivaneHeadlessClass";

struct PictureBuffers {
    GLuint framebuffer = 0, colour = 0, depth = 0;
};
// The buffers of each live context (HeadlessGL keeps handles only).
std::map<const HeadlessGL*, PictureBuffers> buffers;

bool registerClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(win32::instance(), kClassName, &existing)) return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = win32::instance();
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0;
}

GLint integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

}  // namespace

HeadlessGL::~HeadlessGL() { destroy(); }

bool HeadlessGL::create(int width, int height) {
    destroy();
    sizeRefused_ = false;
    if (!registerClass()) {
        error_ = "cannot register the hidden window's class";
        return false;
    }
    HWND window = CreateWindowExA(0, kClassName, "lumivane", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  win32::instance(), nullptr);
    if (!window) {
        error_ = "cannot create the hidden window";
        return false;
    }
    display_ = window;
    return createOn(window, width, height);
}

bool HeadlessGL::createOn(void* hiddenWindow, int width, int height) {
    HWND window = static_cast<HWND>(hiddenWindow);
    HDC dc = GetDC(window);
    surface_ = dc;
    // The window's own pixel format; the picture itself is the framebuffer object's.
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = dc ? ChoosePixelFormat(dc, &pfd) : 0;
    if (format == 0 || !SetPixelFormat(dc, format, &pfd)) {
        error_ = "no pixel format for the hidden window";
        destroy();
        return false;
    }
    HGLRC context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) {
        error_ = "no WGL context";
        if (context) wglDeleteContext(context);
        destroy();
        return false;
    }
    context_ = context;
    if (!gl::loadFunctions()) {
        error_ = "the GL has no framebuffer objects (GL 3.0) for a headless picture";
        destroy();
        return false;
    }
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const GLint maxSide = std::min(integer(GL_MAX_RENDERBUFFER_SIZE), std::min(viewport[0], viewport[1]));
    if (width < 1 || height < 1 || width > maxSide || height > maxSide) {
        error_ = "an output of " + std::to_string(width) + "x" + std::to_string(height) +
                 " is over the largest offscreen surface of " + std::to_string(maxSide) + "x" + std::to_string(maxSide);
        sizeRefused_ = true;
        destroy();
        return false;
    }
    PictureBuffers& b = buffers[this];
    // RGB8 without alpha planes and a 16-bit depth buffer: the designed pixel format, so captures
    // read alpha 1 and depth ties fall as in the window.
    glGenRenderbuffers(1, &b.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, b.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glGenRenderbuffers(1, &b.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, b.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &b.framebuffer);
    gl::setDefaultFramebuffer(context, b.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);  // the picture's framebuffer, as 0 now means
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, b.colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, b.depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() == GL_OUT_OF_MEMORY) {
        error_ = "the GL cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture buffer";
        destroy();
        return false;
    }
    // A context starts with the viewport and scissor of its window; the picture is the surface here.
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    return true;
}

void HeadlessGL::destroy() {
    auto found = buffers.find(this);
    if (context_ && surface_) {
        wglMakeCurrent(static_cast<HDC>(surface_), static_cast<HGLRC>(context_));
        if (found != buffers.end()) {
            PictureBuffers& b = found->second;
            gl::setDefaultFramebuffer(nullptr, 0);
            if (b.framebuffer) glDeleteFramebuffers(1, &b.framebuffer);
            if (b.colour) glDeleteRenderbuffers(1, &b.colour);
            if (b.depth) glDeleteRenderbuffers(1, &b.depth);
        }
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(context_));
    }
    if (found != buffers.end()) buffers.erase(found);
    if (surface_ && display_) ReleaseDC(static_cast<HWND>(display_), static_cast<HDC>(surface_));
    if (display_) DestroyWindow(static_cast<HWND>(display_));
    display_ = surface_ = context_ = nullptr;
}

bool glContextCurrent() { return wglGetCurrentContext() != nullptr; }

}  // namespace platform
