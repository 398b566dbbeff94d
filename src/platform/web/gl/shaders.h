// The layer's shader set: one GLSL ES 3.00 program per combination of fixed-function features.
#pragma once

#include <GL/gl.h>

namespace webgl {

// Feature bits of a draw; together they name its program.
enum Feature : unsigned {
    kLighting = 1u << 0,
    kTexture = 1u << 1,
    kFog = 1u << 2,       // linear, exp or exp2 (u_fogMode)
    kAlphaTest = 1u << 3,
    kWideLine = 1u << 4,  // vertices carry the segment's other end and a side
    kPoint = 1u << 5,
};
constexpr unsigned kFeatureCount = 64;

// Vertex attribute slots, fixed for every program (bound before linking).
enum Attribute : GLuint {
    kPosition = 0,
    kNormal = 1,
    kColor = 2,
    kTexcoord = 3,
    kOtherEnd = 4,
    kSide = 5,
};

// The uniforms compared value by value before an upload, one slot each.
enum UniformSlot {
    kSlotLightOn, kSlotLightPosition, kSlotLightAmbient, kSlotLightDiffuse, kSlotLightSpecular, kSlotAttenuation,
    kSlotSceneAmbient, kSlotMatAmbient, kSlotMatDiffuse, kSlotMatSpecular, kSlotMatEmission, kSlotShininess,
    kSlotColorMaterial, kSlotNormalize, kSlotFogColor, kSlotFogParams, kSlotFogMode, kSlotAlphaFunc, kSlotAlphaRef,
    kSlotTexEnv, kSlotSampler, kSlotLineWidth, kSlotViewport, kUniformSlots
};

struct Program {
    GLuint id = 0;
    GLint mvp = -1, modelview = -1, normalMatrix = -1, textureMatrixLocation = -1;
    GLint lightPosition = -1, lightAmbient = -1, lightDiffuse = -1, lightSpecular = -1, attenuation = -1;
    GLint sceneAmbient = -1, matAmbient = -1, matDiffuse = -1, matSpecular = -1, matEmission = -1;
    GLint shininess = -1, colorMaterial = -1, normalize = -1, lightOn = -1;
    GLint fogColor = -1, fogParams = -1, fogMode = -1;
    GLint alphaFunc = -1, alphaRef = -1, texEnv = -1, sampler = -1;
    GLint viewport = -1, lineWidth = -1;
    // What was last uploaded, so unchanged state is not sent again: matrices by the layer's serial,
    // the rest value by value (WebGL calls are the cost of a draw).
    unsigned matrixSerial = ~0u;
    float values[kUniformSlots][4];
    float textureMatrix[16];
    bool textureMatrixUploaded = false;
    bool uploaded[kUniformSlots] = {};
};

// The program for a feature set, compiled on first use; null when the browser refuses it.
Program* programFor(unsigned features);

// The vertex shader that stands in for fixed-function vertex processing under a caller's own
// fragment shader (GLSL 1.30 fragment shaders are translated to GLSL ES 3.00).
GLuint userVertexShader();

}  // namespace webgl
