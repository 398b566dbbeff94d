// Simple captured pictures for measuring the screen-space building blocks on single pixels, and
// the expected sum of overlay copies at a pixel computed from their rectangles.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "effects/screen_effects.h"

// Captures a picture into texture that is white (alpha 1) in texel columns [x0, x1) of the 512
// and black elsewhere.
inline void captureWhiteColumns(const EffectTexture& texture, int x0, int x1) {
    beginCapture();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, 0, x1 - x0, kCaptureSize);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    endCapture(texture, 800, 600);
}

// One overlay copy of a texture whose columns [from, to) of 0..1 are white.
struct OverlayCopy {
    double left, width, opacity;
};
// The brightness (0..255) that additive copies give the pixel column x on black, for a texture
// white in the columns [from, to) of its width. Fails the test when an edge of a white span lies
// within 3 pixels of x, where the texture's filtering would blur the answer.
inline double expectedBrightness(int x, const std::vector<OverlayCopy>& copies, double from, double to) {
    const double centre = x + 0.5;
    double sum = 0;
    for (const OverlayCopy& c : copies) {
        const double a = c.left + from * c.width, b = c.left + to * c.width;
        EXPECT_GT(std::min(std::abs(centre - a), std::abs(centre - b)), 3.0) << "pixel " << x << " on an edge";
        if (a <= centre && centre < b) sum += c.opacity;
    }
    return 255 * std::min(sum, 1.0);
}
