// The layer's one process-wide object: fixed-function state, matrix stacks, display lists,
// objects the layer tracks beside WebGL, and the shadow of what WebGL was last told.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "gl_state.h"
#include "shaders.h"

namespace webgl {

// One vertex as the draw sends it. Wide-line corners also carry the other end and a side.
struct Vertex {
    float position[3];
    float normal[3];
    float color[4];
    float texcoord[2];
    float other[3];
    float side;
};

enum class Kind { Triangles, Lines, Points };

// Attributes a display list did not set, taken from the current values when it runs.
enum : unsigned {
    kInheritColor = 1,
    kInheritNormal = 2,
    kInheritTexcoord = 4,
    kInheritAll = 7,
};

struct AttributeValues {
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texcoord[2] = {0, 0};
};

// A recorded call, or a range of the list's vertex buffer to draw.
struct Op {
    std::function<void()> call;
    bool draw = false;
    Kind kind = Kind::Triangles;
    unsigned inherits = 0;
    GLsizei first = 0, count = 0;
    AttributeValues after;  // the attributes the range leaves current ...
    unsigned setsAfter = 0; // ... those of them the list set
};

struct DisplayList {
    std::vector<Op> ops;
    std::vector<Vertex> vertices;  // while compiling; then in buffer
    GLuint buffer = 0;
    AttributeValues current;       // while compiling: the list's own current attributes
    unsigned unknown = kInheritAll;

    void addDraw(const std::vector<Vertex>& v, Kind kind, unsigned inherits);
};

struct TextureInfo {
    int width = 0, height = 0;
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
    bool hasAlpha = true;
    // GL 1.1 without mipmaps: only a non-mipmap filter makes the texture complete; an incomplete
    // one turns texturing off, as Mesa's fixed function does.
    bool complete() const {
        return width > 0 && height > 0 && (minFilter == GL_NEAREST || minFilter == GL_LINEAR);
    }
};

// The framebuffer that stands for GL's default one.
struct Screen {
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int width = 0, height = 0;
};

// What WebGL was last told, so that draws send only changes.
struct Applied {
    bool blend = false, depthTest = false, cullFace = false, scissorTest = false, polygonOffsetFill = false;
    bool dither = true;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO, depthFunc = GL_LESS, cullMode = GL_BACK, frontFace = GL_CCW;
    bool depthMask = true;
    bool colorMask[4] = {true, true, true, true};
    int viewport[4] = {0, 0, 0, 0};
    int scissor[4] = {0, 0, 0, 0};
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1;
};

// A pixel-pack buffer: WebGL 2 cannot map buffers, so these live in memory.
struct PackBuffer {
    std::vector<unsigned char> bytes;
    bool mapped = false;
};

struct Layer {
    AttribState a;
    std::vector<Matrix> modelview{identityMatrix()};
    std::vector<Matrix> projection{identityMatrix()};
    std::vector<Matrix> textureStack{identityMatrix()};
    std::vector<std::pair<GLbitfield, AttribState>> attribStack;
    unsigned matrixSerial = 1;  // bumped on every change of the matrices or the viewport
    GLenum ownError = GL_NO_ERROR;

    // immediate mode
    bool inBegin = false;
    GLenum primitiveMode = GL_TRIANGLES;
    unsigned primitiveInherits = 0;
    std::vector<Vertex> primitive;  // the vertices of the open glBegin
    std::vector<Vertex> pending;    // assembled, not yet drawn
    Kind pendingKind = Kind::Triangles;
    std::vector<Vertex> triangleScratch, pointScratch;
    std::vector<std::array<Vertex, 2>> segmentScratch;
    GLuint streamBuffer = 0;
    GLsizeiptr streamSize = 0, streamOffset = 0;
    // Immediate-mode batches seen before, by content: the show redraws its models vertex by vertex
    // every frame (and one model many times a frame); the second time a batch comes it gets a
    // buffer of its own and is never sent again while it keeps coming.
    struct CachedBatch {
        GLuint buffer = 0;
        GLsizei count = 0;
        unsigned lastFrame = 0;
    };
    std::unordered_map<uint64_t, CachedBatch> batchCache;
    size_t cachedBytes = 0;
    unsigned frameNumber = 0;
    void forgetStaleBatches();

    // display lists
    std::map<GLuint, std::unique_ptr<DisplayList>> lists;
    DisplayList* compiling = nullptr;
    GLuint compilingId = 0;
    bool compileAndExecute = false;
    int listDepth = 0;

    // objects beside WebGL
    std::unordered_map<GLuint, TextureInfo> textures;
    std::unordered_map<GLuint, GLenum> renderbufferFormats;
    std::unordered_map<GLuint, bool> framebufferAlpha;
    std::unordered_map<GLuint, PackBuffer> packBuffers;
    std::unordered_map<GLuint, bool> programHasVertexShader;
    TextureInfo proxy;
    GLuint packBuffer = 0, unpackBuffer = 0, arrayBuffer = 0, userRenderbuffer = 0;
    GLuint drawFramebuffer = 0, readFramebuffer = 0;  // as the caller named them; 0 is the screen
    GLuint userProgram = 0, boundProgram = 0;
    GLint packAlignment = 4, unpackAlignment = 4;
    bool attribArrayOn[6] = {};

    Screen screen;
    Applied applied;
    int context = 0;

    void error(GLenum code);
    void stateChanged();
    void matrixChanged();
    Matrix& currentMatrix();
    std::vector<Matrix>& currentStack();
    void trackColorMaterial();

    unsigned featuresFor(Kind kind) const;
    void applyPipeline(Kind kind);
    void useProgram(GLuint id);
    bool bindProgramFor(Kind kind, GLint& userMvpLocation);
    void setAttributes(GLuint buffer, GLintptr base, unsigned inherited, Kind kind);
    void drawArrays(GLuint buffer, GLintptr base, GLsizei count, unsigned inherited, Kind kind);
    void flush();

    Vertex currentVertex(float x, float y, float z) const;
    void begin(GLenum mode);
    void vertex(float x, float y, float z);
    void end();
    void setColor(float r, float g, float b, float alpha);
    void setNormal(float x, float y, float z);
    void setTexcoord(float s, float t);
    void applyAfter(const AttributeValues& v, unsigned sets);
    // Runs a call now, or records it into the list being compiled (GL's display-list rule).
    template <typename F>
    void record(F&& call) {
        if (!compiling) {
            call();
            return;
        }
        recordCall(std::function<void()>(std::forward<F>(call)));
    }
    void recordCall(std::function<void()> call);
    void callList(GLuint id, int depth);
    void endList();
    void deleteList(GLuint id);

    void pushAttrib(GLbitfield mask);
    void popAttrib();

    bool makeScreen(int width, int height);
    GLuint realFramebuffer(GLuint name) const;
    bool hasAlpha(GLuint framebuffer) const;
};

extern Layer layer;

}  // namespace webgl
