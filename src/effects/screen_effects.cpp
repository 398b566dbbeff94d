// Screen effects: picture captures into square textures and their overlay as one screen quad.
#include "effects/screen_effects.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "platform/headless_gl.h"  // glContextCurrent

namespace {
EffectsTarget target;

// The process-wide textures are destroyed at exit, after the window has released its context:
// their names went with it, and GL must not be called without a context.
bool contextIsCurrent() { return platform::glContextCurrent(); }
}  // namespace

void setEffectsTarget(const EffectsTarget& t) { target = t; }
const EffectsTarget& effectsTarget() { return target; }
double scaledPixels(double designed) { return designed * target.scale; }

EffectTexture::~EffectTexture() {
    if (name && contextIsCurrent()) glDeleteTextures(1, &name);
}

void createEffectTexture(EffectTexture& texture) {
    if (texture.name) deleteEffectTexture(texture);
    const int size = target.captureSize;
    std::vector<unsigned char> image(size_t(size) * size * 4, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.name = name;
}

// Deletes the name and forgets it, so that the destructor cannot delete a name reused since.
void deleteEffectTexture(EffectTexture& texture) {
    if (!texture.name) return;
    glDeleteTextures(1, &texture.name);
    texture.name = 0;
}

void beginCapture() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, target.captureSize, target.captureSize);
}

void endCapture(const EffectTexture& texture, int width, int height) {
    const int size = target.captureSize;
    if (target.resolveCapture) target.resolveCapture(size);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, size, size, 0);
    if (target.endResolve) target.endResolve();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, static_cast<int>(std::lround(scaledPixels(width))),
               static_cast<int>(std::lround(scaledPixels(height))));
    glLoadIdentity();
    glPopAttrib();
}

void beginOverlay2D(int screenWidth, int screenHeight) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, screenWidth, screenHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endOverlay2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glLoadIdentity();
}

void drawOverlay(const EffectTexture& texture, int left, int top, int width, int height, double opacity,
                 int screenWidth, int screenHeight, bool additive) {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (additive)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, texture.name);

    beginOverlay2D(screenWidth, screenHeight);
    glBegin(GL_QUADS);
    glColor4d(1, 1, 1, opacity);
    glTexCoord2d(0, 1);
    glVertex2i(left, top);
    glTexCoord2d(0, 0);
    glVertex2i(left, top + height);
    glTexCoord2d(1, 0);
    glVertex2i(left + width, top + height);
    glTexCoord2d(1, 1);
    glVertex2i(left + width, top);
    glEnd();
    endOverlay2D();

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_LIGHTING);
}

void setAlphaBlend(bool on) {
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}
