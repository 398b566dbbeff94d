// The per-frame driver: start-up countdown, demo clock, scene choice, end of the show.
#include "app/frame_driver.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/demo_app.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "demo/timeline.h"
#include "platform/clock.h"
#include "platform/window.h"

DemoClock demoClock;
FrameRateState frameRate;

namespace {

// The millisecond timer as a double, carried past the wrap of its 32-bit count.
double liveClock() {
    static uint32_t last = platform::timeGetTime();
    static double wraps = 0;
    const uint32_t now = platform::timeGetTime();
    if (now < last) wraps += 4294967296.0;
    last = now;
    return wraps + now;
}

FrameClock frameClock = liveClock;
SceneDrawer sceneDrawer = drawScene;

}  // namespace

int sceneForTime(double t) {
    for (int k = 0; k < 12; ++k)
        if (t < kSceneEnds[k]) return k + 1;
    return 13;
}

void setFrameClock(FrameClock clock) { frameClock = clock ? clock : liveClock; }
void setSceneDrawer(SceneDrawer drawer) { sceneDrawer = drawer ? drawer : drawScene; }

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
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupLights();
    glPushMatrix();
    const double t = frameTime - s + demoClock.offset;
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

void driveFrame(double frameTime) {
    beginPictureFrame();
    driveShowFrame(frameTime);
    presentPicture();
}

void updateFrameRate() {
    ++frameRate.frameCount;
    const double now = platform::timeGetTime();
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
