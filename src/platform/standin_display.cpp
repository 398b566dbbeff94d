// The stand-in display's log; the window layer consults it before SDL.
#include "platform/standin_display.h"

#include <GL/gl.h>

namespace platform {
namespace {
StandInDisplay* installed = nullptr;

// The far plane of the perspective projection in force, from its single-precision matrix (to
// about 1e-4 relative); 0 when there is no context or no perspective.
double currentFarPlane() {
    GLdouble p[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    while (glGetError() != GL_NO_ERROR) {
    }
    return p[10] + 1.0 != 0.0 && p[11] != 0.0 ? p[14] / (p[10] + 1.0) : 0.0;
}
}  // namespace

StandInDisplay::StandInDisplay(bool accept) : acceptModeChange(accept), previous_(installed) { installed = this; }
StandInDisplay::~StandInDisplay() { installed = previous_; }

StandInDisplay* StandInDisplay::current() { return installed; }

void StandInDisplay::log(std::string what) { calls_.push_back({std::move(what), currentFarPlane()}); }

int StandInDisplay::indexOf(const std::string& what) const {
    for (size_t i = 0; i < calls_.size(); ++i)
        if (calls_[i].what == what) return static_cast<int>(i);
    return -1;
}

bool StandInDisplay::createWindow(int clientWidth, int clientHeight, const char* text) {
    log("createWindow " + std::to_string(clientWidth) + "x" + std::to_string(clientHeight));
    window = true;
    width = clientWidth;
    height = clientHeight;
    title = text ? text : "";
    return true;
}

void StandInDisplay::destroyWindow() {
    log("destroyWindow");
    window = false;
}

bool StandInDisplay::createContext() {
    log("createGLContext");
    return context = window;
}

bool StandInDisplay::releaseContext() {
    if (!context) return false;
    log("releaseGLContext");
    context = false;
    return true;
}

void StandInDisplay::swap() {
    if (context) glFlush();  // the test's headless context is single-buffered
}

bool StandInDisplay::changeDisplayMode(int modeWidth, int modeHeight) {
    log("changeDisplayMode " + std::to_string(modeWidth) + "x" + std::to_string(modeHeight));
    if (!window || !acceptModeChange) return false;
    return modeChanged = fullScreenShown = true;
}

void StandInDisplay::restoreDisplayMode() {
    if (!modeChanged) return;
    log("restoreDisplayMode");
    modeChanged = fullScreenShown = false;
}

void StandInDisplay::showFullScreen(bool shown) {
    log(shown ? "showFullScreen 1" : "showFullScreen 0");
    fullScreenShown = shown;
}

void StandInDisplay::showBox(const char* caption, const char* text) {
    log(std::string("messageBox ") + caption + ": " + text);
}

bool StandInDisplay::take(WindowMessage& message) {
    if (queue.empty()) return false;
    message = queue.front();
    queue.pop_front();
    return true;
}

void logStandInCall(const char* what) {
    if (installed) installed->log(what);
}

}  // namespace platform
