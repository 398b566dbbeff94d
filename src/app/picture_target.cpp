// The picture's geometry in the output and its own buffer: a framebuffer object with an RGB8
// colour buffer (no alpha planes, as the designed pixel format: captures read alpha 1) and a depth
// buffer as deep as the default framebuffer's, multisampled in the window where the GL offers it.
// The show itself needs only GL 1.1; this output path uses framebuffer objects (GL 3.0) and, to
// filter a picture drawn at N x down, a small GLSL 1.30 box filter.
#include "app/picture_target.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/demo_app.h"            // demoApp.font, refined for the picture's size
#include "app/gl_window.h"           // setProjection
#include "demo/demo_assets.h"        // remakeEffectTextures
#include "effects/screen_effects.h"  // the effects' capture size and scale

namespace {

// The buffers of a picture that is not the default framebuffer.
struct PictureBuffers {
    GLuint drawFramebuffer = 0;     // what the show draws into
    GLuint colour = 0;              // texture; a renderbuffer when multisampled
    GLuint depth = 0;               // renderbuffer
    GLuint resolveFramebuffer = 0;  // multisampled only: the resolved picture ...
    GLuint resolved = 0;            // ... in this texture
    GLuint boxFilter = 0;           // program, for a factor of 2 or more
    GLint factorUniform = -1, originUniform = -1;
    bool multisampled = false;

    GLuint pictureTexture() const { return resolved ? resolved : colour; }
};

struct PictureState {
    PictureGeometry geometry;
    int samples = 0;
    bool offscreen = false;
    bool framePending = false;  // begun and not yet presented
    bool framebuffers = false;  // the GL has framebuffer objects (3.0)
    PictureBuffers buffers;
};
PictureState state;

// Box filter: each output pixel is the mean of its factor x factor drawn pixels.
constexpr const char* kBoxFilterSource = R"(#version 130
uniform sampler2D picture;
uniform int factor;
uniform ivec2 origin;
void main() {
    ivec2 base = (ivec2(gl_FragCoord.xy) - origin) * factor;
    vec3 sum = vec3(0.0);
    for (int j = 0; j < factor; ++j)
        for (int i = 0; i < factor; ++i)
            sum += texelFetch(picture, base + ivec2(i, j), 0).rgb;
    gl_FragColor = vec4(sum / float(factor * factor), 1.0);
}
)";

GLint integer(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

// The GL version as major * 10 + minor.
int glVersion() {
    const char* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!text || std::sscanf(text, "%d.%d", &major, &minor) != 2) return 0;
    return major * 10 + minor;
}

void deleteBuffers(PictureBuffers& b) {
    if (b.drawFramebuffer) glDeleteFramebuffers(1, &b.drawFramebuffer);
    if (b.resolveFramebuffer) glDeleteFramebuffers(1, &b.resolveFramebuffer);
    if (b.resolved) glDeleteTextures(1, &b.resolved);
    if (b.depth) glDeleteRenderbuffers(1, &b.depth);
    if (b.colour) {
        if (b.multisampled)
            glDeleteRenderbuffers(1, &b.colour);
        else
            glDeleteTextures(1, &b.colour);
    }
    if (b.boxFilter) glDeleteProgram(b.boxFilter);
    b = PictureBuffers{};
}

GLuint pictureTexture(int width, int height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

GLuint renderbuffer(GLenum format, int samples, int width, int height) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    if (samples >= 2)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return name;
}

bool compileBoxFilter(PictureBuffers& b, std::string& error) {
    const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    glShaderSource(shader, 1, &kBoxFilterSource, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) {
        b.boxFilter = glCreateProgram();
        glAttachShader(b.boxFilter, shader);
        glLinkProgram(b.boxFilter);
        glGetProgramiv(b.boxFilter, GL_LINK_STATUS, &ok);
    }
    glDeleteShader(shader);
    if (!ok) {
        error = "the GL cannot compile the anti-aliasing filter (GLSL 1.30)";
        return false;
    }
    b.factorUniform = glGetUniformLocation(b.boxFilter, "factor");
    b.originUniform = glGetUniformLocation(b.boxFilter, "origin");
    glUseProgram(b.boxFilter);
    glUniform1i(glGetUniformLocation(b.boxFilter, "picture"), 0);
    glUseProgram(0);
    return true;
}

bool complete(GLuint framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

bool makeBuffers(const PictureGeometry& g, int samples, PictureBuffers& b, std::string& error) {
    const int w = g.drawWidth(), h = g.drawHeight();
    // The depth buffer matches the default framebuffer's, so that depth ties fall as they do there.
    const GLenum depthFormat = integer(GL_DEPTH_BITS) >= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
    glGenFramebuffers(1, &b.drawFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, b.drawFramebuffer);
    b.multisampled = samples >= 2;
    if (b.multisampled) {
        b.colour = renderbuffer(GL_RGB8, samples, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, b.colour);
    } else {
        b.colour = pictureTexture(w, h);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, b.colour, 0);
    }
    b.depth = renderbuffer(depthFormat, samples, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, b.depth);
    bool ok = complete(b.drawFramebuffer);
    if (ok && samples >= 2) {
        glGenFramebuffers(1, &b.resolveFramebuffer);
        b.resolved = pictureTexture(w, h);
        glBindFramebuffer(GL_FRAMEBUFFER, b.resolveFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, b.resolved, 0);
        ok = complete(b.resolveFramebuffer);
    }
    if (ok && glGetError() == GL_OUT_OF_MEMORY) ok = false;
    if (!ok) {
        char text[160];
        std::snprintf(text, sizeof text, "the GL cannot make a %dx%d picture buffer%s", w, h,
                      samples >= 2 ? " with multisampling" : "");
        error = text;
    }
    if (ok && g.factor >= 2) ok = compileBoxFilter(b, error);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return ok;
}

}  // namespace

unsigned long long pictureBufferBytes(int drawWidth, int drawHeight, int samples) {
    const unsigned long long pixels = static_cast<unsigned long long>(drawWidth) * static_cast<unsigned long long>(drawHeight);
    // 4 bytes of colour and 4 of depth and stencil per sample; a multisampled picture is resolved
    // into a single-sampled one.
    return pixels * 8 * static_cast<unsigned long long>(std::max(samples, 1)) + (samples >= 2 ? pixels * 4 : 0);
}

std::string pictureMemoryProblem(int outputWidth, int outputHeight, int factor, int samples) {
    const PictureGeometry g = pictureGeometry(outputWidth, outputHeight, factor);
    const bool designed = g.outputWidth == 800 && g.outputHeight == 600 && g.factor == 1 && samples < 2;
    const unsigned long long bytes = pictureBufferBytes(g.outputWidth, g.outputHeight, 0) +
                                     (designed ? 0 : pictureBufferBytes(g.drawWidth(), g.drawHeight(), samples));
    if (bytes <= kPictureBudgetBytes) return {};
    char text[200];
    std::snprintf(text, sizeof text, "a %dx%d picture drawn at %dx%d takes %llu MB of buffers, over the %llu MB allowed",
                  g.outputWidth, g.outputHeight, g.drawWidth(), g.drawHeight(), bytes >> 20, kPictureBudgetBytes >> 20);
    return text;
}

namespace {

// What the GL and the memory budget must allow for a picture of geometry g; false with the reason.
bool checkLimits(const PictureGeometry& g, bool offscreen, int samples, std::string& error) {
    char text[200];
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int maxTexture = integer(GL_MAX_TEXTURE_SIZE);
    const int side = std::max(g.drawWidth(), g.drawHeight());
    if (g.outputWidth > viewport[0] || g.outputHeight > viewport[1]) {
        std::snprintf(text, sizeof text, "an output of %dx%d is over the GL's largest viewport of %dx%d",
                      g.outputWidth, g.outputHeight, viewport[0], viewport[1]);
        error = text;
        return false;
    }
    if (g.scale() != 1 && glVersion() < 20) {
        error = "the GL cannot make captures other than 512x512 (no textures of any size before GL 2.0)";
        return false;
    }
    if (g.captureSize() > maxTexture) {
        std::snprintf(text, sizeof text, "captures of %d pixels are over the GL's largest texture of %d",
                      g.captureSize(), maxTexture);
        error = text;
        return false;
    }
    if (!offscreen) return true;
    if (glVersion() < 30) {
        error = "the GL has no framebuffer objects (GL 3.0) for a picture with bars or anti-aliasing";
        return false;
    }
    const int maxSide = std::min({maxTexture, integer(GL_MAX_RENDERBUFFER_SIZE), viewport[0], viewport[1]});
    if (side > maxSide) {
        std::snprintf(text, sizeof text, "a picture drawn at %dx%d is over the GL's limit of %d pixels a side",
                      g.drawWidth(), g.drawHeight(), maxSide);
        error = text;
        return false;
    }
    if (std::string problem = pictureMemoryProblem(g.outputWidth, g.outputHeight, g.factor, samples); !problem.empty()) {
        error = problem;
        return false;
    }
    if (samples >= 2 && samples > maxPictureSamples()) {
        std::snprintf(text, sizeof text, "the GL offers at most %d samples, not %d", maxPictureSamples(), samples);
        error = text;
        return false;
    }
    return true;
}

void resolveCorner(int size) {
    const bool scissor = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, state.buffers.drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, state.buffers.resolveFramebuffer);
    glBlitFramebuffer(0, 0, size, size, 0, 0, size, size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, state.buffers.resolveFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, state.buffers.drawFramebuffer);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

void endResolve() { glBindFramebuffer(GL_READ_FRAMEBUFFER, state.buffers.drawFramebuffer); }

// The effects, the line width and the projection for the current picture.
void applyPicture() {
    const PictureGeometry& g = state.geometry;
    EffectsTarget target;
    target.scale = g.scale();
    target.captureSize = g.captureSize();
    if (state.samples >= 2) {
        target.resolveCapture = resolveCorner;
        target.endResolve = endResolve;
    }
    const bool captureChanged = target.captureSize != effectsTarget().captureSize;
    setEffectsTarget(target);
    if (state.framebuffers) glBindFramebuffer(GL_FRAMEBUFFER, state.offscreen ? state.buffers.drawFramebuffer : 0);
    glLineWidth(static_cast<GLfloat>(scaledPixels(1)));
    setProjection(0, 0, g.drawWidth(), g.drawHeight(), 1.0, 10000.0);
    if (captureChanged) remakeEffectTextures();
    refineFont(demoApp.font, g.scale());
}

}  // namespace

int PictureGeometry::captureSize() const {
    return static_cast<int>(std::lround(kCaptureSize * scale()));
}

PictureGeometry pictureGeometry(int outputWidth, int outputHeight, int factor) {
    PictureGeometry g;
    g.outputWidth = std::max(outputWidth, 4);
    g.outputHeight = std::max(outputHeight, 3);
    const int k = std::min(g.outputWidth / 4, g.outputHeight / 3);
    g.width = 4 * k;
    g.height = 3 * k;
    g.left = (g.outputWidth - g.width) / 2;
    g.bottom = (g.outputHeight - g.height + 1) / 2;
    g.factor = std::clamp(factor, 1, 4);
    return g;
}

int maxPictureSamples() {
    if (glVersion() < 30) return 0;
    const int samples = integer(GL_MAX_SAMPLES);
    return samples >= 2 ? samples : 0;
}

bool fitPicture(int outputWidth, int outputHeight, int factor, int samples, std::string& error) {
    if (state.framePending) presentPicture();
    const PictureGeometry g = pictureGeometry(outputWidth, outputHeight, factor);
    if (samples < 2) samples = 0;
    // Only the designed picture is drawn straight into the default framebuffer. Every other one
    // has its own buffer, bars or not, so that pictures of one drawn size come out the same in
    // any output: Mesa rasterises window-system buffers upside down, which moves the odd edge
    // pixel against a framebuffer object.
    const bool designed = g.outputWidth == 800 && g.outputHeight == 600 && g.factor == 1 && samples < 2;
    const bool offscreen = !designed;
    state.framebuffers = glVersion() >= 30;
    if (state.framebuffers) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    while (glGetError() != GL_NO_ERROR) {}
    if (!checkLimits(g, offscreen, samples, error)) {
        applyPicture();
        return false;
    }
    PictureBuffers fresh;
    if (offscreen && !makeBuffers(g, samples, fresh, error)) {
        deleteBuffers(fresh);
        applyPicture();
        return false;
    }
    deleteBuffers(state.buffers);
    state.buffers = fresh;
    state.geometry = g;
    state.samples = samples;
    state.offscreen = offscreen;
    applyPicture();
    return true;
}

void followOutputSize(int outputWidth, int outputHeight) {
    if (outputWidth <= 0 || outputHeight <= 0) return;  // minimised
    const PictureGeometry& g = state.geometry;
    if (outputWidth == g.outputWidth && outputHeight == g.outputHeight) return;
    std::string error;
    if (!fitPicture(outputWidth, outputHeight, g.factor, state.samples, error))
        std::fprintf(stderr, "lumivane: the picture keeps its size: %s\n", error.c_str());
}

const PictureGeometry& currentPicture() { return state.geometry; }
int pictureSamples() { return state.samples; }

void beginPictureFrame() {
    state.framePending = true;
    if (state.offscreen) glBindFramebuffer(GL_FRAMEBUFFER, state.buffers.drawFramebuffer);
}

void presentPicture() {
    if (!state.framePending) return;
    state.framePending = false;
    if (!state.offscreen) return;
    const PictureGeometry& g = state.geometry;
    const PictureBuffers& b = state.buffers;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_SCISSOR_TEST);
    if (b.resolveFramebuffer) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, b.drawFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, b.resolveFramebuffer);
        glBlitFramebuffer(0, 0, g.drawWidth(), g.drawHeight(), 0, 0, g.drawWidth(), g.drawHeight(),
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (g.hasBars()) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (g.factor == 1) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, b.resolveFramebuffer ? b.resolveFramebuffer : b.drawFramebuffer);
        glBlitFramebuffer(0, 0, g.width, g.height, g.left, g.bottom, g.left + g.width, g.bottom + g.height,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    } else {
        for (GLenum cap : {GL_DEPTH_TEST, GL_BLEND, GL_ALPHA_TEST, GL_LIGHTING, GL_FOG, GL_CULL_FACE,
                           GL_STENCIL_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
            glDisable(cap);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glViewport(g.left, g.bottom, g.width, g.height);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, b.pictureTexture());
        glUseProgram(b.boxFilter);
        glUniform1i(b.factorUniform, g.factor);
        glUniform2i(b.originUniform, g.left, g.bottom);
        glBegin(GL_QUADS);
        glVertex2f(-1, -1);
        glVertex2f(1, -1);
        glVertex2f(1, 1);
        glVertex2f(-1, 1);
        glEnd();
        glUseProgram(0);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
    // The attributes hold the picture buffer's draw and read buffers: pop them onto it.
    glBindFramebuffer(GL_FRAMEBUFFER, b.drawFramebuffer);
    glPopAttrib();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
}

void releasePicture() {
    if (state.framePending) presentPicture();
    if (state.framebuffers) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    deleteBuffers(state.buffers);
    state = PictureState{};
    setEffectsTarget(EffectsTarget{});
    glLineWidth(1);
}
