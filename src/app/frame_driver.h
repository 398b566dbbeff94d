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
    // > 0 after a jump (--from, the player): before the next drawn frame, the state frames carry
    // is rebuilt as play at this step (ms) would have left it.
    double rebuildStepMs = 0.0;
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
// The millisecond timer behind the frame clock and the frame-rate title (platform::timeGetTime
// unless a test replaces it); null restores it. Either way the wrap count starts afresh.
using MillisecondTimer = uint32_t (*)();
void setMillisecondTimer(MillisecondTimer timer);
// The timer's reading in milliseconds as a double, carried past the wrap of its 32-bit count.
double carriedTime();
// A frame clock on a fixed step: every drawn frame is step ms of demo time after the one before,
// counted from the frame that starts the demo clock, until demo time reaches holdAt, where the
// picture stays (tests of the window against rendered frames).
void useSteppedFrameClock(double step, double holdAt);
// The scene drawer the driver calls (drawScene of the timeline unless a test replaces it).
using SceneDrawer = void (*)(int scene, double t);
void setSceneDrawer(SceneDrawer drawer);
// What rebuilds the carried state after a jump (rebuildCarriedState unless a test replaces it).
using StateRebuilder = void (*)(double t, double stepMs);
void setStateRebuilder(StateRebuilder rebuilder);
// Runs a pending rebuild (DemoClock::rebuildStepMs) for a frame at demo time t, once.
void rebuildIfPending(double t);
// A reading of the frame clock, for the player's pause and seek.
double frameClockNow();

void onFrame();                          // read the clock, drive, update the title, swap
// One frame of the show at the given timer reading, drawn into the picture and put into the
// default framebuffer (presentPicture). overlay, when given, draws over the finished picture
// before it is put there (after every capture of the frame), so that it shows however the
// picture reaches the window: straight, multisampled and resolved, or with bars.
void driveFrame(double frameTime, void (*overlay)() = nullptr);
void updateFrameRate();                  // "lumivane FPS:%d" about once a second
void onKeyDown(uint32_t key);            // Escape posts quit
void setupLights();                      // light 0 and lighting on; call with identity modelview
void resetFrameDriver();                 // back to the start-up state (tests)
