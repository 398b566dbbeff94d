#include "demo/scenes_opening.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/demo_app.h"     // demoApp.font
#include "app/demo_random.h"  // the subtitle's shake
#include "demo/demo_assets.h"
#include "demo/timeline.h"
#include "render/model_renderer.h"

namespace {

void drawLabel(const char* text) { drawText(demoApp.font, "%s", text); }

}  // namespace

int titleStepFor(double u) {
    if (u <= 0.2) return 0;
    if (u <= 0.4) return 1;
    if (u <= 0.6) return 2;
    return 3;
}

double titleGlowStrength(double v) {
    const double s = std::sin(kPi * v);
    return 0.8 * s * s;
}

CameraPose fogFlightCamera(double u) {
    if (u < 0.5) return {{306 - 614 * u, 270 * u - 191, 67 - 122 * u}, {874 * u - 155, 191, 72}};
    return {{(u - 0.5) * 600 - 330, 125, 26}, {-25, 125, 26}};
}

void drawTitleScene(double u, double) {
    ringBackdrop(u);
    setAlphaBlend(false);

    glColor4d(0.8, 0.8, 1, 1);
    switch (titleStepFor(u)) {
    case 0: {
        const double s = std::sqrt(5 * u);
        glPushMatrix();
        glTranslated(0, 0, -3 * s);
        glRotated(-45 * s, 1, 0, 0);
        drawLabel("Qell");
        glPopMatrix();
        glPushMatrix();
        glTranslated(0, -1, -3 * s);
        glRotated(-45 * s, 1, 0, 0);
        drawLabel("2003");
        glPopMatrix();
        break;
    }
    case 1: {
        const double v = 5 * (u - 0.2);
        glPushMatrix();
        glTranslated(0, 0, -4 * std::sqrt(v));
        glRotated(30 * v, 1, 0, 0);
        drawLabel("DEMO:02");
        glPopMatrix();
        break;
    }
    case 2: {
        const double s = std::sqrt(5 * (u - 0.4));
        glPushMatrix();
        glTranslated(-s, 0, -6 * s);
        glRotated(40 * s, 0, 1, 0);
        drawLabel("presented");
        glPopMatrix();
        glPushMatrix();
        glTranslated(2 * s, 0, -6 * s);
        glRotated(-40 * s, 0, 1, 0);
        drawLabel("by");
        glPopMatrix();
        break;
    }
    default: {
        // The pass clears the screen, so the name and its glow stand on black.
        const double v = 2.5 * (u - 0.6);
        const double a = titleGlowStrength(v);
        const double z = -3 * v - 0.5;
        glColor4d(0.8, 0.8, 1, a);
        beginCapture();
        glTranslated(0, -0.3, z);
        drawLabel("Velkor");
        endCapture(demoAssets.glowTexture, kScreenWidth, kScreenHeight);
        glPushMatrix();
        glTranslated(0, -0.3, z);
        drawLabel("Velkor");
        glPopMatrix();
        glowStack(demoAssets.glowTexture, a);
        break;
    }
    }
}

void drawFogFlightScene(double u, double) {
    drawLineRings(u);

    static const float kFogColour[4] = {1, 1, 1, 0.1f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, kFogColour);
    glFogf(GL_FOG_DENSITY, 0.1f);
    glFogf(GL_FOG_START, 50);
    glFogf(GL_FOG_END, 850);

    const CameraPose camera = fogFlightCamera(u);
    glPushMatrix();
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y,
              camera.centre.z, 0, 1, 0);
    drawModel(demoAssets.city, true, true, false);
    glPopMatrix();

    glDisable(GL_FOG);
    ringsOverlay();

    if (u >= 0.5) {
        resetTextState();
        setAlphaBlend(true);
        glColor4d(0.5, 0.5, 0.8, 2 * (u - 0.5));
        glPushMatrix();
        const int a = demoRand() % 100;
        const int b = demoRand() % 100;
        glTranslated(0.001 * b, 0.001 * a - 0.3, -3);
        drawLabel("the second");
        glPopMatrix();
        glDisable(GL_BLEND);
    }
}
