// Small scenes, one per fixed-function feature the show draws with, built twice from this one
// source: natively against Mesa (headless EGL), writing DIR/<scene>.png, and with emcc against the
// web layer, where the page calls drawFeatureScene(i) and reads the canvas back. The two pictures
// of each scene are compared by gl_feature_test.sh.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/glyph_extrusion.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr double kPi = 3.14159265358979323846;

void perspective(double fovy = 60, double zNear = 1, double zFar = 100) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, double(kWidth) / kHeight, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The show's light: positional, half ambient, colour material.
void showLight(const float position[4]) {
    const float ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
}

// Resets what a scene may have changed, so each starts from GL's defaults.
void resetState() {
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_FOG, GL_TEXTURE_2D, GL_BLEND, GL_ALPHA_TEST,
                       GL_DEPTH_TEST, GL_CULL_FACE})
        glDisable(cap);
    glBlendFunc(GL_ONE, GL_ZERO);
    glAlphaFunc(GL_ALWAYS, 0);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glLineWidth(1);
    glColor4f(1, 1, 1, 1);
    glNormal3f(0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void sphere(double radius, int slices, int stacks) {
    for (int i = 0; i < stacks; ++i) {
        const double a0 = kPi * i / stacks - kPi / 2, a1 = kPi * (i + 1) / stacks - kPi / 2;
        glColor3d(0.3 + 0.7 * i / stacks, 0.8 - 0.5 * i / stacks, 0.6);
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= slices; ++j) {
            const double b = 2 * kPi * j / slices;
            for (double a : {a1, a0}) {
                const double x = std::cos(a) * std::cos(b), y = std::sin(a), z = std::cos(a) * std::sin(b);
                glNormal3d(x, y, z);
                glVertex3d(radius * x, radius * y, radius * z);
            }
        }
        glEnd();
    }
}

// A cube of quads without normals: it lights with whatever normal is current.
void bareCube(double s) {
    const double v[8][3] = {{-s, -s, -s}, {s, -s, -s}, {s, s, -s}, {-s, s, -s},
                            {-s, -s, s},  {s, -s, s},  {s, s, s},  {-s, s, s}};
    const int faces[6][4] = {{4, 5, 6, 7}, {1, 0, 3, 2}, {5, 1, 2, 6}, {0, 4, 7, 3}, {7, 6, 2, 3}, {0, 1, 5, 4}};
    glBegin(GL_QUADS);
    for (const auto& f : faces)
        for (int k : f) glVertex3dv(v[k]);
    glEnd();
}

// ---- the scenes ----

void litSphere() {
    perspective();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    const float position[] = {-3.0f, 4.0f, 2.0f, 1.0f};
    showLight(position);
    glTranslated(-1.2, 0, -5);
    sphere(1.3, 24, 16);
    glTranslated(2.7, 0.3, 0);
    glRotated(30, 1, 1, 0);
    glColor3d(0.9, 0.6, 0.2);
    bareCube(0.7);  // lit with the sphere's last normal
}

void fog() {
    perspective(60, 1, 200);
    glEnable(GL_DEPTH_TEST);
    const float colour[] = {0.5f, 0.6f, 0.8f, 1.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, colour);
    glFogf(GL_FOG_DENSITY, 0.1f);
    glFogf(GL_FOG_START, 5);
    glFogf(GL_FOG_END, 60);
    for (int i = 0; i < 12; ++i) {
        glPushMatrix();
        glTranslated(i % 2 ? 2.5 : -2.5, -1, -4 - 6.0 * i);
        glColor3d(1, 0.3 + 0.05 * i, 0.2);
        glBegin(GL_QUADS);
        glVertex3d(-1.5, -1, 0);
        glVertex3d(1.5, -1, 0);
        glVertex3d(1.5, 2, 0);
        glVertex3d(-1.5, 2, 0);
        glEnd();
        glPopMatrix();
    }
    const float position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    showLight(position);
    glTranslated(0, -0.5, -25);
    sphere(4, 20, 12);
}

GLuint checkerTexture(int size, bool alpha, int internal) {
    std::vector<unsigned char> pixels(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            unsigned char* p = &pixels[(size_t(y) * size + x) * 4];
            const bool on = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = on ? 255 : 40;
            p[1] = static_cast<unsigned char>(x * 255 / (size - 1));
            p[2] = static_cast<unsigned char>(y * 255 / (size - 1));
            p[3] = alpha ? static_cast<unsigned char>((x + y) * 255 / (2 * size - 2)) : 255;
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internal, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return name;
}

void texturedQuad(GLuint texture, double x, double y, double w, double h, float r, float g, float b, float a) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2d(x, y);
    glTexCoord2f(1, 0);
    glVertex2d(x + w, y);
    glTexCoord2f(1, 1);
    glVertex2d(x + w, y + h);
    glTexCoord2f(0, 1);
    glVertex2d(x, y + h);
    glEnd();
}

void textures() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.1f, 0.2f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLuint rgba = checkerTexture(64, true, 4);
    const GLuint rgb = checkerTexture(32, false, 3);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    texturedQuad(rgba, 10, 10, 140, 105, 1, 1, 1, 1);
    texturedQuad(rgba, 170, 10, 140, 105, 0.5f, 1, 0.8f, 0.7f);
    texturedQuad(rgb, 10, 125, 140, 105, 1, 0.6f, 0.6f, 1);
    // A picture of a size the GL would not take before 2.0, scaled as the texture loader does.
    std::vector<unsigned char> odd(50 * 30 * 4), scaled(64 * 32 * 4);
    for (int i = 0; i < 50 * 30; ++i) {
        odd[size_t(i) * 4 + 0] = static_cast<unsigned char>((i % 50) * 5);
        odd[size_t(i) * 4 + 1] = static_cast<unsigned char>((i / 50) * 8);
        odd[size_t(i) * 4 + 2] = (i % 7) ? 200 : 0;
        odd[size_t(i) * 4 + 3] = 255;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gluScaleImage(GL_RGBA, 50, 30, GL_UNSIGNED_BYTE, odd.data(), 64, 32, GL_UNSIGNED_BYTE, scaled.data());
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, scaled.data());
    texturedQuad(name, 170, 125, 140, 105, 1, 1, 1, 1);
    glDeleteTextures(1, &name);
    glDeleteTextures(1, &rgba);
    glDeleteTextures(1, &rgb);
}

void gradientQuad(double x, double y, double w, double h) {
    glBegin(GL_QUADS);
    glColor4d(1, 0.2, 0.2, 0.0);
    glVertex2d(x, y);
    glColor4d(0.2, 1, 0.2, 1.0);
    glVertex2d(x + w, y);
    glColor4d(0.2, 0.2, 1, 0.8);
    glVertex2d(x + w, y + h);
    glColor4d(1, 1, 0.2, 0.3);
    glVertex2d(x, y + h);
    glEnd();
}

void alphaTest() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    gradientQuad(10, 10, 140, 220);
    glAlphaFunc(GL_GREATER, 0.01f);  // the show's materials
    gradientQuad(170, 10, 140, 100);
    glAlphaFunc(GL_LESS, 0.4f);
    gradientQuad(170, 130, 140, 100);
}

void blending() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.2f, 0.2f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int i = 0; i < 3; ++i) {
        glColor4d(i == 0, i == 1, i == 2, 0.5);
        glBegin(GL_TRIANGLES);
        glVertex2d(20 + 40 * i, 20);
        glVertex2d(140 + 40 * i, 20);
        glVertex2d(80 + 40 * i, 200);
        glEnd();
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // the overlays' additive blend
    for (int i = 0; i < 3; ++i) {
        glColor4d(0.6, 0.4 * i, 0.3, 0.6);
        glBegin(GL_TRIANGLES);
        glVertex2d(170 + 30 * i, 30 + 20 * i);
        glVertex2d(300, 40 + 50 * i);
        glVertex2d(200 + 20 * i, 220);
        glEnd();
    }
}

void primitives() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_CULL_FACE);
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= 4; ++i) {
        glColor3d(1, 0.25 * i, 0.2);
        glVertex2d(10 + 30 * i, 60 + 10 * (i % 2));
        glColor3d(0.2 * i, 1 - 0.2 * i, 0.5);
        glVertex2d(10 + 30 * i, 10);
    }
    glEnd();
    glBegin(GL_POLYGON);
    for (int i = 0; i < 7; ++i) {
        const double a = 2 * kPi * i / 7;
        glColor3d(0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a), 0.3);
        glVertex2d(230 + 60 * std::cos(a), 50 + 40 * std::sin(a));
    }
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glColor3d(1, 1, 1);
    glVertex2d(60, 150);
    for (int i = 0; i <= 6; ++i) {
        const double a = kPi * i / 6;
        glColor3d(i % 2, 0.5, 1 - (i % 2));
        glVertex2d(60 + 50 * std::cos(a), 150 + 50 * std::sin(a));
    }
    glEnd();
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 8; ++i) {
        glColor3d(0.1 * i, 0.8, 0.1 * (8 - i));
        glVertex2d(130 + 20 * i, 140 - 40 * (i % 2));
    }
    glEnd();
    // Wound clockwise: culled, unless the front face says clockwise.
    glBegin(GL_TRIANGLES);
    glColor3d(1, 0, 0);
    glVertex2d(130, 220);
    glVertex2d(160, 170);
    glVertex2d(100, 170);
    glEnd();
    glFrontFace(GL_CW);
    glBegin(GL_TRIANGLES);
    glColor3d(0, 1, 1);
    glVertex2d(200, 230);
    glVertex2d(230, 180);
    glVertex2d(170, 180);
    glEnd();
    glFrontFace(GL_CCW);
    glColor3d(1, 1, 0);
    glBegin(GL_LINES);
    glVertex2d(250.5, 160.5);
    glVertex2d(310.5, 230.5);
    glVertex2d(250.5, 230.5);
    glVertex2d(310.5, 165.5);
    glEnd();
    glColor3d(0.5, 1, 0.5);
    glBegin(GL_LINE_STRIP);
    glVertex2d(10.5, 230.5);
    glVertex2d(40.5, 200.5);
    glVertex2d(70.5, 228.5);
    glEnd();
    glBegin(GL_POINTS);
    for (int i = 0; i < 10; ++i) glVertex2d(240.5 + 6 * i, 110.5);
    glEnd();
    glColor3d(0.3, 0.3, 0.9);
    glRecti(250, 120, 300, 140);
}

// A list that draws with the current colour, moves the matrix itself and calls another list.
void displayLists() {
    perspective();
    glEnable(GL_DEPTH_TEST);
    const float position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    showLight(position);
    const GLuint base = glGenLists(3);
    glNewList(base, GL_COMPILE);  // a wedge with normals, no colour, then one step along x
    glBegin(GL_TRIANGLES);
    glNormal3d(0, 0, 1);
    glVertex3d(0, 0, 0);
    glVertex3d(0.8, 0, 0);
    glVertex3d(0.4, 0.9, 0);
    glEnd();
    glBegin(GL_QUADS);
    glNormal3d(0.9, 0.4, 0);
    glVertex3d(0.8, 0, 0);
    glVertex3d(0.8, 0, -0.3);
    glVertex3d(0.4, 0.9, -0.3);
    glVertex3d(0.4, 0.9, 0);
    glEnd();
    glTranslatef(1.0f, 0, 0);
    glEndList();
    glNewList(base + 1, GL_COMPILE);  // a coloured square that pushes, turns and calls the wedge
    glPushMatrix();
    glRotated(25, 0, 0, 1);
    glCallList(base);
    glPopMatrix();
    glColor3d(0.2, 0.9, 0.3);
    glBegin(GL_QUADS);
    glVertex3d(0, -0.4, 0);
    glVertex3d(0.6, -0.4, 0);
    glVertex3d(0.6, -0.1, 0);
    glVertex3d(0, -0.1, 0);
    glEnd();
    glEndList();
    glTranslated(-3.5, 1.2, -6);
    for (int i = 0; i < 3; ++i) {
        glColor3d(1, 0.3 * i, 0.8 - 0.3 * i);
        glCallList(base);  // each call moves on by one
    }
    glCallList(base + 1);
    glColor3d(0.6, 0.6, 1);
    glCallList(base);  // the square set green: the wedge draws in the colour set last
    glLoadIdentity();
    glTranslated(-3, -1.5, -6);
    const unsigned char text[] = {0, 1, 0, 0, 1};
    glListBase(base);
    glColor3d(1, 1, 0.4);
    glCallLists(5, GL_UNSIGNED_BYTE, text);
    glListBase(0);
    // As the glyph ring: a list that calls lists through its own list base, saved and restored.
    glNewList(base + 2, GL_COMPILE);
    glPushMatrix();
    for (int i = 0; i < 6; ++i) {
        glPushMatrix();
        glTranslated(0, 0, -1.5);
        glPushAttrib(GL_LIST_BIT);
        glListBase(base);
        const unsigned char one[] = {0};
        glCallLists(1, GL_UNSIGNED_BYTE, one);
        glPopAttrib();
        glPopMatrix();
        glRotated(60, 1, 0, 0);
    }
    glPopMatrix();
    glEndList();
    glLoadIdentity();
    glTranslated(2.2, 0.2, -6);
    glRotated(20, 0, 1, 0);
    glColor3d(0.5, 0.5, 1);
    glCallList(base + 2);
    // The last normal the wedge list set stays current: this quad lights with it.
    glColor3d(1, 0.5, 0.5);
    glBegin(GL_QUADS);
    glVertex3d(1.2, 1.2, 0);
    glVertex3d(2.0, 1.2, 0);
    glVertex3d(2.0, 2.0, 0);
    glVertex3d(1.2, 2.0, 0);
    glEnd();
    glDeleteLists(base, 3);
}

// The show's rings: outlines of growing width in perspective, depth test off.
void wideLines() {
    perspective(60, 1, 1000);
    glDisable(GL_DEPTH_TEST);
    const double widths[] = {1, 3, 5, 20, 50};
    for (int k = 0; k < 5; ++k) {
        glPushMatrix();
        glTranslated(-4 + 2.0 * k, k % 2 ? 1.2 : -1.2, -8);
        glRotated(20 + 15 * k, 1, 0, 0);
        glRotated(10 * k, 0, 1, 0);
        glLineWidth(static_cast<GLfloat>(widths[k]));
        const double grey = 0.3 + 0.15 * k;
        glColor4d(grey, grey, grey, grey);
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * kPi * i / 16;
            glVertex3d(std::cos(a), std::sin(a), 0);
        }
        glEnd();
        glPopMatrix();
    }
    glLineWidth(1);
}

// The screen effects' capture: a corner drawn, copied into a texture, cleared, overlaid.
void copyTexImage() {
    perspective();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<unsigned char> blank(128 * 128 * 4, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 128, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE, blank.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, 128, 128);
    glEnable(GL_DEPTH_TEST);
    const float position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    showLight(position);
    glTranslated(0, 0, -4);
    sphere(1.5, 16, 10);
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 128, 128, 0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, kWidth, kHeight);
    glLoadIdentity();
    glPopAttrib();
    // Lighting, depth test and binding are back to what they were before the capture.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (int i = 0; i < 3; ++i) {
        glBegin(GL_QUADS);
        glColor4d(1, 1, 1, 0.4 + 0.3 * i);
        glTexCoord2d(0, 1);
        glVertex2i(10 + 60 * i, 10 + 30 * i);
        glTexCoord2d(0, 0);
        glVertex2i(10 + 60 * i, 170 + 30 * i);
        glTexCoord2d(1, 0);
        glVertex2i(170 + 60 * i, 170 + 30 * i);
        glTexCoord2d(1, 1);
        glVertex2i(170 + 60 * i, 10 + 30 * i);
        glEnd();
    }
    glDeleteTextures(1, &texture);
}

// Glyph-like outlines filled by the tessellator and extruded, compiled into lists as the font is.
void glyphMeshes() {
    using platform::OutlinePoint;
    perspective();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    const float position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    showLight(position);
    platform::GlyphExtruder extruder;
    const GLuint base = glGenLists(3);
    for (int g = 0; g < 3; ++g) {
        platform::OutlineFlattener f;
        if (g == 0) {  // a ring: outer contour and a hole, curves both
            f.moveTo({0.5, 0.0});
            f.conicTo({1.0, 0.0}, {1.0, 0.5});
            f.conicTo({1.0, 1.0}, {0.5, 1.0});
            f.conicTo({0.0, 1.0}, {0.0, 0.5});
            f.conicTo({0.0, 0.0}, {0.5, 0.0});
            f.moveTo({0.5, 0.2});
            f.conicTo({0.2, 0.2}, {0.2, 0.5});
            f.conicTo({0.2, 0.8}, {0.5, 0.8});
            f.conicTo({0.8, 0.8}, {0.8, 0.5});
            f.conicTo({0.8, 0.2}, {0.5, 0.2});
        } else if (g == 1) {  // an L, concave
            f.moveTo({0.1, 0.0});
            f.lineTo({0.1, 1.0});
            f.lineTo({0.3, 1.0});
            f.lineTo({0.3, 0.2});
            f.lineTo({0.8, 0.2});
            f.lineTo({0.8, 0.0});
        } else {  // an S-like band of cubics
            f.moveTo({0.1, 0.1});
            f.cubicTo({0.9, 0.0}, {0.9, 0.5}, {0.5, 0.5});
            f.cubicTo({0.1, 0.5}, {0.1, 1.0}, {0.9, 0.9});
            f.lineTo({0.9, 0.75});
            f.cubicTo({0.3, 0.85}, {0.3, 0.6}, {0.5, 0.62});
            f.cubicTo({1.1, 0.62}, {1.1, -0.1}, {0.1, -0.05});
        }
        platform::GlyphMesh mesh;
        platform::GlyphMetrics metrics;
        mesh.present = true;
        extruder.extrude(f.contours(), g != 1, 0.2, mesh, metrics);
        metrics.cellIncX = 1.1f;
        glNewList(base + GLuint(g), GL_COMPILE);
        platform::emitGlyphMesh(mesh, metrics);
        glEndList();
    }
    glTranslated(-1.6, -0.3, -3.2);
    glRotated(-25, 0, 1, 0);
    glRotated(15, 1, 0, 0);
    const unsigned char word[] = {0, 1, 2};
    glColor3d(0.5, 0.5, 1);
    glListBase(base);
    glCallLists(3, GL_UNSIGNED_BYTE, word);
    glListBase(0);
    glDeleteLists(base, 3);
}

// Matrix stacks through gluLookAt and gluPerspective, loads, multiplies and scales, then an
// orthographic overlay on the projection stack.
void matrixStacks() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, double(kWidth) / kHeight, 0.5, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(6, 5, 9, 0, 0.5, 0, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    const float position[] = {0.0f, 50.0f, 50.0f, 1.0f};
    showLight(position);
    glNormal3d(0.3, 0.9, 0.3);
    for (int i = 0; i < 5; ++i) {
        glPushMatrix();
        glRotated(72.0 * i, 0, 1, 0);
        glTranslated(3, 0, 0);
        glScaled(0.6, 1 + 0.3 * i, 0.6);
        glColor3d(0.2 + 0.2 * i, 0.9 - 0.15 * i, 0.4);
        bareCube(0.8);
        glPopMatrix();
    }
    GLdouble saved[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, saved);
    const GLdouble shear[16] = {1, 0, 0, 0, 0.5, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glMultMatrixd(shear);
    glColor3d(1, 1, 1);
    bareCube(0.7);
    glLoadMatrixd(saved);
    glTranslated(0, 2.4, 0);
    glColor3d(0.9, 0.3, 0.9);
    bareCube(0.4);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glColor3d(0, 0, 0);
    glRecti(0, 0, kWidth, 20);
    glColor3d(1, 1, 0.7);
    glRecti(10, 5, 100, 15);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// Polygons drawn as their outlines (glPolygonMode GL_LINE): quads show their four edges, no diagonal.
void polygonOutlines() {
    perspective();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(2);
    glTranslated(-1.5, 0, -5);
    glRotated(30, 1, 0, 0);
    glColor3d(0.9, 0.9, 0.3);
    bareCube(0.8);
    glLoadIdentity();
    glTranslated(1.6, 0, -5);
    glBegin(GL_TRIANGLE_FAN);
    glColor3d(0.3, 0.9, 0.9);
    glVertex3d(0, 0, 0);
    for (int i = 0; i <= 5; ++i) {
        const double a = kPi * i / 5;
        glColor3d(1, 0.2 * i, 0.5);
        glVertex3d(std::cos(a), std::sin(a), 0);
    }
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1);
}

struct Scene {
    const char* name;
    void (*draw)();
};

const Scene scenes[] = {
    {"lit_sphere", litSphere},          {"fog", fog},
    {"texture_modulate", textures},     {"alpha_test", alphaTest},
    {"blending", blending},             {"primitives", primitives},
    {"display_lists", displayLists},    {"wide_lines", wideLines},
    {"copy_tex_image", copyTexImage},   {"glyph_meshes", glyphMeshes},
    {"matrix_stacks", matrixStacks},   {"polygon_outlines", polygonOutlines},
};
constexpr int kSceneCount = sizeof scenes / sizeof scenes[0];

void drawScene(int i) {
    resetState();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scenes[i].draw();
    glFinish();
}

}  // namespace

// The font backend is not part of these scenes; the glyph source links against this.
namespace platform {
bool buildGlyphMeshes(const char*, bool, unsigned, unsigned, float, GlyphMesh*, GlyphMetrics*, double) {
    return false;
}
}  // namespace platform

#ifdef __EMSCRIPTEN__
// ---- the web build: the page calls these ----
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "platform/web/gl/fixed_function.h"

extern "C" {

EMSCRIPTEN_KEEPALIVE int featureSceneCount() { return kSceneCount; }
EMSCRIPTEN_KEEPALIVE const char* featureSceneName(int i) { return i >= 0 && i < kSceneCount ? scenes[i].name : ""; }

// Draws scene i twice, presenting each, so that the canvas shows the second picture: drawn from
// the buffers the layer keeps for batches it has seen. 0 on success, else the GL error left.
EMSCRIPTEN_KEEPALIVE int drawFeatureScene(int i) {
    if (i < 0 || i >= kSceneCount) return -1;
    while (glGetError() != GL_NO_ERROR) {}
    int error = 0;
    for (int pass = 0; pass < 2; ++pass) {
        drawScene(i);
        if (!error) error = int(glGetError());
        webgl::presentFrame();
    }
    return error;
}

}  // extern "C"

int main() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.alpha = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = true;  // the page reads the canvas after the frame
    emscripten_set_canvas_element_size("#canvas", kWidth, kHeight);
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    std::string error;
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !webgl::initialise(&error)) {
        std::printf("gl-feature-scenes: no WebGL 2 context %s\n", error.c_str());
        return 1;
    }
    std::printf("gl-feature-scenes: ready\n");
    emscripten_exit_with_live_runtime();  // the page calls in after main: keep the runtime
    return 0;
}

#else
// ---- the native build: Mesa through surfaceless EGL, PNGs into a directory ----
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <png.h>

namespace {

bool createContext(std::string& error) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = getPlatformDisplay
                             ? getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                             : EGL_NO_DISPLAY;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        error = "no surfaceless EGL display";
        return false;
    }
    // The show's pixel format: RGB8 without alpha planes, a 16-bit depth buffer.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                       EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0, EGL_DEPTH_SIZE, 16,
                                       EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    EGLConfig config = nullptr;
    eglChooseConfig(display, configAttributes, configs, 64, &count);
    for (EGLint i = 0; i < count && !config; ++i) {
        EGLint a = -1, d = 0;
        eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &a);
        eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &d);
        if (a == 0 && d == 16) config = configs[i];
    }
    if (!config) {
        error = "no RGB8 config with a 16-bit depth buffer";
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, kWidth, EGL_HEIGHT, kHeight, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface, surface, context)) {
        error = "no GL context";
        return false;
    }
    return true;
}

bool writePng(const std::string& path, const std::vector<unsigned char>& rgb) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = kHeight - 1; y >= 0; --y) png_write_row(png, &rgb[size_t(y) * kWidth * 3]);  // GL rows run upwards
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gl_feature_scenes OUTPUT_DIR\n");
        return 2;
    }
    std::string error;
    if (!createContext(error)) {
        std::fprintf(stderr, "gl_feature_scenes: %s\n", error.c_str());
        return 1;
    }
    int failures = 0;
    for (int i = 0; i < kSceneCount; ++i) {
        while (glGetError() != GL_NO_ERROR) {}
        drawScene(i);
        if (const GLenum e = glGetError(); e != GL_NO_ERROR) {
            std::fprintf(stderr, "gl_feature_scenes: %s left GL error 0x%04x\n", scenes[i].name, e);
            ++failures;
        }
        std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        if (!writePng(std::string(argv[1]) + "/" + scenes[i].name + ".png", rgb)) {
            std::fprintf(stderr, "gl_feature_scenes: cannot write %s.png\n", scenes[i].name);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
#endif
