// OpenGL 1.1 over WebGL 2: the state tracker, immediate mode, display lists and the draw that
// turns them into WebGL calls. The GL entry points themselves are in gl_entry_points.cpp.
#include "fixed_function.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <cstring>

#include "layer.h"
#include "webgl_calls.h"

namespace webgl {

Layer layer;

namespace {

constexpr GLsizeiptr kStreamBytes = 4 << 20;  // immediate-mode vertices per buffer before orphaning
constexpr size_t kCacheBytes = size_t(48) << 20;  // buffers kept for repeated immediate-mode batches
constexpr unsigned kCacheFrames = 120;           // a batch not drawn for this many frames is dropped

// A 64-bit digest of a batch's vertices, its size and its kind.
uint64_t digest(const std::vector<Vertex>& v, unsigned kind) {
    static_assert(sizeof(Vertex) % 8 == 0);
    uint64_t h = 0x9E3779B97F4A7C15ull ^ (uint64_t(v.size()) << 8) ^ kind;
    const auto* bytes = reinterpret_cast<const unsigned char*>(v.data());
    const size_t words = v.size() * sizeof(Vertex) / 8;
    for (size_t i = 0; i < words; ++i) {
        uint64_t w;
        std::memcpy(&w, bytes + i * 8, 8);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

void setCap(GLenum cap, bool want, bool& applied) {
    if (want == applied) return;
    applied = want;
    if (want)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
}

// Splits a primitive's vertices into what the draw understands: triangles (as Mesa splits quads,
// strips and polygons, keeping each triangle's winding: the diagonal decides how colours blend), line segments or points.
void assemble(GLenum mode, const std::vector<Vertex>& v, std::vector<Vertex>& triangles,
              std::vector<std::array<Vertex, 2>>& segments, std::vector<Vertex>& points, bool outline) {
    const size_t n = v.size();
    auto tri = [&](size_t a, size_t b, size_t c) {
        if (outline) {
            segments.push_back({v[a], v[b]});
            segments.push_back({v[b], v[c]});
            segments.push_back({v[c], v[a]});
            return;
        }
        triangles.push_back(v[a]);
        triangles.push_back(v[b]);
        triangles.push_back(v[c]);
    };
    auto loop = [&](size_t first, size_t count) {
        for (size_t k = 0; k < count; ++k) segments.push_back({v[first + k], v[first + (k + 1) % count]});
    };
    switch (mode) {
    case GL_POINTS:
        points.insert(points.end(), v.begin(), v.end());
        break;
    case GL_LINES:
        for (size_t i = 0; i + 1 < n; i += 2) segments.push_back({v[i], v[i + 1]});
        break;
    case GL_LINE_STRIP:
        for (size_t i = 0; i + 1 < n; ++i) segments.push_back({v[i], v[i + 1]});
        break;
    case GL_LINE_LOOP:
        if (n >= 2) loop(0, n);
        break;
    case GL_TRIANGLES:
        for (size_t i = 0; i + 2 < n; i += 3) {
            if (outline) loop(i, 3);
            else tri(i, i + 1, i + 2);
        }
        break;
    case GL_TRIANGLE_STRIP:
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0) tri(i, i + 1, i + 2);
            else tri(i + 1, i, i + 2);
        }
        break;
    case GL_TRIANGLE_FAN:
        for (size_t i = 1; i + 1 < n; ++i) tri(0, i, i + 1);
        break;
    case GL_QUADS:
        for (size_t i = 0; i + 3 < n; i += 4) {
            if (outline) {
                loop(i, 4);
                continue;
            }
            tri(i, i + 1, i + 2);  // Mesa cuts a quad along v0-v2, immediate or listed
            tri(i, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        for (size_t i = 0; i + 3 < n; i += 2) {
            if (outline) {
                segments.push_back({v[i], v[i + 1]});
                segments.push_back({v[i + 1], v[i + 3]});
                segments.push_back({v[i + 3], v[i + 2]});
                segments.push_back({v[i + 2], v[i]});
                continue;
            }
            tri(i + 2, i, i + 3);
            tri(i, i + 1, i + 3);
        }
        break;
    case GL_POLYGON:
        if (n < 3) break;
        if (outline) {
            loop(0, n);
            break;
        }
        for (size_t i = 1; i + 1 < n; ++i) tri(i, i + 1, 0);
        break;
    default:
        break;
    }
}

// A segment as two triangles whose corners know the other end and their side (+-1 at the start,
// +-2 at the end).
void widen(const std::array<Vertex, 2>& s, std::vector<Vertex>& out) {
    Vertex c[4] = {s[0], s[0], s[1], s[1]};
    const float side[4] = {-1, 1, -2, 2};
    for (int k = 0; k < 4; ++k) {
        const Vertex& other = k < 2 ? s[1] : s[0];
        std::memcpy(c[k].other, other.position, sizeof c[k].other);
        c[k].side = side[k];
    }
    out.push_back(c[0]), out.push_back(c[2]), out.push_back(c[1]);
    out.push_back(c[1]), out.push_back(c[2]), out.push_back(c[3]);
}

}  // namespace

// ---- errors and state changes ----

void Layer::error(GLenum code) {
    if (ownError == GL_NO_ERROR) ownError = code;
}

void Layer::stateChanged() { flush(); }

void Layer::matrixChanged() {
    flush();
    ++matrixSerial;
}

Matrix& Layer::currentMatrix() {
    auto& stack = a.matrixMode == GL_PROJECTION ? projection : a.matrixMode == GL_TEXTURE ? textureStack : modelview;
    return stack.back();
}

std::vector<Matrix>& Layer::currentStack() {
    return a.matrixMode == GL_PROJECTION ? projection : a.matrixMode == GL_TEXTURE ? textureStack : modelview;
}

// While GL_COLOR_MATERIAL is on, the material follows the current colour.
void Layer::trackColorMaterial() {
    if (!a.colorMaterial) return;
    Material& m = a.material;
    switch (a.colorMaterialMode) {
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m.ambient, a.color, sizeof m.ambient);
        std::memcpy(m.diffuse, a.color, sizeof m.diffuse);
        break;
    case GL_AMBIENT: std::memcpy(m.ambient, a.color, sizeof m.ambient); break;
    case GL_DIFFUSE: std::memcpy(m.diffuse, a.color, sizeof m.diffuse); break;
    case GL_EMISSION: std::memcpy(m.emission, a.color, sizeof m.emission); break;
    case GL_SPECULAR: std::memcpy(m.specular, a.color, sizeof m.specular); break;
    default: break;
    }
}

// ---- the draw ----

unsigned Layer::featuresFor(Kind kind) const {
    unsigned f = 0;
    if (a.lighting) f |= kLighting;
    if (a.texture2D && a.boundTexture) {
        auto it = textures.find(a.boundTexture);
        if (it != textures.end() && it->second.complete()) f |= kTexture;
    }
    if (a.fog) f |= kFog;
    if (a.alphaTest && a.alphaFunc != GL_ALWAYS) f |= kAlphaTest;
    if (kind == Kind::Lines) f |= kWideLine;
    if (kind == Kind::Points) f |= kPoint;
    return f;
}

void Layer::applyPipeline(Kind kind) {
    Applied& w = applied;
    setCap(GL_BLEND, a.blend, w.blend);
    setCap(GL_DEPTH_TEST, a.depthTest, w.depthTest);
    // Lines and points are never culled; their quads must not be either.
    setCap(GL_CULL_FACE, a.cullFace && kind == Kind::Triangles, w.cullFace);
    setCap(GL_SCISSOR_TEST, a.scissorTest, w.scissorTest);
    setCap(GL_POLYGON_OFFSET_FILL, a.polygonOffsetFill, w.polygonOffsetFill);
    setCap(GL_DITHER, a.dither, w.dither);
    if (w.blendSrc != a.blendSrc || w.blendDst != a.blendDst) {
        w.blendSrc = a.blendSrc, w.blendDst = a.blendDst;
        emscripten_glBlendFunc(a.blendSrc, a.blendDst);
    }
    if (w.depthFunc != a.depthFunc) emscripten_glDepthFunc(w.depthFunc = a.depthFunc);
    if (w.depthMask != a.depthMask) emscripten_glDepthMask(w.depthMask = a.depthMask);
    if (!std::equal(a.colorMask, a.colorMask + 4, w.colorMask)) {
        std::copy(a.colorMask, a.colorMask + 4, w.colorMask);
        emscripten_glColorMask(a.colorMask[0], a.colorMask[1], a.colorMask[2], a.colorMask[3]);
    }
    if (w.cullMode != a.cullMode) emscripten_glCullFace(w.cullMode = a.cullMode);
    if (w.frontFace != a.frontFace) emscripten_glFrontFace(w.frontFace = a.frontFace);
    if (!std::equal(a.viewport, a.viewport + 4, w.viewport)) {
        std::copy(a.viewport, a.viewport + 4, w.viewport);
        emscripten_glViewport(a.viewport[0], a.viewport[1], a.viewport[2], a.viewport[3]);
    }
    if (!std::equal(a.scissor, a.scissor + 4, w.scissor)) {
        std::copy(a.scissor, a.scissor + 4, w.scissor);
        emscripten_glScissor(a.scissor[0], a.scissor[1], a.scissor[2], a.scissor[3]);
    }
}

void Layer::useProgram(GLuint id) {
    if (boundProgram == id) return;
    boundProgram = id;
    emscripten_glUseProgram(id);
}

bool Layer::bindProgramFor(Kind kind, GLint& mvpLocation) {
    if (userProgram) {
        useProgram(userProgram);
        mvpLocation = emscripten_glGetUniformLocation(userProgram, "u_mvp");
        return true;
    }
    Program* p = programFor(featuresFor(kind));
    if (!p) return false;
    useProgram(p->id);
    if (p->matrixSerial != matrixSerial) {
        p->matrixSerial = matrixSerial;
        const Matrix mvp = multiply(projection.back(), modelview.back());
        emscripten_glUniformMatrix4fv(p->mvp, 1, GL_FALSE, mvp.data());
        if (p->modelview >= 0) emscripten_glUniformMatrix4fv(p->modelview, 1, GL_FALSE, modelview.back().data());
        if (p->normalMatrix >= 0) {
            const auto n = normalMatrix(modelview.back());
            emscripten_glUniformMatrix3fv(p->normalMatrix, 1, GL_FALSE, n.data());
        }
        const Matrix& texture = textureStack.back();
        if (!p->textureMatrixUploaded || !std::equal(texture.begin(), texture.end(), p->textureMatrix)) {
            p->textureMatrixUploaded = true;
            std::copy(texture.begin(), texture.end(), p->textureMatrix);
            emscripten_glUniformMatrix4fv(p->textureMatrixLocation, 1, GL_FALSE, texture.data());
        }
    }
    // Each uniform is sent only when its value differs from what this program holds.
    auto send = [p](UniformSlot slot, GLint location, const float* v, int n, bool integer = false) {
        if (location < 0) return;
        float value[4] = {0, 0, 0, 0};
        std::copy(v, v + n, value);
        if (p->uploaded[slot] && std::equal(value, value + 4, p->values[slot])) return;
        p->uploaded[slot] = true;
        std::copy(value, value + 4, p->values[slot]);
        if (integer) {
            emscripten_glUniform1i(location, int(value[0]));
            return;
        }
        switch (n) {
        case 1: emscripten_glUniform1f(location, value[0]); break;
        case 2: emscripten_glUniform2f(location, value[0], value[1]); break;
        case 3: emscripten_glUniform3fv(location, 1, value); break;
        default: emscripten_glUniform4fv(location, 1, value); break;
        }
    };
    auto sendInt = [&send](UniformSlot slot, GLint location, int v) {
        const float value = float(v);
        send(slot, location, &value, 1, true);
    };
    if (p->lightOn >= 0) {
        const Material& m = a.material;
        const Light& l = a.light;
        int mode = 0;
        if (a.colorMaterial) {
            switch (a.colorMaterialMode) {
            case GL_AMBIENT_AND_DIFFUSE: mode = 1; break;
            case GL_AMBIENT: mode = 2; break;
            case GL_DIFFUSE: mode = 3; break;
            case GL_EMISSION: mode = 4; break;
            case GL_SPECULAR: mode = 5; break;
            default: break;
            }
        }
        sendInt(kSlotLightOn, p->lightOn, a.light0);
        send(kSlotLightPosition, p->lightPosition, l.position, 4);
        send(kSlotLightAmbient, p->lightAmbient, l.ambient, 4);
        send(kSlotLightDiffuse, p->lightDiffuse, l.diffuse, 4);
        send(kSlotLightSpecular, p->lightSpecular, l.specular, 4);
        send(kSlotAttenuation, p->attenuation, l.attenuation, 3);
        send(kSlotSceneAmbient, p->sceneAmbient, a.sceneAmbient, 4);
        // What the vertex colour stands for is not read from the uniforms.
        if (mode != 1 && mode != 2) send(kSlotMatAmbient, p->matAmbient, m.ambient, 4);
        if (mode != 1 && mode != 3) send(kSlotMatDiffuse, p->matDiffuse, m.diffuse, 4);
        if (mode != 5) send(kSlotMatSpecular, p->matSpecular, m.specular, 4);
        if (mode != 4) send(kSlotMatEmission, p->matEmission, m.emission, 4);
        send(kSlotShininess, p->shininess, &m.shininess, 1);
        sendInt(kSlotColorMaterial, p->colorMaterial, mode);
        sendInt(kSlotNormalize, p->normalize, a.normalize || a.rescaleNormal);
    }
    if (p->fogColor >= 0) {
        send(kSlotFogColor, p->fogColor, a.fogColor, 4);
        float params[2] = {a.fogDensity, 0};
        if (a.fogMode == GL_LINEAR) {
            const float range = a.fogEnd - a.fogStart;
            params[0] = range != 0 ? -1.0f / range : 0.0f;
            params[1] = range != 0 ? a.fogEnd / range : 1.0f;
        }
        send(kSlotFogParams, p->fogParams, params, 2);
        sendInt(kSlotFogMode, p->fogMode, a.fogMode == GL_LINEAR ? 0 : a.fogMode == GL_EXP ? 1 : 2);
    }
    if (p->alphaFunc >= 0) {
        sendInt(kSlotAlphaFunc, p->alphaFunc, int(a.alphaFunc - GL_NEVER));
        send(kSlotAlphaRef, p->alphaRef, &a.alphaRef, 1);
    }
    if (p->texEnv >= 0) {
        int env = a.texEnvMode == GL_REPLACE ? 1 : a.texEnvMode == GL_DECAL ? 2 : 0;
        auto it = textures.find(a.boundTexture);
        if (it != textures.end() && !it->second.hasAlpha) env |= 8;
        sendInt(kSlotTexEnv, p->texEnv, env);
        sendInt(kSlotSampler, p->sampler, 0);
    }
    const float width = std::max(a.lineWidth, 1.0f);
    send(kSlotLineWidth, p->lineWidth, &width, 1);
    const float viewport[4] = {float(a.viewport[0]), float(a.viewport[1]), float(a.viewport[2]), float(a.viewport[3])};
    send(kSlotViewport, p->viewport, viewport, 4);
    mvpLocation = -1;
    return true;
}

void Layer::setAttributes(GLuint buffer, GLintptr base, unsigned inherited, Kind kind) {
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLsizei stride = sizeof(Vertex);
    struct Slot {
        GLuint index;
        GLint size;
        size_t offset;
        unsigned bit;  // the attribute's bit in a list's inherited mask
        const float* current;
    };
    const float currentNormal[4] = {a.normal[0], a.normal[1], a.normal[2], 0};
    const float currentTex[4] = {a.texcoord[0], a.texcoord[1], 0, 1};
    const Slot slots[] = {
        {kPosition, 3, offsetof(Vertex, position), 0, nullptr},
        {kNormal, 3, offsetof(Vertex, normal), kInheritNormal, currentNormal},
        {kColor, 4, offsetof(Vertex, color), kInheritColor, a.color},
        {kTexcoord, 2, offsetof(Vertex, texcoord), kInheritTexcoord, currentTex},
        {kOtherEnd, 3, offsetof(Vertex, other), 0, nullptr},
        {kSide, 1, offsetof(Vertex, side), 0, nullptr},
    };
    for (const Slot& s : slots) {
        const bool lineOnly = s.index == kOtherEnd || s.index == kSide;
        const bool array = !(s.bit & inherited) && (!lineOnly || kind == Kind::Lines);
        if (array) {
            emscripten_glVertexAttribPointer(s.index, s.size, GL_FLOAT, GL_FALSE, stride,
                                             reinterpret_cast<const void*>(base + s.offset));
            if (!attribArrayOn[s.index]) emscripten_glEnableVertexAttribArray(s.index);
            attribArrayOn[s.index] = true;
        } else {
            if (attribArrayOn[s.index]) emscripten_glDisableVertexAttribArray(s.index);
            attribArrayOn[s.index] = false;
            if (s.current) emscripten_glVertexAttrib4f(s.index, s.current[0], s.current[1], s.current[2], s.current[3]);
        }
    }
}

void Layer::drawArrays(GLuint buffer, GLintptr base, GLsizei count, unsigned inherited, Kind kind) {
    if (count <= 0) return;
    applyPipeline(kind);
    GLint userMvp = -1;
    if (!bindProgramFor(kind, userMvp)) return;
    if (userMvp >= 0) {
        const Matrix mvp = multiply(projection.back(), modelview.back());
        emscripten_glUniformMatrix4fv(userMvp, 1, GL_FALSE, mvp.data());
    }
    setAttributes(buffer, base, inherited, kind);
    emscripten_glDrawArrays(kind == Kind::Points ? GL_POINTS : GL_TRIANGLES, 0, count);
}

// Sends the immediate-mode vertices gathered since the last state change.
void Layer::flush() {
    if (pending.empty()) return;
    const GLsizeiptr bytes = GLsizeiptr(pending.size() * sizeof(Vertex));
    CachedBatch& cached = batchCache[digest(pending, unsigned(pendingKind))];
    const bool seen = cached.count == GLsizei(pending.size()) && cached.lastFrame != 0;
    cached.count = GLsizei(pending.size());
    cached.lastFrame = frameNumber + 1;
    if (seen && !cached.buffer && cachedBytes + size_t(bytes) <= kCacheBytes) {
        emscripten_glGenBuffers(1, &cached.buffer);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, cached.buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, bytes, pending.data(), GL_STATIC_DRAW);
        cachedBytes += size_t(bytes);
    }
    if (seen && cached.buffer) {
        const Kind kind = pendingKind;
        pending.clear();
        drawArrays(cached.buffer, 0, cached.count, 0, kind);
        return;
    }
    if (streamOffset + bytes > streamSize) {
        streamSize = std::max(kStreamBytes, bytes);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, streamSize, nullptr, GL_STREAM_DRAW);  // orphans the old store
        streamOffset = 0;
    }
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, streamOffset, bytes, pending.data());
    const GLintptr base = streamOffset;
    streamOffset += bytes;
    const GLsizei count = GLsizei(pending.size());
    const Kind kind = pendingKind;
    pending.clear();
    drawArrays(streamBuffer, base, count, 0, kind);
}

// ---- immediate mode and recording ----

Vertex Layer::currentVertex(float x, float y, float z) const {
    Vertex v{};
    v.position[0] = x, v.position[1] = y, v.position[2] = z;
    const AttributeValues& c = compiling ? compiling->current : AttributeValues{};
    const float* normal = compiling ? c.normal : a.normal;
    const float* color = compiling ? c.color : a.color;
    const float* tex = compiling ? c.texcoord : a.texcoord;
    std::memcpy(v.normal, normal, sizeof v.normal);
    std::memcpy(v.color, color, sizeof v.color);
    std::memcpy(v.texcoord, tex, sizeof v.texcoord);
    return v;
}

void Layer::begin(GLenum mode) {
    if (inBegin) {
        error(GL_INVALID_OPERATION);
        return;
    }
    if (mode > GL_POLYGON) {
        error(GL_INVALID_ENUM);
        return;
    }
    inBegin = true;
    primitiveMode = mode;
    primitive.clear();
}

void Layer::vertex(float x, float y, float z) {
    if (!inBegin) return;  // GL: undefined outside glBegin/glEnd; nothing is drawn
    // A list's primitive takes from the current values what the list has not set by its first vertex.
    if (compiling && primitive.empty()) primitiveInherits = compiling->unknown;
    primitive.push_back(currentVertex(x, y, z));
}

void Layer::end() {
    if (!inBegin) {
        error(GL_INVALID_OPERATION);
        return;
    }
    inBegin = false;
    triangleScratch.clear();
    segmentScratch.clear();
    pointScratch.clear();
    const bool fillsPolygons = primitiveMode >= GL_TRIANGLES;
    const bool outline = fillsPolygons && a.polygonMode[0] != GL_FILL && !compiling;
    assemble(primitiveMode, primitive, triangleScratch, segmentScratch, pointScratch, outline);
    Kind kind = Kind::Triangles;
    std::vector<Vertex>* out = &triangleScratch;
    if (!segmentScratch.empty()) {
        kind = Kind::Lines;
        for (const auto& s : segmentScratch) widen(s, triangleScratch);
    } else if (!pointScratch.empty()) {
        kind = Kind::Points;
        out = &pointScratch;
    }
    if (out->empty()) return;
    if (compiling) {
        compiling->addDraw(*out, kind, primitiveInherits);
        return;
    }
    if (!pending.empty() && pendingKind != kind) flush();
    pendingKind = kind;
    pending.insert(pending.end(), out->begin(), out->end());
}

void Layer::setColor(float r, float g, float b, float alpha) {
    float* target = compiling ? compiling->current.color : a.color;
    target[0] = r, target[1] = g, target[2] = b, target[3] = alpha;
    if (compiling) {
        compiling->unknown &= ~kInheritColor;
        return;
    }
    trackColorMaterial();
}

void Layer::setNormal(float x, float y, float z) {
    float* target = compiling ? compiling->current.normal : a.normal;
    target[0] = x, target[1] = y, target[2] = z;
    if (compiling) compiling->unknown &= ~kInheritNormal;
}

void Layer::setTexcoord(float s, float t) {
    float* target = compiling ? compiling->current.texcoord : a.texcoord;
    target[0] = s, target[1] = t;
    if (compiling) compiling->unknown &= ~kInheritTexcoord;
}

void DisplayList::addDraw(const std::vector<Vertex>& v, Kind kind, unsigned inherits) {
    const GLsizei first = GLsizei(vertices.size());
    vertices.insert(vertices.end(), v.begin(), v.end());
    if (!ops.empty() && ops.back().draw && ops.back().kind == kind && ops.back().inherits == inherits &&
        ops.back().first + ops.back().count == first) {
        ops.back().count += GLsizei(v.size());
    } else {
        Op op;
        op.draw = true;
        op.kind = kind;
        op.inherits = inherits;
        op.first = first;
        op.count = GLsizei(v.size());
        ops.push_back(std::move(op));
    }
    ops.back().after = current;
    ops.back().setsAfter = ~unknown & kInheritAll;
}

// After a list's draw: the current attributes are those its last vertex carried.
void Layer::applyAfter(const AttributeValues& v, unsigned sets) {
    if (sets & kInheritColor) {
        std::memcpy(a.color, v.color, sizeof a.color);
        trackColorMaterial();
    }
    if (sets & kInheritNormal) std::memcpy(a.normal, v.normal, sizeof a.normal);
    if (sets & kInheritTexcoord) std::memcpy(a.texcoord, v.texcoord, sizeof a.texcoord);
}

void Layer::recordCall(std::function<void()> call) {
    Op op;
    // Attributes set in the list before this call are current when it runs.
    if (~compiling->unknown & kInheritAll) {
        const AttributeValues values = compiling->current;
        const unsigned sets = ~compiling->unknown & kInheritAll;
        op.call = [values, sets, call] {
            layer.applyAfter(values, sets);
            call();
        };
    } else {
        op.call = std::move(call);
    }
    compiling->ops.push_back(std::move(op));
    if (compileAndExecute) compiling->ops.back().call();
}

void Layer::callList(GLuint id, int depth) {
    if (depth > 64) return;  // GL's nesting limit
    auto it = lists.find(id);
    if (it == lists.end()) return;
    DisplayList& list = *it->second;
    for (const Op& op : list.ops) {
        if (!op.draw) {
            const int outer = listDepth;
            listDepth = depth;  // lists called from this one nest one deeper
            op.call();
            listDepth = outer;
            continue;
        }
        flush();
        drawArrays(list.buffer, GLintptr(op.first) * GLintptr(sizeof(Vertex)), op.count, op.inherits, op.kind);
        applyAfter(op.after, op.setsAfter);
    }
}

void Layer::endList() {
    DisplayList* list = compiling;
    if (!list) {
        error(GL_INVALID_OPERATION);
        return;
    }
    // The current attributes the list set last stay set after it runs.
    if (~list->unknown & kInheritAll) {
        const AttributeValues values = list->current;
        const unsigned sets = ~list->unknown & kInheritAll;
        Op op;
        op.call = [values, sets] { layer.applyAfter(values, sets); };
        list->ops.push_back(std::move(op));
    }
    compiling = nullptr;
    if (!list->vertices.empty()) {
        emscripten_glGenBuffers(1, &list->buffer);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, list->buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(list->vertices.size() * sizeof(Vertex)),
                                list->vertices.data(), GL_STATIC_DRAW);
        list->vertices.clear();
        list->vertices.shrink_to_fit();
    }
    deleteList(compilingId);
    lists[compilingId].reset(list);
}

void Layer::deleteList(GLuint id) {
    auto it = lists.find(id);
    if (it == lists.end()) return;
    if (it->second && it->second->buffer) emscripten_glDeleteBuffers(1, &it->second->buffer);
    lists.erase(it);
}

// ---- attribute stack ----

void Layer::pushAttrib(GLbitfield mask) {
    if (attribStack.size() >= 16) {
        error(GL_STACK_OVERFLOW);
        return;
    }
    attribStack.push_back({mask, a});
}

void Layer::popAttrib() {
    if (attribStack.empty()) {
        error(GL_STACK_UNDERFLOW);
        return;
    }
    stateChanged();
    ++matrixSerial;  // the viewport is part of the line shader's state
    const auto [mask, s] = attribStack.back();
    attribStack.pop_back();
    if (mask & GL_CURRENT_BIT) {
        std::memcpy(a.color, s.color, sizeof a.color);
        std::memcpy(a.normal, s.normal, sizeof a.normal);
        std::memcpy(a.texcoord, s.texcoord, sizeof a.texcoord);
    }
    if (mask & GL_ENABLE_BIT) {
        a.blend = s.blend, a.depthTest = s.depthTest, a.cullFace = s.cullFace, a.alphaTest = s.alphaTest;
        a.lighting = s.lighting, a.light0 = s.light0, a.colorMaterial = s.colorMaterial, a.fog = s.fog;
        a.texture2D = s.texture2D, a.normalize = s.normalize, a.scissorTest = s.scissorTest;
        a.texGenS = s.texGenS, a.texGenT = s.texGenT, a.stencilTest = s.stencilTest, a.dither = s.dither;
        a.polygonOffsetFill = s.polygonOffsetFill, a.rescaleNormal = s.rescaleNormal;
    }
    if (mask & GL_COLOR_BUFFER_BIT) {
        a.blendSrc = s.blendSrc, a.blendDst = s.blendDst, a.alphaFunc = s.alphaFunc, a.alphaRef = s.alphaRef;
        std::memcpy(a.clearColor, s.clearColor, sizeof a.clearColor);
        std::memcpy(a.colorMask, s.colorMask, sizeof a.colorMask);
        a.blend = s.blend, a.alphaTest = s.alphaTest, a.dither = s.dither;
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        a.depthFunc = s.depthFunc, a.depthMask = s.depthMask, a.clearDepth = s.clearDepth;
        a.depthTest = s.depthTest;
    }
    if (mask & GL_POLYGON_BIT) {
        a.cullMode = s.cullMode, a.frontFace = s.frontFace;
        a.polygonMode[0] = s.polygonMode[0], a.polygonMode[1] = s.polygonMode[1];
        a.cullFace = s.cullFace, a.polygonOffsetFill = s.polygonOffsetFill;
    }
    if (mask & GL_LINE_BIT) a.lineWidth = s.lineWidth;
    if (mask & GL_LIGHTING_BIT) {
        a.material = s.material, a.light = s.light;
        std::memcpy(a.sceneAmbient, s.sceneAmbient, sizeof a.sceneAmbient);
        a.colorMaterialMode = s.colorMaterialMode, a.shadeModel = s.shadeModel;
        a.lighting = s.lighting, a.light0 = s.light0, a.colorMaterial = s.colorMaterial;
    }
    if (mask & GL_FOG_BIT) {
        a.fogMode = s.fogMode, a.fogDensity = s.fogDensity, a.fogStart = s.fogStart, a.fogEnd = s.fogEnd;
        std::memcpy(a.fogColor, s.fogColor, sizeof a.fogColor);
        a.fog = s.fog;
    }
    if (mask & GL_TEXTURE_BIT) {
        a.texEnvMode = s.texEnvMode;
        a.texGenS = s.texGenS, a.texGenT = s.texGenT;
        if (a.boundTexture != s.boundTexture) {
            a.boundTexture = s.boundTexture;
            emscripten_glBindTexture(GL_TEXTURE_2D, a.boundTexture);
        }
    }
    if (mask & GL_VIEWPORT_BIT) std::memcpy(a.viewport, s.viewport, sizeof a.viewport);
    if (mask & GL_SCISSOR_BIT) {
        std::memcpy(a.scissor, s.scissor, sizeof a.scissor);
        a.scissorTest = s.scissorTest;
    }
    if (mask & GL_TRANSFORM_BIT) {
        a.matrixMode = s.matrixMode;
        a.normalize = s.normalize, a.rescaleNormal = s.rescaleNormal;
    }
    if (mask & GL_LIST_BIT) a.listBase = s.listBase;
}

// ---- the picture that stands for the default framebuffer ----

bool Layer::makeScreen(int width, int height) {
    width = std::max(width, 1), height = std::max(height, 1);
    if (screen.framebuffer && screen.width == width && screen.height == height) return true;
    if (!screen.framebuffer) {
        emscripten_glGenFramebuffers(1, &screen.framebuffer);
        emscripten_glGenRenderbuffers(1, &screen.colour);
        emscripten_glGenRenderbuffers(1, &screen.depth);
    }
    screen.width = width, screen.height = height;
    emscripten_glBindRenderbuffer(GL_RENDERBUFFER, screen.colour);
    emscripten_glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    emscripten_glBindRenderbuffer(GL_RENDERBUFFER, screen.depth);
    emscripten_glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    emscripten_glBindRenderbuffer(GL_RENDERBUFFER, userRenderbuffer);
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    emscripten_glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, screen.colour);
    emscripten_glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, screen.depth);
    const bool ok = emscripten_glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, realFramebuffer(drawFramebuffer));
    emscripten_glBindFramebuffer(GL_READ_FRAMEBUFFER, realFramebuffer(readFramebuffer));
    return ok;
}

GLuint Layer::realFramebuffer(GLuint name) const { return name ? name : screen.framebuffer; }

bool Layer::hasAlpha(GLuint framebuffer) const {
    auto it = framebufferAlpha.find(framebuffer);
    return framebuffer && it != framebufferAlpha.end() && it->second;
}

bool initialise(std::string* error) {
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_get_current_context();
    if (!context) {
        if (error) *error = "no WebGL context is current";
        return false;
    }
    const char* version = reinterpret_cast<const char*>(emscripten_glGetString(GL_VERSION));
    if (!version || !std::strstr(version, "WebGL 2")) {
        if (error) *error = "the browser offers no WebGL 2";
        return false;
    }
    layer.context = context;
    int width = 0, height = 0;
    emscripten_webgl_get_drawing_buffer_size(context, &width, &height);
    if (!layer.streamBuffer) emscripten_glGenBuffers(1, &layer.streamBuffer);
    if (!layer.makeScreen(width, height)) {
        if (error) *error = "the browser cannot make the picture buffer";
        return false;
    }
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, layer.screen.framebuffer);
    layer.a.viewport[0] = layer.a.viewport[1] = 0;
    layer.a.viewport[2] = layer.a.scissor[2] = width;
    layer.a.viewport[3] = layer.a.scissor[3] = height;
    emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 1);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    layer.applied = Applied{};
    layer.applied.dither = true;
    layer.applied.viewport[2] = layer.applied.scissor[2] = width;
    layer.applied.viewport[3] = layer.applied.scissor[3] = height;
    ++layer.matrixSerial;
    return true;
}

void Layer::forgetStaleBatches() {
    ++frameNumber;
    if (frameNumber % 30 != 0) return;
    for (auto it = batchCache.begin(); it != batchCache.end();) {
        if (it->second.lastFrame + kCacheFrames > frameNumber + 1) {
            ++it;
            continue;
        }
        if (it->second.buffer) {
            emscripten_glDeleteBuffers(1, &it->second.buffer);
            cachedBytes -= size_t(it->second.count) * sizeof(Vertex);
        }
        it = batchCache.erase(it);
    }
}

void presentFrame() {
    layer.flush();
    layer.forgetStaleBatches();
    const Screen& s = layer.screen;
    emscripten_glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
    emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    setCap(GL_SCISSOR_TEST, false, layer.applied.scissorTest);
    emscripten_glBlitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    int width = 0, height = 0;
    emscripten_webgl_get_drawing_buffer_size(layer.context, &width, &height);
    if (width != s.width || height != s.height) layer.makeScreen(width, height);
    emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, layer.realFramebuffer(layer.drawFramebuffer));
    emscripten_glBindFramebuffer(GL_READ_FRAMEBUFFER, layer.realFramebuffer(layer.readFramebuffer));
}

int pictureWidth() { return layer.screen.width; }
int pictureHeight() { return layer.screen.height; }

}  // namespace webgl
