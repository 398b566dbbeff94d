// The player of --window: keys, pause, seeks, full screen, the display line.
#include "app/player.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "demo/carried_state.h"  // kNominalStepMs
#include "demo/demo_assets.h"    // the reel angles a held picture is drawn again with
#include "demo/timeline.h"       // sceneProgress, kSchedule
#include "platform/virtual_keys.h"
#include "platform/window.h"

PlayerState player;

namespace {

constexpr int kIdleWaitMs = 20;  // how long an idle call with nothing to draw waits for a message

bool clockRunning() { return demoClock.start > 0; }
// Keys act once the show is playing and until its end has been reached.
bool acceptsKeys() { return clockRunning() && player.shownT >= 0 && !platform::quitPosted(); }

double demoTimeAt(double clock) { return clock - demoClock.start + demoClock.offset; }
// Makes demo time T at the frame clock reading `clock`.
void anchor(double clock, double T) {
    demoClock.start = clock;
    demoClock.offset = T;
}

bool tracing() {
    static const bool on = [] {
        const char* v = std::getenv("LUMIVANE_PLAYER_TRACE");
        return v && *v && *v != '0';
    }();
    return on;
}

void trace(double t) {
    if (!tracing()) return;
    char line[96];
    formatDisplayLine(line, t, player.fps);
    std::fprintf(stderr, "player: %s%s\n", line, player.paused ? "  paused" : "");
}

void countFrame(double clock) {
    if (player.countSince < 0) player.countSince = clock;
    ++player.framesCounted;
    if (clock - player.countSince >= 1000) {
        player.fps = static_cast<int>(std::lround(player.framesCounted * 1000.0 / (clock - player.countSince)));
        player.framesCounted = 0;
        player.countSince = clock;
    }
}

// The display line along the bottom edge, over a dark band, in the outline font; drawn into the
// finished picture (before it goes to the window), outside every capture.
void drawDisplayLine(double t) {
    char line[96];
    formatDisplayLine(line, t, player.fps);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    const PictureGeometry& picture = currentPicture();
    glViewport(0, 0, picture.drawWidth(), picture.drawHeight());
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kScreenWidth, 0, kScreenHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    resetTextState();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glColor3d(0, 0, 0);
    glRecti(0, 0, kScreenWidth, 26);
    glColor3d(1, 1, 0.7);
    glTranslated(kScreenWidth / 2.0, 8, 0);
    glScaled(16, 16, 1);  // glyphs are one em high; depth stays within the ortho planes
    drawText(demoApp.font, "%s", line);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

double lineT = -1;  // the display line's time in the frame being drawn; < 0: none
void overlayDisplayLine() {
    if (lineT >= 0) drawDisplayLine(lineT);
}

// One picture at the frame clock reading `clock`, as onFrame draws it, with the display line.
void drawFrame(double clock) {
    const bool running = clockRunning();
    const double t = demoTimeAt(clock);
    if (running) rebuildIfPending(t);
    std::copy(std::begin(demoAssets.reelAngles), std::end(demoAssets.reelAngles), player.reelsBefore);
    const bool shown = running && t < kShowEnd;
    lineT = shown && player.displayLine ? t : -1;
    driveFrame(clock, overlayDisplayLine);
    if (shown) {
        player.shownT = t;
        if (player.traceNext) trace(t);
        player.traceNext = false;
    }
    if (!player.paused) {
        updateFrameRate();
        countFrame(clock);
    }
    demoApp.window.swapBuffers();
}

// The held picture again, from the same reel angles; after a seek while paused, the new one.
void redrawHeld() {
    player.redraw = false;
    if (demoClock.rebuildStepMs <= 0)
        std::copy(std::begin(player.reelsBefore), std::end(player.reelsBefore), demoAssets.reelAngles);
    // Drawn at exactly heldT (a scene start stays in its scene); the clock itself is left as it was.
    const DemoClock kept = demoClock;
    anchor(kept.start, player.heldT);
    drawFrame(kept.start);
    demoClock.start = kept.start;
    demoClock.offset = kept.offset;
}

void pauseShow() {
    player.paused = true;
    player.pausedAt = frameClockNow();
    player.heldT = player.shownT;
    player.seekedWhilePaused = false;
    pauseMusic();
    demoApp.window.setTitle("lumivane (paused)");
    trace(player.heldT);
}

void resumeShow() {
    const double now = frameClockNow();
    if (player.seekedWhilePaused) {
        anchor(now, player.heldT);
        playMusicFrom(player.heldT);
    } else {
        // The soundtrack stood still as long as the clock is held back: both go on in step.
        demoClock.start += now - player.pausedAt;
        resumeMusic();
    }
    player.paused = false;
    player.seekedWhilePaused = false;
    if (frameRate.title[0]) demoApp.window.setTitle(frameRate.title);
    player.traceNext = true;
}

void jump(Jump kind) {
    const double now = frameClockNow();
    const double from = player.paused ? player.heldT : demoTimeAt(now);
    const double T = jumpTarget(kind, from);
    if (T >= kShowEnd) {
        // Past the end: the next frame ends the show as the designed end does.
        player.paused = false;
        anchor(now, T);
        return;
    }
    demoClock.rebuildStepMs = kNominalStepMs;
    player.traceNext = true;
    if (player.paused) {
        player.heldT = T;
        player.seekedWhilePaused = true;
        player.redraw = true;
        return;
    }
    anchor(now, T);
    player.musicResync = true;  // once, at the next frame, however many jumps come before it
}

// The window's new size: the picture follows, and a held picture is drawn again at that size (a
// window that shrinks gets no exposure to say so).
void onPlayerResize(int width, int height) {
    followOutputSize(width, height);
    player.redraw = true;
}

void toggleFullScreen() {
    platform::setDesktopFullScreen(!platform::desktopFullScreen());
    player.redraw = true;
}

}  // namespace

double jumpTarget(Jump jump, double t) {
    double T = t;
    switch (jump) {
    case Jump::Back1s: T = t - 1000; break;
    case Jump::Forward1s: T = t + 1000; break;
    case Jump::Back10s: T = t - 10000; break;
    case Jump::Forward10s: T = t + 10000; break;
    case Jump::Start: T = 0; break;
    case Jump::NextScene: {
        const int scene = sceneForTime(t);
        T = scene <= 12 ? kSchedule[scene - 1].end : kShowEnd;
        break;
    }
    case Jump::PreviousScene: {
        const int scene = std::min(sceneForTime(t), 12);
        const double start = kSchedule[scene - 1].start;
        T = t - start < 1000 && scene > 1 ? kSchedule[scene - 2].start : start;
        break;
    }
    }
    return std::max(T, 0.0);
}

void formatDisplayLine(char (&line)[96], double t, int fps) {
    const long ms = t > 0 ? static_cast<long>(t) : 0;
    const int scene = sceneForTime(t);
    char progress[16] = "-";
    if (scene <= 11) std::snprintf(progress, sizeof progress, "%.3f", sceneProgress(scene, t));
    std::snprintf(line, sizeof line, "%ld:%02ld.%03ld  scene %d  u %s  fps %d", ms / 60000, ms / 1000 % 60,
                  ms % 1000, std::min(scene, 12), progress, fps);
}

void installPlayer() {
    resetPlayer();
    player.installed = true;
    demoApp.window.setKeyDownHandler(onPlayerKeyDown);
    demoApp.window.setKeyUpHandler(onPlayerKeyUp);
    demoApp.window.setPaintHandler(onPlayerPaint);
    demoApp.window.setIdleHandler(onPlayerFrame);
    demoApp.window.setResizeHandler(onPlayerResize);
}

void resetPlayer() { player = PlayerState{}; }

void onPlayerKeyDown(uint32_t key) {
    onKeyDown(key);  // Escape, as in the show
    bool& held = player.keyHeld[key & 0xff];
    const bool repeat = held;  // auto-repeat: seeks repeat, toggles do not
    held = true;
    if (platform::quitPosted()) return;
    const bool alt = player.keyHeld[platform::kVkMenu];
    if (!repeat) {
        if (key == 'F' || key == platform::kVkF11 || (key == platform::kVkReturn && alt)) {
            toggleFullScreen();
            return;
        }
        if (key == 'H') {
            player.displayLine = !player.displayLine;
            player.redraw = true;
            return;
        }
    }
    if (!acceptsKeys()) return;
    switch (key) {
    case platform::kVkSpace:
        if (repeat) return;
        if (player.paused)
            resumeShow();
        else
            pauseShow();
        return;
    case platform::kVkLeft: jump(Jump::Back1s); return;
    case platform::kVkRight: jump(Jump::Forward1s); return;
    case platform::kVkDown: jump(Jump::Back10s); return;
    case platform::kVkUp: jump(Jump::Forward10s); return;
    case platform::kVkPrior: jump(Jump::PreviousScene); return;
    case platform::kVkNext: jump(Jump::NextScene); return;
    case platform::kVkHome: jump(Jump::Start); return;
    default: return;
    }
}

void onPlayerKeyUp(uint32_t key) { player.keyHeld[key & 0xff] = false; }

void onPlayerPaint() { player.redraw = true; }

void onPlayerFrame() {
    if (platform::quitPosted()) return;  // the pump takes the quit next
    if (platform::windowMinimized()) {
        // Nothing is drawn; the show and the soundtrack go on, and the show still ends on time.
        player.minimized = true;
        const bool ends = clockRunning() && !player.paused && demoTimeAt(frameClockNow()) >= kShowEnd;
        if (!ends) {
            platform::waitForMessage(kIdleWaitMs);
            return;
        }
    } else if (player.minimized) {
        player.minimized = false;
        player.redraw = true;
        // The frames skipped meanwhile carried state: rebuild it for where the show is now.
        if (clockRunning() && !player.paused) demoClock.rebuildStepMs = kNominalStepMs;
    }
    if (player.paused) {
        if (player.redraw && player.shownT >= 0)
            redrawHeld();
        else
            platform::waitForMessage(kIdleWaitMs);
        return;
    }
    player.redraw = false;
    const double clock = frameClockNow();
    if (player.musicResync) {
        player.musicResync = false;
        const double t = demoTimeAt(clock);
        if (clockRunning() && t < kShowEnd) playMusicFrom(t);
    }
    drawFrame(clock);
}
