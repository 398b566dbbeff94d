// The set-up of the show's assets on the stand-in data: models, random tables, glyph ring.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <set>
#include <string>

#include "app/demo_random.h"
#include "render/draw_variants.h"
#include "render/word_displays.h"
#include "show_frame.h"

namespace {

int faceCount(const MqoModel& model) {
    int n = 0;
    for (const MqoObject& o : model.objects) n += o.faceCount;
    return n;
}

}  // namespace

class DemoSetup : public ShowFrameTest {
protected:
    // Draws the glyph ring turned to c, as a reel of the word display stands, and counts the lit
    // pixels of the front place (the ring's other places fall outside that box).
    static int litAtFront(unsigned char c) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glColor3d(1, 1, 1);
        glRotated(reelAngleFor(c), 1, 0, 0);
        glCallList(demoAssets.glyphRing);
        glLoadIdentity();
        // The front glyph stands 13 units away, baseline on the centre row, about 0.7 high.
        return litIn(frame(), 380, 298, 420, 322);
    }
};

TEST_F(DemoSetup, LoadsEveryModelWithoutAMessage) {
    for (const auto& m : setupMessages()) ADD_FAILURE() << m.caption << ": " << m.text;
    EXPECT_EQ(setupSwaps(), 1u);  // the black frame stands while the files load
    const DemoAssets& a = demoAssets;
    const MqoModel* models[15] = {&a.filter, &a.hane2,  &a.sky,    &a.skytube, &a.cloud,
                                  &a.pTamsel, &a.pZefra, &a.bback,  &a.backbox, &a.billm,
                                  &a.city,   &a.rot1,   &a.donut,  &a.hikari,  &a.toge};
    for (int i = 0; i < 15; ++i) EXPECT_GT(faceCount(*models[i]), 0) << "model " << i;
    EXPECT_EQ(a.pTamsel.restObjects.size(), a.pTamsel.objects.size());
    EXPECT_EQ(a.pZefra.restObjects.size(), a.pZefra.objects.size());
    for (const EffectTexture* t : {&a.glowTexture, &a.flashTexture, &a.backdropTexture,
                                   &a.recapTexture, &a.ringsTexture})
        EXPECT_NE(t->name, 0u);
    for (const EffectTexture& t : a.trailTextures) EXPECT_NE(t.name, 0u);
    EXPECT_TRUE(glIsList(a.glyphRing));
}

TEST_F(DemoSetup, DrawsItsRandomNumbersInTheStatedOrder) {
    // The preparation draws six numbers per portrait face, each particle set eight per particle.
    const uint64_t before = 6 * (faceCount(demoAssets.pTamsel) + faceCount(demoAssets.pZefra)) +
                            2 * 8 * kParticleCount;
    EXPECT_EQ(demoRandCount(), before + 24 + 3 * kDisplayWordCount);

    // Replaying the seeded sequence gives the spin rates and then the word rates.
    demoSeed(kTestSeed);
    for (uint64_t i = 0; i < before; ++i) demoRand();
    for (double rate : demoAssets.spinRates) EXPECT_EQ(rate, demoRand() % 10800 - 5400);
    for (const DisplayWord& w : demoAssets.displayWords) {
        EXPECT_EQ(w.rateX, demoRand() % 10000);
        EXPECT_EQ(w.rateY, demoRand() % 10000);
        EXPECT_EQ(w.rateZ, demoRand() % 10000);
        EXPECT_EQ(w.spinX, 0.0);
        EXPECT_EQ(w.spinY, 0.0);
        EXPECT_EQ(w.spinZ, 0.0);
    }
}

TEST_F(DemoSetup, DisplayWordsAreFortyDistinctTexts) {
    const char* const given[6] = {"Qell 2003", "presented", "by", "Velkor", "Coder Tamsel",
                                  "Composer Zefra"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(demoAssets.displayWords[i].text, given[i]);
    std::set<std::string> texts;
    for (const DisplayWord& w : demoAssets.displayWords) {
        ASSERT_NE(w.text, nullptr);
        EXPECT_GT(std::strlen(w.text), 0u);
        EXPECT_LT(std::strlen(w.text), 32u);
        texts.insert(w.text);
    }
    EXPECT_EQ(texts.size(), size_t(kDisplayWordCount));
}

TEST_F(DemoSetup, GlyphRingShowsEachCharacterAtTheFront) {
    for (unsigned char c : {'!', 'A', 'W', '%', '#', '8'}) EXPECT_GT(litAtFront(c), 20) << c;
    // "_" has a place but no glyph; a blank comes round to the place of "!".
    EXPECT_EQ(litAtFront('_'), 0);
    EXPECT_EQ(litAtFront(' '), litAtFront('!'));
    EXPECT_EQ(glErrors(), 0u);
}
