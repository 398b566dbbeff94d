// Capture of the back buffer's lower-left 512x512 into textures and their overlay on the screen.
#pragma once
#include <cstdint>

inline constexpr int kCaptureSize = 512;

struct EffectTexture {
    uint32_t name = 0;  // GL texture, 512x512 RGBA, linear filters
    EffectTexture() = default;
    EffectTexture(const EffectTexture&) = delete;
    EffectTexture& operator=(const EffectTexture&) = delete;
    ~EffectTexture();
};

// A black, fully transparent 512x512 texture; stays bound.
void createEffectTexture(EffectTexture& texture);
void deleteEffectTexture(EffectTexture& texture);
// Pushes all attributes and sets the 512x512 viewport.
void beginCapture();
// Copies the 512x512 corner into texture, clears to black, restores the viewport (width x height),
// loads identity into the current matrix and pops the attributes.
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
