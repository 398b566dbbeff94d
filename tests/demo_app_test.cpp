// The start-up and shut-down sequence on a stand-in display that accepts the mode change, and the
// pump's end when the window is closed.
#include <gtest/gtest.h>

#include <GL/gl.h>

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

// What the set-up frame found in force.
struct SetUpView {
    bool called = false;
    double farPlane = 0;
    bool fullScreen = false;
    bool fontBuilt = false;
    size_t callsSoFar = 0;
};
SetUpView seen;

double farPlaneNow() {
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    return p[14] / (p[10] + 1.0);
}

void setUpThenQuit(int scene, double) {
    if (scene != 0) return;
    seen.called = true;
    seen.farPlane = farPlaneNow();
    seen.fullScreen = demoApp.window.fullScreen;
    seen.fontBuilt = demoApp.font.listBase != 0 && glIsList(demoApp.font.listBase + 'A');
    seen.callsSoFar = platform::StandInDisplay::current()->calls().size();
    platform::postQuitMessage(0);
}

double fixedClock() { return 5000.0; }

class DemoAppTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        resetFrameDriver();
        setFrameClock(fixedClock);
        setSceneDrawer(setUpThenQuit);
        platform::setAudioEnabled(false);
        platform::clearMediaCommandLog();
        platform::resetMessageQueue();
        seen = SetUpView{};
    }
    void TearDown() override {
        setFrameClock(nullptr);
        setSceneDrawer(nullptr);
        demoApp.window.setIdleHandler(nullptr);
        demoApp.window.setKeyDownHandler(nullptr);
        platform::resetMessageQueue();
    }
};

}  // namespace

// runDemo may run once per process: the window class admits one window.
TEST_F(DemoAppTest, StartUpAndShutDownInTheDesignedOrderWhenFullScreenIsGranted) {
    platform::StandInDisplay display(true);
    platform::MessageRecorder boxes;
    ASSERT_EQ(runDemo(), 0);

    ASSERT_TRUE(seen.called) << "the pump ran the set-up frame";
    EXPECT_NEAR(seen.farPlane, 10000.0, 1.0) << "the show's far plane replaces the window's 1000";
    EXPECT_TRUE(seen.fullScreen) << "the full-screen flag is set once the display accepted";
    EXPECT_TRUE(seen.fontBuilt);
    EXPECT_TRUE(boxes.messages().empty()) << "no message on the success path";

    const auto& calls = display.calls();
    std::string log;
    for (const auto& call : calls) log += call.what + "; ";
    SCOPED_TRACE(log);
    const int created = display.indexOf("createWindow 800x600");
    const int shown = display.indexOf("showWindow");
    const int glyphs = display.indexOf("buildOutlineGlyphs");
    const int mode = display.indexOf("changeDisplayMode 800x600");
    const int cursor = display.indexOf("showCursor 0");
    const int restored = display.indexOf("restoreDisplayMode");
    const int released = display.indexOf("releaseGLContext");
    ASSERT_GE(created, 0);
    ASSERT_GE(shown, 0);
    ASSERT_GE(glyphs, 0);
    ASSERT_GE(mode, 0);
    ASSERT_GE(cursor, 0);
    ASSERT_GE(restored, 0);
    ASSERT_GE(released, 0);
    EXPECT_NEAR(calls[shown].farPlane, 1000.0, 0.1) << "creation fits a projection with far plane 1000";
    EXPECT_NEAR(calls[glyphs].farPlane, 10000.0, 1.0) << "the font is built after the show's projection";
    EXPECT_LT(created, glyphs);
    EXPECT_LT(glyphs, mode);
    EXPECT_LT(mode, cursor) << "full screen before the cursor is hidden";
    EXPECT_LE(static_cast<size_t>(cursor) + 1, seen.callsSoFar) << "both before the first frame";
    EXPECT_LT(restored, released) << "the display mode is restored before the context is released";
    EXPECT_EQ(released + 1, static_cast<int>(calls.size())) << "leaveFullScreen afterwards does nothing";
    EXPECT_EQ(display.indexOf("showFullScreen 0"), -1);
    EXPECT_FALSE(demoApp.window.fullScreen);
    EXPECT_FALSE(display.modeChanged);
    EXPECT_TRUE(platform::mediaCommandLog().size() == 1 && platform::mediaCommandLog()[0] == "Open data\\vorsa.wav")
        << "the music is opened, and a quit before the third frame plays nothing";

    // Called once more, leaveFullScreen still finds nothing to undo.
    demoApp.window.leaveFullScreen();
    EXPECT_EQ(released + 1, static_cast<int>(display.calls().size()));
}

namespace {
int framesBeforeClose = 0;
platform::StandInDisplay* closing = nullptr;
void closeAfterTwoFrames() {
    if (++framesBeforeClose == 2) closing->post({platform::WindowMessage::Destroyed});
    if (framesBeforeClose == 10) platform::postQuitMessage(99);  // the close was not heard
}
}  // namespace

TEST_F(DemoAppTest, ClosingTheWindowEndsThePumpWithQuitCodeZero) {
    platform::StandInDisplay display(true);
    display.window = display.context = true;
    closing = &display;
    framesBeforeClose = 0;
    demoApp.window.setIdleHandler(closeAfterTwoFrames);
    ASSERT_TRUE(demoApp.window.changeDisplayMode(800, 600));
    EXPECT_EQ(demoApp.window.runMessageLoop(), 0);
    EXPECT_EQ(framesBeforeClose, 2) << "no frame runs after the close";
    EXPECT_FALSE(display.context);
    EXPECT_LT(display.indexOf("restoreDisplayMode"), display.indexOf("releaseGLContext"));
    EXPECT_FALSE(demoApp.window.fullScreen);
}

TEST_F(DemoAppTest, ABoxInFullScreenLeavesFullScreenForItAndComesBack) {
    platform::StandInDisplay display(true);
    display.window = display.context = true;
    ASSERT_TRUE(demoApp.window.changeDisplayMode(800, 600));
    demoApp.window.showError("data\\mati\\f0.mqo が開けません", "error");
    const int left = display.indexOf("showFullScreen 0");
    const int box = display.indexOf("messageBox error: data\\mati\\f0.mqo が開けません");
    const int back = display.indexOf("showFullScreen 1");
    ASSERT_GE(left, 0);
    EXPECT_LT(left, box);
    EXPECT_LT(box, back);
    EXPECT_TRUE(display.fullScreenShown);
    EXPECT_TRUE(display.modeChanged) << "the mode asked for stays on record";

    demoApp.window.restoreDisplayMode();
    const size_t before = display.calls().size();
    demoApp.window.showMessage("windowed");
    ASSERT_EQ(display.calls().size(), before + 1) << "in a window the box comes alone";
    EXPECT_EQ(display.calls().back().what, "messageBox Message: windowed");
    demoApp.window.releaseContext();
}
