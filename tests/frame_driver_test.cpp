// The frame driver with an injected clock and scene drawer: start-up countdown, boundaries, the
// end of the show, Escape, the frame-rate title and the pump.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/music_track.h"
#include "gl_fixture.h"
#include "platform/media.h"
#include "platform/message_box.h"
#include "platform/standin_display.h"
#include "platform/window.h"

namespace {

struct Call {
    int scene;
    double t;
    GLint stackDepth;
};
std::vector<Call> calls;
double clockNow = 0;

void recordScene(int scene, double t) {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    calls.push_back({scene, t, depth});
}
double testClock() { return clockNow; }

class FrameDriverTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        calls.clear();
        clockNow = 5000;
        resetFrameDriver();
        demoClock.offset = 0;
        setMusicStart(0);
        setFrameClock(testClock);
        setSceneDrawer(recordScene);
        platform::setAudioEnabled(false);
        platform::clearMediaCommandLog();
        platform::resetMessageQueue();
    }
    void TearDown() override {
        setFrameClock(nullptr);
        setSceneDrawer(nullptr);
        platform::resetMessageQueue();
    }
    // Runs the three start-up frames with the clock at start.
    void startShow(double start) {
        clockNow = start;
        onFrame();
        onFrame();
        onFrame();
    }
};

}  // namespace

TEST_F(FrameDriverTest, StartUpFramesSetUpThenWaitThenStartClockAndMusic) {
    const uint64_t swaps = demoApp.window.swapCount;
    onFrame();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].scene, 0);
    EXPECT_EQ(calls[0].t, -2.0);
    EXPECT_EQ(demoApp.window.swapCount, swaps + 1);
    EXPECT_TRUE(platform::mediaCommandLog().empty());

    onFrame();  // second frame only counts down
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(demoClock.start, 0.0);
    EXPECT_TRUE(platform::mediaCommandLog().empty());

    clockNow = 7000;
    onFrame();  // third frame: clock and music start together, nothing drawn
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(demoClock.start, 7000.0);
    ASSERT_EQ(platform::mediaCommandLog().size(), 1u);
    EXPECT_EQ(platform::mediaCommandLog()[0], "Play data\\vorsa.wav");
    EXPECT_EQ(demoApp.window.swapCount, swaps + 3);

    clockNow = 7040;
    onFrame();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].scene, 1);
    EXPECT_EQ(calls[1].t, 40.0);
    EXPECT_EQ(calls[1].stackDepth, 2) << "the driver pushes once around the scene";
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(FrameDriverTest, TimeExactlyOnABoundaryDrawsTheNextScene) {
    for (int k = 0; k < 11; ++k) {
        EXPECT_EQ(sceneForTime(kSceneEnds[k]), k + 2) << "boundary " << k + 1;
        EXPECT_EQ(sceneForTime(std::nextafter(kSceneEnds[k], 0.0)), k + 1);
    }
    EXPECT_EQ(sceneForTime(-5.0), 1) << "a negative time (timer wrap) maps to scene 1";
    EXPECT_EQ(sceneForTime(kShowEnd), 13);
    EXPECT_DOUBLE_EQ(kSceneEnds[2], 66428.57142857142);
    EXPECT_DOUBLE_EQ(kSceneEnds[7], 150342.85714285713);
    EXPECT_DOUBLE_EQ(kShowEnd, 210857.14285714284);

    startShow(1024);  // a power of two keeps frame time - start exact
    clockNow = 1024 + 123000;
    onFrame();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls.back().scene, 8);
    EXPECT_EQ(calls.back().t, 123000.0);
}

TEST_F(FrameDriverTest, NaturalEndStopsRewindsClosesAndQuits) {
    startShow(1000);
    platform::clearMediaCommandLog();
    clockNow = 1000 + kShowEnd + 0.5;
    onFrame();
    EXPECT_EQ(calls.size(), 1u) << "no scene is drawn on the last frame";
    const std::vector<std::string> expected = {"Stop data\\vorsa.wav", "Seek data\\vorsa.wav to start",
                                               "Stop data\\vorsa.wav", "Seek data\\vorsa.wav to start",
                                               "Close data\\vorsa.wav"};
    EXPECT_EQ(platform::mediaCommandLog(), expected);
    EXPECT_TRUE(platform::quitPosted());
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(FrameDriverTest, FromShiftsDemoTimeAndPlaysFromThatPoint) {
    demoClock.offset = 210500;
    setMusicStart(210500);
    startShow(1000);
    ASSERT_EQ(platform::mediaCommandLog().size(), 1u);
    EXPECT_EQ(platform::mediaCommandLog()[0], "Play data\\vorsa.wav from 210500");
    clockNow = 1000;
    onFrame();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls.back().scene, 12);
    EXPECT_EQ(calls.back().t, 210500.0);
}

TEST_F(FrameDriverTest, EscapeBeforeTheThirdFrameEndsWithoutMusic) {
    onFrame();
    onKeyDown(0x100 | 27);  // only the low byte counts
    EXPECT_TRUE(platform::quitPosted());
    platform::MessageRecorder boxes;  // the headless context has no window context to release
    demoApp.window.setIdleHandler(onFrame);
    demoApp.window.runMessageLoop();
    demoApp.window.setIdleHandler(nullptr);
    EXPECT_TRUE(platform::mediaCommandLog().empty()) << "no Play, no Stop, no Close";
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(FrameDriverTest, OtherKeysDoNothing) {
    onKeyDown('A');
    onKeyDown(13);
    onKeyDown(26);
    EXPECT_FALSE(platform::quitPosted());
}

TEST_F(FrameDriverTest, TitleAfterTheFirstFrameCarriesOne) {
    onFrame();
    EXPECT_STREQ(frameRate.title, "lumivane FPS:1");
    EXPECT_EQ(frameRate.frameCount, 0);
    onFrame();
    EXPECT_STREQ(frameRate.title, "lumivane FPS:1") << "at most one update a second";
    EXPECT_EQ(frameRate.frameCount, 1);
}

namespace {
int idleCalls = 0;
void idleThreeTimes() {
    if (++idleCalls == 3) platform::postQuitMessage(0);
}
}  // namespace

TEST_F(FrameDriverTest, PumpCallsIdleOncePerEmptyQueueUntilQuit) {
    idleCalls = 0;
    platform::MessageRecorder boxes;
    demoApp.window.setIdleHandler(idleThreeTimes);
    demoApp.window.runMessageLoop();
    demoApp.window.setIdleHandler(nullptr);
    EXPECT_EQ(idleCalls, 3);
    // Headless there is no window context: the release reports both missing handles.
    ASSERT_EQ(boxes.messages().size(), 2u);
    EXPECT_EQ(boxes.messages()[0].text, "Release HGLRC Failed....");
    EXPECT_EQ(boxes.messages()[0].caption, "ERROR");
    EXPECT_EQ(boxes.messages()[1].text, "Release HDC Failed....");
}

TEST_F(FrameDriverTest, LightsAreSetRelativeToTheCurrentMatrix) {
    glDisable(GL_LIGHTING);
    glLoadIdentity();
    setupLights();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat position[4], ambient[4], diffuse[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(position[1], 50.0f);
    EXPECT_FLOAT_EQ(position[2], 50.0f);
    EXPECT_FLOAT_EQ(position[3], 1.0f);
    EXPECT_FLOAT_EQ(ambient[0], 0.5f);
    EXPECT_FLOAT_EQ(diffuse[0], 1.0f) << "light 0 keeps its default diffuse";
}

TEST_F(FrameDriverTest, ProjectionIsSixtyDegreesWithIdentityModelview) {
    setProjection(0, 0, 800, 600, 1.0, 10000.0);
    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    const double f = 1.0 / std::tan(30.0 * 3.14159265358979323846 / 180.0);
    EXPECT_NEAR(p[5], f, 1e-6);
    EXPECT_NEAR(p[0], f / (800.0 / 600.0), 1e-6);
    EXPECT_NEAR(p[10], -(10000.0 + 1.0) / (10000.0 - 1.0), 1e-6);
}

namespace {
uint32_t timerNow = 0;
uint32_t testTimer() { return timerNow; }
}  // namespace

// Frames at the given timer readings, each read by both the frame clock and the title.
TEST_F(FrameDriverTest, FrameRateTitleCountsFramesOfJustOverASecond) {
    platform::StandInDisplay display;
    display.window = true;
    setMillisecondTimer(testTimer);
    auto frameAt = [](uint32_t ms) {
        timerNow = ms;
        updateFrameRate();
    };
    frameAt(1000);
    EXPECT_STREQ(frameRate.title, "") << "exactly 1000 ms past the start is not more than 1000";
    EXPECT_EQ(frameRate.frameCount, 1);
    frameAt(1001);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:2");
    EXPECT_EQ(display.title, "lumivane FPS:2") << "the window's title carries it";
    EXPECT_EQ(frameRate.frameCount, 0) << "the count starts again";

    // 100 frames a second: at 2001 ms exactly a second has passed, not more.
    for (uint32_t ms = 1011; ms <= 2001; ms += 10) frameAt(ms);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:2");
    EXPECT_EQ(frameRate.frameCount, 100);
    frameAt(2011);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:101") << "101 frames in 1010 ms: the count, not a rate";
    EXPECT_EQ(frameRate.frameCount, 0);

    // Slow frames: three in 1200 ms show 3, not 2.5.
    frameAt(2411);
    frameAt(2811);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:101");
    frameAt(3211);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:3");
    EXPECT_EQ(display.title, "lumivane FPS:3");
    setMillisecondTimer(nullptr);
}

TEST_F(FrameDriverTest, ClockAndTitleCarryOnPastTheTimersWrap) {
    platform::StandInDisplay display;
    display.window = true;
    setMillisecondTimer(testTimer);
    setFrameClock(nullptr);  // the timer-driven clock of the show
    const uint32_t start = 0xFFFFFFFFu - 1499u;  // 1.5 s before the wrap
    timerNow = start;
    onFrame();  // set-up; the title shows 1
    onFrame();
    onFrame();  // clock and music start at the reading `start`
    EXPECT_EQ(demoClock.start, 4294965796.0);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:1");
    timerNow = start + 1000;
    onFrame();
    timerNow = 500;  // 2000 ms after the start, past the wrap
    onFrame();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].t, 1000.0);
    EXPECT_EQ(calls[2].scene, 1);
    EXPECT_EQ(calls[2].t, 2000.0) << "demo time goes on across the wrap";
    EXPECT_STREQ(frameRate.title, "lumivane FPS:4") << "the title goes on too";
    for (uint32_t ms = 600; ms <= 2600; ms += 100) {
        timerNow = ms;
        onFrame();
    }
    EXPECT_EQ(calls.back().t, 4100.0);
    EXPECT_STREQ(frameRate.title, "lumivane FPS:11") << "updated again 1100 ms later";
    setMillisecondTimer(nullptr);
}
