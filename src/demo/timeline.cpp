#include "demo/timeline.h"

#include <GL/gl.h>

#include "app/demo_app.h"          // swapBuffers of the set-up frame
#include "app/frame_driver.h"      // the scene boundaries
#include "demo/demo_assets.h"
#include "render/draw_variants.h"  // drawLineRings

// Start and end of each scene are the driver's boundaries; the reciprocals of the lengths are the
// show's own stored constants, multiplied, never divided by. Scene 12 has no progress.
const SceneSlot kSchedule[12] = {
    {0.0, kSceneEnds[0], 5.9372349448685334e-05, drawTitleScene},
    {kSceneEnds[0], kSceneEnds[1], 7.360672975814931e-05, drawFogFlightScene},
    {kSceneEnds[1], kSceneEnds[2], 2.7777777777777782e-05, drawWordReelScene},
    {kSceneEnds[2], kSceneEnds[3], 7.29166666666666e-05, drawSkyTubeScene},
    {kSceneEnds[3], kSceneEnds[4], 7.070707070707077e-05, drawSkyDomeScene},
    {kSceneEnds[4], kSceneEnds[5], 0.0006666666666666666, drawSpinZoomScene},
    {kSceneEnds[5], kSceneEnds[6], 3.674540682414697e-05, drawCityFlightScene},
    {kSceneEnds[6], kSceneEnds[7], 3.657262277951935e-05, drawLightCoreScene},
    {kSceneEnds[7], kSceneEnds[8], 3.578732106339466e-05, drawWordCloudScene},
    {kSceneEnds[8], kSceneEnds[9], 3.7037037037037037e-05, drawRecapScene},
    {kSceneEnds[9], kSceneEnds[10], 0.0007777777777777929, drawGreyPictureScene},
    {kSceneEnds[10], kSceneEnds[11], 0.0, drawBlackScene},
};

double sceneProgress(int scene, double t) {
    if (scene < 1 || scene > 11) return 0.0;
    const SceneSlot& slot = kSchedule[scene - 1];
    return (t - slot.start) * slot.inverseLength;
}

void drawScene(int scene, double t) {
    if (scene == 0) {
        glClearColor(0, 0, 0, 0);
        glColor4d(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        demoApp.window.swapBuffers();
        setupDemo();
        return;
    }
    if (scene < 1 || scene > 12) return;
    kSchedule[scene - 1].draw(sceneProgress(scene, t), t);
}

void ringBackdrop(double u) {
    drawLineRings(u);
    ringsOverlay();
}

void ringsOverlay() {
    drawOverlay(demoAssets.ringsTexture, 0, 0, kScreenWidth, kScreenHeight, 0.5, kScreenWidth,
                kScreenHeight, true);
}

namespace {
// The value of the frame's last flash pass. The frame has no alpha planes, so the capture cannot
// carry f in its alpha as the clear colour asks; the overlay weights the white by it instead.
double flashValue = 1.0;
}  // namespace

void flashPass(double f) {
    flashValue = static_cast<float>(f);
    beginCapture();
    glClearColor(1, 1, 1, static_cast<float>(f));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    endCapture(demoAssets.flashTexture, kScreenWidth, kScreenHeight);
}

void flashOverlay() {
    drawOverlay(demoAssets.flashTexture, 0, 0, kScreenWidth, kScreenHeight, flashValue, kScreenWidth,
                kScreenHeight, true);
}

void glowStack(const EffectTexture& texture, double strength) {
    glPushMatrix();
    for (int k = 1; k <= 9; ++k) {
        drawOverlay(texture, -30 * k, -30 * k, kScreenWidth + 60 * k, kScreenHeight + 60 * k,
                    (1 - 0.1 * k) * strength, kScreenWidth, kScreenHeight, true);
    }
    glPopMatrix();
}

void trailOverlays() {
    for (int j = 0; j < 5; ++j) {
        drawOverlay(demoAssets.trailTextures[j], 0, 0, kScreenWidth, kScreenHeight, (4 - j) * 0.06,
                    kScreenWidth, kScreenHeight, true);
    }
}
