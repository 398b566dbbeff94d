// Scenes 4 to 7: the sky tube with its cloud rings and feather swarm, the sky dome played twice,
// the spinning zoom of the dome, and the flight over the city.
#include <GL/gl.h>   // matrices, enables
#include <GL/glu.h>  // gluLookAt

#include "app/outline_font.h"  // resetTextState
#include "demo/demo_assets.h"
#include "demo/scene_sky_city.h"
#include "demo/timeline.h"
#include "effects/screen_effects.h"
#include "render/model_renderer.h"
#include "render/draw_variants.h"

namespace {

void drawUnlit(const MqoModel& model) {
    glDisable(GL_LIGHTING);
    drawModel(model, true, true, false);
    glEnable(GL_LIGHTING);
}

void lookAlongCityPath(double v) {
    const CameraPose pose = cityPathCamera(v);
    gluLookAt(pose.eye.x, pose.eye.y, pose.eye.z, pose.centre.x, pose.centre.y, pose.centre.z, 0,
              1, 0);
}

}  // namespace

void drawSkyTubeScene(double u, double /*t*/) {
    const SkyTubeTurn turn = skyTubeTurn(u);
    const double swarmZ = 10 * u - 15;
    const bool flash = u <= kSkyTubeFlashEnd;
    if (flash) flashPass(skyTubeFlash(u));

    trailPasses(u, kSkyTubeTrailStep, [&](double d, const EffectTexture& texture) {
        glPushMatrix();
        beginCapture();
        glRotated(turn.ry, 0, 1, 0);
        glRotated(turn.rx, 1, 0, 0);
        glTranslated(0, 0, swarmZ);
        drawParticleSwarm(0, d);
        endCapture(texture, kScreenWidth, kScreenHeight);
        glPopMatrix();
    });

    // The camera turn stays for the rest of the frame; the overlays end it with an identity.
    glRotated(turn.ry, 0, 1, 0);
    glRotated(turn.rx, 1, 0, 0);

    glPushMatrix();
    glTranslated(0, 0, 5000 * u - 3000);
    drawUnlit(demoAssets.skytube);
    glPopMatrix();

    // Turned back by the negated angles in the same order, which sways the rings against the tube.
    glPushMatrix();
    glRotated(-turn.ry, 0, 1, 0);
    glRotated(-turn.rx, 1, 0, 0);
    glTranslated(0, 0, 3000 * u);
    for (int ring = 0; ring < 30; ++ring) {
        glTranslated(0, 0, -200);
        glRotated(60, 0, 0, 1);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        drawModel(demoAssets.cloud, true, true, false);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
    }
    glPopMatrix();

    glPushMatrix();
    glTranslated(0, 0, swarmZ);
    drawParticleSwarm(0, u);
    glPopMatrix();

    trailOverlays();
    if (flash) flashOverlay();
}

void drawSkyDomeScene(double u, double /*t*/) {
    const SkyDomeFold fold = skyDomeFold(u);
    const SkyDomeTurn turn = skyDomeTurn(fold.p);
    const bool flash = fold.p <= kSkyDomeFlashEnd;
    const bool trails = fold.p < kSkyDomeTrailEnd;
    auto placeDome = [&] {
        glTranslated(0, -5, 0);
        glRotated(turn.rx, 1, 0, 0);
        glRotated(turn.ry, 0, fold.direction, 0);
    };
    if (flash) flashPass(skyDomeFlash(fold.p));

    if (trails) {
        trailPasses(fold.p, kSkyDomeTrailStep, [&](double e, const EffectTexture& texture) {
            glPushMatrix();
            beginCapture();
            placeDome();
            drawParticleSwarm(1, e);
            endCapture(texture, kScreenWidth, kScreenHeight);
            glPopMatrix();
        });
    }

    glPushMatrix();
    placeDome();
    drawUnlit(demoAssets.sky);
    drawParticleSwarm(1, fold.p);
    glPopMatrix();

    if (trails) trailOverlays();
    if (flash) flashOverlay();
}

void drawSpinZoomScene(double u, double t) {
    // Every pass of the frame comes before what is seen, so the flash's capture comes first too.
    const bool flash = u >= kSpinZoomFlashStart;
    if (flash) flashPass(spinZoomFlash(u));

    resetTextState();
    // The dome past its end: its second half at p above 1, which makes no passes of its own.
    beginCapture();
    glRotated(-720 * u, 0, 0, 1);
    drawScene(5, t);
    endCapture(demoAssets.glowTexture, kScreenWidth, kScreenHeight);

    const ScreenRect r = spinZoomRect(u);
    drawOverlay(demoAssets.glowTexture, r.left, r.top, r.width, r.height, 1.0, kScreenWidth,
                kScreenHeight, true);
    if (flash) flashOverlay();
}

void drawCityFlightScene(double u, double /*t*/) {
    const bool flash = u >= kCityFlashStart;
    if (flash) flashPass(cityFlash(u));

    if (!cityFlightHasTrails(u)) {
        // Second half: the camera path, with the city glowing.
        const double v = 2 * (u - 0.5);
        beginCapture();
        glPushMatrix();
        lookAlongCityPath(v);
        drawModel(demoAssets.city, true, true, false);
        glPopMatrix();
        endCapture(demoAssets.glowTexture, kScreenWidth, kScreenHeight);

        glPushMatrix();
        lookAlongCityPath(v);
        drawModel(demoAssets.city, true, true, false);
        glPopMatrix();

        glPushMatrix();
        glowStack(demoAssets.glowTexture, 0.25);
        glPopMatrix();
    } else {
        // First half: the fly-by, with trails.
        const double p = 2 * u;
        trailPasses(p, kCityTrailStep, [](double d, const EffectTexture& texture) {
            beginCapture();
            drawCityFlyby(d);
            endCapture(texture, kScreenWidth, kScreenHeight);
        });
        drawCityFlyby(p);
        trailOverlays();
    }

    if (flash) flashOverlay();
}
