// The opening scenes: title steps, the name's glow, the fog-flight camera, and their frames drawn
// with the stand-in data.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "app/demo_random.h"
#include "demo/scenes_opening.h"
#include "demo/timeline.h"
#include "show_frame.h"

TEST(TitleSteps, EachBoundBelongsToTheEarlierStep) {
    EXPECT_EQ(titleStepFor(0.0), 0);
    EXPECT_EQ(titleStepFor(0.2), 0);
    EXPECT_EQ(titleStepFor(std::nextafter(0.2, 1.0)), 1);
    EXPECT_EQ(titleStepFor(0.4), 1);
    EXPECT_EQ(titleStepFor(std::nextafter(0.4, 1.0)), 2);
    EXPECT_EQ(titleStepFor(0.6), 2);
    EXPECT_EQ(titleStepFor(std::nextafter(0.6, 1.0)), 3);
    EXPECT_EQ(titleStepFor(1.0), 3);
}

TEST(TitleSteps, NameGlowSwellsAndFades) {
    EXPECT_EQ(titleGlowStrength(0.0), 0.0);
    EXPECT_NEAR(titleGlowStrength(1.0), 0.0, 1e-11);
    EXPECT_NEAR(titleGlowStrength(0.5), 0.8, 1e-12);
    EXPECT_LT(titleGlowStrength(0.25), titleGlowStrength(0.5));
    EXPECT_NEAR(titleGlowStrength(0.25), titleGlowStrength(0.75), 1e-5);
}

TEST(FogFlight, CameraCutsToAStraightRunHalfway) {
    const CameraPose first = fogFlightCamera(0.0);
    EXPECT_EQ(first.eye.x, 306);
    EXPECT_EQ(first.eye.y, -191);
    EXPECT_EQ(first.eye.z, 67);
    EXPECT_EQ(first.centre.x, -155);

    const CameraPose before = fogFlightCamera(std::nextafter(0.5, 0.0));
    const CameraPose cut = fogFlightCamera(0.5);
    EXPECT_NEAR(before.eye.x, -1, 1e-9);
    EXPECT_NEAR(before.eye.y, -56, 1e-9);
    EXPECT_EQ(cut.eye.x, -330);
    EXPECT_EQ(cut.eye.y, 125);
    EXPECT_EQ(cut.centre.x, -25);

    // The run ends 5 units short of the point it looks at.
    const CameraPose last = fogFlightCamera(1.0);
    EXPECT_EQ(last.eye.x, -30);
    EXPECT_EQ(last.centre.x - last.eye.x, 5);
    EXPECT_EQ(last.eye.y, last.centre.y);
    EXPECT_EQ(last.eye.z, last.centre.z);
}

class OpeningFrames : public ShowFrameTest {
protected:
    static double timeOf(int scene, double u) {
        const SceneSlot& s = kSchedule[scene - 1];
        return s.start + u * (s.end - s.start);
    }
};

TEST_F(OpeningFrames, TitleFramesAreLitCentredAndMove) {
    std::vector<uint8_t> previous;
    for (double u : {0.02, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.95}) {
        const auto f = drawShowFrame(1, timeOf(1, u));
        EXPECT_GT(litPixels(f), 500) << u;
        if (!previous.empty()) {
            EXPECT_GT(changedPixels(previous, f), 300) << u;
        }
        previous = f;
    }
    // "DEMO:02" stands on the centre line: as much text left of it as right of it.
    const auto f = drawShowFrame(1, timeOf(1, 0.3));
    const int left = litIn(f, 200, 200, 400, 400), right = litIn(f, 400, 200, 600, 400);
    EXPECT_GT(left, 200);
    EXPECT_NEAR(left, right, 0.25 * (left + right));
}

TEST_F(OpeningFrames, TheRingsStandBelowTheTextsAndTheNameInTheCentre) {
    // The texts stand on and above the centre row, so the lower part of the screen shows the
    // rings alone behind "presented by". The last step's pass wipes them, but its glow copies
    // carry the rings of its capture corner along (the reference frames hold that picture).
    const auto early = drawShowFrame(1, timeOf(1, 0.5));
    const auto late = drawShowFrame(1, timeOf(1, 0.95));
    EXPECT_GT(litIn(early, 0, 0, 800, 200), 500);
    EXPECT_GT(litIn(late, 200, 300, 600, 400), 2000);
}

TEST_F(OpeningFrames, FogFlightFramesAreLitAndMove) {
    std::vector<uint8_t> previous;
    for (double u : {0.05, 0.25, 0.45, 0.55, 0.75, 0.95}) {
        const auto f = drawShowFrame(2, timeOf(2, u));
        EXPECT_GT(litPixels(f), 5000) << u;
        if (!previous.empty()) {
            EXPECT_GT(changedPixels(previous, f), 1000) << u;
        }
        previous = f;
    }
}

TEST_F(OpeningFrames, FogIsOffOutsideTheCityAndTheSubtitleShakes) {
    const uint64_t before = demoRandCount();
    drawShowFrame(2, timeOf(2, 0.4));
    EXPECT_EQ(demoRandCount(), before);  // no subtitle yet
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    drawShowFrame(2, timeOf(2, 0.75));
    EXPECT_EQ(demoRandCount(), before + 2);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(OpeningFrames, DrawingAllocatesNothing) {
    for (int scene : {1, 2}) {
        for (double u : {0.1, 0.3, 0.5, 0.7, 0.9}) {
            EXPECT_EQ(allocationsOfFrame(scene, timeOf(scene, u)), 0u) << scene << " " << u;
        }
    }
}
