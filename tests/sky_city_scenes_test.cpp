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
#include "platform/message_box.h"

namespace {

// The show set up once from the stand-in data, and frames drawn as the frame driver draws them.
class ShowTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        if (recorder) return;
        recorder = new platform::MessageRecorder;  // lives to the end of the program
        setProjection(0, 0, 800, 600, 1.0, 10000.0);
        createFont(demoApp.font);
        setDemoSeed(7);
        setupDemo();
    }
    void SetUp() override {
        GLTest::SetUp();
        setProjection(0, 0, 800, 600, 1.0, 10000.0);
    }
    static const std::vector<platform::RecordedMessage>& messages() { return recorder->messages(); }

    static double timeAt(int scene, double u) {
        const double start = scene == 1 ? 0 : kSceneEnds[scene - 2];
        return start + u * (kSceneEnds[scene - 1] - start);
    }
    static void drawFrame(int scene, double t) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        setupLights();
        glPushMatrix();
        drawScene(scene, t);
        glPopMatrix();
    }
    // Our code allocates nothing per frame, but the GL compiles a shader variant now and then: a
    // stage passes when one of three repeated frames allocates nothing.
    static bool drawsWithoutAllocating(int scene, double t) {
        drawFrame(scene, t);
        for (int n = 0; n < 3; ++n) {
            const uint64_t before = allocationCount();
            drawFrame(scene, t);
            if (allocationCount() == before) return true;
        }
        return false;
    }
    // What the driver relies on after a scene: matrices and attributes balanced, no GL error.
    static void expectCleanState() {
        GLint depth = 0, viewport[4] = {};
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 600);
        EXPECT_EQ(glErrors(), 0u);
    }
    static std::vector<uint8_t> textureImage(const EffectTexture& texture) {
        std::vector<uint8_t> texels(kCaptureSize * kCaptureSize * 4);
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return texels;
    }
    // Share of pixels with any colour channel above 16.
    static double litFraction(const std::vector<uint8_t>& rgba) {
        size_t lit = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            lit += std::max({rgba[i], rgba[i + 1], rgba[i + 2]}) > 16;
        return double(lit) / double(rgba.size() / 4);
    }
    // Mean brightness of an 8x8 grid over the picture (or over its lower-left corner).
    static std::vector<double> blockMeans(const std::vector<uint8_t>& rgba, int width, int height,
                                          int usedWidth = 0, int usedHeight = 0) {
        usedWidth = usedWidth ? usedWidth : width;
        usedHeight = usedHeight ? usedHeight : height;
        std::vector<double> sums(64, 0), counts(64, 0);
        for (int y = 0; y < usedHeight; ++y)
            for (int x = 0; x < usedWidth; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
                const int block = (y * 8 / usedHeight) * 8 + x * 8 / usedWidth;
                sums[block] += (p[0] + p[1] + p[2]) / 3.0;
                counts[block] += 1;
            }
        for (int b = 0; b < 64; ++b) sums[b] /= counts[b];
        return sums;
    }
    static double meanDifference(const std::vector<double>& a, const std::vector<double>& b) {
        double sum = 0;
        for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
        return sum / double(a.size());
    }

private:
    static inline platform::MessageRecorder* recorder = nullptr;
};

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
            EXPECT_TRUE(drawsWithoutAllocating(scene, timeAt(scene, u)));
            expectCleanState();
        }
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(SkyCityScenes, MidSceneFramesShowSomething) {
    for (int scene = 4; scene <= 7; ++scene) {
        drawFrame(scene, timeAt(scene, 0.3));
        EXPECT_GT(litFraction(frame()), 0.05) << scene;
        drawFrame(scene, timeAt(scene, 0.8));
        EXPECT_GT(litFraction(frame()), 0.05) << scene;
    }
}

TEST_F(SkyCityScenes, SpinningZoomStartsFromTheDomeAtItsEnd) {
    // At its start the zoom shows the dome at the end of its second sweep, unturned, full screen.
    drawFrame(5, kSceneEnds[4] - 1e-6);
    const std::vector<double> dome = blockMeans(frame(), 800, 600);
    drawFrame(6, kSceneEnds[4]);
    const std::vector<double> zoom = blockMeans(frame(), 800, 600);
    EXPECT_LT(meanDifference(dome, zoom), 12);
}

TEST_F(SkyCityScenes, CityGlowStandsStillWhileTheCameraHolds) {
    // The glow picture is the city alone (the flash is laid later), so it shows the camera.
    auto glowAt = [&](double v) {
        drawFrame(7, timeAt(7, 0.5 + v / 2));
        return textureImage(demoAssets.glowTexture);
    };
    EXPECT_EQ(glowAt(76.2 / 78), glowAt(77.8 / 78));
    EXPECT_NE(glowAt(70.2 / 78), glowAt(70.8 / 78));  // the comparison can tell movement
}

}  // namespace
