// The sky and city scenes: the folded progress of the sky dome, the flash curves, the spinning
// zoom's rectangle and the city camera path, then the scenes drawn from the stand-in data.
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
#include "demo/scene_sky_city.h"
#include "demo/timeline.h"
#include "gl_fixture.h"
#include "show_frame.h"
#include "platform/message_box.h"

namespace {

// The show set up once from the stand-in data, frames drawn as the frame driver draws them.
using ShowTest = ShowFrameTest;

double distance(const Vec3d& a, const Vec3d& b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}
Vec3d point(int i) { return {kCityPath[i][0], kCityPath[i][1], kCityPath[i][2]}; }

TEST(SkyDomeFold, HalfAtExactlyOneHalfStillBelongsToTheFirstSweep) {
    const SkyDomeFold end = skyDomeFold(0.5);
    EXPECT_EQ(end.p, 1.0);
    EXPECT_EQ(end.direction, 1);
    EXPECT_GT(end.p, kSkyDomeFlashEnd);    // no flash
    EXPECT_GE(end.p, kSkyDomeTrailEnd);    // no trails

    const SkyDomeFold next = skyDomeFold(std::nextafter(0.5, 1.0));
    EXPECT_EQ(next.direction, -1);
    EXPECT_LT(next.p, 1e-15);
    EXPECT_LE(next.p, kSkyDomeFlashEnd);   // a new flash
    EXPECT_LT(next.p, kSkyDomeTrailEnd);   // trails again

    EXPECT_EQ(skyDomeFold(0).p, 0.0);
    EXPECT_EQ(skyDomeFold(1).p, 1.0);
    EXPECT_EQ(skyDomeFold(1).direction, -1);
}

TEST(SkyDomeFold, PastTheEndTheSecondSweepRunsOnWithoutPasses) {
    // The spinning zoom draws the dome over the 1.5 s after its end: p from 1.0 to about 1.21.
    const double inverseLength = 7.070707070707077e-05;
    for (double t : {94285.71428571428, 95000.0, 95785.7}) {
        const SkyDomeFold fold = skyDomeFold((t - 80142.85714285714) * inverseLength);
        EXPECT_EQ(fold.direction, -1);
        EXPECT_GE(fold.p, 1.0 - 1e-12);
        EXPECT_LT(fold.p, 1.22);
        EXPECT_GE(fold.p, kSkyDomeTrailEnd);
    }
}

TEST(SceneFlashes, RiseAndFallInsideTheirWindows) {
    EXPECT_NEAR(skyTubeFlash(0), 0, 1e-12);
    EXPECT_NEAR(skyTubeFlash(0.01), 1, 1e-9);
    EXPECT_NEAR(skyTubeFlash(kSkyTubeFlashEnd), 0, 1e-5);
    EXPECT_NEAR(skyDomeFlash(0.025), 1, 1e-9);
    EXPECT_NEAR(skyDomeFlash(kSkyDomeFlashEnd), 0, 1e-5);
    EXPECT_NEAR(spinZoomFlash(0.9), 0, 1e-12);
    EXPECT_NEAR(spinZoomFlash(0.95), 1, 1e-9);
    // The city flight ends on a rising flash: white at its last moment.
    EXPECT_NEAR(cityFlash(0.9), 0, 1e-12);
    EXPECT_NEAR(cityFlash(0.95), std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(cityFlash(1.0), 1, 1e-9);
}

TEST(SpinZoomRect, GrowsAboutTheCentreToElevenTimesTheScreen) {
    EXPECT_EQ(spinZoomRect(0), (ScreenRect{0, 0, 800, 600}));
    EXPECT_EQ(spinZoomRect(1), (ScreenRect{-4000, -3000, 8800, 6600}));
    // Odd growth: the halves are rounded toward zero, the extra pixel goes to the right.
    const ScreenRect odd = spinZoomRect(1001.5 / 8000);
    EXPECT_EQ(odd.left, -500);
    EXPECT_EQ(odd.width, 1801);
}

TEST(CityPathCamera, PassesThroughEveryPointLookingAtTheNext) {
    for (int k = 0; k <= 75; ++k) {
        const CameraPose pose = cityPathCamera(k / 78.0);
        EXPECT_NEAR(distance(pose.eye, point(k)), 0, 1e-6) << k;
        EXPECT_NEAR(distance(pose.centre, point(k + 1)), 0, 1e-6) << k;
    }
    const CameraPose half = cityPathCamera(10.5 / 78);
    EXPECT_NEAR(half.eye.x, (kCityPath[10][0] + kCityPath[11][0]) / 2, 1e-9);
    EXPECT_NEAR(half.centre.z, (kCityPath[11][2] + kCityPath[12][2]) / 2, 1e-9);
}

TEST(CityPathCamera, HoldsTheLastSegmentsEndOnceThePathRunsOut) {
    // From v = 76/78 the formula would need points 78 and 79.
    for (double v : {76.0 / 78, 76.5 / 78, 77.0 / 78, 77.9 / 78, std::nextafter(1.0, 0.0), 1.0,
                     1.5}) {
        const CameraPose pose = cityPathCamera(v);
        EXPECT_NEAR(distance(pose.eye, point(76)), 0, 1e-9) << v;
        EXPECT_NEAR(distance(pose.centre, point(77)), 0, 1e-9) << v;
    }
    EXPECT_NEAR(distance(cityPathCamera(-0.01).eye, point(0)), 0, 1e-9);
}

TEST(CityPathCamera, MovesSmoothlyAndNeverLooksAtItsOwnEye) {
    const int steps = 20000;
    CameraPose before = cityPathCamera(0);
    for (int n = 1; n <= steps; ++n) {
        const CameraPose pose = cityPathCamera(double(n) / steps);
        ASSERT_TRUE(std::isfinite(pose.eye.x + pose.eye.y + pose.eye.z));
        ASSERT_GT(distance(pose.eye, pose.centre), 10) << n;
        // No segment of the table is longer than 51 units; each step covers 78 / steps of one.
        ASSERT_LT(distance(pose.eye, before.eye), 51.0 * 78 / steps) << n;
        ASSERT_LT(distance(pose.centre, before.centre), 51.0 * 78 / steps) << n;
        before = pose;
    }
}

// The scenes drawn from the stand-in data, as the frame driver calls them.

class SkyCityScenes : public ShowTest {};

TEST_F(SkyCityScenes, EveryStageDrawsCleanlyWithoutAllocating) {
    for (int scene = 4; scene <= 7; ++scene) {
        for (double u : {0.0, 0.01, 0.25, 0.5, 0.75, 0.95, 0.999}) {
            SCOPED_TRACE(testing::Message() << "scene " << scene << " u " << u);
            EXPECT_TRUE(allocationsOfFrame(scene, timeAt(scene, u)) == 0u);
            expectCleanState();
        }
    }
    EXPECT_TRUE(setupMessages().empty());
}

TEST_F(SkyCityScenes, MidSceneFramesShowSomething) {
    for (int scene = 4; scene <= 7; ++scene) {
        drawDriven(scene, timeAt(scene, 0.3));
        EXPECT_GT(litFraction(frame()), 0.05) << scene;
        drawDriven(scene, timeAt(scene, 0.8));
        EXPECT_GT(litFraction(frame()), 0.05) << scene;
    }
}

TEST_F(SkyCityScenes, SpinningZoomStartsFromTheDomeAtItsEnd) {
    // At its start the zoom shows the dome at the end of its second sweep, unturned, full screen.
    drawDriven(5, kSceneEnds[4] - 1e-6);
    const std::vector<double> dome = blockMeans(frame(), 800, 600);
    drawDriven(6, kSceneEnds[4]);
    const std::vector<double> zoom = blockMeans(frame(), 800, 600);
    EXPECT_LT(meanDifference(dome, zoom), 12);
}

TEST_F(SkyCityScenes, LateZoomStaysVisibleUnderTheFlash) {
    // At u = 0.905 the flash has begun (f = sin(0.05 pi), about 0.16): the spinning picture is
    // still there with the white weighted by f added to it, so the frame's blocks are those of
    // the frame just before the window, each raised by about 255 f. Were the flash's pass made
    // after the zoom's overlay, its capture would wipe the picture and leave the white alone.
    drawDriven(6, timeAt(6, 0.899));
    const std::vector<double> before = blockMeans(frame(), 800, 600);
    drawDriven(6, timeAt(6, 0.905));
    const std::vector<double> late = blockMeans(frame(), 800, 600);
    const double added = 255 * std::sin((0.905 - 0.9) * 10 * 3.1415920000000006);
    std::vector<double> expected(before.size());
    double spread = 0;
    for (size_t b = 0; b < before.size(); ++b) {
        expected[b] = std::min(255.0, before[b] + added);
        spread += std::abs(before[b] - added) / double(before.size());
    }
    EXPECT_GT(spread, 30);  // the picture differs from the white alone, so the check can tell
    EXPECT_LT(meanDifference(late, expected), 8);
}

TEST_F(SkyCityScenes, CityGlowStandsStillWhileTheCameraHolds) {
    // The glow picture is the city alone (the flash is laid later), so it shows the camera.
    auto glowAt = [&](double v) {
        drawDriven(7, timeAt(7, 0.5 + v / 2));
        return textureImage(demoAssets.glowTexture);
    };
    EXPECT_EQ(glowAt(76.2 / 78), glowAt(77.8 / 78));
    EXPECT_NE(glowAt(70.2 / 78), glowAt(70.8 / 78));  // the comparison can tell movement
}

}  // namespace
