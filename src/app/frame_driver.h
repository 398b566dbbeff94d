// What runs once per frame: the start-up countdown, the demo clock, the choice of scene, the end
// of the show, the frame-rate title, the Escape key and the per-frame light.
#pragma once
#include <cstdint>

// Scene k (1..12) is drawn while kSceneEnds[k - 1 - 1] <= t < kSceneEnds[k - 1]; n beats of
// 60000/140 ms each. At t >= kSceneEnds[11] the show ends.
inline constexpr double kBeatMs = 60000.0 / 140.0;
inline constexpr double kSceneEnds[12] = {
    kBeatMs * 39.3, kBeatMs * 71,  kBeatMs * 155, kBeatMs * 187,   kBeatMs * 220, kBeatMs * 223.5,
    kBeatMs * 287,  kBeatMs * 350.8, kBeatMs * 416, kBeatMs * 479, kBeatMs * 482, kBeatMs * 492,
};
inline constexpr double kShowEnd = kSceneEnds[11];

// The scene whose window holds t (1..12), or 13 once the show has ended.
int sceneForTime(double t);

// The demo clock: -2 (set-up pending), -1, 0, then the frame time of the frame that started the
// music. Demo time t = frame time - start + offset; offset is where the show starts (--from).
struct DemoClock {
    double start = -2.0;
    double offset = 0.0;  // demo time of the first drawn frame (--from)
};
extern DemoClock demoClock;

struct FrameRateState {
    int32_t frameCount = 0;
    double lastUpdate = 0.0;
    char title[256] = {};  // the last title set
};
extern FrameRateState frameRate;

// The frame time source: the millisecond timer in the show, a fixed step in render runs.
using FrameClock = double (*)();
void setFrameClock(FrameClock clock);
// The scene drawer the driver calls (drawScene of the timeline unless a test replaces it).
using SceneDrawer = void (*)(int scene, double t);
void setSceneDrawer(SceneDrawer drawer);

void onFrame();                          // read the clock, drive, update the title, swap
// One frame of the show at the given timer reading, drawn into the picture and put into the
// default framebuffer (presentPicture).
void driveFrame(double frameTime);
void updateFrameRate();                  // "lumivane FPS:%d" about once a second
void onKeyDown(uint32_t key);            // Escape posts quit
void setupLights();                      // light 0 and lighting on; call with identity modelview
void resetFrameDriver();                 // back to the start-up state (tests)
