// Rebuilding what frames carry after a jump: reels by replaying their easing, trails by drawing
// the frames that last captured them.
#include "demo/carried_state.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/frame_driver.h"  // scene boundaries, setupLights
#include "demo/demo_assets.h"
#include "demo/scene_finale.h"
#include "demo/scene_sky_city.h"
#include "demo/scene_word_reels.h"
#include "demo/timeline.h"

namespace {

// Frames n = 0, 1, ... of scene k (1..12), at start + n * step below the scene's end and below
// limit, in order.
template <class Visit>
void forEachFrame(int k, double limit, double step, Visit&& visit) {
    const SceneSlot& slot = kSchedule[k - 1];
    for (long n = 0;; ++n) {
        const double g = slot.start + n * step;
        if (!(g < slot.end) || !(g < limit)) break;
        visit(g);
    }
}

// The last frame n of scene k below limit, or -1.
long lastFrameBefore(int k, double limit, double step) {
    const SceneSlot& slot = kSchedule[k - 1];
    const double until = std::min(limit, slot.end);
    if (!(slot.start < until)) return -1;
    long n = static_cast<long>(std::ceil((until - slot.start) / step));
    while (n > 0 && !(slot.start + n * step < until)) --n;
    while (slot.start + (n + 1) * step < until) ++n;
    return n;
}

// One frame as the driver draws it, but never shown.
void drawUnseenFrame(double t) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupLights();
    glPushMatrix();
    drawScene(sceneForTime(t), t);
    glPopMatrix();
}

void clearTexture(const EffectTexture& texture) {
    beginCapture();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    endCapture(texture, kScreenWidth, kScreenHeight);
}

}  // namespace

void replayReels(double t, double step, double (&angles)[5]) {
    for (double& a : angles) a = 0;
    const double limit = t - step / 2;
    forEachFrame(3, limit, step, [&](double g) { easeWordReels(angles, sceneProgress(3, g)); });
    forEachFrame(8, limit, step, [&](double g) { easePlayReels(angles, sceneProgress(8, g)); });
}

bool frameWritesTrail(int scene, double t, int k) {
    // In step with the scene draws of scenes_sky_city.cpp and scenes_finale.cpp.
    const double u = sceneProgress(scene, t);
    switch (scene) {
    case 4: return trailPassRuns(u, kSkyTubeTrailStep, k);
    case 5: {
        const SkyDomeFold fold = skyDomeFold(u);
        return fold.p < kSkyDomeTrailEnd && trailPassRuns(fold.p, kSkyDomeTrailStep, k);
    }
    case 6: return frameWritesTrail(5, t, k);  // the dome past its end, drawn into the zoom
    case 7: return cityFlightHasTrails(u) && trailPassRuns(2 * u, kCityTrailStep, k);
    case 10: {
        const RecapReplay replay = recapReplay(u);
        return frameWritesTrail(replay.scene, replay.t, k);
    }
    default: return false;
    }
}

double lastTrailWrite(double t, double step, int k) {
    const double limit = t - step / 2;
    for (int scene = std::min(sceneForTime(limit), 12); scene >= 1; --scene) {
        if (scene < 4 || scene == 8 || scene == 9 || scene > 10) continue;  // no trails there
        const SceneSlot& slot = kSchedule[scene - 1];
        for (long n = lastFrameBefore(scene, limit, step); n >= 0; --n) {
            const double g = slot.start + n * step;
            if (frameWritesTrail(scene, g, k)) return g;
        }
    }
    return -1;
}

double previousFrame(double t, double step) {
    const double limit = t - step / 2;
    for (int scene = std::min(sceneForTime(limit), 12); scene >= 1; --scene) {
        const long n = lastFrameBefore(scene, limit, step);
        if (n >= 0) return kSchedule[scene - 1].start + n * step;
    }
    return -1;
}

void rebuildCarriedState(double t, double step) {
    const int scene = sceneForTime(t);
    std::vector<double> frames;
    for (int k = 1; k <= 5; ++k) {
        if (scene <= 12 && frameWritesTrail(scene, t, k)) continue;  // this frame captures it
        const double g = lastTrailWrite(t, step, k);
        if (g < 0)
            clearTexture(demoAssets.trailTextures[k - 1]);
        else
            frames.push_back(g);
    }
    // The frame just before t is drawn last in any case: what it leaves in the GL state (the
    // material of its last draw, among others) is what the frame at t begins with in play.
    const double previous = previousFrame(t, step);
    if (previous >= 0) frames.push_back(previous);
    // Earliest first: a later frame overwrites what an earlier one left in a shared texture.
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    // Trail frames lie outside the reel scenes; the previous frame eases the reels the last step.
    replayReels(previous >= 0 ? previous : t, step, demoAssets.reelAngles);
    for (double g : frames) drawUnseenFrame(g);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}
