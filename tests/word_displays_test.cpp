// The glyph-ring reel angles, their easing, and the word cloud's paths and colours.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/demo_app.h"
#include "app/demo_random.h"
#include "app/gl_window.h"
#include "demo/demo_assets.h"
#include "gl_fixture.h"
#include "render/word_displays.h"

namespace {

constexpr double kStep = 3.8297872340425534;

}  // namespace

TEST(ReelAngles, EveryPrintableCharacterComesToTheFront) {
    EXPECT_EQ(reelAngleFor('!'), 0.0);
    EXPECT_NEAR(reelAngleFor('A'), -122.55319148936171, 1e-9);
    EXPECT_NEAR(reelAngleFor('~'), -356.17021276595744, 1e-9);
    EXPECT_NEAR(reelAngleFor('~'), -93 * kStep, 1e-9);
    for (int c = '!'; c <= '~'; ++c) EXPECT_NEAR(reelAngleFor(c), -(c - 33) * kStep, 1e-9) << c;
    // The blank of the word cells has a place of its own; it is not the fallback.
    EXPECT_NEAR(reelAngleFor('_'), -62 * kStep, 1e-9);
}

TEST(ReelAngles, BytesOffTheRingTurnAllTheWayRound) {
    for (unsigned char c : {' ', '\0', '\n', '\x7f', '\xff'}) {
        EXPECT_NEAR(reelAngleFor(c), -360.0, 1e-9) << int(c);
        // -360 shows the same place as "!" but is not the same angle: easing from it turns back.
        EXPECT_NE(reelAngleFor(c), reelAngleFor('!'));
    }
}

TEST(SetReels, EasesEachReelAFractionOfTheWay) {
    double angles[5] = {0, 10, -50, -360, 7};
    setReels(angles, "AAAAA", 0.0);
    const double unchanged[5] = {0, 10, -50, -360, 7};
    for (int j = 0; j < 5; ++j) EXPECT_EQ(angles[j], unchanged[j]);

    double half[5] = {};
    setReels(half, "A!~_ ", 0.5);
    EXPECT_NEAR(half[0], -61.276595744680854, 1e-9);
    EXPECT_NEAR(half[1], 0.0, 1e-12);
    EXPECT_NEAR(half[2], -178.08510638297872, 1e-9);
    EXPECT_NEAR(half[3], reelAngleFor('_') / 2, 1e-12);
    EXPECT_NEAR(half[4], -180.0, 1e-9);

    // At f = 1 each reel stands on its letter, wherever it started.
    setReels(angles, "Code:", 1.0);
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(angles[j], reelAngleFor("Code:"[j]), 1e-9);
}

TEST(SetReels, AShortWordLeavesItsMissingLettersBlank) {
    double angles[5] = {};
    setReels(angles, "AB", 1.0);
    EXPECT_NEAR(angles[0], reelAngleFor('A'), 1e-9);
    EXPECT_NEAR(angles[1], reelAngleFor('B'), 1e-9);
    for (int j = 2; j < 5; ++j) EXPECT_NEAR(angles[j], -360.0, 1e-9);
    double none[5] = {};
    setReels(none, nullptr, 1.0);
    for (double a : none) EXPECT_NEAR(a, -360.0, 1e-9);
}

class WordCloudTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        if (!demoApp.font.available) createFont(demoApp.font);
    }
    void SetUp() override {
        GLTest::SetUp();
        setProjection(0, 0, 800, 600, 1.0, 10000.0);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        for (DisplayWord& w : demoAssets.displayWords) w = DisplayWord{};
    }
    void TearDown() override {
        for (DisplayWord& w : demoAssets.displayWords) w = DisplayWord{};
    }
    // Middle of the lit pixels' horizontal extent, or -1 when none is lit.
    static double litCentreX(int* litCount = nullptr) {
        const auto f = frame();
        int left = 800, right = -1, n = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint8_t* p = &f[(y * 800 + x) * 4];
                if (p[0] + p[1] + p[2] == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                ++n;
            }
        if (litCount) *litCount = n;
        return n ? (left + right) / 2.0 : -1;
    }
};

TEST_F(WordCloudTest, DrawsEveryWordInAFreshColourFromTheSequence) {
    ASSERT_TRUE(demoApp.font.available);
    for (DisplayWord& w : demoAssets.displayWords) w.text = "W";
    demoSeed(7);
    const uint64_t before = demoRandCount();
    drawWordCloud(0.0);
    EXPECT_EQ(demoRandCount() - before, 120u);

    // The colour of the last word is (third, second, first) of its three draws, in hundredths.
    demoSeed(7);
    int r[120];
    for (int& v : r) v = demoRand() % 100;
    GLdouble colour[4];
    glGetDoublev(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0], r[119] * 0.01, 1e-6);
    EXPECT_NEAR(colour[1], r[118] * 0.01, 1e-6);
    EXPECT_NEAR(colour[2], r[117] * 0.01, 1e-6);
    EXPECT_EQ(colour[3], 1.0);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(WordCloudTest, WordsStartCentredAndFollowTheirRates) {
    ASSERT_TRUE(demoApp.font.available);
    for (DisplayWord& w : demoAssets.displayWords) {
        w.text = "WIDE";
        w.rateX = 90;
    }
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    drawWordCloud(0.0);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    int lit = 0;
    EXPECT_NEAR(litCentreX(&lit), 400.0, 8.0);
    EXPECT_GT(lit, 500);

    // Rate X 90 at t = 1: two units to the right at depth 5, that is 2/5/tan(30 deg) * 300 pixels.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawWordCloud(1.0);
    EXPECT_NEAR(litCentreX(), 400.0 + 0.4 / std::tan(M_PI / 6) * 300.0, 8.0);
}

TEST_F(WordCloudTest, APercentSignIsShownNotTakenAsAConversion) {
    ASSERT_TRUE(demoApp.font.available);
    for (DisplayWord& w : demoAssets.displayWords) w.text = "%";
    drawWordCloud(0.0);
    int lit = 0;
    EXPECT_NEAR(litCentreX(&lit), 400.0, 8.0);
    EXPECT_GT(lit, 100);
}
