// The GL entry points of <GL/gl.h> and <GL/glext.h> for the web build. Calls that GL compiles into
// display lists go through layer.record; the rest run at once.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "layer.h"
#include "webgl_calls.h"

using webgl::Kind;
using webgl::layer;
using webgl::Matrix;

namespace {

void matrixOp(void (*op)(Matrix&, float, float, float), float x, float y, float z) {
    layer.record([=] {
        layer.matrixChanged();
        op(layer.currentMatrix(), x, y, z);
    });
}

void loadMatrix(const Matrix& m, bool multiply) {
    layer.record([=] {
        layer.matrixChanged();
        Matrix& current = layer.currentMatrix();
        current = multiply ? webgl::multiply(current, m) : m;
    });
}

template <typename T>
Matrix toMatrix(const T* m) {
    Matrix r;
    for (int i = 0; i < 16; ++i) r[i] = static_cast<float>(m[i]);
    return r;
}

bool* capFlag(GLenum cap) {
    webgl::AttribState& a = layer.a;
    switch (cap) {
    case GL_BLEND: return &a.blend;
    case GL_DEPTH_TEST: return &a.depthTest;
    case GL_CULL_FACE: return &a.cullFace;
    case GL_ALPHA_TEST: return &a.alphaTest;
    case GL_LIGHTING: return &a.lighting;
    case GL_LIGHT0: return &a.light0;
    case GL_COLOR_MATERIAL: return &a.colorMaterial;
    case GL_FOG: return &a.fog;
    case GL_TEXTURE_2D: return &a.texture2D;
    case GL_NORMALIZE: return &a.normalize;
    case GL_RESCALE_NORMAL: return &a.rescaleNormal;
    case GL_SCISSOR_TEST: return &a.scissorTest;
    case GL_STENCIL_TEST: return &a.stencilTest;
    case GL_DITHER: return &a.dither;
    case GL_TEXTURE_GEN_S: return &a.texGenS;
    case GL_TEXTURE_GEN_T: return &a.texGenT;
    case GL_POLYGON_OFFSET_FILL: return &a.polygonOffsetFill;
    default: return nullptr;
    }
}

void setCapability(GLenum cap, bool on) {
    if (!capFlag(cap)) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] {
        if (*capFlag(cap) == on) return;  // no change: the gathered vertices can keep drawing together
        layer.stateChanged();
        // The material keeps the colour it tracked last, and takes the current one when tracking starts.
        if (cap == GL_COLOR_MATERIAL) layer.trackColorMaterial();
        *capFlag(cap) = on;
        if (cap == GL_COLOR_MATERIAL) layer.trackColorMaterial();
    });
}

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float byteToFloat(GLubyte v) { return v / 255.0f; }

// Components of a client pixel format; 0 when the layer does not take it.
int componentsOf(GLenum format) {
    switch (format) {
    case GL_RGBA:
    case GL_BGRA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_LUMINANCE:
    case GL_ALPHA: return 1;
    default: return 0;
    }
}

size_t rowBytes(int width, int components, int alignment) {
    const size_t raw = size_t(width) * size_t(components);
    return (raw + alignment - 1) / alignment * alignment;
}

// One pixel of a client format as RGBA.
void readPixel(const GLubyte* p, GLenum format, GLubyte out[4]) {
    switch (format) {
    case GL_RGBA: out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = p[3]; break;
    case GL_BGRA: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = p[3]; break;
    case GL_RGB: out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 255; break;
    case GL_LUMINANCE_ALPHA: out[0] = out[1] = out[2] = p[0], out[3] = p[1]; break;
    case GL_LUMINANCE: out[0] = out[1] = out[2] = p[0], out[3] = 255; break;
    case GL_ALPHA: out[0] = out[1] = out[2] = 0, out[3] = p[0]; break;
    default: break;
    }
}

void writePixel(const GLubyte in[4], GLenum format, GLubyte* p) {
    switch (format) {
    case GL_RGBA: p[0] = in[0], p[1] = in[1], p[2] = in[2], p[3] = in[3]; break;
    case GL_BGRA: p[0] = in[2], p[1] = in[1], p[2] = in[0], p[3] = in[3]; break;
    case GL_RGB: p[0] = in[0], p[1] = in[1], p[2] = in[2]; break;
    case GL_LUMINANCE_ALPHA: p[0] = in[0], p[1] = in[3]; break;
    case GL_LUMINANCE: p[0] = in[0]; break;
    case GL_ALPHA: p[0] = in[3]; break;
    default: break;
    }
}

// The WebGL format a GL 1.1 internal format becomes: sized where WebGL 2 has a size.
struct TextureFormat {
    GLenum internal = 0, format = 0;
    bool hasAlpha = false;
};

TextureFormat textureFormatFor(GLint internal) {
    switch (internal) {
    case 1:
    case GL_LUMINANCE: return {GL_LUMINANCE, GL_LUMINANCE, false};
    case 2:
    case GL_LUMINANCE_ALPHA: return {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, true};
    case GL_ALPHA: return {GL_ALPHA, GL_ALPHA, true};
    case 3:
    case GL_RGB:
    case GL_RGB8: return {GL_RGB8, GL_RGB, false};
    case 4:
    case GL_RGBA:
    case GL_RGBA8: return {GL_RGBA8, GL_RGBA, true};
    default: return {};
    }
}

void texImage(GLint level, GLint internal, GLsizei width, GLsizei height, GLenum format,
              std::shared_ptr<std::vector<GLubyte>> pixels) {
    layer.stateChanged();
    const TextureFormat target = textureFormatFor(internal);
    const void* data = pixels ? pixels->data() : nullptr;
    std::vector<GLubyte> converted;
    if (data && format != target.format) {
        // WebGL 2 wants the client format to match the texture's: convert the pixels.
        const int inComponents = componentsOf(format), outComponents = componentsOf(target.format);
        const size_t inRow = rowBytes(width, inComponents, layer.unpackAlignment);
        converted.resize(size_t(width) * height * outComponents);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                GLubyte rgba[4];
                readPixel(static_cast<const GLubyte*>(data) + y * inRow + x * inComponents, format, rgba);
                writePixel(rgba, target.format, converted.data() + (size_t(y) * width + x) * outComponents);
            }
        data = converted.data();
        emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, target.internal, width, height, 0, target.format,
                            GL_UNSIGNED_BYTE, data);
    if (!converted.empty()) emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    if (level == 0) {
        webgl::TextureInfo& info = layer.textures[layer.a.boundTexture];
        info.width = width, info.height = height, info.hasAlpha = target.hasAlpha;
    }
}

// GLSL 1.30 fragment shaders (the desktop's filters) as GLSL ES 3.00.
std::string translateFragmentShader(std::string source) {
    if (source.rfind("#version 1", 0) != 0) return source;
    const size_t lineEnd = source.find('\n');
    source = "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n"
             "out vec4 lumivane_FragColor;\n" +
             source.substr(lineEnd == std::string::npos ? source.size() : lineEnd + 1);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"gl_FragColor", "lumivane_FragColor"},
                                   {"texture2D(", "texture("}}) {
        for (size_t at = source.find(from); at != std::string::npos; at = source.find(from, at + to.size()))
            source.replace(at, from.size(), to);
    }
    return source;
}

std::unordered_map<GLuint, GLenum> shaderTypes;

GLuint& boundFramebufferFor(GLenum target) {
    return target == GL_READ_FRAMEBUFFER ? layer.readFramebuffer : layer.drawFramebuffer;
}

}  // namespace

extern "C" {

// ---- immediate mode ----

void glBegin(GLenum mode) { layer.begin(mode); }
void glEnd(void) { layer.end(); }
void glVertex2i(GLint x, GLint y) { layer.vertex(float(x), float(y), 0); }
void glVertex2f(GLfloat x, GLfloat y) { layer.vertex(x, y, 0); }
void glVertex2d(GLdouble x, GLdouble y) { layer.vertex(float(x), float(y), 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { layer.vertex(x, y, z); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { layer.vertex(float(x), float(y), float(z)); }
void glVertex3fv(const GLfloat* v) { layer.vertex(v[0], v[1], v[2]); }
void glVertex3dv(const GLdouble* v) { layer.vertex(float(v[0]), float(v[1]), float(v[2])); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { layer.setNormal(x, y, z); }
void glNormal3d(GLdouble x, GLdouble y, GLdouble z) { layer.setNormal(float(x), float(y), float(z)); }
void glNormal3fv(const GLfloat* v) { layer.setNormal(v[0], v[1], v[2]); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { layer.setColor(r, g, b, 1); }
void glColor3d(GLdouble r, GLdouble g, GLdouble b) { layer.setColor(float(r), float(g), float(b), 1); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { layer.setColor(byteToFloat(r), byteToFloat(g), byteToFloat(b), 1); }
void glColor3fv(const GLfloat* v) { layer.setColor(v[0], v[1], v[2], 1); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { layer.setColor(r, g, b, a); }
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) {
    layer.setColor(float(r), float(g), float(b), float(a));
}
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    layer.setColor(byteToFloat(r), byteToFloat(g), byteToFloat(b), byteToFloat(a));
}
void glColor4fv(const GLfloat* v) { layer.setColor(v[0], v[1], v[2], v[3]); }
void glTexCoord2f(GLfloat s, GLfloat t) { layer.setTexcoord(s, t); }
void glTexCoord2d(GLdouble s, GLdouble t) { layer.setTexcoord(float(s), float(t)); }

void glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
    layer.begin(GL_POLYGON);
    layer.vertex(x1, y1, 0);
    layer.vertex(x2, y1, 0);
    layer.vertex(x2, y2, 0);
    layer.vertex(x1, y2, 0);
    layer.end();
}
void glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2) {
    glRectf(float(x1), float(y1), float(x2), float(y2));
}
void glRecti(GLint x1, GLint y1, GLint x2, GLint y2) { glRectf(float(x1), float(y1), float(x2), float(y2)); }

// ---- matrices ----

void glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] { layer.a.matrixMode = mode; });
}

void glPushMatrix(void) {
    layer.record([] {
        auto& stack = layer.currentStack();
        if (stack.size() >= 32) {
            layer.error(GL_STACK_OVERFLOW);
            return;
        }
        stack.push_back(stack.back());
    });
}

void glPopMatrix(void) {
    layer.record([] {
        auto& stack = layer.currentStack();
        if (stack.size() <= 1) {
            layer.error(GL_STACK_UNDERFLOW);
            return;
        }
        layer.matrixChanged();
        stack.pop_back();
    });
}

void glLoadIdentity(void) { loadMatrix(webgl::identityMatrix(), false); }
void glLoadMatrixf(const GLfloat* m) { loadMatrix(toMatrix(m), false); }
void glLoadMatrixd(const GLdouble* m) { loadMatrix(toMatrix(m), false); }
void glMultMatrixf(const GLfloat* m) { loadMatrix(toMatrix(m), true); }
void glMultMatrixd(const GLdouble* m) { loadMatrix(toMatrix(m), true); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { matrixOp(webgl::translate, x, y, z); }
void glTranslated(GLdouble x, GLdouble y, GLdouble z) { matrixOp(webgl::translate, float(x), float(y), float(z)); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { matrixOp(webgl::scale, x, y, z); }
void glScaled(GLdouble x, GLdouble y, GLdouble z) { matrixOp(webgl::scale, float(x), float(y), float(z)); }

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    layer.record([=] {
        layer.matrixChanged();
        webgl::rotate(layer.currentMatrix(), angle, x, y, z);
    });
}
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    glRotatef(float(angle), float(x), float(y), float(z));
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (l == r || b == t || n == f) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    layer.record([=] {
        layer.matrixChanged();
        webgl::ortho(layer.currentMatrix(), float(l), float(r), float(b), float(t), float(n), float(f));
    });
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (n <= 0 || f <= 0 || l == r || b == t || n == f) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    layer.record([=] {
        layer.matrixChanged();
        webgl::frustum(layer.currentMatrix(), float(l), float(r), float(b), float(t), float(n), float(f));
    });
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (width < 0 || height < 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    layer.record([=] {
        layer.matrixChanged();  // the wide-line shader measures in viewport pixels
        int* v = layer.a.viewport;
        v[0] = x, v[1] = y, v[2] = width, v[3] = height;
    });
}

// ---- display lists ----

GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    GLuint first = 1;
    for (const auto& [name, list] : layer.lists) {
        if (name >= first + GLuint(range)) break;
        if (name >= first) first = name + 1;
    }
    for (GLuint i = 0; i < GLuint(range); ++i) layer.lists[first + i] = std::make_unique<webgl::DisplayList>();
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    if (layer.compiling || layer.inBegin) {
        layer.error(GL_INVALID_OPERATION);
        return;
    }
    layer.flush();
    layer.compiling = new webgl::DisplayList;
    layer.compilingId = list;
    layer.compileAndExecute = mode == GL_COMPILE_AND_EXECUTE;
}

void glEndList(void) {
    const GLuint id = layer.compilingId;
    const bool execute = layer.compileAndExecute;
    layer.endList();
    if (execute) layer.callList(id, 1);
}

void glCallList(GLuint list) {
    layer.record([=] { layer.callList(list, layer.listDepth + 1); });
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
    if (n < 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    std::vector<GLuint> names(static_cast<size_t>(n));
    for (GLsizei i = 0; i < n; ++i) {
        switch (type) {
        case GL_UNSIGNED_BYTE: names[i] = static_cast<const GLubyte*>(lists)[i]; break;
        case GL_BYTE: names[i] = GLuint(static_cast<const GLbyte*>(lists)[i]); break;
        case GL_UNSIGNED_SHORT: names[i] = static_cast<const GLushort*>(lists)[i]; break;
        case GL_SHORT: names[i] = GLuint(static_cast<const GLshort*>(lists)[i]); break;
        case GL_UNSIGNED_INT:
        case GL_INT: names[i] = static_cast<const GLuint*>(lists)[i]; break;
        default: layer.error(GL_INVALID_ENUM); return;
        }
    }
    layer.record([names = std::move(names)] {
        const int depth = layer.listDepth + 1;
        for (GLuint name : names) layer.callList(layer.a.listBase + name, depth);
    });
}

void glListBase(GLuint base) {
    layer.record([=] { layer.a.listBase = base; });
}

void glDeleteLists(GLuint list, GLsizei range) {
    if (range < 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < range; ++i) layer.deleteList(list + GLuint(i));
}

GLboolean glIsList(GLuint list) {
    auto it = layer.lists.find(list);
    return it != layer.lists.end() && it->second ? GL_TRUE : GL_FALSE;
}

// ---- state ----

void glEnable(GLenum cap) { setCapability(cap, true); }
void glDisable(GLenum cap) { setCapability(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
    const bool* flag = capFlag(cap);
    if (!flag) {
        layer.error(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return *flag ? GL_TRUE : GL_FALSE;
}

void glPushAttrib(GLbitfield mask) {
    layer.record([=] { layer.pushAttrib(mask); });
}
void glPopAttrib(void) {
    layer.record([] { layer.popAttrib(); });
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (light < GL_LIGHT0 || light > GL_LIGHT0 + 7) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    float v[4] = {params[0], 0, 0, 0};
    if (pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR || pname == GL_POSITION)
        std::memcpy(v, params, sizeof v);
    layer.record([=] {
        if (light != GL_LIGHT0) return;  // the show lights with light 0 alone
        layer.stateChanged();
        webgl::Light& l = layer.a.light;
        switch (pname) {
        case GL_AMBIENT: std::memcpy(l.ambient, v, sizeof v); break;
        case GL_DIFFUSE: std::memcpy(l.diffuse, v, sizeof v); break;
        case GL_SPECULAR: std::memcpy(l.specular, v, sizeof v); break;
        case GL_POSITION: {
            // Stored in eye space, through the modelview matrix of the moment.
            const auto eye = webgl::transform(layer.modelview.back(), v);
            std::copy(eye.begin(), eye.end(), l.position);
            break;
        }
        case GL_CONSTANT_ATTENUATION: l.attenuation[0] = v[0]; break;
        case GL_LINEAR_ATTENUATION: l.attenuation[1] = v[0]; break;
        case GL_QUADRATIC_ATTENUATION: l.attenuation[2] = v[0]; break;
        default: layer.error(GL_INVALID_ENUM); break;
        }
    });
}

void glLightf(GLenum light, GLenum pname, GLfloat param) {
    const GLfloat params[4] = {param, 0, 0, 0};
    glLightfv(light, pname, params);
}

void glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname != GL_LIGHT_MODEL_AMBIENT) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    float v[4];
    std::memcpy(v, params, sizeof v);
    layer.record([=] {
        layer.stateChanged();
        std::memcpy(layer.a.sceneAmbient, v, sizeof v);
    });
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    float v[4] = {params[0], 0, 0, 0};
    if (pname != GL_SHININESS) std::memcpy(v, params, sizeof v);
    layer.record([=] {
        if (face == GL_BACK) return;  // one-sided lighting reads the front material only
        // What the current colour tracks is not set by glMaterial (Mesa drops it likewise).
        const webgl::AttribState& a = layer.a;
        const bool ambient = pname == GL_AMBIENT || pname == GL_AMBIENT_AND_DIFFUSE;
        const bool diffuse = pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE;
        if (a.colorMaterial && a.colorMaterialMode == GL_AMBIENT_AND_DIFFUSE && (ambient || diffuse)) return;
        if (a.colorMaterial && a.colorMaterialMode == pname) return;
        layer.stateChanged();
        webgl::Material& m = layer.a.material;
        switch (pname) {
        case GL_AMBIENT: std::memcpy(m.ambient, v, sizeof v); break;
        case GL_DIFFUSE: std::memcpy(m.diffuse, v, sizeof v); break;
        case GL_SPECULAR: std::memcpy(m.specular, v, sizeof v); break;
        case GL_EMISSION: std::memcpy(m.emission, v, sizeof v); break;
        case GL_SHININESS: m.shininess = std::min(128.0f, std::max(0.0f, v[0])); break;
        case GL_AMBIENT_AND_DIFFUSE:
            std::memcpy(m.ambient, v, sizeof v);
            std::memcpy(m.diffuse, v, sizeof v);
            break;
        default: layer.error(GL_INVALID_ENUM); break;
        }
    });
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    const GLfloat params[4] = {param, 0, 0, 0};
    glMaterialfv(face, pname, params);
}

void glColorMaterial(GLenum face, GLenum mode) {
    layer.record([=] {
        (void)face;
        layer.stateChanged();
        layer.a.colorMaterialMode = mode;
        layer.trackColorMaterial();
    });
}

void glShadeModel(GLenum mode) {
    layer.record([=] { layer.a.shadeModel = mode; });
}

void glFogfv(GLenum pname, const GLfloat* params) {
    float v[4] = {params[0], 0, 0, 0};
    if (pname == GL_FOG_COLOR) std::memcpy(v, params, sizeof v);
    layer.record([=] {
        layer.stateChanged();
        webgl::AttribState& a = layer.a;
        switch (pname) {
        case GL_FOG_MODE: a.fogMode = GLenum(v[0]); break;
        case GL_FOG_DENSITY: a.fogDensity = v[0]; break;
        case GL_FOG_START: a.fogStart = v[0]; break;
        case GL_FOG_END: a.fogEnd = v[0]; break;
        case GL_FOG_COLOR:
            for (int i = 0; i < 4; ++i) a.fogColor[i] = clamp01(v[i]);
            break;
        default: layer.error(GL_INVALID_ENUM); break;
        }
    });
}
void glFogf(GLenum pname, GLfloat param) {
    const GLfloat params[4] = {param, 0, 0, 0};
    glFogfv(pname, params);
}
void glFogi(GLenum pname, GLint param) { glFogf(pname, float(param)); }

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    layer.record([=] {
        if (layer.a.blendSrc == sfactor && layer.a.blendDst == dfactor) return;
        layer.stateChanged();
        layer.a.blendSrc = sfactor, layer.a.blendDst = dfactor;
    });
}

void glAlphaFunc(GLenum func, GLclampf ref) {
    if (func < GL_NEVER || func > GL_ALWAYS) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] {
        if (layer.a.alphaFunc == func && layer.a.alphaRef == clamp01(ref)) return;
        layer.stateChanged();
        layer.a.alphaFunc = func, layer.a.alphaRef = clamp01(ref);
    });
}

void glDepthFunc(GLenum func) {
    layer.record([=] {
        layer.stateChanged();
        layer.a.depthFunc = func;
    });
}

void glDepthMask(GLboolean flag) {
    layer.record([=] {
        if (layer.a.depthMask == (flag != GL_FALSE)) return;
        layer.stateChanged();
        layer.a.depthMask = flag != GL_FALSE;
    });
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
    layer.record([=] {
        layer.stateChanged();
        bool* m = layer.a.colorMask;
        m[0] = r, m[1] = g, m[2] = b, m[3] = a;
    });
}

void glCullFace(GLenum mode) {
    layer.record([=] {
        layer.stateChanged();
        layer.a.cullMode = mode;
    });
}

void glFrontFace(GLenum mode) {
    layer.record([=] {
        layer.stateChanged();
        layer.a.frontFace = mode;
    });
}

void glPolygonMode(GLenum face, GLenum mode) {
    if (mode != GL_FILL && mode != GL_LINE && mode != GL_POINT) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] {
        layer.stateChanged();
        if (face == GL_FRONT || face == GL_FRONT_AND_BACK) layer.a.polygonMode[0] = mode;
        if (face == GL_BACK || face == GL_FRONT_AND_BACK) layer.a.polygonMode[1] = mode;
    });
}

void glLineWidth(GLfloat width) {
    if (width <= 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    layer.record([=] {
        if (layer.a.lineWidth == width) return;
        layer.stateChanged();
        layer.a.lineWidth = width;
    });
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    layer.record([=] {
        layer.stateChanged();
        int* s = layer.a.scissor;
        s[0] = x, s[1] = y, s[2] = width, s[3] = height;
    });
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    layer.record([=] {
        float* c = layer.a.clearColor;
        c[0] = clamp01(r), c[1] = clamp01(g), c[2] = clamp01(b), c[3] = clamp01(a);
    });
}

void glClearDepth(GLclampd depth) {
    layer.record([=] { layer.a.clearDepth = clamp01(float(depth)); });
}

void glClear(GLbitfield mask) {
    layer.record([=] {
        layer.flush();
        layer.applyPipeline(Kind::Triangles);
        webgl::Applied& w = layer.applied;
        const float* c = layer.a.clearColor;
        if (!std::equal(c, c + 4, w.clearColor)) {
            std::copy(c, c + 4, w.clearColor);
            emscripten_glClearColor(c[0], c[1], c[2], c[3]);
        }
        if (w.clearDepth != layer.a.clearDepth) emscripten_glClearDepthf(w.clearDepth = layer.a.clearDepth);
        emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
    });
}

// ---- textures and pixels ----

void glGenTextures(GLsizei n, GLuint* textures) {
    emscripten_glGenTextures(n, textures);
    for (GLsizei i = 0; i < n; ++i) layer.textures[textures[i]] = webgl::TextureInfo{};
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    layer.flush();
    for (GLsizei i = 0; i < n; ++i) {
        layer.textures.erase(textures[i]);
        if (textures[i] && textures[i] == layer.a.boundTexture) layer.a.boundTexture = 0;
    }
    emscripten_glDeleteTextures(n, textures);
    layer.stateChanged();
}

void glBindTexture(GLenum target, GLuint texture) {
    if (target != GL_TEXTURE_2D) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] {
        if (layer.a.boundTexture == texture) return;
        layer.stateChanged();
        layer.a.boundTexture = texture;
        emscripten_glBindTexture(GL_TEXTURE_2D, texture);
    });
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    GLint maxSize = 0;
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const bool fits = width >= 0 && height >= 0 && width <= maxSize && height <= maxSize && border == 0;
    if (target == GL_PROXY_TEXTURE_2D) {
        layer.proxy = webgl::TextureInfo{};
        if (fits && textureFormatFor(internalFormat).internal) layer.proxy.width = width, layer.proxy.height = height;
        return;
    }
    if (target != GL_TEXTURE_2D || !textureFormatFor(internalFormat).internal || !componentsOf(format)) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    if (type != GL_UNSIGNED_BYTE) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    if (!fits) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    std::shared_ptr<std::vector<GLubyte>> copy;
    if (pixels) {
        // GL takes the pixels at the call; a list keeps its own copy.
        // Rows padded to the unpack alignment, all but the last, which GL reads only as far as it goes.
        const size_t bytes = height == 0 ? 0
                                         : rowBytes(width, componentsOf(format), layer.unpackAlignment) * size_t(height - 1) +
                                               size_t(width) * size_t(componentsOf(format));
        copy = std::make_shared<std::vector<GLubyte>>(static_cast<const GLubyte*>(pixels),
                                                      static_cast<const GLubyte*>(pixels) + bytes);
    }
    layer.record([=] { texImage(level, internalFormat, width, height, format, copy); });
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                     GLenum type, const GLvoid* pixels) {
    layer.flush();
    emscripten_glTexSubImage2D(target, level, x, y, width, height, format, type, pixels);
}

void glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y, GLsizei width,
                      GLsizei height, GLint border) {
    layer.record([=] {
        layer.stateChanged();
        TextureFormat f = textureFormatFor(GLint(internalFormat));
        // A buffer without alpha planes gives alpha 1: the same as a texture without alpha.
        if (f.hasAlpha && !layer.hasAlpha(layer.readFramebuffer)) f = textureFormatFor(GL_RGB);
        emscripten_glCopyTexImage2D(target, level, f.internal, x, y, width, height, border);
        if (level == 0) {
            webgl::TextureInfo& info = layer.textures[layer.a.boundTexture];
            info.width = width, info.height = height, info.hasAlpha = f.hasAlpha;
        }
    });
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    layer.record([=] {
        layer.stateChanged();
        GLint value = param == GL_CLAMP ? GL_CLAMP_TO_EDGE : param;
        if (pname == GL_TEXTURE_MIN_FILTER) layer.textures[layer.a.boundTexture].minFilter = GLenum(value);
        emscripten_glTexParameteri(target, pname, value);
    });
}
void glTexParameterf(GLenum target, GLenum pname, GLfloat param) { glTexParameteri(target, pname, GLint(param)); }

void glTexEnvi(GLenum target, GLenum pname, GLint param) {
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE) {
        layer.error(GL_INVALID_ENUM);
        return;
    }
    layer.record([=] {
        if (layer.a.texEnvMode == GLenum(param)) return;
        layer.stateChanged();
        layer.a.texEnvMode = GLenum(param);
    });
}
void glTexEnvf(GLenum target, GLenum pname, GLfloat param) { glTexEnvi(target, pname, GLint(param)); }

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
    webgl::TextureInfo info = target == GL_PROXY_TEXTURE_2D ? layer.proxy : layer.textures[layer.a.boundTexture];
    if (level != 0) info = webgl::TextureInfo{};
    if (pname == GL_TEXTURE_WIDTH) *params = info.width;
    else if (pname == GL_TEXTURE_HEIGHT) *params = info.height;
    else layer.error(GL_INVALID_ENUM);
}

void glPixelStorei(GLenum pname, GLint param) {
    if (param != 1 && param != 2 && param != 4 && param != 8) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    if (pname == GL_PACK_ALIGNMENT) {
        layer.packAlignment = param;
    } else if (pname == GL_UNPACK_ALIGNMENT) {
        layer.unpackAlignment = param;
        emscripten_glPixelStorei(pname, param);
    } else {
        layer.error(GL_INVALID_ENUM);
    }
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    const int components = componentsOf(format);
    if (!components || type != GL_UNSIGNED_BYTE || width < 0 || height < 0) {
        layer.error(components ? GL_INVALID_VALUE : GL_INVALID_ENUM);
        return;
    }
    layer.flush();
    const size_t outRow = rowBytes(width, components, layer.packAlignment);
    GLubyte* out = static_cast<GLubyte*>(pixels);
    if (layer.packBuffer) {
        webgl::PackBuffer& buffer = layer.packBuffers[layer.packBuffer];
        const size_t offset = reinterpret_cast<size_t>(pixels);
        if (buffer.mapped || offset + outRow * size_t(height) > buffer.bytes.size()) {
            layer.error(GL_INVALID_OPERATION);
            return;
        }
        out = buffer.bytes.data() + offset;
    }
    std::vector<GLubyte> rgba(size_t(width) * height * 4);
    emscripten_glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const bool alpha = layer.hasAlpha(layer.readFramebuffer);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            GLubyte p[4];
            std::memcpy(p, &rgba[(size_t(row) * width + col) * 4], 4);
            if (!alpha) p[3] = 255;  // no alpha planes read as 1
            writePixel(p, format, out + row * outRow + col * components);
        }
}

// ---- queries ----

void glGetIntegerv(GLenum pname, GLint* params) {
    const webgl::AttribState& a = layer.a;
    const bool screen = layer.drawFramebuffer == 0;
    switch (pname) {
    case GL_VIEWPORT: std::copy(a.viewport, a.viewport + 4, params); return;
    case GL_SCISSOR_BOX: std::copy(a.scissor, a.scissor + 4, params); return;
    case GL_DEPTH_BITS: *params = screen ? 16 : 24; return;
    case GL_RED_BITS:
    case GL_GREEN_BITS:
    case GL_BLUE_BITS: *params = 8; return;
    case GL_ALPHA_BITS: *params = layer.hasAlpha(layer.drawFramebuffer) ? 8 : 0; return;
    case GL_PACK_ALIGNMENT: *params = layer.packAlignment; return;
    case GL_UNPACK_ALIGNMENT: *params = layer.unpackAlignment; return;
    case GL_PIXEL_PACK_BUFFER_BINDING: *params = GLint(layer.packBuffer); return;
    case GL_PIXEL_UNPACK_BUFFER_BINDING: *params = GLint(layer.unpackBuffer); return;
    case GL_ARRAY_BUFFER_BINDING: *params = GLint(layer.arrayBuffer); return;
    case GL_READ_FRAMEBUFFER_BINDING: *params = GLint(layer.readFramebuffer); return;
    case GL_DRAW_FRAMEBUFFER_BINDING: *params = GLint(layer.drawFramebuffer); return;
    case GL_RENDERBUFFER_BINDING: *params = GLint(layer.userRenderbuffer); return;
    case GL_CURRENT_PROGRAM: *params = GLint(layer.userProgram); return;
    case GL_MATRIX_MODE: *params = GLint(a.matrixMode); return;
    case GL_LIST_BASE: *params = GLint(a.listBase); return;
    case GL_TEXTURE_BINDING_2D: *params = GLint(a.boundTexture); return;
    case GL_MODELVIEW_STACK_DEPTH: *params = GLint(layer.modelview.size()); return;
    case GL_PROJECTION_STACK_DEPTH: *params = GLint(layer.projection.size()); return;
    case GL_MAX_MODELVIEW_STACK_DEPTH: *params = 32; return;
    case GL_DEPTH_FUNC: *params = GLint(a.depthFunc); return;
    case GL_BLEND_SRC: *params = GLint(a.blendSrc); return;
    case GL_BLEND_DST: *params = GLint(a.blendDst); return;
    case GL_ALPHA_TEST_FUNC: *params = GLint(a.alphaFunc); return;
    case GL_CULL_FACE_MODE: *params = GLint(a.cullMode); return;
    case GL_FRONT_FACE: *params = GLint(a.frontFace); return;
    case GL_SHADE_MODEL: *params = GLint(a.shadeModel); return;
    case GL_FOG_MODE: *params = GLint(a.fogMode); return;
    case GL_POLYGON_MODE: params[0] = GLint(a.polygonMode[0]), params[1] = GLint(a.polygonMode[1]); return;
    case GL_TEXTURE_ENV_MODE: *params = GLint(a.texEnvMode); return;
    case GL_MAX_TEXTURE_SIZE:
    case GL_MAX_VIEWPORT_DIMS:
    case GL_MAX_RENDERBUFFER_SIZE:
    case GL_MAX_SAMPLES: emscripten_glGetIntegerv(pname, params); return;
    default: break;
    }
    if (const bool* flag = capFlag(pname)) {
        *params = *flag;
        return;
    }
    layer.error(GL_INVALID_ENUM);
}

void glGetFloatv(GLenum pname, GLfloat* params) {
    const webgl::AttribState& a = layer.a;
    auto copy = [params](const float* from, int n) { std::copy(from, from + n, params); };
    switch (pname) {
    // As llvmpipe: the show's widest line stays one line, as on the desktop.
    case GL_ALIASED_LINE_WIDTH_RANGE: params[0] = 1, params[1] = 255; return;
    case GL_LINE_WIDTH: *params = a.lineWidth; return;
    case GL_CURRENT_COLOR: copy(a.color, 4); return;
    case GL_CURRENT_NORMAL: copy(a.normal, 3); return;
    case GL_COLOR_CLEAR_VALUE: copy(a.clearColor, 4); return;
    case GL_ALPHA_TEST_REF: *params = a.alphaRef; return;
    case GL_FOG_COLOR: copy(a.fogColor, 4); return;
    case GL_FOG_START: *params = a.fogStart; return;
    case GL_FOG_END: *params = a.fogEnd; return;
    case GL_FOG_DENSITY: *params = a.fogDensity; return;
    case GL_MODELVIEW_MATRIX: copy(layer.modelview.back().data(), 16); return;
    case GL_PROJECTION_MATRIX: copy(layer.projection.back().data(), 16); return;
    case GL_TEXTURE_MATRIX: copy(layer.textureStack.back().data(), 16); return;
    default: break;
    }
    GLint values[4] = {};
    const GLenum before = layer.ownError;
    glGetIntegerv(pname, values);
    if (layer.ownError != before) return;
    const int n = pname == GL_VIEWPORT || pname == GL_SCISSOR_BOX ? 4 : pname == GL_MAX_VIEWPORT_DIMS ? 2 : 1;
    for (int i = 0; i < n; ++i) params[i] = float(values[i]);
}

void glGetDoublev(GLenum pname, GLdouble* params) {
    GLfloat values[16] = {};
    const int n = pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX ? 16
                  : pname == GL_VIEWPORT || pname == GL_SCISSOR_BOX || pname == GL_CURRENT_COLOR ||
                          pname == GL_COLOR_CLEAR_VALUE || pname == GL_FOG_COLOR
                      ? 4
                  : pname == GL_CURRENT_NORMAL ? 3
                  : pname == GL_ALIASED_LINE_WIDTH_RANGE || pname == GL_MAX_VIEWPORT_DIMS ? 2
                                                                                          : 1;
    glGetFloatv(pname, values);
    for (int i = 0; i < n; ++i) params[i] = values[i];
}

void glGetBooleanv(GLenum pname, GLboolean* params) {
    if (pname == GL_DEPTH_WRITEMASK) {
        *params = layer.a.depthMask;
        return;
    }
    if (pname == GL_COLOR_WRITEMASK) {
        for (int i = 0; i < 4; ++i) params[i] = layer.a.colorMask[i];
        return;
    }
    GLint value = 0;
    glGetIntegerv(pname, &value);
    *params = value != 0;
}

const GLubyte* glGetString(GLenum name) {
    static std::string renderer;
    switch (name) {
    case GL_VENDOR: return reinterpret_cast<const GLubyte*>("lumivane");
    case GL_RENDERER: {
        const char* below = reinterpret_cast<const char*>(emscripten_glGetString(GL_RENDERER));
        renderer = std::string("fixed-function layer over WebGL 2 (") + (below ? below : "?") + ")";
        return reinterpret_cast<const GLubyte*>(renderer.c_str());
    }
    // 3.0: framebuffer objects and textures of any size, as the picture target asks.
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("3.0 lumivane WebGL 2");
    case GL_EXTENSIONS:
        return reinterpret_cast<const GLubyte*>("GL_ARB_texture_non_power_of_two GL_ARB_framebuffer_object");
    default: layer.error(GL_INVALID_ENUM); return nullptr;
    }
}

GLenum glGetError(void) {
    if (layer.ownError != GL_NO_ERROR) {
        const GLenum e = layer.ownError;
        layer.ownError = GL_NO_ERROR;
        return e;
    }
    return emscripten_glGetError();
}

void glFinish(void) {
    layer.flush();
    emscripten_glFinish();
}

void glFlush(void) {
    layer.flush();
    emscripten_glFlush();
}

// ---- framebuffer objects ----

void glGenFramebuffers(GLsizei n, GLuint* framebuffers) { emscripten_glGenFramebuffers(n, framebuffers); }

void glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers) {
    layer.flush();
    for (GLsizei i = 0; i < n; ++i) {
        const GLuint f = framebuffers[i];
        if (!f) continue;
        layer.framebufferAlpha.erase(f);
        // Deleting a bound framebuffer binds the default one, which here is the screen picture.
        if (layer.drawFramebuffer == f) {
            layer.drawFramebuffer = 0;
            emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, layer.realFramebuffer(0));
        }
        if (layer.readFramebuffer == f) {
            layer.readFramebuffer = 0;
            emscripten_glBindFramebuffer(GL_READ_FRAMEBUFFER, layer.realFramebuffer(0));
        }
    }
    emscripten_glDeleteFramebuffers(n, framebuffers);
}

void glBindFramebuffer(GLenum target, GLuint framebuffer) {
    layer.flush();
    if (target == GL_FRAMEBUFFER || target == GL_DRAW_FRAMEBUFFER) layer.drawFramebuffer = framebuffer;
    if (target == GL_FRAMEBUFFER || target == GL_READ_FRAMEBUFFER) layer.readFramebuffer = framebuffer;
    emscripten_glBindFramebuffer(target, layer.realFramebuffer(framebuffer));
}

void glFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level) {
    if (attachment == GL_COLOR_ATTACHMENT0) {
        auto it = layer.textures.find(texture);
        layer.framebufferAlpha[boundFramebufferFor(target)] = it != layer.textures.end() && it->second.hasAlpha;
    }
    emscripten_glFramebufferTexture2D(target, attachment, textarget, texture, level);
}

void glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer) {
    if (attachment == GL_COLOR_ATTACHMENT0) {
        auto it = layer.renderbufferFormats.find(renderbuffer);
        layer.framebufferAlpha[boundFramebufferFor(target)] =
            it != layer.renderbufferFormats.end() && it->second == GL_RGBA8;
    }
    emscripten_glFramebufferRenderbuffer(target, attachment, renderbuffertarget, renderbuffer);
}

GLenum glCheckFramebufferStatus(GLenum target) { return emscripten_glCheckFramebufferStatus(target); }

void glGenRenderbuffers(GLsizei n, GLuint* renderbuffers) { emscripten_glGenRenderbuffers(n, renderbuffers); }

void glDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    for (GLsizei i = 0; i < n; ++i) {
        layer.renderbufferFormats.erase(renderbuffers[i]);
        if (renderbuffers[i] == layer.userRenderbuffer) layer.userRenderbuffer = 0;
    }
    emscripten_glDeleteRenderbuffers(n, renderbuffers);
}

void glBindRenderbuffer(GLenum target, GLuint renderbuffer) {
    layer.userRenderbuffer = renderbuffer;
    emscripten_glBindRenderbuffer(target, renderbuffer);
}

void glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height) {
    layer.renderbufferFormats[layer.userRenderbuffer] = internalformat;
    emscripten_glRenderbufferStorage(target, internalformat, width, height);
}

void glRenderbufferStorageMultisample(GLenum target, GLsizei samples, GLenum internalformat, GLsizei width,
                                      GLsizei height) {
    layer.renderbufferFormats[layer.userRenderbuffer] = internalformat;
    emscripten_glRenderbufferStorageMultisample(target, samples, internalformat, width, height);
}

void glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1,
                       GLint dstY1, GLbitfield mask, GLenum filter) {
    layer.flush();
    layer.applyPipeline(Kind::Triangles);  // the scissor test applies to blits
    emscripten_glBlitFramebuffer(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter);
}

// ---- buffers: pixel-pack buffers live in memory, WebGL 2 cannot map ----

void glGenBuffers(GLsizei n, GLuint* buffers) { emscripten_glGenBuffers(n, buffers); }

void glDeleteBuffers(GLsizei n, const GLuint* buffers) {
    for (GLsizei i = 0; i < n; ++i) {
        layer.packBuffers.erase(buffers[i]);
        if (buffers[i] == layer.packBuffer) layer.packBuffer = 0;
        if (buffers[i] == layer.unpackBuffer) layer.unpackBuffer = 0;
        if (buffers[i] == layer.arrayBuffer) layer.arrayBuffer = 0;
    }
    emscripten_glDeleteBuffers(n, buffers);
}

void glBindBuffer(GLenum target, GLuint buffer) {
    switch (target) {
    case GL_PIXEL_PACK_BUFFER: layer.packBuffer = buffer; return;
    case GL_PIXEL_UNPACK_BUFFER: layer.unpackBuffer = buffer; break;
    case GL_ARRAY_BUFFER: layer.arrayBuffer = buffer; break;
    default: break;
    }
    emscripten_glBindBuffer(target, buffer);
}

void glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    if (size < 0) {
        layer.error(GL_INVALID_VALUE);
        return;
    }
    if (target == GL_PIXEL_PACK_BUFFER) {
        if (!layer.packBuffer) {
            layer.error(GL_INVALID_OPERATION);
            return;
        }
        webgl::PackBuffer& b = layer.packBuffers[layer.packBuffer];
        b.mapped = false;
        b.bytes.assign(size_t(size), 0);
        if (data) std::memcpy(b.bytes.data(), data, size_t(size));
        return;
    }
    emscripten_glBufferData(target, size, data, usage);
}

void* glMapBufferRange(GLenum target, GLintptr offset, GLsizeiptr length, GLbitfield access) {
    (void)access;
    auto it = layer.packBuffers.find(layer.packBuffer);
    if (target != GL_PIXEL_PACK_BUFFER || it == layer.packBuffers.end() || it->second.mapped || offset < 0 ||
        length < 0 || size_t(offset + length) > it->second.bytes.size()) {
        layer.error(GL_INVALID_OPERATION);
        return nullptr;
    }
    it->second.mapped = true;
    return it->second.bytes.data() + offset;
}

GLboolean glUnmapBuffer(GLenum target) {
    auto it = layer.packBuffers.find(layer.packBuffer);
    if (target != GL_PIXEL_PACK_BUFFER || it == layer.packBuffers.end() || !it->second.mapped) {
        layer.error(GL_INVALID_OPERATION);
        return GL_FALSE;
    }
    it->second.mapped = false;
    return GL_TRUE;
}

// ---- shaders: a caller's fragment shader runs behind the layer's vertex stage ----

void glActiveTexture(GLenum texture) { emscripten_glActiveTexture(texture); }

GLuint glCreateShader(GLenum type) {
    const GLuint shader = emscripten_glCreateShader(type);
    shaderTypes[shader] = type;
    return shader;
}

void glShaderSource(GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length) {
    std::string source;
    for (GLsizei i = 0; i < count; ++i)
        source += length && length[i] >= 0 ? std::string(string[i], size_t(length[i])) : std::string(string[i]);
    if (shaderTypes[shader] == GL_FRAGMENT_SHADER) source = translateFragmentShader(source);
    const GLchar* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
}

void glCompileShader(GLuint shader) { emscripten_glCompileShader(shader); }
void glGetShaderiv(GLuint shader, GLenum pname, GLint* params) { emscripten_glGetShaderiv(shader, pname, params); }
void glGetShaderInfoLog(GLuint shader, GLsizei bufSize, GLsizei* length, GLchar* infoLog) {
    emscripten_glGetShaderInfoLog(shader, bufSize, length, infoLog);
}
void glDeleteShader(GLuint shader) {
    shaderTypes.erase(shader);
    emscripten_glDeleteShader(shader);
}

GLuint glCreateProgram(void) {
    const GLuint program = emscripten_glCreateProgram();
    layer.programHasVertexShader[program] = false;
    return program;
}

void glAttachShader(GLuint program, GLuint shader) {
    if (shaderTypes[shader] == GL_VERTEX_SHADER) layer.programHasVertexShader[program] = true;
    emscripten_glAttachShader(program, shader);
}

void glLinkProgram(GLuint program) {
    if (!layer.programHasVertexShader[program]) {
        emscripten_glAttachShader(program, webgl::userVertexShader());
        layer.programHasVertexShader[program] = true;
    }
    emscripten_glLinkProgram(program);
}

void glGetProgramiv(GLuint program, GLenum pname, GLint* params) { emscripten_glGetProgramiv(program, pname, params); }
void glGetProgramInfoLog(GLuint program, GLsizei bufSize, GLsizei* length, GLchar* infoLog) {
    emscripten_glGetProgramInfoLog(program, bufSize, length, infoLog);
}

void glDeleteProgram(GLuint program) {
    if (!program) return;
    layer.flush();
    layer.programHasVertexShader.erase(program);
    if (layer.userProgram == program) layer.userProgram = 0;
    if (layer.boundProgram == program) layer.boundProgram = 0;
    emscripten_glDeleteProgram(program);
}

void glUseProgram(GLuint program) {
    layer.flush();
    layer.userProgram = program;
}

GLint glGetUniformLocation(GLuint program, const GLchar* name) {
    return emscripten_glGetUniformLocation(program, name);
}

void glUniform1i(GLint location, GLint v0) {
    if (!layer.userProgram) {
        layer.error(GL_INVALID_OPERATION);
        return;
    }
    layer.useProgram(layer.userProgram);
    emscripten_glUniform1i(location, v0);
}

void glUniform2i(GLint location, GLint v0, GLint v1) {
    if (!layer.userProgram) {
        layer.error(GL_INVALID_OPERATION);
        return;
    }
    layer.useProgram(layer.userProgram);
    emscripten_glUniform2i(location, v0, v1);
}

void glUniform1f(GLint location, GLfloat v0) {
    if (!layer.userProgram) {
        layer.error(GL_INVALID_OPERATION);
        return;
    }
    layer.useProgram(layer.userProgram);
    emscripten_glUniform1f(location, v0);
}

}  // extern "C"
