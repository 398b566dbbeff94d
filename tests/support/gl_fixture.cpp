#include "gl_fixture.h"

#include <GL/gl.h>

#include "platform/headless_gl.h"
#include "platform/message_box.h"

namespace {
platform::HeadlessGL* context = nullptr;
}

void GLTest::SetUpTestSuite() {
    if (context) return;
    platform::setMessageBoxesHeadless(true);
    context = new platform::HeadlessGL;  // kept to the end of the program
    ASSERT_TRUE(context->create(800, 600)) << context->error();
}

void GLTest::SetUp() {
    ASSERT_NE(context, nullptr);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glErrors();
}

std::vector<uint8_t> GLTest::pixel(int x, int y) {
    std::vector<uint8_t> p(4);
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

std::vector<uint8_t> GLTest::frame() {
    std::vector<uint8_t> p(800 * 600 * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

uint32_t GLTest::glErrors() {
    uint32_t n = 0;
    while (glGetError() != GL_NO_ERROR && n < 100) ++n;
    return n;
}
