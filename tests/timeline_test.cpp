// The schedule, scene progress and the building blocks the scenes share.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "app/frame_driver.h"
#include "demo/demo_assets.h"
#include "demo/timeline.h"
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

