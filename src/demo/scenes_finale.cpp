// Scenes 8 to 12: the light core with the "Play!" reels and the torus wheel, the word cloud over
// the spinning backdrop, the recap with the credits plate, the grey picture, and black to the end.
#include <GL/gl.h>  // matrices, enables, clears

#include <cmath>  // sin

#include "app/demo_app.h"     // demoApp.font
#include "app/outline_font.h" // drawText, resetTextState
#include "demo/demo_assets.h"
#include "demo/scene_finale.h"
#include "demo/timeline.h"
#include "effects/screen_effects.h"
#include "render/draw_variants.h"
#include "render/model_renderer.h"
#include "render/word_displays.h"

const CreditLine kCreditsPlate[kCreditLineCount] = {
    {"Velkor", 3, -3, -10, 0.3, 1, 0.3},
    {"Consists of", 3, -4, -10, 0.9, 0.9, 0.9},
    {"Tamsel", 1.4, -5, -10, 0.5, 0.5, 1},
    {"Zefra", 4.9, -5, -10, 1, 0.7, 0.7},
};

namespace {

void drawCreditsPlate() {
    for (const CreditLine& line : kCreditsPlate) {
        glPushMatrix();
        glTranslated(line.x, line.y, line.z);
        glColor3d(line.red, line.green, line.blue);
        drawText(demoApp.font, "%s", line.text);
        glPopMatrix();
    }
}

void overlay(const EffectTexture& texture, const ScreenRect& r) {
    drawOverlay(texture, r.left, r.top, r.width, r.height, 1.0, kScreenWidth, kScreenHeight, true);
}

// Nineteen equally faint copies of the light core's glow, each 60 pixels larger than the last.
void lightCoreGlow() {
    glPushMatrix();
    for (int k = 1; k <= 19; ++k) {
        drawOverlay(demoAssets.glowTexture, -30 * k, -30 * k, kScreenWidth + 60 * k,
                    kScreenHeight + 60 * k, 0.2, kScreenWidth, kScreenHeight, true);
    }
    glPopMatrix();
}

void drawFifteenReels(double u) {
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glTranslated(1.5, 0, -7.5);
    glRotated(70, 0, 1, 0);
    glRotated(2160 * u, 1, 0, 0);
    for (int i = 0; i < 15; ++i) {
        glTranslated(1.5, 0, 0);
        glPushMatrix();
        glRotated(demoAssets.reelAngles[i % 5], 1, 0, 0);
        glColor3d(1, 0.8, 0.8);
        glCallList(demoAssets.glyphRing);
        glPopMatrix();
    }
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

void drawTorusWheel(double u) {
    const WheelSurge surge = wheelSurge(u);
    const bool outlines = surge.alpha > 0;
    glPushMatrix();
    if (surge.active) glTranslated(0, 0, surge.offset());
    glTranslated(0, 0, -1000);
    glRotated(-5, 1, 0, 0);
    glRotated(wheelTurn(u), 0, 1, 0);
    lightCoreGlow();

    glRotated(30, 0, 0, 1);
    glRotated(1080 * u, 0, 1, 0);
    glPushMatrix();
    for (int group = 0; group < 8; ++group) {
        glRotated(45, 0, 1, 0);  // the turns add up round the wheel
        glPushMatrix();
        glTranslated(0, 0, -300);
        for (int j = 0; j < 3; ++j) {
            glTranslated(0, 0, -150);
            glPushMatrix();
            glRotated(u * demoAssets.spinRates[3 * group + j], 0, 0, 1);
            drawModel(demoAssets.donut, true, true, false);
            if (outlines) drawModelOutline(demoAssets.donut, 0, 1, 0, surge.alpha, false);
            glPopMatrix();
        }
        glPopMatrix();
    }
    glPopMatrix();
    drawModel(demoAssets.rot1, true, true, false);
    if (outlines) drawModelOutline(demoAssets.rot1, 0, 1, 0, surge.alpha, false);
    glPopMatrix();
}

}  // namespace

void easePlayReels(double (&angles)[5], double u) { setReels(angles, "Play!", u * u * u); }

void drawLightCoreScene(double u, double /*t*/) {
    drawLineRings(u);
    const bool flash = u <= kLightCoreFlashEnd;
    if (flash) flashPass(lightCoreFlash(u));

    // The core is seen only through its glow.
    const LightCoreSway sway = lightCoreSway(u);
    beginCapture();
    glRotated(sway.rx, 1, 0, 0);
    glRotated(sway.ry, 0, 1, 0);
    glTranslated(0, 0, -1000);
    glColor4d(1, 1, 1, 1);
    drawModel(demoAssets.hikari, false, false, false);
    endCapture(demoAssets.glowTexture, kScreenWidth, kScreenHeight);

    easePlayReels(demoAssets.reelAngles, u);
    drawFifteenReels(u);
    drawTorusWheel(u);

    if (flash) flashOverlay();
    ringsOverlay();
}

void drawWordCloudScene(double u, double /*t*/) {
    // The backdrop is seen only through the glow; the words go into the glow and in front.
    beginCapture();
    glPushMatrix();
    glTranslated(0, 0, -100);
    glRotated(360 * std::sin(4 * kPi * u), 0, 0, 1);
    glDisable(GL_LIGHTING);
    drawModel(demoAssets.bback, true, true, false);
    glEnable(GL_LIGHTING);
    glPopMatrix();
    drawWordCloud(u);
    endCapture(demoAssets.glowTexture, kScreenWidth, kScreenHeight);

    glPushMatrix();
    drawWordCloud(u);
    glPopMatrix();

    glPushMatrix();
    glowStack(demoAssets.glowTexture, 0.3);
    glPopMatrix();
}

void drawRecapScene(double u, double /*t*/) {
    // The replayed scene's own passes nest inside this one: each inner end of capture brings back
    // this pass's 512x512 viewport, so the rest of the replay still lands in the recap picture.
    const RecapReplay replay = recapReplay(u);
    beginCapture();
    drawScene(replay.scene, replay.t);
    endCapture(demoAssets.recapTexture, kScreenWidth, kScreenHeight);

    overlay(demoAssets.recapTexture, shrinkingPicture(u));
    drawCreditsPlate();
}

void drawGreyPictureScene(double u, double /*t*/) {
    drawLineRings(u);
    beginCapture();
    glClearColor(0.8f, 0.8f, 0.8f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawOverlay(demoAssets.ringsTexture, 0, 0, kCaptureSize, kCaptureSize, 0.5, kCaptureSize,
                kCaptureSize, true);
    endCapture(demoAssets.recapTexture, kScreenWidth, kScreenHeight);

    overlay(demoAssets.recapTexture, greyPicture(u));
    drawCreditsPlate();
}

void drawBlackScene(double /*u*/, double /*t*/) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
