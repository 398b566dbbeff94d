// The fixed-function state the layer keeps: everything GL 1.1 holds that WebGL does not, in one
// struct a test or glPopAttrib can copy, and the matrix helpers in Mesa's single precision.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>

namespace webgl {

using Matrix = std::array<float, 16>;  // column-major, as GL stores it

Matrix identityMatrix();
Matrix multiply(const Matrix& a, const Matrix& b);  // a * b
void translate(Matrix& m, float x, float y, float z);
void rotate(Matrix& m, float angleDegrees, float x, float y, float z);
void scale(Matrix& m, float x, float y, float z);
void ortho(Matrix& m, float left, float right, float bottom, float top, float zNear, float zFar);
void frustum(Matrix& m, float left, float right, float bottom, float top, float zNear, float zFar);
// The inverse transpose of the upper 3x3 (column-major 3x3), for normals; identity when singular.
std::array<float, 9> normalMatrix(const Matrix& modelview);
// m * (x, y, z, w)
std::array<float, 4> transform(const Matrix& m, const float v[4]);

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

struct Light {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {1, 1, 1, 1};   // light 0's defaults
    float specular[4] = {1, 1, 1, 1};
    float position[4] = {0, 0, 1, 0};  // eye space, transformed when set
    float attenuation[3] = {1, 0, 0};  // constant, linear, quadratic
};

// Everything glPushAttrib can save. Matrices, lists, objects and bindings of buffers and
// framebuffers are not attributes and live elsewhere.
struct AttribState {
    // GL_CURRENT_BIT
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texcoord[2] = {0, 0};
    // enables
    bool blend = false, depthTest = false, cullFace = false, alphaTest = false, lighting = false;
    bool light0 = false, colorMaterial = false, fog = false, texture2D = false, normalize = false;
    bool scissorTest = false, texGenS = false, texGenT = false, stencilTest = false, dither = true;
    bool polygonOffsetFill = false, rescaleNormal = false;
    // GL_COLOR_BUFFER_BIT
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaRef = 0;
    float clearColor[4] = {0, 0, 0, 0};
    bool colorMask[4] = {true, true, true, true};
    // GL_DEPTH_BUFFER_BIT
    GLenum depthFunc = GL_LESS;
    bool depthMask = true;
    float clearDepth = 1;
    // GL_POLYGON_BIT
    GLenum cullMode = GL_BACK, frontFace = GL_CCW;
    GLenum polygonMode[2] = {GL_FILL, GL_FILL};  // front, back
    // GL_LINE_BIT
    float lineWidth = 1;
    // GL_LIGHTING_BIT
    Material material;
    Light light;
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    GLenum colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    GLenum shadeModel = GL_SMOOTH;
    // GL_FOG_BIT
    GLenum fogMode = GL_EXP;
    float fogDensity = 1, fogStart = 0, fogEnd = 1;
    float fogColor[4] = {0, 0, 0, 0};
    // GL_TEXTURE_BIT
    GLuint boundTexture = 0;
    GLenum texEnvMode = GL_MODULATE;
    // GL_VIEWPORT_BIT
    int viewport[4] = {0, 0, 0, 0};
    // GL_SCISSOR_BIT
    int scissor[4] = {0, 0, 0, 0};
    // GL_TRANSFORM_BIT
    GLenum matrixMode = GL_MODELVIEW;
    // GL_LIST_BIT
    GLuint listBase = 0;
};

}  // namespace webgl
