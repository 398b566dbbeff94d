// The picture's geometry in the output, and what its own buffer hands to the effects and to the
// default framebuffer: bars, the box filter, alpha-free captures, multisampled captures resolved.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/picture_target.h"
#include "effects/screen_effects.h"
#include "gl_fixture.h"

namespace {

TEST(PictureGeometry, LargestCentredFourByThree) {
    struct Case {
        int w, h, left, bottom, width, height;
    };
    // Expected rectangles worked out by hand: 4k x 3k with k = min(w / 4, h / 3).
    for (const Case& c : {Case{800, 600, 0, 0, 800, 600}, Case{1920, 1080, 240, 0, 1440, 1080},
                          Case{1080, 1920, 0, 555, 1080, 810}, Case{1366, 768, 171, 0, 1024, 768},
                          Case{1001, 1000, 0, 125, 1000, 750}, Case{3840, 2160, 480, 0, 2880, 2160},
                          Case{64, 64, 0, 8, 64, 48}}) {
        const PictureGeometry g = pictureGeometry(c.w, c.h, 1);
        EXPECT_EQ(g.left, c.left) << c.w << "x" << c.h;
        EXPECT_EQ(g.bottom, c.bottom) << c.w << "x" << c.h;
        EXPECT_EQ(g.width, c.width) << c.w << "x" << c.h;
        EXPECT_EQ(g.height, c.height) << c.w << "x" << c.h;
        EXPECT_EQ(g.width * 3, g.height * 4);
    }
}

TEST(PictureGeometry, ScaleAndCaptureFollowTheDrawnHeight) {
    EXPECT_EQ(pictureGeometry(800, 600, 1).scale(), 1.0);
    EXPECT_EQ(pictureGeometry(800, 600, 1).captureSize(), 512);
    EXPECT_EQ(pictureGeometry(1600, 1200, 1).captureSize(), 1024);
    EXPECT_EQ(pictureGeometry(1920, 1080, 1).captureSize(), 922);       // 512 x 1.8 = 921.6
    EXPECT_EQ(pictureGeometry(3840, 2160, 1).captureSize(), 1843);      // 512 x 3.6 = 1843.2
    const PictureGeometry ssaa = pictureGeometry(3840, 2160, 2);
    EXPECT_EQ(ssaa.drawWidth(), 5760);
    EXPECT_EQ(ssaa.drawHeight(), 4320);
    EXPECT_DOUBLE_EQ(ssaa.scale(), 7.2);
    EXPECT_EQ(ssaa.captureSize(), 3686);
    // --ssaa 2 at 800x600 is drawn as the 1600x1200 picture is.
    EXPECT_EQ(pictureGeometry(800, 600, 2).captureSize(), pictureGeometry(1600, 1200, 1).captureSize());
}

class PictureTargetTest : public GLTest {
protected:
    void TearDown() override {
        std::string error;
        ASSERT_TRUE(fitPicture(800, 600, 1, 0, error)) << error;
        releasePicture();
        EXPECT_EQ(glErrors(), 0u);
    }

    // A frame drawn into the picture: its left half one colour, each drawn pixel of the right
    // half alternating black and white in columns, so that only a box filter gives mid grey.
    static void drawTestPicture(int width, int height) {
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3ub(200, 40, 90);
        glRecti(0, 0, width / 2, height);
        glColor3ub(255, 255, 255);
        for (int x = width / 2; x < width; x += 2) glRecti(x, 0, x + 1, height);
    }
};

TEST_F(PictureTargetTest, BarsAreBlackAndThePictureStandsBetweenThem) {
    std::string error;
    // An output of 800x450 inside the fixture's 800x600 pbuffer: bars left and right.
    ASSERT_TRUE(fitPicture(800, 450, 1, 0, error)) << error;  // picture 600x450 at (100, 0)
    const PictureGeometry& g = currentPicture();
    ASSERT_EQ(g.width, 600);
    ASSERT_EQ(g.left, 100);
    // A lit default framebuffer: presenting must blacken the bars, not leave what was there.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    beginPictureFrame();
    drawTestPicture(g.drawWidth(), g.drawHeight());
    presentPicture();
    EXPECT_EQ(pixel(99, 200), (std::vector<uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(700, 200), (std::vector<uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(pixel(100, 200), (std::vector<uint8_t>{200, 40, 90, 255}));
    EXPECT_EQ(pixel(401, 449), (std::vector<uint8_t>{0, 0, 0, 255}));     // a black column
    EXPECT_EQ(pixel(400, 0), (std::vector<uint8_t>{255, 255, 255, 255}));  // a white column
    EXPECT_EQ(pixel(699, 10), (std::vector<uint8_t>{0, 0, 0, 255}));
}

TEST_F(PictureTargetTest, DrawnAtNTimesIsBoxFilteredDown) {
    for (int factor : {2, 3, 4}) {
        std::string error;
        ASSERT_TRUE(fitPicture(800, 600, factor, 0, error)) << error;
        const PictureGeometry& g = currentPicture();
        ASSERT_EQ(g.drawHeight(), 600 * factor);
        beginPictureFrame();
        drawTestPicture(g.drawWidth(), g.drawHeight());
        presentPicture();
        // Each output pixel of the right half averages columns alternating white and black:
        // half of factor x factor is white for even factors, (factor + 1) / 2 of factor for odd.
        const int whiteColumns = factor % 2 == 0 ? factor / 2 : (factor + 1) / 2;
        const std::vector<uint8_t> right = pixel(600, 300);
        const double expected = 255.0 * whiteColumns / factor;
        EXPECT_NEAR(right[0], expected, 1.0) << "factor " << factor;
        EXPECT_EQ(right[0], right[1]);
        EXPECT_EQ(pixel(100, 300), (std::vector<uint8_t>{200, 40, 90, 255})) << "factor " << factor;
    }
}

TEST_F(PictureTargetTest, CapturesOfAnotherSizeReadAlphaOne) {
    std::string error;
    ASSERT_TRUE(fitPicture(800, 450, 2, 0, error)) << error;  // drawn at 1200x900: s = 1.5
    EXPECT_EQ(effectsTarget().captureSize, 768);
    EXPECT_DOUBLE_EQ(effectsTarget().scale, 1.5);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.5f);
    beginPictureFrame();
    EffectTexture texture;
    createEffectTexture(texture);
    GLint side = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
    EXPECT_EQ(side, 768);
    beginCapture();
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], 768);
    glClearColor(0.2f, 0.4f, 0.6f, 0.0f);  // alpha 0 asked for, but the picture has no alpha planes
    glClear(GL_COLOR_BUFFER_BIT);
    endCapture(texture, 800, 600);
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], 1200);  // the attributes bring back the picture's viewport
    EXPECT_EQ(view[3], 900);
    std::vector<uint8_t> texels(size_t(768) * 768 * 4);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(texels[0], 51);
    EXPECT_EQ(texels[3], 255);
    EXPECT_EQ(texels[texels.size() - 1], 255);
    presentPicture();
    deleteEffectTexture(texture);
}

TEST_F(PictureTargetTest, MultisampledCapturesAreResolvedFirst) {
    if (maxPictureSamples() < 2) GTEST_SKIP() << "no multisampling here";
    std::string error;
    ASSERT_TRUE(fitPicture(800, 600, 1, 4, error)) << error;
    EXPECT_EQ(pictureSamples(), 4);
    beginPictureFrame();
    EffectTexture texture;
    createEffectTexture(texture);
    beginCapture();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // A triangle whose slanted edge crosses pixels: resolved samples give values between 0 and 255.
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 0.3f);
    glEnd();
    endCapture(texture, 800, 600);
    EXPECT_EQ(glErrors(), 0u);  // copying straight from a multisampled buffer would fail
    std::vector<uint8_t> texels(size_t(512) * 512 * 4);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    int white = 0, between = 0;
    for (size_t i = 0; i < texels.size(); i += 4) {
        white += texels[i] == 255;
        between += texels[i] > 0 && texels[i] < 255;
    }
    EXPECT_GT(white, 512 * 100);
    EXPECT_GT(between, 200);  // the edge is anti-aliased
    presentPicture();
    deleteEffectTexture(texture);
}

TEST_F(PictureTargetTest, RefusesWhatTheGLCannotProvideAndKeepsThePicture) {
    std::string error;
    ASSERT_TRUE(fitPicture(800, 450, 1, 0, error)) << error;
    EXPECT_FALSE(fitPicture(800, 600, 1, maxPictureSamples() + 1, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(currentPicture().height, 450);
    GLint maxViewport[2] = {};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    error.clear();
    EXPECT_FALSE(fitPicture(maxViewport[0] + 4, 600, 1, 0, error));
    EXPECT_NE(error.find("over the GL"), std::string::npos) << error;
    EXPECT_EQ(currentPicture().height, 450);
    // Within the GL's sides but not within memory: 4096x3072 drawn at 4 x is 16384x12288, whose
    // colour and depth take 1.5 GB. Refused before any buffer is made.
    error.clear();
    EXPECT_FALSE(fitPicture(4096, 3072, 4, 0, error));
    EXPECT_NE(error.find("16384x12288"), std::string::npos) << error;
    EXPECT_EQ(currentPicture().height, 450);
}

TEST(PictureMemory, OutputAndDrawnBuffersStayWithinTheBudget) {
    // 8 bytes a pixel (colour, depth and stencil), per sample; 4 more for a resolved picture.
    EXPECT_EQ(pictureBufferBytes(100, 10, 0), 8000u);
    EXPECT_EQ(pictureBufferBytes(100, 10, 4), 8000u * 4 + 4000u);
    // The designed 800x600 has no buffer of its own; 1024x768 at 2 x has one of 2048x1536.
    EXPECT_EQ(pictureMemoryProblem(800, 600, 1, 0), "");
    EXPECT_EQ(pictureMemoryProblem(1024, 768, 2, 0), "");
    // 4096x3072: 96 MB of output; drawn at 3 x 864 MB more fits 1 GB, at 4 x 1536 MB does not.
    EXPECT_EQ(pictureMemoryProblem(4096, 3072, 3, 0), "");
    EXPECT_NE(pictureMemoryProblem(4096, 3072, 4, 0), "");
    EXPECT_NE(pictureMemoryProblem(4096, 3072, 3, 4), "");  // four samples a pixel
    EXPECT_NE(pictureMemoryProblem(16384, 12288, 1, 0), "");
    EXPECT_EQ(pictureMemoryProblem(3840, 2160, 2, 0), "");  // a 4K video drawn at 2 x
}

}  // namespace
