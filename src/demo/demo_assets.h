// Every asset of the show, made once by setupDemo on the first frame and read by the scenes.
#pragma once
#include "effects/screen_effects.h"
#include "model/mqo_model.h"
#include "render/face_explosion.h"

struct DisplayWord {
    double rateX = 0, rateY = 0, rateZ = 0;  // whole degrees per unit of progress, 0..9999
    double spinX = 0, spinY = 0, spinZ = 0;  // 0 in this show
    const char* text = "";
};

inline constexpr int kDisplayWordCount = 40;

// The fifteen model files in the order setupDemo loads them.
inline constexpr const char* kModelFiles[] = {
    "data\\filter.mqo", "data\\hane2.mqo", "data\\sky.mqo", "data\\skytube.mqo", "data\\cloud.mqo",
    "data\\p_tamsel.mqo", "data\\p_zefra.mqo", "data\\bback.mqo", "data\\backbox.mqo", "data\\billm.mqo",
    "data\\mati\\f0.mqo", "data\\rot1.mqo", "data\\donut.mqo", "data\\hikari.mqo", "data\\toge.mqo",
};

struct DemoAssets {
    // The fifteen models, in load order.
    MqoModel filter, hane2, sky, skytube, cloud;
    ExplodableModel pTamsel, pZefra;
    MqoModel bback, backbox, billm, city, rot1, donut, hikari, toge;

    EffectTexture glowTexture, flashTexture, backdropTexture, recapTexture, ringsTexture;
    EffectTexture trailTextures[5];

    unsigned glyphRing = 0;    // display list: '!'..'~' round the X axis, 13 units out
    double reelAngles[5] = {}; // degrees, eased by setReels in scenes 3 and 8
    double spinRates[24] = {}; // torus wheel, 8 groups of 3, -5400..5399
    DisplayWord displayWords[kDisplayWordCount];
};
extern DemoAssets demoAssets;

// The seed of the random sequence: the tick count unless --seed gave one.
void setDemoSeed(unsigned seed);
// Seeds rand, sets the initial GL state, creates the effect textures, loads the models, prepares
// the portraits, builds the particle sets, the glyph ring and the random tables.
void setupDemo();
// Makes the effect textures that exist again, black, at the current capture size (the picture
// changed size); textures not made yet stay unmade. Leaves texture 0 bound.
void remakeEffectTextures();
