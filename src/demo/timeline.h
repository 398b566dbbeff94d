// The show's schedule and the building blocks its scenes share.
#pragma once
#include "effects/screen_effects.h"

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// The timeline's own constants for pi and pi/2 (slightly inexact values that shape the picture).
inline constexpr double kPi = 3.1415920000000006;
inline constexpr double kHalfPi = 1.5707960000000003;

using SceneDraw = void (*)(double u, double t);
struct SceneSlot {
    double start, end, inverseLength;  // ms, ms, 1 / length
    SceneDraw draw;
};
// Scenes 1..12 at index scene - 1.
extern const SceneSlot kSchedule[12];

// Scene 0 is the black frame and set-up; 1..12 draw their scene at demo time t (ms); other
// numbers draw nothing.
void drawScene(int scene, double t);
// u = (t - start) * (1 / length) of scene 1..11.
double sceneProgress(int scene, double t);

// Building blocks.
void ringBackdrop(double u);               // drawLineRings(u), then the rings overlay
void ringsOverlay();                       // ringsTexture over the screen at opacity 0.5
void flashPass(double f);                  // capture pass clearing to (1, 1, 1, f) into flashTexture
void flashOverlay();                       // flashTexture over the screen, white weighted by f
void glowStack(const EffectTexture& texture, double strength);  // 9 growing, fading copies
void trailOverlays();                      // the five trail textures, opacities 0.24 .. 0

// Trails: for k = 1..5, if p - k * step >= 0, a capture pass of subject(p - k * step) into
// trailTextures[k - 1]. The subject draws between beginCapture and endCapture itself when it
// needs to push around them, so it is handed the texture to end into.
template <class Subject>
void trailPasses(double p, double step, Subject&& subject);
// Whether trail pass k (1..5) runs at subject progress p.
inline bool trailPassRuns(double p, double step, int k) { return p - k * step >= 0; }

// Scene draws, one source file per group of scenes (u progress, t demo time in ms).
void drawTitleScene(double u, double t);      // 1
void drawFogFlightScene(double u, double t);  // 2
void drawWordReelScene(double u, double t);   // 3
void drawSkyTubeScene(double u, double t);    // 4
void drawSkyDomeScene(double u, double t);    // 5
void drawSpinZoomScene(double u, double t);   // 6
void drawCityFlightScene(double u, double t); // 7
void drawLightCoreScene(double u, double t);  // 8
void drawWordCloudScene(double u, double t);  // 9
void drawRecapScene(double u, double t);      // 10
void drawGreyPictureScene(double u, double t);// 11
void drawBlackScene(double u, double t);      // 12

#include "demo/demo_assets.h"

template <class Subject>
void trailPasses(double p, double step, Subject&& subject) {
    for (int k = 1; k <= 5; ++k) {
        if (trailPassRuns(p, step, k)) subject(p - k * step, demoAssets.trailTextures[k - 1]);
    }
}
