// The word reel scene's tables and arithmetic: the running message, the title windows, the
// portrait steps and the opening flash.
#pragma once
#include "effects/screen_effects.h"  // EffectTexture

// The message: 48 equal windows of the scene, window i covering i/48 < u <= (i+1)/48 (window 0
// from u = 0), one five-character cell each; '_' is a blank place of the ring.
inline constexpr int kWordCellCount = 48;
extern const char* const kWordCells[kWordCellCount];

struct WordWindow {
    int index;    // 0..47, or -1 past the end of the scene (no reel update)
    double ease;  // 48 (u - window start), 0..1 across the window
};
// The word window holding u; a u exactly on a boundary belongs to the earlier window.
WordWindow wordWindowFor(double u);

struct TitleWindow {
    const char* word;
    double start, end;  // progress, both ends included
};
inline constexpr int kTitleWindowCount = 3;
extern const TitleWindow kTitleWindows[kTitleWindowCount];
// Index of the title window holding u, or -1.
int titleWindowFor(double u);
// Horizontal shift of the sweeping glow at the window's own progress w (0..1): trunc(30 - 90 w).
int sweepShift(double w);

// Nine growing copies of a captured picture at the title window's progress w (0..1): copy k at
// (-(c + 30)k, -30k, 800 + (c + 60)k, 600 + 60k) with c = sweepShift(w), opacity
// (1 - 0.1k) * strength; the left edges sweep across the window while the right edges stay.
void sweepingGlow(const EffectTexture& texture, double w, double strength);

// The portraits by u: 0 the first flying in whole (progress p, settled at 1), 1 the first breaking
// apart (m), 2 the second forming (m; exploded by 1 - m, also whole once m is 1), 3 the second
// breaking apart (its explosion progress), 4 none.
struct PortraitPose {
    int step;
    double progress;
};
PortraitPose portraitFor(double u);

// One frame's easing of the reels at u: towards the word of u's window by its factor; nothing
// past the end of the scene.
void easeWordReels(double (&angles)[5], double u);

// The opening flash lasts while u <= kWordReelFlashEnd; its strength is sin(200 pi u).
inline constexpr double kWordReelFlashEnd = 0.005;
double wordReelFlash(double u);
