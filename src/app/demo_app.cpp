// The application object and the start-up and shut-down sequence of the show.
#include "app/demo_app.h"

#include <cmath>
#include <cstdlib>

#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/player.h"
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
}  // namespace

void setWindowedMode(bool on) { windowed = on; }

int runDemo() {
    openMusic();
    // Without a window nobody could see the show or end it: stop after the message.
    if (!demoApp.window.createWindow(0, 0, 800, 600, "lumivane")) return 0;
    setProjection(0, 0, 800, 600, 1.0, 10000.0);
    createFont(demoApp.font);
    demoApp.window.setKeyDownHandler(onKeyDown);
    demoApp.window.setIdleHandler(onFrame);
    useTestClockIfAsked();
    if (windowed) installPlayer();  // --window: the player's keys and frames
    if (!windowed) demoApp.window.enterFullScreen();
    platform::showCursor(false);
    demoApp.window.runMessageLoop();
    demoApp.window.leaveFullScreen();
    releaseFont(demoApp.font);
    return 0;
}
