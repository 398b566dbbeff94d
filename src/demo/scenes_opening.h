// The opening scenes' own arithmetic: which title step runs, how strong the name's glow is, where
// the camera of the fog flight stands.
#pragma once
#include "render/draw_variants.h"  // CameraPose

// The title step of scene 1 at progress u: 0 up to u = 0.2, 1 up to 0.4, 2 up to 0.6, 3 after
// (each bound belongs to the earlier step).
int titleStepFor(double u);
// Alpha of the group name and strength of its glow at the last title step's own progress v
// (0..1): 0.8 sin^2(pi v), 0 at both ends and 0.8 in the middle.
double titleGlowStrength(double v);
// The fog-flight camera at progress u (up is +Y); the path cuts to a straight run at u = 0.5.
CameraPose fogFlightCamera(double u);
