// The per-frame driver: start-up countdown, demo clock, scene choice, end of the show.
#include "app/frame_driver.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "app/demo_app.h"
#include "app/music_track.h"
#include "demo/carried_state.h"
#include "app/picture_target.h"
#include "demo/timeline.h"
#include "platform/clock.h"
#include "platform/window.h"

DemoClock demoClock;
FrameRateState frameRate;

namespace {

// One carry for both readers: the timer only moves forward, so a reading below the one before
// means the 32-bit count wrapped.
struct CarriedTimer {
    MillisecondTimer read = platform::timeGetTime;
    bool started = false;
    uint32_t last = 0;
    double wraps = 0;  // multiples of 2^32 ms passed
};
CarriedTimer timer;

struct SteppedClock {
    double step = 0;
    double holdAt = 0;  // demo time, ms
    long frames = 0;    // drawn frames so far
};
SteppedClock stepped;

// Any reading far from zero serves: only differences count.
constexpr double kSteppedBase = 1.0e6;

double steppedClock() {
    if (demoClock.start <= 0.0) return kSteppedBase;  // start-up frames: the clock starts here
    const double elapsed = std::min(static_cast<double>(stepped.frames++) * stepped.step,
                                    std::max(0.0, stepped.holdAt - demoClock.offset));
    return kSteppedBase + elapsed;
}

FrameClock frameClock = carriedTime;
SceneDrawer sceneDrawer = drawScene;
StateRebuilder stateRebuilder = rebuildCarriedState;

}  // namespace

int sceneForTime(double t) {
    for (int k = 0; k < 12; ++k)
        if (t < kSceneEnds[k]) return k + 1;
    return 13;
}

double carriedTime() {
    const uint32_t now = timer.read();
    if (timer.started && now < timer.last) timer.wraps += 4294967296.0;
    timer.started = true;
    timer.last = now;
    return timer.wraps + now;
}

void setMillisecondTimer(MillisecondTimer read) { timer = CarriedTimer{read ? read : platform::timeGetTime}; }

void setFrameClock(FrameClock clock) { frameClock = clock ? clock : carriedTime; }

void useSteppedFrameClock(double step, double holdAt) {
    stepped = SteppedClock{step, holdAt, 0};
    frameClock = steppedClock;
}
void setSceneDrawer(SceneDrawer drawer) { sceneDrawer = drawer ? drawer : drawScene; }
void setStateRebuilder(StateRebuilder rebuilder) { stateRebuilder = rebuilder ? rebuilder : rebuildCarriedState; }
double frameClockNow() { return frameClock(); }

void rebuildIfPending(double t) {
    if (demoClock.rebuildStepMs <= 0) return;
    if (t < kShowEnd) stateRebuilder(t, demoClock.rebuildStepMs);
    demoClock.rebuildStepMs = 0;
}

void resetFrameDriver() {
    demoClock.start = -2.0;
    frameRate = FrameRateState{};
}

void onFrame() {
    const double frameTime = frameClock();
    driveFrame(frameTime);
    updateFrameRate();
    demoApp.window.swapBuffers();
}

namespace {

void driveShowFrame(double frameTime) {
    double& s = demoClock.start;
    if (s == -2.0) {
        sceneDrawer(0, s);
        s = -1.0;
        return;
    }
    if (s <= 0.0) {
        s += 1.0;
        if (s == 1.0) {
            s = frameTime;
            playMusic();
        }
        return;
    }
    const double t = frameTime - s + demoClock.offset;
    rebuildIfPending(t);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupLights();
    glPushMatrix();
    const int scene = sceneForTime(t);
    if (scene <= 12) {
        sceneDrawer(scene, t);
        glPopMatrix();
        return;
    }
    stopMusic();
    closeMusic();
    platform::postQuitMessage(0);
    glPopMatrix();
}

}  // namespace

void driveFrame(double frameTime, void (*overlay)()) {
    beginPictureFrame();
    driveShowFrame(frameTime);
    if (overlay) overlay();
    presentPicture();
}

void updateFrameRate() {
    ++frameRate.frameCount;
    const double now = carriedTime();
    if (now - frameRate.lastUpdate > 1000.0) {
        std::snprintf(frameRate.title, sizeof frameRate.title, "lumivane FPS:%d", frameRate.frameCount);
        demoApp.window.setTitle(frameRate.title);
        frameRate.frameCount = 0;
        frameRate.lastUpdate = now;
    }
}

void onKeyDown(uint32_t key) {
    if ((key & 0xff) == 27) platform::postQuitMessage(0);
}

void setupLights() {
    static const GLfloat ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
    static const GLfloat position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
}
