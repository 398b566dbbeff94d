// Screen effects: what captures and overlays leave in the frame and in the OpenGL state.
#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "effects/screen_effects.h"
#include "gl_fixture.h"

namespace {

bool enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

GLint integer(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

std::vector<GLint> viewport() {
    std::vector<GLint> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// Every switch the effects touch, off, with the identity in both matrices.
void plainState() {
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_DEPTH_TEST,
                       GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_FOG})
        glDisable(cap);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A flat rectangle in normalised device coordinates, with identity matrices.
void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a) {
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

void fillScreen(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
}

// Captures a picture whose lower half (in the 512x512 corner) is red, upper half green, with the
// given alpha written to the frame; the frame is black again afterwards.
void captureRedBelowGreen(const EffectTexture& texture, float alpha) {
    beginCapture();
    plainState();
    fillRect(-1, -1, 1, 0, 1, 0, 0, alpha);
    fillRect(-1, 0, 1, 1, 0, 1, 0, alpha);
    endCapture(texture, 800, 600);
}

class ScreenEffectsTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        plainState();
    }
    static void expectPixel(int x, int y, int r, int g, int b, int tolerance = 2) {
        const auto p = pixel(x, y);
        EXPECT_NEAR(p[0], r, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(p[1], g, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(p[2], b, tolerance) << "at " << x << "," << y;
    }
};

}  // namespace

TEST_F(ScreenEffectsTest, NewTextureIsBlackTransparentLinearAndBound) {
    EffectTexture texture;
    createEffectTexture(texture);
    ASSERT_NE(texture.name, 0u);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), GLint(texture.name));
    GLint w = 0, h = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    std::vector<uint8_t> texels(512 * 512 * 4, 0xAB);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (uint8_t t : texels) ASSERT_EQ(t, 0);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ScreenEffectsTest, DeletingForgetsTheNameAndTheDestructorDeletesOnlyWithAContext) {
    GLuint deleted = 0;
    {
        EffectTexture texture;
        createEffectTexture(texture);
        deleted = texture.name;
        deleteEffectTexture(texture);
        EXPECT_EQ(texture.name, 0u);
        deleteEffectTexture(texture);  // a second delete is harmless
    }
    EXPECT_FALSE(glIsTexture(deleted));

    GLuint destroyed = 0;
    {
        EffectTexture texture;
        createEffectTexture(texture);
        destroyed = texture.name;
    }
    EXPECT_FALSE(glIsTexture(destroyed));

    // At exit the context is gone before the textures: the destructor must not call GL then.
    EGLDisplay display = eglGetCurrentDisplay();
    EGLSurface draw = eglGetCurrentSurface(EGL_DRAW), read = eglGetCurrentSurface(EGL_READ);
    EGLContext context = eglGetCurrentContext();
    GLuint kept = 0;
    {
        auto* texture = new EffectTexture;
        createEffectTexture(*texture);
        kept = texture->name;
        ASSERT_TRUE(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT));
        delete texture;
        ASSERT_TRUE(eglMakeCurrent(display, draw, read, context));
    }
    EXPECT_TRUE(glIsTexture(kept));  // untouched while no context was current
    glDeleteTextures(1, &kept);
}

TEST_F(ScreenEffectsTest, EndCaptureLeavesABlackClearedScreenAndTheStateOfBefore) {
    EffectTexture texture;
    createEffectTexture(texture);
    EffectTexture other;
    createEffectTexture(other);

    fillScreen(1, 1, 1);
    glViewport(10, 20, 700, 500);
    glClearColor(0.25f, 0.5f, 0.75f, 1);
    glEnable(GL_BLEND);
    glEnable(GL_FOG);
    glBindTexture(GL_TEXTURE_2D, other.name);
    glTranslatef(3, 4, 5);

    beginCapture();
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 512, 512}));
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    fillRect(-1, -1, 1, 1, 1, 0, 0, 1);  // drawn with depth, so the depth buffer holds it
    endCapture(texture, 800, 600);

    EXPECT_EQ(viewport(), (std::vector<GLint>{10, 20, 700, 500}));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.25f);
    EXPECT_FLOAT_EQ(clear[2], 0.75f);
    EXPECT_TRUE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_FOG));
    EXPECT_FALSE(enabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), GLint(other.name));
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);  // the modelview is identity, not the translation of before
    EXPECT_FLOAT_EQ(m[14], 0.0f);

    const auto pixels = frame();
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); ++i) lit += i % 4 != 3 && pixels[i] != 0;
    EXPECT_EQ(lit, 0);  // all black, beyond the captured corner as well
    GLfloat depth[2] = {0, 0};
    glReadPixels(100, 100, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[0]);
    glReadPixels(700, 500, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth[1]);
    EXPECT_FLOAT_EQ(depth[0], 1.0f);
    EXPECT_FLOAT_EQ(depth[1], 1.0f);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ScreenEffectsTest, NestedCaptureRestoresTheOuterCaptureViewport) {
    EffectTexture outer, inner;
    createEffectTexture(outer);
    createEffectTexture(inner);
    beginCapture();
    beginCapture();
    fillRect(-1, -1, 1, 1, 0, 0, 1, 1);
    endCapture(inner, 800, 600);
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 512, 512}));
    fillRect(-1, -1, 0, 0, 1, 1, 0, 1);  // still lands in the outer capture's corner: pixels 0..255
    expectPixel(100, 100, 255, 255, 0);
    expectPixel(300, 300, 0, 0, 0);
    endCapture(outer, 800, 600);
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 800, 600}));
    EXPECT_EQ(integer(GL_ATTRIB_STACK_DEPTH), 0);

    // The outer texture holds the yellow corner, the inner one the blue.
    plainState();
    drawOverlay(outer, 0, 0, 800, 600, 1.0, 800, 600, false);
    expectPixel(100, 100, 255, 255, 0);
    expectPixel(700, 500, 0, 0, 0);
    drawOverlay(inner, 0, 0, 800, 600, 1.0, 800, 600, false);
    expectPixel(700, 500, 0, 0, 255);
}

TEST_F(ScreenEffectsTest, TheFrameHasNoAlphaPlanesSoCapturesAreOpaque) {
    EXPECT_EQ(integer(GL_ALPHA_BITS), 0);
    EffectTexture texture;
    createEffectTexture(texture);
    captureRedBelowGreen(texture, 1.0f);
    fillScreen(0.2f, 0.2f, 0.2f);
    drawOverlay(texture, 0, 0, 800, 600, 0.5, 800, 600, true);
    // Upright: the lower half of the capture lands on the lower half of the screen.
    expectPixel(400, 150, 51 + 128, 51, 51);
    expectPixel(400, 450, 51, 51 + 128, 51);

    // Drawn at alpha 0.25 without blending, the colour lands whole and the alpha is not kept:
    // the captured texels read alpha 1 and add colour x opacity, as opaque ones do.
    captureRedBelowGreen(texture, 0.25f);
    plainState();
    fillScreen(0.2f, 0.2f, 0.2f);
    drawOverlay(texture, 0, 0, 800, 600, 0.5, 800, 600, true);
    expectPixel(400, 150, 51 + 128, 51, 51);
    expectPixel(400, 450, 51, 51 + 128, 51);
    EXPECT_EQ(pixel(400, 150)[3], 255);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ScreenEffectsTest, RectangleIsPlacedFromTheTopLeftAndStretched) {
    EffectTexture texture;
    createEffectTexture(texture);
    captureRedBelowGreen(texture, 1.0f);
    fillScreen(0, 0, 1);
    // 200x100 pixels at (100, 50) from the top left: rows 450..549 from the bottom.
    drawOverlay(texture, 100, 50, 200, 100, 1.0, 800, 600, false);
    expectPixel(200, 470, 255, 0, 0);  // lower half of the rectangle
    expectPixel(200, 530, 0, 255, 0);  // upper half
    expectPixel(90, 500, 0, 0, 255);   // outside it the scene is untouched
    expectPixel(310, 500, 0, 0, 255);
    expectPixel(200, 440, 0, 0, 255);
    // Partly off screen: clipped, the texture still spread over the whole rectangle.
    fillScreen(0, 0, 1);
    drawOverlay(texture, -400, 0, 800, 600, 1.0, 800, 600, false);
    expectPixel(200, 150, 255, 0, 0);
    expectPixel(200, 450, 0, 255, 0);
    expectPixel(600, 300, 0, 0, 255);
}

TEST_F(ScreenEffectsTest, OpaqueOverlayReplacesWhateverTheOpacity) {
    EffectTexture texture;
    createEffectTexture(texture);
    captureRedBelowGreen(texture, 0.5f);
    fillScreen(1, 1, 1);
    drawOverlay(texture, 0, 0, 800, 600, 0.3, 800, 600, false);
    expectPixel(400, 150, 255, 0, 0);
    expectPixel(400, 450, 0, 255, 0);
}

TEST_F(ScreenEffectsTest, NeverCapturedTextureAddsNothingOrDrawsBlack) {
    EffectTexture texture;
    createEffectTexture(texture);
    fillScreen(0.4f, 0.6f, 0.8f);
    drawOverlay(texture, 0, 0, 800, 600, 1.0, 800, 600, true);
    expectPixel(400, 300, 102, 153, 204);
    plainState();
    drawOverlay(texture, 0, 0, 800, 600, 1.0, 800, 600, false);
    expectPixel(400, 300, 0, 0, 0);
}

TEST_F(ScreenEffectsTest, OverlayLeavesTheSameStateWhateverItFound) {
    EffectTexture texture;
    createEffectTexture(texture);
    const GLenum on[] = {GL_LIGHTING, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_CULL_FACE};
    const GLenum off[] = {GL_BLEND, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T};
    for (bool before : {false, true}) {
        for (GLenum cap : on) before ? glEnable(cap) : glDisable(cap);
        for (GLenum cap : off) before ? glEnable(cap) : glDisable(cap);
        EffectTexture other;
        createEffectTexture(other);  // leaves it bound
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glScalef(2, 2, 2);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(1, 2, 3);

        drawOverlay(texture, 0, 0, 800, 600, 0.5, 800, 600, before);

        for (GLenum cap : on) EXPECT_TRUE(enabled(cap)) << cap << " before " << before;
        for (GLenum cap : off) EXPECT_FALSE(enabled(cap)) << cap << " before " << before;
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
        EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
        EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
        EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_FLOAT_EQ(m[12], 0.0f);  // identity, not the pushed translation
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_FLOAT_EQ(m[0], 2.0f);   // the projection of before
        EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);
        EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    }
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ScreenEffectsTest, AlphaBlendSwitch) {
    glBlendFunc(GL_ONE, GL_ONE);
    setAlphaBlend(true);
    EXPECT_TRUE(enabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    setAlphaBlend(false);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);  // only the switch changes
}
