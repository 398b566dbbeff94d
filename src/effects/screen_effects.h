// Capture of the picture's lower-left 512x512 into textures and their overlay on the screen.
// Sizes are the designed ones (an 800x600 screen, 512x512 captures); a picture drawn at another
// size scales every pixel quantity by its scale, captures included.
#pragma once
#include <cstdint>

inline constexpr int kCaptureSize = 512;  // designed side of the capture square

// The picture the effects work on. The default is the designed 800x600 back buffer itself.
struct EffectsTarget {
    double scale = 1;      // pixels of the drawn picture per designed pixel (picture height / 600)
    int captureSize = 512; // side of the capture square in pixels, round(512 scale)
    // A multisampled picture cannot be copied from: resolveCapture(size) resolves its lower-left
    // size x size into a single-sampled buffer and binds that for reading; endResolve binds the
    // picture for reading again. Both empty for a single-sampled picture.
    void (*resolveCapture)(int size) = nullptr;
    void (*endResolve)() = nullptr;
};
void setEffectsTarget(const EffectsTarget& target);
const EffectsTarget& effectsTarget();
// A designed pixel quantity (a line width, a viewport side) in pixels of the drawn picture.
double scaledPixels(double designed);

struct EffectTexture {
    uint32_t name = 0;  // GL texture, captureSize x captureSize RGBA, linear filters
    EffectTexture() = default;
    EffectTexture(const EffectTexture&) = delete;
    EffectTexture& operator=(const EffectTexture&) = delete;
    ~EffectTexture();
};

// A black, fully transparent texture of the current capture size; stays bound.
void createEffectTexture(EffectTexture& texture);
void deleteEffectTexture(EffectTexture& texture);
// Pushes all attributes and sets the capture square's viewport.
void beginCapture();
// Copies the capture square into texture, clears to black, sets the viewport to the designed
// screen size width x height (scaled), loads identity into the current matrix and pops the
// attributes.
void endCapture(const EffectTexture& texture, int width, int height);
// Top-left origin orthographic projection over the screen size; both matrices pushed.
void beginOverlay2D(int screenWidth, int screenHeight);
// Pops both matrices; the modelview ends as identity.
void endOverlay2D();
// One textured quad over (left, top, width, height) in screen pixels, colour (1, 1, 1, opacity),
// added (src alpha, one) when additive, else replacing. Leaves depth test, alpha test, culling and
// lighting on, blending and texturing off, texture 0 bound.
void drawOverlay(const EffectTexture& texture, int left, int top, int width, int height,
                 double opacity, int screenWidth, int screenHeight, bool additive);
// Ordinary alpha blending on (src alpha, one minus src alpha) or blending off.
void setAlphaBlend(bool on);
