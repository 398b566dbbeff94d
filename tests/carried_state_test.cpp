// What frames carry after a jump: the reel angles equal those of continuous play at the nominal
// step, computed here straight from the word table and the easing rule; the trail textures hold
// what playing through the earlier frames left in them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/carried_state.h"
#include "show_frame.h"

namespace {

constexpr double kStep = 1000.0 / 60.0;
constexpr double kScene3Start = 30428.571428571428, kScene3End = 66428.57142857142;
constexpr double kScene8Start = 123000, kScene8End = 150342.85714285713;

// The running message of the word reel scene, window by window.
const char* const kMessage[48] = {
    "This_", "_demo", "_made", "_by__", "Gfx_:", "Gfx_:", "Gfx_:", "Gfx_:", "Gfx_:", "_and_",
    "Code:", "Code:", "Code:", "Code:", "Code:", "Code:", "_____", "A____", "_Demo", "Make_",
    "__you", "Happy", "!!!!!", "_and_", "Open_", "_your", "Mind!", "Yeah!", "_____", "Music",
    "Music", "Music", "Music", "Music", "Music", "Music", "_____", ">2003", "Qell_", "_demo",
    "Pilt_", "_Ver.", "Thanx", "for__", "__you", "It's_", "Ready", "GO!!!",
};

double placeOf(char c) {
    const int code = static_cast<unsigned char>(c);
    return code >= 33 && code <= 126 ? -(code - 33) * 3.8297872340425534 : -94 * 3.8297872340425534;
}

void ease(double (&angles)[5], const char* word, double f) {
    for (int j = 0; j < 5; ++j) angles[j] += (placeOf(word[j]) - angles[j]) * f;
}

// Playing through from the show's start: every frame of scene 3 from its start, then of scene 8,
// up to (not including) the frame at `until`.
void playThrough(double until, double (&angles)[5]) {
    for (double& a : angles) a = 0;
    for (long n = 0;; ++n) {
        const double t = kScene3Start + n * kStep;
        if (t >= kScene3End || t >= until - 1e-6) break;
        const double u = (t - kScene3Start) * 2.7777777777777782e-05;
        int i = 0;
        while (u > (i + 1) / 48.0) ++i;
        ease(angles, kMessage[i], 48 * (u - i / 48.0));
    }
    for (long n = 0;; ++n) {
        const double t = kScene8Start + n * kStep;
        if (t >= kScene8End || t >= until - 1e-6) break;
        const double u = (t - kScene8Start) * 3.657262277951935e-05;
        ease(angles, "Play!", u * u * u);
    }
}

}  // namespace

class CarriedStateFrames : public ShowFrameTest {};

// Across the sky dome's fold: the frames before the jump left the first half's last copies in
// the textures the second half does not yet overwrite; the rebuild must leave the same.
TEST_F(CarriedStateFrames, TrailTexturesAfterAJumpHoldWhatPlayingThroughLeft) {
    const double start = 80142.85714285714, inverse = 7.070707070707077e-05;
    const long first = static_cast<long>(0.494 / inverse / kStep);
    const long jump = static_cast<long>(0.5015 / inverse / kStep) + 1;  // p about 0.003
    for (long n = first; n < jump; ++n) drawDriven(5, start + n * kStep);
    const double target = start + jump * kStep;
    std::vector<uint8_t> played[5];
    for (int k = 0; k < 5; ++k) played[k] = textureImage(demoAssets.trailTextures[k]);
    EXPECT_GT(litFraction(played[4]), 0.001) << "the first half's last copy shows the swarm";

    // Spoil the textures with another scene's frames, then jump.
    drawDriven(4, 75000);
    EXPECT_NE(textureImage(demoAssets.trailTextures[4]), played[4]);
    rebuildCarriedState(target, kStep);
    for (int k = 0; k < 5; ++k) {
        if (frameWritesTrail(5, target, k + 1)) continue;
        const auto rebuilt = textureImage(demoAssets.trailTextures[k]);
        EXPECT_TRUE(rebuilt == played[k]) << "trail " << k << " differs after the jump";
    }
    expectCleanState();

    // Before the sky tube no frame has written them: they are black after a jump there.
    rebuildCarriedState(66428.57142857142 + kStep, kStep);
    EXPECT_EQ(litFraction(textureImage(demoAssets.trailTextures[4])), 0.0);
}

TEST(CarriedState, ReelAnglesAfterAJumpEqualPlayingThrough) {
    // Three moments in each reel scene: the second frame, mid-word, late; then between and after.
    const double moments[] = {
        kScene3Start + 1 * kStep,   kScene3Start + 700 * kStep, kScene3Start + 2000 * kStep,
        kScene8Start + 1 * kStep,   kScene8Start + 900 * kStep, kScene8Start + 1600 * kStep,
        90000.0,                    170000.0,
    };
    for (double t : moments) {
        double expected[5], angles[5] = {1, 2, 3, 4, 5};
        playThrough(t, expected);
        replayReels(t, kStep, angles);
        for (int j = 0; j < 5; ++j) EXPECT_NEAR(angles[j], expected[j], 1e-9) << "t = " << t << ", reel " << j;
    }
    // Before scene 3 the reels stand at 0.
    double angles[5] = {7, 7, 7, 7, 7};
    replayReels(20000, kStep, angles);
    for (double a : angles) EXPECT_EQ(a, 0);
}

TEST(CarriedState, ATimeGivenInDecimalsLandsOnItsFrame) {
    const double onGrid = kScene8Start + 900 * kStep;
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", onGrid);  // as a person would type it
    const double typed = std::strtod(text, nullptr);
    double a[5], b[5];
    replayReels(onGrid, kStep, a);
    replayReels(typed, kStep, b);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(a[j], b[j]);
    // Half a step later is the next frame.
    replayReels(onGrid + 0.6 * kStep, kStep, b);
    EXPECT_NE(std::memcmp(a, b, sizeof a), 0);
}

TEST(CarriedState, TrailWritesFollowTheScenes) {
    const double scene4 = 66428.57142857142, scene5 = 80142.85714285714, scene7 = 95785.71428571428;
    // The sky tube: copy k from progress 0.01 k on.
    EXPECT_FALSE(frameWritesTrail(4, scene4, 1));
    EXPECT_TRUE(frameWritesTrail(4, scene4 + 0.011 / 7.29166666666666e-05, 1));
    EXPECT_FALSE(frameWritesTrail(4, scene4 + 0.011 / 7.29166666666666e-05, 2));
    // The sky dome: no trails from p = 0.99 to the fold; the zoom's dome (p > 1) has none.
    EXPECT_TRUE(frameWritesTrail(5, scene5 + 0.49 / 7.070707070707077e-05, 5));
    EXPECT_FALSE(frameWritesTrail(5, scene5 + 0.4975 / 7.070707070707077e-05, 1));
    EXPECT_FALSE(frameWritesTrail(6, 95000, 1));
    // The city: first half only, copy k from p = 2u = 0.05 k.
    EXPECT_TRUE(frameWritesTrail(7, scene7 + 0.03 / 3.674540682414697e-05, 1));
    EXPECT_FALSE(frameWritesTrail(7, scene7 + 0.03 / 3.674540682414697e-05, 2));
    EXPECT_FALSE(frameWritesTrail(7, scene7 + 0.6 / 3.674540682414697e-05, 1));
    // The recap's dome writes them, its word cloud and city path do not.
    EXPECT_TRUE(frameWritesTrail(10, 178285.7142857143 + 0.3 / 3.7037037037037037e-05, 3));
    EXPECT_FALSE(frameWritesTrail(10, 178285.7142857143 + 0.1 / 3.7037037037037037e-05, 3));
    EXPECT_FALSE(frameWritesTrail(10, 178285.7142857143 + 0.7 / 3.7037037037037037e-05, 3));
    EXPECT_FALSE(frameWritesTrail(3, 40000, 1));

    // Early in the city flight copy 5 last took the dome's second half, before its trails ended.
    const double early7 = scene7 + 2 * kStep;
    const double g = lastTrailWrite(early7, kStep, 5);
    EXPECT_GE(g, scene5 + 0.5 / 7.070707070707077e-05);
    EXPECT_LT(g, 94285.71428571428);
    EXPECT_TRUE(frameWritesTrail(5, g, 5));
    EXPECT_FALSE(frameWritesTrail(5, g + kStep, 5));
    // Nothing writes trails before the sky tube.
    EXPECT_EQ(lastTrailWrite(scene4 + 10 * kStep, kStep, 5), -1);
}
