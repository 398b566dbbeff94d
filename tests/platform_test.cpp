// The platform layer: paths, message boxes, the headless context.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "gl_fixture.h"
#include "platform/files.h"
#include "platform/message_box.h"

TEST(Files, BackslashPathsMapToTheHostSeparator) {
    EXPECT_EQ(platform::hostPath("data\\mati\\f0.mqo"), "data/mati/f0.mqo");
    EXPECT_EQ(platform::hostPath("plain.wav"), "plain.wav");
    EXPECT_EQ(platform::openFile("no\\such\\file.mqo", "rb"), nullptr);
    EXPECT_EQ(platform::openFile(nullptr, "rb"), nullptr);
}

TEST(MessageBoxes, RecorderTakesBoxesInOrderAndNests) {
    platform::MessageRecorder outer;
    platform::messageBox("one", "error");
    {
        platform::MessageRecorder inner;
        platform::messageBox("two", "エラー");
        ASSERT_EQ(inner.messages().size(), 1u);
        EXPECT_EQ(inner.messages()[0].caption, "エラー");
    }
    platform::messageBox("three", "Message");
    ASSERT_EQ(outer.messages().size(), 2u);
    EXPECT_EQ(outer.messages()[0].text, "one");
    EXPECT_EQ(outer.messages()[1].text, "three");
}

TEST_F(GLTest, HeadlessContextDrawsAndReadsBack) {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto p = pixel(400, 300);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
}
