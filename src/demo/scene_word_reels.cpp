#include "demo/scene_word_reels.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/demo_app.h"  // demoApp.font
#include "demo/demo_assets.h"
#include "demo/timeline.h"
#include "render/draw_variants.h"  // drawLineRings
#include "render/face_explosion.h"
#include "render/model_renderer.h"
#include "render/word_displays.h"

const char* const kWordCells[kWordCellCount] = {
    "This_", "_demo", "_made", "_by__", "Gfx_:", "Gfx_:", "Gfx_:", "Gfx_:",  // 0..7
    "Gfx_:", "_and_", "Code:", "Code:", "Code:", "Code:", "Code:", "Code:",  // 8..15
    "_____", "A____", "_Demo", "Make_", "__you", "Happy", "!!!!!", "_and_",  // 16..23
    "Open_", "_your", "Mind!", "Yeah!", "_____", "Music", "Music", "Music",  // 24..31
    "Music", "Music", "Music", "Music", "_____", ">2003", "Qell_", "_demo",  // 32..39
    "Pilt_", "_Ver.", "Thanx", "for__", "__you", "It's_", "Ready", "GO!!!",  // 40..47
};

const TitleWindow kTitleWindows[kTitleWindowCount] = {
    {"Gfx", 0.1, 0.15},
    {"Code", 0.25, 0.3},
    {"Music", 0.68, 0.73},
};

WordWindow wordWindowFor(double u) {
    for (int i = 0; i < kWordCellCount; ++i) {
        if (u <= (i + 1) / 48.0) return {i, 48 * (u - i / 48.0)};
    }
    return {-1, 0.0};
}

int titleWindowFor(double u) {
    for (int i = 0; i < kTitleWindowCount; ++i) {
        if (kTitleWindows[i].start <= u && u <= kTitleWindows[i].end) return i;
    }
    return -1;
}

int sweepShift(double w) { return static_cast<int>(30 - 90 * w); }

PortraitPose portraitFor(double u) {
    if (u <= 0.3) return {0, std::min(3.3333333333333335 * u + 0.2, 1.0)};
    if (u <= 0.5) return {1, 5 * (u - 0.3)};
    if (u <= 0.7) return {2, std::min(5.000000000000001 * (u - 0.5) + 0.2, 1.0)};
    if (u <= 0.9) return {3, 4.999999999999998 * (u - 0.7)};
    return {4, 0.0};
}

double wordReelFlash(double u) { return std::sin(u * 200 * kPi); }

void easeWordReels(double (&angles)[5], double u) {
    const WordWindow window = wordWindowFor(u);
    if (window.index >= 0) setReels(angles, kWordCells[window.index], window.ease);
}

void sweepingGlow(const EffectTexture& texture, double w, double strength) {
    const int c = sweepShift(w);
    glPushMatrix();
    for (int k = 1; k <= 9; ++k) {
        drawOverlay(texture, -(c + 30) * k, -30 * k, kScreenWidth + (c + 60) * k,
                    kScreenHeight + 60 * k, (1 - 0.1 * k) * strength, kScreenWidth, kScreenHeight,
                    true);
    }
    glPopMatrix();
}

namespace {

// The turned axis that the title copies and the word display share.
void enterDisplayAxis() {
    glTranslated(0, 0, 4);
    glRotated(45, 0, 1, 0);
    glTranslated(5, 0, 0);
}

void drawBracket(const char* text) {
    glPushMatrix();
    glTranslated(0, 0, -13);
    glColor3d(0.5, 1, 0.5);
    drawText(demoApp.font, "%s", text);
    glPopMatrix();
}

void drawPortraits(double u) {
    DemoAssets& a = demoAssets;
    const PortraitPose pose = portraitFor(u);
    switch (pose.step) {
    case 0: {
        const double s = std::sqrt(pose.progress);
        glPushMatrix();
        glTranslated(3 * s, -2 * s, 5 - 15 * s);
        glRotated(1080 * s, 1, 0, 0);
        glRotated(-1080 * s, 0, 1, 0);
        glRotated(1080 * s, 0, 0, 1);
        glRotated(-30, 0, 1, 0);
        glRotated(135, 1, 0, 0);
        drawModel(a.pTamsel, true, false, false);
        glPopMatrix();
        break;
    }
    case 1:
    case 2: {
        const double m = pose.progress;
        glPushMatrix();
        glTranslated(3, -2, -10);
        glRotated(-30, 0, 1, 0);
        glRotated(-360 * m, 0, 1, 0);
        glRotated(135, 1, 0, 0);
        if (pose.step == 1) {
            drawModelExploded(a.pTamsel, m);
        } else {
            drawModelExploded(a.pZefra, 1 - m);
            if (m == 1) drawModel(a.pZefra, true, false, false);
        }
        glPopMatrix();
        break;
    }
    case 3:
        glPushMatrix();
        glTranslated(3, -2, -10);
        glRotated(-30, 0, 1, 0);
        glRotated(135, 1, 0, 0);
        drawModelExploded(a.pZefra, pose.progress);
        glPopMatrix();
        break;
    default:
        break;
    }
}

void drawWordDisplay() {
    glPushMatrix();
    glDisable(GL_TEXTURE_2D);
    enterDisplayAxis();
    drawBracket("[");
    for (double angle : demoAssets.reelAngles) {
        glTranslated(1, 0, 0);
        glPushMatrix();
        glRotated(angle, 1, 0, 0);
        glColor3d(0.5, 0.5, 1);
        glCallList(demoAssets.glyphRing);
        glPopMatrix();
    }
    glTranslated(1, 0, 0);
    drawBracket("]");
    glPopMatrix();
}

}  // namespace

void drawWordReelScene(double u, double) {
    DemoAssets& a = demoAssets;
    const int title = titleWindowFor(u);
    const double w = title < 0 ? 0.0 : 20 * (u - kTitleWindows[title].start);
    const double sweep = title < 0 ? 0.0 : 0.8 * std::pow(std::sin(kPi * w), 2);
    const bool flashing = u <= kWordReelFlashEnd;

    drawLineRings(u);
    if (flashing) flashPass(wordReelFlash(u));

    beginCapture();
    glTranslated(0, 0, -100);
    glRotated(360 * std::sin(12.566368000000002 * u), 0, 0, 1);
    glDisable(GL_LIGHTING);
    drawModel(a.bback, true, true, true);
    glEnable(GL_LIGHTING);
    endCapture(a.backdropTexture, kScreenWidth, kScreenHeight);

    if (title >= 0) {
        beginCapture();
        enterDisplayAxis();
        for (int i = 0; i < 5; ++i) {
            glTranslated(1, 0, 0);
            glPushMatrix();
            glTranslated(0, 0, -13);
            glTranslated(1, 0, 0);
            glColor3d(1, 0.8, 0.8);
            drawText(demoApp.font, "%s", kTitleWindows[title].word);
            glPopMatrix();
        }
        endCapture(a.glowTexture, kScreenWidth, kScreenHeight);
    }

    glPushMatrix();
    glTranslated(0, 0, -170);
    glDisable(GL_LIGHTING);
    drawModel(a.billm, true, true, false);
    glEnable(GL_LIGHTING);
    glPopMatrix();

    if (title >= 0) sweepingGlow(a.backdropTexture, w, 0.3 * sweep);
    ringsOverlay();
    drawPortraits(u);

    easeWordReels(a.reelAngles, u);
    drawWordDisplay();

    if (title >= 0) sweepingGlow(a.glowTexture, w, sweep);
    if (flashing) flashOverlay();
}
