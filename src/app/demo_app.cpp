// The application object and the start-up and shut-down sequence of the show.
#include "app/demo_app.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "app/player.h"
#include "platform/stop_signal.h"
#include "platform/window.h"

DemoApp demoApp;

namespace {
bool windowed = false;

// LUMIVANE_TEST_CLOCK="STEP:HOLD" in the environment puts the show on a fixed step of STEP ms of
// demo time a frame, held at demo time HOLD ms, so that a test can compare the window's picture
// with a rendered frame. Without it the frame clock is the timer.
void useTestClockIfAsked() {
    const char* spec = std::getenv("LUMIVANE_TEST_CLOCK");
    if (!spec || !*spec) return;
    char* end = nullptr;
    const double step = std::strtod(spec, &end);
    const double holdAt = *end == ':' ? std::strtod(end + 1, nullptr) : HUGE_VAL;
    useSteppedFrameClock(step, holdAt);
}

int windowWidth = 800, windowHeight = 600;
int windowSsaa = 0;

// The window's samples for its --ssaa (see setWindowPicture); -1 when asked for and not offered.
int windowSamples() {
    const int offered = maxPictureSamples();
    if (windowSsaa == 1) return 0;
    if (windowSsaa == 0) return std::min(4, offered);
    return offered ? std::min(windowSsaa * windowSsaa, offered) : -1;
}

// The picture in the window's client area; false after a one-line message on standard error.
bool fitWindowPicture() {
    int width = 0, height = 0;
    platform::clientSize(width, height);
    if (width <= 0 || height <= 0) {
        width = windowWidth;
        height = windowHeight;
    }
    const int samples = windowed ? windowSamples() : 0;
    std::string error = "the GL offers no multisampling for --ssaa " + std::to_string(windowSsaa);
    if (samples >= 0 && fitPicture(width, height, 1, samples, error)) return true;
    std::fprintf(stderr, "lumivane: %s\n", error.c_str());
    return false;
}
}  // namespace

void setWindowedMode(bool on) { windowed = on; }

void setWindowPicture(int width, int height, int ssaa) {
    windowWidth = width;
    windowHeight = height;
    windowSsaa = ssaa;
}

int runDemo() {
    platform::guardOutputs();  // a closed or broken standard error ends no show
    openMusic();
    // Without a window nobody could see the show or end it: stop after the message.
    if (!demoApp.window.createWindow(0, 0, windowWidth, windowHeight, "lumivane")) return 0;
    // The projection of the picture: 60 degrees, near 1, far 10000 (the designed 800x600 alone
    // in the plain show).
    if (!fitWindowPicture()) {
        demoApp.window.releaseContext();
        platform::destroyWindow();
        return kPictureRefused;
    }
    createFont(demoApp.font, currentPicture().scale());
    demoApp.window.setKeyDownHandler(onKeyDown);
    demoApp.window.setIdleHandler(onFrame);
    useTestClockIfAsked();
    if (windowed) {
        platform::setWindowResizable(true, 64, 48);
        demoApp.window.setResizeHandler(followOutputSize);
        installPlayer();  // --window: the player's keys and frames
    }
    if (!windowed) demoApp.window.enterFullScreen();
    platform::showCursor(false);
    demoApp.window.runMessageLoop();
    demoApp.window.leaveFullScreen();
    releaseFont(demoApp.font);
    return 0;
}
