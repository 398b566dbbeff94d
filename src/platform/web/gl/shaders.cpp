// Fixed-function vertex and fragment processing in GLSL ES 3.00, in the order GL 1.1 defines it:
// per-vertex lighting of light 0, texture environment, fog, alpha test.
#include "shaders.h"

#include <cstdio>
#include <string>

#include "webgl_calls.h"

namespace webgl {
namespace {

const char* const kVertexSource = R"(
precision highp float;
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_texcoord;
#ifdef WIDE_LINE
layout(location = 4) in vec3 a_other;
layout(location = 5) in float a_side;
uniform vec4 u_viewport;    // x, y, width, height in pixels
uniform float u_lineWidth;  // pixels
#endif
uniform mat4 u_mvp;
uniform mat4 u_modelview;
uniform mat3 u_normalMatrix;
uniform mat4 u_textureMatrix;
#ifdef LIGHTING
uniform bool u_lightOn;
uniform vec4 u_lightPosition;  // eye space
uniform vec4 u_lightAmbient, u_lightDiffuse, u_lightSpecular;
uniform vec3 u_attenuation;
uniform vec4 u_sceneAmbient;
uniform vec4 u_matAmbient, u_matDiffuse, u_matSpecular, u_matEmission;
uniform float u_shininess;
uniform int u_colorMaterial;  // 0 off, 1 ambient and diffuse, 2 ambient, 3 diffuse, 4 emission, 5 specular
uniform bool u_normalize;
#endif
out vec4 v_color;
out vec2 v_texcoord;
out float v_fogCoord;

void main() {
    vec4 position = vec4(a_position, 1.0);
#if defined(LIGHTING) || defined(FOG)
    vec4 eye = u_modelview * position;
#endif
#ifdef WIDE_LINE
    // GL's aliased wide line as llvmpipe draws it: the segment widened along its minor screen axis
    // by the width rounded to whole pixels, its ends on a 1/256-pixel grid. Where the diamond-exit
    // rule decides an end pixel otherwise than the plain parallelogram would, that end is moved
    // along the line (the slope kept) to the edge where the line enters the pixel. An end behind
    // the eye is first brought onto the near plane.
    bool isEnd = abs(a_side) > 1.5;
    vec4 clip = u_mvp * position;
    vec4 other = u_mvp * vec4(a_other, 1.0);
    float d0 = clip.z + clip.w, d1 = other.z + other.w;
    if (d0 < 0.0 && d1 > 0.0) clip = mix(clip, other, d0 / (d0 - d1));
    if (d1 < 0.0 && d0 > 0.0) other = mix(other, clip, d1 / (d1 - d0));
    vec2 window = (clip.xy / clip.w * 0.5 + 0.5) * u_viewport.zw + u_viewport.xy;
    vec2 otherWindow = (other.xy / other.w * 0.5 + 0.5) * u_viewport.zw + u_viewport.xy;
    vec2 d = isEnd ? window - otherWindow : otherWindow - window;  // from the start to the end
    int major = abs(d.x) >= abs(d.y) ? 0 : 1;
    int minor = 1 - major;
    bool forward = d[major] >= 0.0;
    vec2 fromCentre = window - floor(window) - 0.5;
    bool ahead = (fromCentre[major] >= 0.0) == forward;  // past the centre, going along the line
    bool drawn;
    if (abs(fromCentre.x) + abs(fromCentre.y) < 0.5) {
        drawn = !isEnd;  // inside the diamond: the start's pixel is drawn, the end's is not
    } else if (isEnd != ahead) {
        drawn = false;  // the line never reaches the centre's column (row) in this pixel
    } else if (((fromCentre[minor] >= 0.0) == (d[minor] >= 0.0)) == isEnd) {
        drawn = true;
    } else {
        float crossing = fract(window[minor]) + fromCentre[major] * d[minor] / d[major];
        drawn = crossing > 0.0 && crossing < 1.0;
    }
    bool covered = isEnd ? fromCentre[major] != 0.0 && ahead : !ahead || fromCentre[major] == 0.0;
    if (drawn != covered) {
        float edge = floor(window[major]) + (forward ? 0.0 : 1.0);
        window[minor] += (edge - window[major]) * d[minor] / d[major];
        window[major] = edge;
    }
    window = floor(window * 256.0 + 0.5) / 256.0;
    window[1 - major] += sign(a_side) * 0.5 * max(floor(u_lineWidth + 0.5), 1.0);
    vec2 ndc = (window - u_viewport.xy) / u_viewport.zw * 2.0 - 1.0;
    gl_Position = vec4(ndc * clip.w, clip.z, clip.w);
#else
    gl_Position = u_mvp * position;
#endif
#ifdef POINT
    gl_PointSize = 1.0;
#endif
    vec4 color = a_color;
#ifdef LIGHTING
    vec4 ambient = u_matAmbient, diffuse = u_matDiffuse, specular = u_matSpecular, emission = u_matEmission;
    if (u_colorMaterial == 1) { ambient = a_color; diffuse = a_color; }
    else if (u_colorMaterial == 2) ambient = a_color;
    else if (u_colorMaterial == 3) diffuse = a_color;
    else if (u_colorMaterial == 4) emission = a_color;
    else if (u_colorMaterial == 5) specular = a_color;
    vec3 n = u_normalMatrix * a_normal;
    if (u_normalize) n = normalize(n);
    vec3 lit = emission.rgb + u_sceneAmbient.rgb * ambient.rgb;
    if (u_lightOn) {
        vec3 l;
        float attenuation = 1.0;
        if (u_lightPosition.w != 0.0) {
            vec3 toLight = u_lightPosition.xyz / u_lightPosition.w - eye.xyz / eye.w;
            float distance = length(toLight);
            l = toLight / distance;
            attenuation = 1.0 / (u_attenuation.x + u_attenuation.y * distance +
                                 u_attenuation.z * distance * distance);
        } else {
            l = normalize(u_lightPosition.xyz);
        }
        float nDotL = dot(n, l);
        vec3 term = u_lightAmbient.rgb * ambient.rgb + max(nDotL, 0.0) * u_lightDiffuse.rgb * diffuse.rgb;
        if (nDotL > 0.0 && any(notEqual(specular.rgb, vec3(0.0)))) {
            vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));  // the viewer at infinity
            float nDotH = max(dot(n, h), 0.0);
            float power = u_shininess == 0.0 ? 1.0 : pow(nDotH, u_shininess);
            term += power * u_lightSpecular.rgb * specular.rgb;
        }
        lit += attenuation * term;
    }
    color = vec4(lit, diffuse.a);
#endif
    v_color = clamp(color, 0.0, 1.0);
    v_texcoord = (u_textureMatrix * vec4(a_texcoord, 0.0, 1.0)).xy;
#ifdef FOG
    v_fogCoord = abs(eye.z);
#else
    v_fogCoord = 0.0;
#endif
}
)";

const char* const kFragmentSource = R"(
precision highp float;
in vec4 v_color;
in vec2 v_texcoord;
in float v_fogCoord;
#ifdef TEXTURE
uniform sampler2D u_sampler;
uniform int u_texEnv;  // 0 modulate, 1 replace, 2 decal; +8 when the texture has no alpha
#endif
#ifdef FOG
uniform vec4 u_fogColor;
uniform vec2 u_fogParams;  // linear: -1 / (end - start), end / (end - start); exp, exp2: density
uniform int u_fogMode;     // 0 linear, 1 exp, 2 exp2
#endif
#ifdef ALPHA_TEST
uniform int u_alphaFunc;  // GL_NEVER + n
uniform float u_alphaRef;
#endif
out vec4 fragColor;

void main() {
    vec4 color = v_color;
#ifdef TEXTURE
    vec4 texel = texture(u_sampler, v_texcoord);
    int env = u_texEnv & 7;
    bool opaque = (u_texEnv & 8) != 0;
    if (env == 0) color *= texel;
    else if (env == 1) color = opaque ? vec4(texel.rgb, color.a) : texel;
    else color = vec4(opaque ? texel.rgb : mix(color.rgb, texel.rgb, texel.a), color.a);
#endif
#ifdef FOG
    float f;
    if (u_fogMode == 0) f = v_fogCoord * u_fogParams.x + u_fogParams.y;
    else if (u_fogMode == 1) f = exp(-u_fogParams.x * v_fogCoord);
    else f = exp(-(u_fogParams.x * v_fogCoord) * (u_fogParams.x * v_fogCoord));
    color.rgb = mix(u_fogColor.rgb, color.rgb, clamp(f, 0.0, 1.0));
#endif
#ifdef ALPHA_TEST
    float a = color.a;
    bool pass;
    if (u_alphaFunc == 0) pass = false;
    else if (u_alphaFunc == 1) pass = a < u_alphaRef;
    else if (u_alphaFunc == 2) pass = a == u_alphaRef;
    else if (u_alphaFunc == 3) pass = a <= u_alphaRef;
    else if (u_alphaFunc == 4) pass = a > u_alphaRef;
    else if (u_alphaFunc == 5) pass = a != u_alphaRef;
    else if (u_alphaFunc == 6) pass = a >= u_alphaRef;
    else pass = true;
    if (!pass) discard;
#endif
    fragColor = color;
}
)";

const char* const kUserVertexSource = R"(#version 300 es
precision highp float;
layout(location = 0) in vec3 a_position;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_texcoord;
uniform mat4 u_mvp;
out vec4 v_color;
out vec2 v_texcoord;
void main() {
    gl_Position = u_mvp * vec4(a_position, 1.0);
    v_color = a_color;
    v_texcoord = a_texcoord;
}
)";

Program programs[kFeatureCount];
bool refused[kFeatureCount];

GLuint compile(GLenum type, const std::string& source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const GLchar* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "webgl: shader does not compile: %s\n", log);
        emscripten_glDeleteShader(shader);
        return 0;
    }
    return shader;
}

std::string prelude(unsigned features) {
    std::string p = "#version 300 es\n";
    if (features & kLighting) p += "#define LIGHTING\n";
    if (features & kTexture) p += "#define TEXTURE\n";
    if (features & kFog) p += "#define FOG\n";
    if (features & kAlphaTest) p += "#define ALPHA_TEST\n";
    if (features & kWideLine) p += "#define WIDE_LINE\n";
    if (features & kPoint) p += "#define POINT\n";
    return p;
}

bool build(unsigned features, Program& p) {
    const GLuint vs = compile(GL_VERTEX_SHADER, prelude(features) + kVertexSource);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, prelude(features) + kFragmentSource);
    if (!vs || !fs) return false;
    p.id = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.id, vs);
    emscripten_glAttachShader(p.id, fs);
    emscripten_glLinkProgram(p.id);
    emscripten_glDeleteShader(vs);
    emscripten_glDeleteShader(fs);
    GLint ok = 0;
    emscripten_glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        emscripten_glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
        std::fprintf(stderr, "webgl: program does not link: %s\n", log);
        emscripten_glDeleteProgram(p.id);
        p.id = 0;
        return false;
    }
    auto at = [&p](const char* name) { return emscripten_glGetUniformLocation(p.id, name); };
    p.mvp = at("u_mvp");
    p.modelview = at("u_modelview");
    p.normalMatrix = at("u_normalMatrix");
    p.textureMatrixLocation = at("u_textureMatrix");
    p.lightOn = at("u_lightOn");
    p.lightPosition = at("u_lightPosition");
    p.lightAmbient = at("u_lightAmbient");
    p.lightDiffuse = at("u_lightDiffuse");
    p.lightSpecular = at("u_lightSpecular");
    p.attenuation = at("u_attenuation");
    p.sceneAmbient = at("u_sceneAmbient");
    p.matAmbient = at("u_matAmbient");
    p.matDiffuse = at("u_matDiffuse");
    p.matSpecular = at("u_matSpecular");
    p.matEmission = at("u_matEmission");
    p.shininess = at("u_shininess");
    p.colorMaterial = at("u_colorMaterial");
    p.normalize = at("u_normalize");
    p.fogColor = at("u_fogColor");
    p.fogParams = at("u_fogParams");
    p.fogMode = at("u_fogMode");
    p.alphaFunc = at("u_alphaFunc");
    p.alphaRef = at("u_alphaRef");
    p.texEnv = at("u_texEnv");
    p.sampler = at("u_sampler");
    p.viewport = at("u_viewport");
    p.lineWidth = at("u_lineWidth");
    return true;
}

}  // namespace

Program* programFor(unsigned features) {
    features &= kFeatureCount - 1;
    Program& p = programs[features];
    if (p.id) return &p;
    if (refused[features]) return nullptr;
    if (!build(features, p)) {
        refused[features] = true;
        return nullptr;
    }
    return &p;
}

GLuint userVertexShader() {
    static GLuint shader = compile(GL_VERTEX_SHADER, kUserVertexSource);
    return shader;
}

}  // namespace webgl
