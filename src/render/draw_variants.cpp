// The packaged draws of three show models: the feather swarm from two particle tables built at
// set-up, the fly-by over the city and the line rings captured into their texture.
#include "render/draw_variants.h"

#include <GL/gl.h>
#include <GL/glu.h>  // gluLookAt

#include <algorithm>  // std::max
#include <cmath>      // sin, cos, sqrt

#include "app/demo_random.h"        // demoRand
#include "demo/demo_assets.h"       // demoAssets: hane2, city, filter, ringsTexture
#include "effects/screen_effects.h" // beginCapture, endCapture
#include "render/model_renderer.h"  // drawModel, drawModelOutline

ParticleSet particleSets[2];

namespace {

// The show's own angle constants; their small errors are part of the picture.
constexpr double kPi = 3.1415920000000006;
constexpr double kHalfPi = 1.5707960000000003;
constexpr double kThreeHalvesPi = 4.712388000000001;
constexpr double kDegree = 0.01745328888888889;

bool validSet(int set) { return set == 0 || set == 1; }

// The filter model's outline at a designed line width, scaled with the picture. A width past the
// GL's widest line (llvmpipe: 255 pixels, so the 50-pixel ring beyond a scale of 5.1) is drawn as
// copies of the widest line shifted across the band on screen, along x and along y: whichever way
// a line widens, its shifted copies cover the whole band. Blending and the depth test are off, so
// overlapping copies draw the same pixels.
void ringOutline(double designedWidth, float grey) {
    const double width = scaledPixels(designedWidth);
    GLfloat range[2] = {1, 1};
    glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, range);
    if (width <= range[1]) {
        glLineWidth(static_cast<GLfloat>(width));
        drawModelOutline(demoAssets.filter, grey, grey, grey, grey, false);
        return;
    }
    glLineWidth(range[1]);
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const int copies = static_cast<int>(std::ceil(width / range[1]));
    const double reach = (width - range[1]) / 2;  // pixels from the centre line to the outer copies
    for (int axis = 0; axis < 2; ++axis) {
        for (int i = 0; i < copies; ++i) {
            const double shift = -reach + 2 * reach * i / (copies - 1);  // pixels
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glTranslated(axis == 0 ? 2 * shift / view[2] : 0, axis == 1 ? 2 * shift / view[3] : 0, 0);
            glMultMatrixd(projection);
            glMatrixMode(GL_MODELVIEW);
            drawModelOutline(demoAssets.filter, grey, grey, grey, grey, false);
        }
    }
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
}

// Start points on the circle of radius 10 in the XY plane; drift -25..24, spin -1440..1439.
void buildRing(ParticleSet& p) {
    for (int i = 0; i < kParticleCount; ++i) {
        const int a = demoRand() % 360;
        p.start[i].x = 10 * std::cos(a * kDegree);
        p.start[i].y = std::sqrt(std::max(0.0, 100 - p.start[i].x * p.start[i].x));
        if (demoRand() % 2 == 0) p.start[i].y = -p.start[i].y;
        p.start[i].z = 0;
        p.drift[i].x = demoRand() % 50 - 25;
        p.drift[i].y = demoRand() % 50 - 25;
        p.drift[i].z = demoRand() % 50 - 25;
        p.spin[i].x = demoRand() % 2880 - 1440;
        p.spin[i].y = demoRand() % 2880 - 1440;
        p.spin[i].z = demoRand() % 2880 - 1440;
    }
}

// A band at y = -1, x from -30 to 30, z from -50 to 9, rising (drift.y 0..49); spin -720..719.
void buildBand(ParticleSet& p) {
    for (int i = 0; i < kParticleCount; ++i) {
        const int a = demoRand() % 360;
        p.start[i].x = 30 * std::sin(a * kDegree);
        p.start[i].y = -1.0;
        p.start[i].z = demoRand() % 60 - 50;
        p.drift[i].x = demoRand() % 50 - 25;
        p.drift[i].y = demoRand() % 50;
        p.drift[i].z = demoRand() % 50 - 25;
        p.spin[i].x = demoRand() % 1440 - 720;
        p.spin[i].y = demoRand() % 1440 - 720;
        p.spin[i].z = demoRand() % 1440 - 720;
    }
}

// Negative progress would have no square root; it stands still at the start.
double travelOf(double t) { return std::sqrt(std::max(t, 0.0)); }

}  // namespace

void buildParticleSet(int set) {
    if (set == 0) buildRing(particleSets[0]);
    if (set == 1) buildBand(particleSets[1]);
}

Vec3d particlePosition(int set, int i, double t) {
    if (!validSet(set) || i < 0 || i >= kParticleCount) return {};
    const ParticleSet& p = particleSets[set];
    const double s = travelOf(t);
    return {s * p.drift[i].x + p.start[i].x, s * p.drift[i].y + p.start[i].y,
            s * p.drift[i].z + p.start[i].z};
}

void drawParticleSwarm(int set, double t) {
    if (!validSet(set)) return;
    const ParticleSet& p = particleSets[set];
    const double s = travelOf(t);
    for (int i = 0; i < kParticleCount; ++i) {
        glPushMatrix();
        glTranslated(s * p.drift[i].x + p.start[i].x, s * p.drift[i].y + p.start[i].y,
                     s * p.drift[i].z + p.start[i].z);
        glRotated(t * p.spin[i].x, 1, 0, 0);
        glRotated(t * p.spin[i].y, 0, 1, 0);
        glRotated(t * p.spin[i].z, 0, 0, 1);
        drawModel(demoAssets.hane2, true, true, true);
        glPopMatrix();
    }
}

CameraPose cityFlybyCamera(double t) {
    const double a = t * kPi;
    const double sinA = std::sin(a);
    const double b = kHalfPi * sinA * sinA;
    CameraPose pose;
    pose.eye = {300 * std::cos(b) + 250, 400 * std::sin(t * kThreeHalvesPi) + 300,
                300 * std::sin(b) + 200};
    pose.centre = {250 * std::cos(a), 600 * std::cos(t * kHalfPi), 200 * std::cos(a)};
    return pose;
}

void drawCityFlyby(double t) {
    const CameraPose pose = cityFlybyCamera(t);
    glPushMatrix();
    gluLookAt(pose.eye.x, pose.eye.y, pose.eye.z, pose.centre.x, pose.centre.y, pose.centre.z, 0, 1,
              0);
    if (t > 0.5) glRotated((t - 0.5) * 540, 0, 1, 0);
    drawModel(demoAssets.city, true, true, false);
    glPopMatrix();
}

void drawLineRings(double t) {
    beginCapture();
    glTranslated(0, 0, -85);
    const double a = t * 3600;
    glRotated(a, 1, 0, 0);
    ringOutline(3, 0.4f);
    glRotated(-2 * a, 1, 0, 0);
    ringOutline(50, 0.2f);
    glRotated(-1.5 * a, 1, 0, 0);
    ringOutline(5, 0.4f);
    glLineWidth(static_cast<GLfloat>(scaledPixels(1)));
    endCapture(demoAssets.ringsTexture, 800, 600);
}
