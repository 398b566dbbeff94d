// The GL functions beyond 1.1 (opengl32.dll exports only those of 1.1): loaded with
// wglGetProcAddress whenever a context is made, and defined under their own names for the rest
// of the program, which calls them as <GL/glext.h> declares them.
#pragma once
#include "platform/windows/win32.h"

namespace platform::gl {

// Loads every entry point from the current context; false when the GL lacks any (before 3.0).
bool loadFunctions();
// Frames as fast as the machine allows (WGL_EXT_swap_control), where the driver lets us say so.
void setSwapInterval(int interval);

// While context is current, framebuffer 0 stands for framebuffer: the headless picture lives in
// a framebuffer object and the program binds 0 for "the picture". 0 and null end it.
void setDefaultFramebuffer(HGLRC context, unsigned framebuffer);
// The framebuffer a bind of framebuffer means (glBindFramebuffer goes through here).
unsigned framebufferFor(unsigned framebuffer);

}  // namespace platform::gl
