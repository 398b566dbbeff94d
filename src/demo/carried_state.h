// The state that frames carry from one to the next: the reel angles of the word displays (scenes
// 3 and 8) and the trail textures (the swarms of scenes 4 and 5, the city fly-by of scene 7, the
// sky dome replayed in scene 10). Every other picture a frame shows it captures itself. After a
// jump this state is rebuilt as continuous play would have left it, continuous play meaning each
// scene's frames at its start + n * step.
#pragma once

inline constexpr double kNominalStepMs = 1000.0 / 60.0;

// The reel angles continuous play leaves just before its frame at t: 0 at the show's start, then
// eased by every frame of scenes 3 and 8 before t. Frames count as before t when they lie earlier
// than t - step / 2, so that a t given in decimals lands on its frame.
void replayReels(double t, double step, double (&angles)[5]);

// Whether the frame of scene `scene` (1..12) at demo time t captures into trailTextures[k - 1],
// k = 1..5. Mirrors the scenes' own tests.
bool frameWritesTrail(int scene, double t, int k);

// The demo time of the last frame before t (as above) that captured into trailTextures[k - 1];
// -1 when none did.
double lastTrailWrite(double t, double step, int k);

// The demo time of the last frame before t (as above); -1 when t is the show's first frame.
double previousFrame(double t, double step);

// Rebuilds the carried state for a frame at t about to be drawn: each trail texture that this
// frame will not capture itself by drawing, unseen, the earlier frames that last captured into
// it, or by clearing it when none did; then the reel angles by arithmetic up to the frame before
// t, which is drawn unseen last, so that the GL state it leaves behind is the one the frame at t
// starts from in play. Needs the show's GL context and its assets; leaves the colour and depth
// buffers cleared and the modelview identity.
void rebuildCarriedState(double t, double step);
