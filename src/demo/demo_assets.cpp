#include "demo/demo_assets.h"

#include <GL/gl.h>

#include "app/demo_app.h"        // demoApp.font for the glyph ring
#include "app/demo_random.h"     // the show's one random sequence
#include "model/texture_cache.h"  // one decode per texture file
#include "platform/clock.h"      // tick count as the default seed
#include "render/draw_variants.h" // buildParticleSet

DemoAssets demoAssets;

namespace {

bool seedGiven = false;
unsigned seedValue = 0;

// Places of the glyph ring: one per printable character, 360/94 degrees apart about X.
constexpr double kGlyphStep = 3.8297872340425534;

const char* const kWordTexts[kDisplayWordCount] = {
    "Qell 2003",
    "presented",
    "by",
    "Velkor",
    "Coder Tamsel",
    "Composer Zefra",
    "OpenGL 1.1",
    "x86 SIMD",
    "Hardware T&L",
    "Vireo GT 64",
    "Fennix FM-8",
    "Orbel PX-3",
    "Calder Modular",
    "Sawtooth Lead",
    "Nightcrane",
    "Polyfold",
    "Ashgrove Crew",
    "Tessaform",
    "Mirrorbyte",
    "Pellwick",
    "Oxhorn",
    "Tinsel Fox",
    "Brackwater",
    "Kelpie",
    "Harrowmere University",
    "realtime",
    "100% handmade",
    "no limits",
    "keep dreaming",
    "see you next party",
    "thank you",
    "greetings to all",
    "low poly, high hopes",
    "beat sync",
    "dot product",
    "fog of war",
    "one more frame",
    "made at night",
    "never stop coding",
    "the end is near",
};

// Step 8: one list that draws '!'..'~' round the X axis, 13 units out; '_' keeps an empty place.
void buildGlyphRing() {
    demoAssets.glyphRing = glGenLists(1);
    glNewList(demoAssets.glyphRing, GL_COMPILE);
    glPushMatrix();
    for (int c = '!'; c <= '~'; ++c) {
        glPushMatrix();
        glTranslated(0, 0, -13);
        if (c != '_') {
            const char glyph[2] = {static_cast<char>(c), '\0'};
            drawText(demoApp.font, "%s", glyph);
        }
        glPopMatrix();
        glRotated(kGlyphStep, 1, 0, 0);
    }
    glPopMatrix();
    glEndList();
}

}  // namespace

void setDemoSeed(unsigned seed) {
    seedGiven = true;
    seedValue = seed;
}

void setupDemo() {
    DemoAssets& a = demoAssets;

    demoSeed(seedGiven ? seedValue : platform::tickCount());

    glEnable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    createEffectTexture(a.glowTexture);
    createEffectTexture(a.flashTexture);
    createEffectTexture(a.backdropTexture);
    createEffectTexture(a.recapTexture);
    createEffectTexture(a.ringsTexture);

    // Every texture file decoded once, however many materials of however many models name it.
    TextureCache textures;
    a.filter.load("data\\filter.mqo");

    for (EffectTexture& trail : a.trailTextures) createEffectTexture(trail);

    a.hane2.load("data\\hane2.mqo");
    a.sky.load("data\\sky.mqo");
    a.skytube.load("data\\skytube.mqo");
    a.cloud.load("data\\cloud.mqo");
    a.pTamsel.load("data\\p_tamsel.mqo");
    a.pZefra.load("data\\p_zefra.mqo");
    prepareExplosion(a.pTamsel, 30.0);
    prepareExplosion(a.pZefra, 30.0);
    a.bback.load("data\\bback.mqo");
    a.backbox.load("data\\backbox.mqo");
    a.billm.load("data\\billm.mqo");
    a.city.load("data\\mati\\f0.mqo");
    a.rot1.load("data\\rot1.mqo");
    a.donut.load("data\\donut.mqo");
    a.hikari.load("data\\hikari.mqo");
    a.toge.load("data\\toge.mqo");

    buildParticleSet(0);
    buildParticleSet(1);

    buildGlyphRing();

    for (double& rate : a.spinRates) rate = demoRand() % 10800 - 5400;

    for (DisplayWord& word : a.displayWords) {
        word.rateX = demoRand() % 10000;
        word.rateY = demoRand() % 10000;
        word.rateZ = demoRand() % 10000;
        word.spinX = word.spinY = word.spinZ = 0;
    }

    for (int i = 0; i < kDisplayWordCount; ++i) a.displayWords[i].text = kWordTexts[i];
}

void remakeEffectTextures() {
    DemoAssets& a = demoAssets;
    for (EffectTexture* t : {&a.glowTexture, &a.flashTexture, &a.backdropTexture, &a.recapTexture, &a.ringsTexture})
        if (t->name) createEffectTexture(*t);
    for (EffectTexture& trail : a.trailTextures)
        if (trail.name) createEffectTexture(trail);
    glBindTexture(GL_TEXTURE_2D, 0);
}
