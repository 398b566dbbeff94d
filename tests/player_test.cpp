// The player of --window with an injected clock and scene drawer: where the keys jump, pause and
// resume in step with the soundtrack, seeks while paused, many jumps in one frame, the end, keys
// held down, during set-up and after the last frame.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "app/player.h"
#include "gl_fixture.h"
#include "platform/media.h"
#include "platform/message_box.h"
#include "platform/virtual_keys.h"
#include "platform/window.h"

namespace {

constexpr double kStart3 = 30428.571428571428, kStart4 = 66428.57142857142;

std::vector<double> drawn;  // demo times of the scenes drawn
std::vector<double> rebuilt;
double clockNow = 0;

void recordScene(int scene, double t) {
    if (scene > 0) drawn.push_back(t);
}
void recordRebuild(double t, double) { rebuilt.push_back(t); }
double testClock() { return clockNow; }

std::vector<std::string> commands() { return platform::mediaCommandLog(); }

class PlayerTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        drawn.clear();
        rebuilt.clear();
        resetFrameDriver();
        demoClock.offset = 0;
        demoClock.rebuildStepMs = 0;
        setMusicStart(0);
        setFrameClock(testClock);
        setSceneDrawer(recordScene);
        setStateRebuilder(recordRebuild);
        platform::setAudioEnabled(false);
        platform::clearMediaCommandLog();
        platform::resetMessageQueue();
        installPlayer();
    }
    void TearDown() override {
        setFrameClock(nullptr);
        setSceneDrawer(nullptr);
        setStateRebuilder(nullptr);
        platform::resetMessageQueue();
        resetPlayer();
        demoApp.window.slots = CallbackSlots{};
    }
    // The three start-up frames at clock 1000, then one picture at demo time t (whole ms).
    void startAt(double t) {
        demoClock.offset = t;
        clockNow = 1000;
        for (int i = 0; i < 3; ++i) frameAt(1000);
        frameAt(1000);
        platform::clearMediaCommandLog();
    }
    static void frameAt(double clock) {
        clockNow = clock;
        onPlayerFrame();
    }
    static void press(uint32_t key, double clock) {
        clockNow = clock;
        onPlayerKeyDown(key);
        onPlayerKeyUp(key);
    }
};

}  // namespace

TEST(PlayerJumps, KeysLandWhereAPlayerWouldGo) {
    EXPECT_EQ(jumpTarget(Jump::Forward1s, 40000), 41000);
    EXPECT_EQ(jumpTarget(Jump::Back10s, 40000), 30000);
    EXPECT_EQ(jumpTarget(Jump::Back1s, 400), 0) << "clamped at the start";
    EXPECT_EQ(jumpTarget(Jump::Start, 123456), 0);
    EXPECT_EQ(jumpTarget(Jump::NextScene, 20000), kStart3);
    EXPECT_EQ(jumpTarget(Jump::NextScene, kStart3), kStart4) << "a scene start is in its scene";
    EXPECT_GE(jumpTarget(Jump::NextScene, 209000), kShowEnd) << "from the last scene: the end";
    EXPECT_GE(jumpTarget(Jump::Forward10s, 205000), kShowEnd);
    EXPECT_EQ(jumpTarget(Jump::PreviousScene, kStart3 + 1500), kStart3) << "back to this scene's start";
    EXPECT_EQ(jumpTarget(Jump::PreviousScene, kStart3 + 500), 16842.85714285714) << "in its first second: the one before";
    EXPECT_EQ(jumpTarget(Jump::PreviousScene, 300), 0);
    EXPECT_EQ(jumpTarget(Jump::PreviousScene, 210000), 206571.42857142855);

    char line[96];
    formatDisplayLine(line, 72345.6, 41);
    EXPECT_STREQ(line, "1:12.345  scene 4  u 0.431  fps 41");
    formatDisplayLine(line, 209000, 3);
    EXPECT_STREQ(line, "3:29.000  scene 12  u -  fps 3");
}

TEST_F(PlayerTest, PauseHoldsThePictureAndTheClockAndResumeGoesOnInStep) {
    startAt(40000);
    press(platform::kVkSpace, 1010);  // 10 ms after the picture at 40000
    EXPECT_EQ(commands(), std::vector<std::string>{"Pause data\\vorsa.wav"});
    EXPECT_TRUE(player.paused);
    EXPECT_EQ(player.heldT, 40000);
    const size_t pictures = drawn.size();
    frameAt(2000);
    frameAt(4000);
    EXPECT_EQ(drawn.size(), pictures) << "nothing new is drawn while paused";

    press(platform::kVkSpace, 5010);
    EXPECT_EQ(commands().back(), "Resume data\\vorsa.wav");
    frameAt(5030);
    // 10 ms played before the pause, 20 ms after: the 4 s held count for nothing.
    EXPECT_EQ(drawn.back(), 40030);
    EXPECT_TRUE(rebuilt.empty()) << "a pause carries everything on; nothing to rebuild";
}

TEST_F(PlayerTest, SeeksWhilePausedMoveTheHeldPictureAndResumePlaysFromThere) {
    startAt(40000);
    press(platform::kVkSpace, 1005);
    press(platform::kVkRight, 1100);
    press(platform::kVkRight, 1200);
    press(platform::kVkUp, 1300);
    frameAt(1400);
    EXPECT_EQ(drawn.back(), 52000) << "the held time moves, exactly";
    EXPECT_EQ(rebuilt, std::vector<double>{52000});
    EXPECT_TRUE(player.paused);
    press(platform::kVkNext, 1500);  // Page Down from scene 3
    frameAt(1600);
    EXPECT_EQ(drawn.back(), kStart4);
    press(platform::kVkSpace, 3000);
    EXPECT_EQ(commands().back(), "Play data\\vorsa.wav from 66429");
    frameAt(3016);
    EXPECT_EQ(drawn.back(), kStart4 + 16);
}

TEST_F(PlayerTest, ManyJumpsInOneFrameTellTheSoundtrackOnce) {
    startAt(40000);
    for (int i = 0; i < 5; ++i) press(platform::kVkRight, 1010);
    press(platform::kVkLeft, 1010);
    EXPECT_TRUE(commands().empty()) << "the soundtrack hears of it at the next frame";
    frameAt(1020);
    EXPECT_EQ(drawn.back(), 44020);
    EXPECT_EQ(commands(), std::vector<std::string>{"Play data\\vorsa.wav from 44020"});
    EXPECT_EQ(rebuilt, std::vector<double>{44020});
    frameAt(1040);
    EXPECT_EQ(drawn.back(), 44040) << "no drift after the jump";
    EXPECT_EQ(commands().size(), 1u);
}

TEST_F(PlayerTest, ASeekPastTheEndEndsTheShowAsDesigned) {
    startAt(209000);
    press(platform::kVkSpace, 1001);  // even while paused
    press(platform::kVkNext, 1002);
    frameAt(1003);
    const std::vector<std::string> designedEnd = {"Pause data\\vorsa.wav", "Stop data\\vorsa.wav",
                                                  "Seek data\\vorsa.wav to start", "Stop data\\vorsa.wav",
                                                  "Seek data\\vorsa.wav to start", "Close data\\vorsa.wav"};
    EXPECT_EQ(commands(), designedEnd);
    EXPECT_TRUE(platform::quitPosted());
    // Keys after the last frame do nothing.
    const size_t pictures = drawn.size();
    press(platform::kVkHome, 1010);
    press(platform::kVkSpace, 1011);
    frameAt(1012);
    EXPECT_EQ(commands().size(), designedEnd.size());
    EXPECT_EQ(drawn.size(), pictures);
}

TEST_F(PlayerTest, KeysDuringSetUpLeaveTheStartUpSequenceAlone) {
    demoClock.offset = 40000;
    setMusicStart(40000);
    clockNow = 1000;
    onPlayerFrame();  // set-up
    press(platform::kVkSpace, 1000);
    press(platform::kVkRight, 1000);
    press(platform::kVkHome, 1000);
    onPlayerFrame();
    press(platform::kVkNext, 1000);
    onPlayerFrame();  // the clock and the soundtrack start
    EXPECT_EQ(commands(), std::vector<std::string>{"Play data\\vorsa.wav from 40000"});
    frameAt(1050);
    EXPECT_EQ(drawn, std::vector<double>{40050});
    EXPECT_FALSE(player.paused);
}

TEST_F(PlayerTest, HeldKeysRepeatSeeksButNotToggles) {
    startAt(40000);
    clockNow = 1010;
    onPlayerKeyDown(platform::kVkSpace);
    onPlayerKeyDown(platform::kVkSpace);  // auto-repeat
    onPlayerKeyDown(platform::kVkSpace);
    EXPECT_TRUE(player.paused);
    EXPECT_EQ(commands(), std::vector<std::string>{"Pause data\\vorsa.wav"});
    onPlayerKeyUp(platform::kVkSpace);
    onPlayerKeyDown(platform::kVkRight);
    onPlayerKeyDown(platform::kVkRight);  // auto-repeat seeks on
    onPlayerKeyUp(platform::kVkRight);
    frameAt(1020);
    EXPECT_EQ(drawn.back(), 42000);

    onPlayerKeyDown('H');
    onPlayerKeyDown('H');
    EXPECT_TRUE(player.displayLine);
    onPlayerKeyUp('H');
}

TEST_F(PlayerTest, EscapeQuitsAsInTheShow) {
    startAt(40000);
    press(platform::kVkEscape, 1010);
    EXPECT_TRUE(platform::quitPosted());
    EXPECT_TRUE(commands().empty()) << "no stop, no close, as designed";
}

TEST_F(PlayerTest, TheDisplayLineIsDrawnOverTheFrame) {
    createFont(demoApp.font);
    setProjection(0, 0, 800, 600, 1.0, 10000.0);
    startAt(40000);
    auto litInBand = [] {
        int lit = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 800; x += 2) {
                const auto p = pixel(x, y);
                lit += p[0] + p[1] + p[2] > 200;
            }
        return lit;
    };
    frameAt(1020);
    EXPECT_EQ(litInBand(), 0) << "the stand-in scene draws nothing";
    press('H', 1030);
    frameAt(1040);
    EXPECT_GT(litInBand(), 100) << "the line's text";
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glErrors(), 0u);
    releaseFont(demoApp.font);
}

TEST_F(PlayerTest, TheDisplayLineShowsWhenThePictureIsMultisampled) {
    const int samples = std::min(4, maxPictureSamples());
    if (samples < 2) GTEST_SKIP() << "no multisampled framebuffers";
    createFont(demoApp.font);
    std::string error;
    ASSERT_TRUE(fitPicture(800, 600, 1, samples, error)) << error;
    startAt(40000);
    auto litInBand = [] {  // in the default framebuffer, where the window's picture is
        int lit = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 800; x += 2) {
                const auto p = pixel(x, y);
                lit += p[0] + p[1] + p[2] > 200;
            }
        return lit;
    };
    frameAt(1020);
    EXPECT_EQ(litInBand(), 0);
    press('H', 1030);
    frameAt(1040);
    EXPECT_GT(litInBand(), 100) << "the line's text, resolved into the window's picture";
    EXPECT_EQ(glErrors(), 0u);
    ASSERT_TRUE(fitPicture(800, 600, 1, 0, error)) << error;
    releasePicture();
    releaseFont(demoApp.font);
}

TEST_F(PlayerTest, AResizeWhilePausedDrawsTheHeldPictureAgainAtTheNewSize) {
    startAt(40000);
    press(platform::kVkSpace, 1010);
    frameAt(1020);
    const size_t held = drawn.size();
    frameAt(1030);
    EXPECT_EQ(drawn.size(), held) << "paused: nothing drawn";
    ASSERT_NE(demoApp.window.slots.resized, nullptr);
    demoApp.window.slots.resized(600, 400);  // a shrinking window gets no exposure
    frameAt(1040);
    ASSERT_EQ(drawn.size(), held + 1) << "the held picture, drawn again";
    EXPECT_EQ(drawn.back(), 40000);
    EXPECT_EQ(currentPicture().outputWidth, 600);
    EXPECT_EQ(currentPicture().height, 399);
    demoApp.window.slots.resized(800, 600);
    releasePicture();
}
