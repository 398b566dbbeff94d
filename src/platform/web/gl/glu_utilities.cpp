// GLU's projection helpers and image scaling with the arithmetic of the desktop's GLU, so that the
// matrices come out the same to the last bit: the perspective in double, the look-at in float.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

namespace {

void normalise(float v[3]) {
    const float squares = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];  // float, as GLU sums them
    const double r = std::sqrt(double(squares));
    if (r == 0.0) return;
    v[0] = float(v[0] / r), v[1] = float(v[1] / r), v[2] = float(v[2] / r);
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

int componentsOf(GLenum format) {
    switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_LUMINANCE:
    case GL_ALPHA: return 1;
    default: return 0;
    }
}

GLint alignment(GLenum which) {
    GLint a = 4;
    glGetIntegerv(which, &a);
    return a;
}

}  // namespace

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {float(centerX - eyeX), float(centerY - eyeY), float(centerZ - eyeZ)};
    float up[3] = {float(upX), float(upY), float(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);  // side = forward x up
    normalise(side);
    cross(side, forward, up);  // up = side x forward
    GLfloat m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                     side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// Scales an 8-bit image by averaging, for each output pixel, the input pixels its area covers
// (weighted by the part covered); rows aligned as glPixelStore says. 0 on success, else a GLU error.
GLint gluScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn, GLsizei wOut,
                    GLsizei hOut, GLenum typeOut, GLvoid* dataOut) {
    const int n = componentsOf(format);
    if (!n || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (wIn < 0 || hIn < 0 || wOut < 0 || hOut < 0) return GLU_INVALID_VALUE;
    if (wIn == 0 || hIn == 0 || wOut == 0 || hOut == 0) return 0;
    const GLint unpack = alignment(GL_UNPACK_ALIGNMENT), pack = alignment(GL_PACK_ALIGNMENT);
    const size_t inRow = (size_t(wIn) * n + unpack - 1) / unpack * unpack;
    const size_t outRow = (size_t(wOut) * n + pack - 1) / pack * pack;
    const auto* in = static_cast<const GLubyte*>(dataIn);
    auto* out = static_cast<GLubyte*>(dataOut);
    const double sx = double(wIn) / wOut, sy = double(hIn) / hOut;
    std::vector<double> sum(static_cast<size_t>(n));
    for (int y = 0; y < hOut; ++y) {
        const double y0 = y * sy, y1 = y0 + sy;
        for (int x = 0; x < wOut; ++x) {
            const double x0 = x * sx, x1 = x0 + sx;
            std::fill(sum.begin(), sum.end(), 0.0);
            double area = 0;
            for (int iy = int(y0); iy < hIn && iy < y1; ++iy) {
                const double wy = std::min(y1, iy + 1.0) - std::max(y0, double(iy));
                if (wy <= 0) continue;
                for (int ix = int(x0); ix < wIn && ix < x1; ++ix) {
                    const double wx = std::min(x1, ix + 1.0) - std::max(x0, double(ix));
                    if (wx <= 0) continue;
                    const GLubyte* p = in + size_t(iy) * inRow + size_t(ix) * n;
                    for (int c = 0; c < n; ++c) sum[size_t(c)] += p[c] * wx * wy;
                    area += wx * wy;
                }
            }
            GLubyte* q = out + size_t(y) * outRow + size_t(x) * n;
            for (int c = 0; c < n; ++c) q[c] = GLubyte(std::lround(area > 0 ? sum[size_t(c)] / area : 0));
        }
    }
    return 0;
}

}  // extern "C"
