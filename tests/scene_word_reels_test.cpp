// The word reel scene: its message windows, title windows, portrait steps and flash, and its
// frames drawn with the stand-in data.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "app/demo_app.h"
#include "demo/demo_assets.h"
#include "demo/scene_word_reels.h"
#include "demo/timeline.h"
#include "render/word_displays.h"
#include "effect_patterns.h"
#include "show_frame.h"

TEST(WordWindows, EachBoundaryBelongsToTheEarlierWindow) {
    EXPECT_EQ(wordWindowFor(0.0).index, 0);
    EXPECT_EQ(wordWindowFor(0.0).ease, 0.0);
    for (int i = 1; i <= 48; ++i) {
        const double u = i / 48.0;
        const WordWindow at = wordWindowFor(u);
        EXPECT_EQ(at.index, i - 1) << i;
        EXPECT_NEAR(at.ease, 1.0, 1e-12) << i;
        if (i < 48) {
            const WordWindow after = wordWindowFor(std::nextafter(u, 2.0));
            EXPECT_EQ(after.index, i) << i;
            EXPECT_NEAR(after.ease, 0.0, 1e-12) << i;
        }
    }
    const WordWindow middle = wordWindowFor(10.5 / 48.0);
    EXPECT_EQ(middle.index, 10);
    EXPECT_NEAR(middle.ease, 0.5, 1e-12);
    EXPECT_EQ(wordWindowFor(std::nextafter(1.0, 2.0)).index, -1);
}

TEST(WordWindows, EveryCellHoldsFivePlacesOfTheRing) {
    for (int i = 0; i < kWordCellCount; ++i) {
        ASSERT_EQ(std::strlen(kWordCells[i]), 5u) << i;
        for (int j = 0; j < 5; ++j) {
            EXPECT_GE(kWordCells[i][j], '!') << i;
            EXPECT_LE(kWordCells[i][j], '~') << i;
        }
    }
    // The word of the 40000 ms frame: a little over a quarter of the scene.
    EXPECT_STREQ(kWordCells[wordWindowFor((40000 - 30428.571428571428) * 2.7777777777777782e-05).index],
                 "Code:");
}

TEST(TitleWindows, IncludeBothEnds) {
    for (int i = 0; i < kTitleWindowCount; ++i) {
        const TitleWindow& w = kTitleWindows[i];
        EXPECT_EQ(titleWindowFor(w.start), i);
        EXPECT_EQ(titleWindowFor(w.end), i);
        EXPECT_EQ(titleWindowFor(std::nextafter(w.start, 0.0)), -1);
        EXPECT_EQ(titleWindowFor(std::nextafter(w.end, 1.0)), -1);
        // The sweep runs w = 20 (u - start) from 0 to 1 across each window.
        EXPECT_NEAR(20 * (w.end - w.start), 1.0, 1e-9);
    }
    EXPECT_STREQ(kTitleWindows[titleWindowFor(0.27)].word, "Code");
    EXPECT_EQ(titleWindowFor(0.0), -1);
    EXPECT_EQ(titleWindowFor(0.5), -1);
}

TEST(TitleWindows, SweepShiftTruncatesTowardZero) {
    EXPECT_EQ(sweepShift(0.0), 30);
    EXPECT_EQ(sweepShift(1.0), -60);
    EXPECT_EQ(sweepShift(0.5), -15);
    EXPECT_EQ(sweepShift(0.34), 0);   // 30 - 30.6 = -0.6
    EXPECT_EQ(sweepShift(0.32), 1);   // 1.2
}

TEST(Portraits, StepsChangeAfterEachBound) {
    EXPECT_EQ(portraitFor(0.0).step, 0);
    EXPECT_NEAR(portraitFor(0.0).progress, 0.2, 1e-12);  // starts near the viewer, already moving
    EXPECT_EQ(portraitFor(0.24).progress, 1.0);          // settled
    EXPECT_EQ(portraitFor(0.3).step, 0);
    EXPECT_EQ(portraitFor(0.3).progress, 1.0);

    EXPECT_EQ(portraitFor(std::nextafter(0.3, 1.0)).step, 1);
    EXPECT_NEAR(portraitFor(std::nextafter(0.3, 1.0)).progress, 0.0, 1e-12);
    EXPECT_EQ(portraitFor(0.5).step, 1);
    EXPECT_NEAR(portraitFor(0.5).progress, 1.0, 1e-12);

    // The second portrait forms from progress 0.8 apart and is whole (m = 1) from u = 0.66 on.
    EXPECT_EQ(portraitFor(std::nextafter(0.5, 1.0)).step, 2);
    EXPECT_NEAR(portraitFor(std::nextafter(0.5, 1.0)).progress, 0.2, 1e-12);
    EXPECT_EQ(portraitFor(0.66).step, 2);
    EXPECT_EQ(portraitFor(0.66).progress, 1.0);
    EXPECT_LT(portraitFor(0.65).progress, 1.0);
    EXPECT_EQ(portraitFor(0.7).step, 2);

    EXPECT_EQ(portraitFor(std::nextafter(0.7, 1.0)).step, 3);
    EXPECT_NEAR(portraitFor(std::nextafter(0.7, 1.0)).progress, 0.0, 1e-12);
    EXPECT_EQ(portraitFor(0.9).step, 3);
    EXPECT_NEAR(portraitFor(0.9).progress, 1.0, 1e-12);
    EXPECT_EQ(portraitFor(std::nextafter(0.9, 1.0)).step, 4);
}

TEST(Flash, RisesAndFallsWithinItsWindow) {
    EXPECT_EQ(wordReelFlash(0.0), 0.0);
    EXPECT_NEAR(wordReelFlash(kWordReelFlashEnd), 0.0, 1e-5);
    EXPECT_NEAR(wordReelFlash(kWordReelFlashEnd / 2), 1.0, 1e-9);
    EXPECT_GT(wordReelFlash(kWordReelFlashEnd / 4), 0.7);
}

class WordReelFrames : public ShowFrameTest {};

TEST_F(WordReelFrames, FirstFrameStartsTheReelsFromRest) {
    for (double& a : demoAssets.reelAngles) a = 0;
    const auto f = drawShowFrame(3, kSchedule[2].start);
    // Ease 0 on the first frame: every reel still shows "!".
    for (double a : demoAssets.reelAngles) EXPECT_EQ(a, 0.0);
    EXPECT_GT(litPixels(f), 1000);
}

TEST_F(WordReelFrames, ReelsSpellTheWordByTheEndOfItsWindow) {
    const double start = kSchedule[2].start;
    const double length = kSchedule[2].end - start;
    // Frames through window 10 ("Code:") and the last moments of window 12, still "Code:".
    for (double at : {10.25, 10.5, 10.75, 12.999}) drawShowFrame(3, start + length * at / 48.0);
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(demoAssets.reelAngles[j], reelAngleFor("Code:"[j]), 0.2);
}

TEST_F(WordReelFrames, FramesAcrossTheSceneAreLitAndMove) {
    const double start = kSchedule[2].start;
    const double length = kSchedule[2].end - start;
    std::vector<uint8_t> previous;
    for (double u : {0.0025, 0.12, 0.27, 0.4, 0.6, 0.66, 0.71, 0.8, 0.95}) {
        const auto f = drawShowFrame(3, start + u * length);
        EXPECT_GT(litPixels(f), 1000) << u;
        if (!previous.empty()) {
            EXPECT_GT(changedPixels(previous, f), 1000) << u;
        }
        previous = f;
    }
}

TEST_F(WordReelFrames, FlashWhitensTheOpeningFrames) {
    const double start = kSchedule[2].start;
    const double length = kSchedule[2].end - start;
    // At f = 1 the white picture is added over the whole screen.
    const auto f = drawShowFrame(3, start + kWordReelFlashEnd / 2 * length);
    EXPECT_GT(whitePixels(f), 800 * 600 * 95 / 100);
    const auto after = drawShowFrame(3, start + 0.01 * length);
    EXPECT_LT(whitePixels(after), 800 * 600 / 2);
}

TEST_F(WordReelFrames, DrawingAllocatesNothing) {
    const double start = kSchedule[2].start;
    const double length = kSchedule[2].end - start;
    for (double u : {0.002, 0.12, 0.27, 0.4, 0.6, 0.66, 0.71, 0.8, 0.95}) {
        EXPECT_EQ(allocationsOfFrame(3, start + u * length), 0u) << u;
    }
}

// The sweeping glow on single pixels with a picture white in its left quarter: each copy's left
// edge and width show in which copies reach the pixel, and their opacities add up.
TEST_F(WordReelFrames, SweepingGlowCopiesOnSinglePixels) {
    const double strength = 0.25;
    const struct {
        double w;
        int pixels[3];
    } cases[] = {{0.0, {140, 100, 30}}, {0.25, {170, 150, 68}}, {1.0, {20, 100, 215}}};
    captureWhiteColumns(demoAssets.glowTexture, 0, 128);
    for (const auto& sample : cases) {
        const int c = static_cast<int>(30 - 90 * sample.w);
        std::vector<OverlayCopy> copies;
        for (int k = 1; k <= 9; ++k)
            copies.push_back({-(c + 30.0) * k, 800.0 + (c + 60) * k, (1 - 0.1 * k) * strength});
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        sweepingGlow(demoAssets.glowTexture, sample.w, strength);
        for (int x : sample.pixels) {
            EXPECT_NEAR(pixel(x, 300)[0], expectedBrightness(x, copies, 0, 0.25), 2.5)
                << "w " << sample.w << " x " << x;
        }
    }
    EXPECT_EQ(glErrors(), 0u);
}
