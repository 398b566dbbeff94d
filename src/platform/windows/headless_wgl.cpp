// The headless picture on Windows: a pbuffer of the asked size (WGL_ARB_pbuffer), single-buffered
// like the pbuffer of the other systems, and rasterised as a window-system buffer like it, so
// that frames come out the same to the pixel. Where the driver has no pbuffers, a hidden window's
// context draws into a framebuffer object, which stands in for framebuffer 0 while the context is
// current, so that the program binds, reads and captures "the picture" all the same.
#include "platform/headless_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include "platform/windows/gl_functions.h"
#include "platform/windows/win32.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/wglext.h>

#include <algorithm>
#include <map>
#include <string>

namespace platform {
namespace {

constexpr const char* kClassName = "lumivaneHeadlessClass";

struct PbufferCalls {
    PFNWGLGETEXTENSIONSSTRINGARBPROC extensions = nullptr;
    PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat = nullptr;
    PFNWGLGETPIXELFORMATATTRIBIVARBPROC pixelFormatAttributes = nullptr;
    PFNWGLCREATEPBUFFERARBPROC create = nullptr;
    PFNWGLGETPBUFFERDCARBPROC dc = nullptr;
    PFNWGLRELEASEPBUFFERDCARBPROC releaseDc = nullptr;
    PFNWGLDESTROYPBUFFERARBPROC destroy = nullptr;
};

struct PictureBuffers {
    GLuint framebuffer = 0, colour = 0, depth = 0;  // the framebuffer object's
    HPBUFFERARB pbuffer = nullptr;                   // or the pbuffer's
    HDC pbufferDc = nullptr;
    HGLRC windowContext = nullptr;  // the hidden window's, which made the pbuffer
    PbufferCalls calls;             // taken while a context was current, as WGL needs
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

template <typename T>
T wglCall(const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

PbufferCalls pbufferCalls() {
    PbufferCalls calls;
    calls.extensions = wglCall<PFNWGLGETEXTENSIONSSTRINGARBPROC>("wglGetExtensionsStringARB");
    calls.choosePixelFormat = wglCall<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
    calls.pixelFormatAttributes = wglCall<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
    calls.create = wglCall<PFNWGLCREATEPBUFFERARBPROC>("wglCreatePbufferARB");
    calls.dc = wglCall<PFNWGLGETPBUFFERDCARBPROC>("wglGetPbufferDCARB");
    calls.releaseDc = wglCall<PFNWGLRELEASEPBUFFERDCARBPROC>("wglReleasePbufferDCARB");
    calls.destroy = wglCall<PFNWGLDESTROYPBUFFERARBPROC>("wglDestroyPbufferARB");
    return calls;
}

bool hasWord(const char* list, const char* word) {
    const std::string text = std::string(" ") + (list ? list : "") + " ";
    return text.find(std::string(" ") + word + " ") != std::string::npos;
}

// A pbuffer pixel format as the designed one: 8 bits a colour, no alpha planes, a 16-bit depth
// buffer, no stencil, single-buffered; 0 when there is none. maxWidth, maxHeight: its limits.
int pbufferFormat(const PbufferCalls& calls, HDC dc, int& maxWidth, int& maxHeight) {
    const int wanted[] = {WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
                          WGL_RED_BITS_ARB, 8, WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 16,
                          WGL_DOUBLE_BUFFER_ARB, 0, 0};
    int formats[256];
    UINT count = 0;
    if (!calls.choosePixelFormat(dc, wanted, nullptr, 256, formats, &count)) return 0;
    // Drivers sort deeper buffers first; the exact ones are wanted, so that depth ties fall alike.
    for (UINT i = 0; i < count && i < 256; ++i) {
        const int names[] = {WGL_RED_BITS_ARB, WGL_GREEN_BITS_ARB, WGL_BLUE_BITS_ARB, WGL_ALPHA_BITS_ARB,
                             WGL_DEPTH_BITS_ARB, WGL_STENCIL_BITS_ARB, WGL_MAX_PBUFFER_WIDTH_ARB,
                             WGL_MAX_PBUFFER_HEIGHT_ARB};
        int v[8] = {};
        if (!calls.pixelFormatAttributes(dc, formats[i], 0, 8, names, v)) continue;
        if (v[0] == 8 && v[1] == 8 && v[2] == 8 && v[3] == 0 && v[4] == 16 && v[5] == 0) {
            maxWidth = v[6];
            maxHeight = v[7];
            return formats[i];
        }
    }
    return 0;
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
    PictureBuffers& b = buffers[this];
    const PbufferCalls calls = pbufferCalls();
    if (calls.extensions && calls.choosePixelFormat && calls.pixelFormatAttributes && calls.create && calls.dc &&
        calls.releaseDc && calls.destroy && hasWord(calls.extensions(dc), "WGL_ARB_pbuffer")) {
        int maxWidth = 0, maxHeight = 0;
        if (const int pixelFormat = pbufferFormat(calls, dc, maxWidth, maxHeight)) {
            if (width < 1 || height < 1 || (maxWidth > 0 && width > maxWidth) || (maxHeight > 0 && height > maxHeight)) {
                error_ = "an output of " + std::to_string(width) + "x" + std::to_string(height) +
                         " is over the largest offscreen surface of " + std::to_string(maxWidth) + "x" +
                         std::to_string(maxHeight);
                sizeRefused_ = true;
                destroy();
                return false;
            }
            const int none[] = {0};
            b.pbuffer = calls.create(dc, pixelFormat, width, height, none);
            b.pbufferDc = b.pbuffer ? calls.dc(b.pbuffer) : nullptr;
            HGLRC pictureContext = b.pbufferDc ? wglCreateContext(b.pbufferDc) : nullptr;
            if (pictureContext && wglMakeCurrent(b.pbufferDc, pictureContext)) {
                b.windowContext = context;
                b.calls = calls;
                context_ = pictureContext;
                gl::loadFunctions();
                return true;
            }
            // No context on the pbuffer: the framebuffer object below serves.
            if (pictureContext) wglDeleteContext(pictureContext);
            if (b.pbufferDc) calls.releaseDc(b.pbuffer, b.pbufferDc);
            if (b.pbuffer) calls.destroy(b.pbuffer);
            b.pbuffer = nullptr;
            b.pbufferDc = nullptr;
            wglMakeCurrent(dc, context);
        }
    }
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
    if (found != buffers.end() && found->second.pbuffer) {
        PictureBuffers& b = found->second;
        if (wglGetCurrentContext() == static_cast<HGLRC>(context_)) wglMakeCurrent(nullptr, nullptr);
        if (context_) wglDeleteContext(static_cast<HGLRC>(context_));
        b.calls.releaseDc(b.pbuffer, b.pbufferDc);
        b.calls.destroy(b.pbuffer);
        context_ = b.windowContext;
        b = PictureBuffers{};
    }
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
