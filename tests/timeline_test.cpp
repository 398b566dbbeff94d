// The schedule, scene progress and the building blocks the scenes share.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "app/frame_driver.h"
#include "demo/demo_assets.h"
#include "demo/timeline.h"
#include "effect_patterns.h"
#include "gl_fixture.h"

TEST(Schedule, ScenesFollowOneAnotherOnTheBeatGrid) {
    EXPECT_EQ(kSchedule[0].start, 0.0);
    for (int k = 1; k <= 12; ++k) {
        const SceneSlot& s = kSchedule[k - 1];
        EXPECT_EQ(s.end, kSceneEnds[k - 1]) << k;
        if (k > 1) {
            EXPECT_EQ(s.start, kSchedule[k - 2].end) << k;
        }
        if (k <= 11) {
            EXPECT_NEAR(s.inverseLength * (s.end - s.start), 1.0, 1e-9) << k;
        }
        EXPECT_NE(s.draw, nullptr) << k;
    }
    EXPECT_NEAR(kSchedule[2].start, 30428.571428571428, 1e-9);
    EXPECT_NEAR(kSchedule[2].end, 66428.57142857142, 1e-9);
    EXPECT_NEAR(kSchedule[11].end, 210857.14285714284, 1e-9);
}

TEST(Schedule, ProgressAtAndAroundEachBoundary) {
    for (int k = 1; k <= 11; ++k) {
        const SceneSlot& s = kSchedule[k - 1];
        EXPECT_EQ(sceneProgress(k, s.start), 0.0) << k;
        EXPECT_NEAR(sceneProgress(k, s.end), 1.0, 1e-9) << k;
        EXPECT_LT(sceneProgress(k, std::nextafter(s.end, 0.0)), 1.0 + 1e-9) << k;
        EXPECT_NEAR(sceneProgress(k, (s.start + s.end) / 2), 0.5, 1e-9) << k;
        // The driver draws the next scene from the boundary on, starting at progress 0.
        EXPECT_EQ(sceneForTime(s.end), k + 1) << k;
        EXPECT_EQ(sceneForTime(std::nextafter(s.end, 0.0)), k) << k;
        if (k < 11) {
            EXPECT_EQ(sceneProgress(k + 1, s.end), 0.0) << k;
        }
    }
    // The frame of the 40000 ms example: a little over a quarter of scene 3.
    EXPECT_NEAR(sceneProgress(3, 40000), 0.26587301587301587, 1e-12);
    // Nested calls may ask beyond the end; the same formula holds.
    EXPECT_NEAR(sceneProgress(5, kSchedule[4].end + 0.5 * (kSchedule[4].end - kSchedule[4].start)),
                1.5, 1e-9);
}

TEST(Schedule, ScenesWithoutProgress) {
    EXPECT_EQ(sceneProgress(12, 208000), 0.0);
    EXPECT_EQ(sceneProgress(0, 100), 0.0);
    EXPECT_EQ(sceneProgress(13, 100), 0.0);
    EXPECT_EQ(sceneProgress(-1, 100), 0.0);
}

class BuildingBlocks : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        DemoAssets& a = demoAssets;
        for (EffectTexture* t : {&a.glowTexture, &a.flashTexture, &a.ringsTexture})
            if (!t->name) createEffectTexture(*t);
        for (EffectTexture& t : a.trailTextures)
            if (!t.name) createEffectTexture(t);
    }
    // Fills texture with one colour by a capture pass.
    static void captureColour(const EffectTexture& texture, float r, float g, float b, float a) {
        beginCapture();
        glClearColor(r, g, b, a);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        endCapture(texture, 800, 600);
    }
    static void fillBackground(float grey) {
        glClearColor(grey, grey, grey, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
};

TEST_F(BuildingBlocks, OtherSceneNumbersDrawNothing) {
    fillBackground(0.25f);
    for (int scene : {-1, 13, 100}) drawScene(scene, 1000);
    for (auto [x, y] : {std::pair{0, 0}, {400, 300}, {799, 599}}) EXPECT_EQ(pixel(x, y)[0], 64);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(BuildingBlocks, FlashAddsWhiteWeightedByItsValue) {
    flashPass(1.0);
    fillBackground(0.25f);
    flashOverlay();
    EXPECT_EQ(pixel(400, 300)[0], 255);
    EXPECT_EQ(pixel(5, 595)[1], 255);

    flashPass(0.0);
    fillBackground(0.25f);
    flashOverlay();
    EXPECT_EQ(pixel(400, 300)[0], 64);

    flashPass(0.5);
    fillBackground(0.0f);
    flashOverlay();
    EXPECT_NEAR(pixel(400, 300)[0], 128, 2);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(BuildingBlocks, RingsOverlayAtHalfOpacity) {
    captureColour(demoAssets.ringsTexture, 1, 1, 1, 1);
    fillBackground(0.0f);
    ringsOverlay();
    EXPECT_NEAR(pixel(400, 300)[0], 128, 2);
}

TEST_F(BuildingBlocks, GlowStackAddsNineFadingCopies) {
    captureColour(demoAssets.glowTexture, 1, 1, 1, 1);
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    fillBackground(0.0f);
    glowStack(demoAssets.glowTexture, 0.1);  // 0.1 * (0.9 + 0.8 + ... + 0.1) = 0.45
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_NEAR(pixel(400, 300)[0], 115, 3);
    EXPECT_NEAR(pixel(0, 0)[0], 115, 3);

    fillBackground(0.0f);
    glowStack(demoAssets.glowTexture, 0.0);
    EXPECT_EQ(pixel(400, 300)[0], 0);
}

TEST_F(BuildingBlocks, TrailOverlaysFadeToNothing) {
    for (const EffectTexture& t : demoAssets.trailTextures) captureColour(t, 1, 1, 1, 1);
    fillBackground(0.0f);
    trailOverlays();  // 0.24 + 0.18 + 0.12 + 0.06 + 0
    EXPECT_NEAR(pixel(400, 300)[0], 153, 3);

    // Only the last texture bright: its overlay adds nothing.
    for (const EffectTexture& t : demoAssets.trailTextures) captureColour(t, 0, 0, 0, 0);
    captureColour(demoAssets.trailTextures[4], 1, 1, 1, 1);
    fillBackground(0.0f);
    trailOverlays();
    EXPECT_EQ(pixel(400, 300)[0], 0);
    captureColour(demoAssets.trailTextures[0], 1, 1, 1, 1);
    fillBackground(0.0f);
    trailOverlays();
    EXPECT_NEAR(pixel(400, 300)[0], 61, 2);
}


// Strengths and fall-offs on single pixels, with pictures white in one column band only, so that
// each copy's rectangle and opacity shows: the expected values come from the copies' rectangles.
TEST_F(BuildingBlocks, GlowStackCopiesGrowBySixtyAndFadeByATenth) {
    captureWhiteColumns(demoAssets.glowTexture, 0, 128);  // the left quarter
    const double strength = 0.2;
    std::vector<OverlayCopy> copies;
    for (int k = 1; k <= 9; ++k) copies.push_back({-30.0 * k, 800.0 + 60 * k, (1 - 0.1 * k) * strength});
    fillBackground(0.0f);
    glowStack(demoAssets.glowTexture, strength);
    // x = 178: copy 1 only; x = 150: copies 1 to 3; x = 20: all nine.
    for (int x : {178, 150, 20}) {
        const double want = expectedBrightness(x, copies, 0, 0.25);
        EXPECT_NEAR(pixel(x, 300)[0], want, 2.5) << "x " << x;
        EXPECT_NEAR(pixel(x, 300)[2], want, 2.5) << "x " << x;
    }
    EXPECT_NEAR(expectedBrightness(150, copies, 0, 0.25), 255 * 2.4 * strength, 1e-9);
    // Right of every white band: nothing.
    EXPECT_EQ(pixel(400, 300)[0], 0);
}

TEST_F(BuildingBlocks, TrailOverlaysEachAtItsOwnOpacity) {
    // Trail j white in its own band of columns; one pixel in each band.
    for (int j = 0; j < 5; ++j) captureWhiteColumns(demoAssets.trailTextures[j], 100 * j, 100 * j + 100);
    fillBackground(0.0f);
    trailOverlays();
    const double opacities[5] = {0.24, 0.18, 0.12, 0.06, 0.0};
    for (int j = 0; j < 5; ++j) {
        const int x = static_cast<int>((100 * j + 50) * 800.0 / 512);
        EXPECT_NEAR(pixel(x, 300)[1], 255 * opacities[j], 2.0) << "trail " << j;
    }
    // Full screen each: the corners too.
    EXPECT_NEAR(pixel(2, 2)[0], 255 * 0.24, 2.0);
    EXPECT_NEAR(pixel(2, 597)[0], 255 * 0.24, 2.0);
}

TEST_F(BuildingBlocks, RingsOverlayAddsTheRingsAtHalfOverTheScene) {
    captureWhiteColumns(demoAssets.ringsTexture, 0, 256);
    fillBackground(0.25f);
    ringsOverlay();
    EXPECT_NEAR(pixel(100, 300)[0], 64 + 127.5, 2.0);  // added, not replacing
    EXPECT_NEAR(pixel(100, 5)[2], 64 + 127.5, 2.0);
    EXPECT_EQ(pixel(700, 300)[0], 64);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(BuildingBlocks, FlashAddsWhiteTimesItsValueOnEveryChannel) {
    flashPass(0.3);
    fillBackground(0.25f);
    flashOverlay();
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(pixel(400, 300)[c], 64 + 255 * 0.3, 2.0) << c;
        EXPECT_NEAR(pixel(1, 598)[c], 64 + 255 * 0.3, 2.0) << c;
    }
    flashPass(0.8);
    fillBackground(0.0f);
    flashOverlay();
    EXPECT_NEAR(pixel(799, 0)[1], 255 * 0.8, 2.0);
}
