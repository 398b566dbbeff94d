// The page has one GL context, the canvas's; there is no offscreen one to make (the headless
// runs are the desktop program's).
#include <emscripten/html5.h>

#include "platform/headless_gl.h"

namespace platform {

bool glContextCurrent() { return emscripten_webgl_get_current_context() != 0; }

HeadlessGL::~HeadlessGL() { destroy(); }

bool HeadlessGL::create(int, int) {
    error_ = "no offscreen GL context in the browser";
    return false;
}

void HeadlessGL::destroy() { context_ = nullptr; }

bool HeadlessGL::createOn(void*, int, int) { return false; }

}  // namespace platform
