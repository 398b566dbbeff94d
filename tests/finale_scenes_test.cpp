// The finale: the light core's surge, the recap's replays and pictures, the grey picture, the
// credits and the black end, then the scenes drawn from the stand-in data.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "alloc_counter.h"
#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "demo/demo_assets.h"
#include "demo/scene_finale.h"
#include "demo/timeline.h"
#include "gl_fixture.h"
#include "show_frame.h"
#include "platform/message_box.h"

namespace {

// The show set up once from the stand-in data, frames drawn as the frame driver draws them.
using ShowTest = ShowFrameTest;

TEST(WheelSurge, OnlyStrictlyAfterThirtyPercentAndUpToSeventyInclusive) {
    const WheelSurge before = wheelSurge(0.3);
    EXPECT_FALSE(before.active);
    EXPECT_EQ(before.alpha, 0.0f);
    EXPECT_EQ(before.offset(), 0.0);

    // At 0.7 the curve has come back round: sin of the slightly short pi, tiny but positive,
    // so the outlines are still drawn.
    const WheelSurge last = wheelSurge(0.7);
    EXPECT_TRUE(last.active);
    EXPECT_GT(last.alpha, 0.0f);
    EXPECT_LT(last.alpha, 1e-5f);
    EXPECT_FALSE(wheelSurge(std::nextafter(0.7, 1.0)).active);

    EXPECT_NEAR(wheelSurge(0.5).alpha, std::sqrt(0.5), 1e-6);
    // The peak, at w = 1/sqrt(2): the wheel comes 800 units nearer.
    EXPECT_NEAR(wheelSurge(0.3 + 2.5 * 0.7071067811865476 / 6.25).offset(), 800, 1e-2);
    EXPECT_NEAR(lightCoreFlash(0), 1, 1e-12);
    EXPECT_NEAR(lightCoreFlash(kLightCoreFlashEnd), 0, 1e-9);
}

TEST(RecapReplay, SwitchesScenesExactlyAtOneFifthAndThreeFifths) {
    auto within = [](const RecapReplay& r) {
        return r.t >= kSceneEnds[r.scene - 2] && r.t < kSceneEnds[r.scene - 1] + 1e-6;
    };
    const RecapReplay first = recapReplay(0);
    EXPECT_EQ(first.scene, 9);
    EXPECT_NEAR(first.t, kSceneEnds[7], 1e-6);

    const RecapReplay lastOfNine = recapReplay(std::nextafter(0.2, 0.0));
    EXPECT_EQ(lastOfNine.scene, 9);
    EXPECT_NEAR(lastOfNine.t, kSceneEnds[8], 1e-6);
    const RecapReplay dome = recapReplay(0.2);
    EXPECT_EQ(dome.scene, 5);
    EXPECT_NEAR(dome.t, kSceneEnds[3], 1e-6);

    EXPECT_EQ(recapReplay(std::nextafter(0.6, 0.0)).scene, 5);
    EXPECT_NEAR(recapReplay(std::nextafter(0.6, 0.0)).t, kSceneEnds[4], 1e-6);
    const RecapReplay city = recapReplay(0.6);
    EXPECT_EQ(city.scene, 7);
    EXPECT_NEAR(city.t, (kSceneEnds[5] + kSceneEnds[6]) / 2, 1e-6);  // the city's second half
    EXPECT_NEAR(recapReplay(1).t, kSceneEnds[6], 1e-6);

    for (int n = 0; n < 1000; ++n) EXPECT_TRUE(within(recapReplay(n / 1000.0))) << n;
}

TEST(RecapPictures, ShrinkOverTheFirstFifthThenHold) {
    EXPECT_EQ(shrinkingPicture(0), (ScreenRect{0, 0, 800, 600}));
    EXPECT_EQ(shrinkingPicture(0.05), (ScreenRect{55, 33, 622, 466}));
    for (double u : {0.2, 0.5, 0.999}) EXPECT_EQ(shrinkingPicture(u), (ScreenRect{110, 66, 443, 332}));

    // The grey picture starts as a strip at the height of the recap picture...
    const ScreenRect strip = greyPicture(0);
    EXPECT_EQ(strip, (ScreenRect{310, 66, 43, 332}));
    // ...widens past both screen edges by the middle...
    const ScreenRect wide = greyPicture(0.5);
    EXPECT_EQ(wide, (ScreenRect{-138, 141, 942, 182}));
    // ...and narrows again while its height falls to 32.
    const ScreenRect end = greyPicture(std::nextafter(1.0, 0.0));
    EXPECT_EQ(end.width, 43);
    EXPECT_EQ(end.height, 32);
}

// The scenes drawn from the stand-in data, as the frame driver calls them.

class FinaleScenes : public ShowTest {
protected:
    // Colour of a pixel counted from the top of the screen.
    static std::vector<uint8_t> at(int x, int yFromTop) { return pixel(x, 599 - yFromTop); }
};

TEST_F(FinaleScenes, EveryStageDrawsCleanlyWithoutAllocating) {
    for (int scene = 8; scene <= 12; ++scene) {
        for (double u : {0.0, 0.005, 0.2, 0.3, 0.5, 0.6, 0.7, 0.8, 0.99, 0.999}) {
            SCOPED_TRACE(testing::Message() << "scene " << scene << " u " << u);
            EXPECT_TRUE(allocationsOfFrame(scene, timeAt(scene, u)) == 0u);
            expectCleanState();
        }
    }
    EXPECT_TRUE(setupMessages().empty());
}

TEST_F(FinaleScenes, RecapHoldsTheReplayedSceneSqueezedIntoItsPicture) {
    // The replay's own passes nest in the recap's: each inner end of capture must bring back the
    // outer 512x512 viewport, or the recap would hold the lower-left corner of a full-size frame.
    for (double u : {0.3, 0.8}) {
        SCOPED_TRACE(u);
        const RecapReplay replay = recapReplay(u);
        drawDriven(replay.scene, replay.t);
        const std::vector<uint8_t> direct = frame();
        drawDriven(10, timeAt(10, u));
        expectCleanState();
        const std::vector<uint8_t> recap = textureImage(demoAssets.recapTexture);

        const std::vector<double> recapBlocks = blockMeans(recap, 512, 512);
        const double squeezed = meanDifference(recapBlocks, blockMeans(direct, 800, 600));
        const double cropped = meanDifference(recapBlocks, blockMeans(direct, 800, 600, 512, 512));
        EXPECT_LT(squeezed, 12);
        EXPECT_LT(squeezed * 2, cropped);
    }
}

TEST_F(FinaleScenes, RecapPictureShrinksAwayFromTheTopLeft) {
    drawDriven(10, timeAt(10, 0.5));
    EXPECT_GT(litFraction(frame()), 0.05);
    for (int x = 0; x < 800; x += 7) EXPECT_EQ(at(x, 40)[1], 0) << x;   // above the picture
    for (int y = 0; y < 600; y += 7) EXPECT_EQ(at(80, y)[1], 0) << y;   // left of it
}

TEST_F(FinaleScenes, GreyStripHasItsExactEdges) {
    drawDriven(11, timeAt(11, 0));
    EXPECT_EQ(at(309, 200)[0], 0);
    EXPECT_GE(at(310, 200)[0], 200);
    EXPECT_GE(at(352, 200)[0], 200);
    EXPECT_EQ(at(353, 200)[0], 0);
    EXPECT_EQ(at(330, 65)[0], 0);
    EXPECT_GE(at(330, 66)[0], 200);

    drawDriven(11, timeAt(11, 0.5));  // wider than the screen
    for (int x = 0; x < 800; x += 7) EXPECT_GE(at(x, 200)[0], 200) << x;
    EXPECT_EQ(at(400, 140)[0], 0);
}

}  // namespace
