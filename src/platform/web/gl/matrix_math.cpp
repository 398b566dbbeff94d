// Matrix operations as Mesa's fixed-function path does them: single precision, axis rotations
// exact, translation and scaling applied to the columns in place.
#include <cmath>

#include "gl_state.h"

namespace webgl {

Matrix identityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix p{};
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            p[j * 4 + i] = ai0 * b[j * 4 + 0] + ai1 * b[j * 4 + 1] + ai2 * b[j * 4 + 2] + ai3 * b[j * 4 + 3];
    }
    return p;
}

void translate(Matrix& m, float x, float y, float z) {
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void scale(Matrix& m, float x, float y, float z) {
    for (int i = 0; i < 4; ++i) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

void rotate(Matrix& m, float angle, float x, float y, float z) {
    const float s = std::sin(static_cast<float>(angle * M_PI / 180.0));
    const float c = std::cos(static_cast<float>(angle * M_PI / 180.0));
    Matrix r = identityMatrix();
    auto at = [&r](int row, int col) -> float& { return r[col * 4 + row]; };
    bool done = false;
    // Rotations about one axis are built exactly, so that a right angle leaves no stray terms.
    if (x == 0 && y == 0 && z != 0) {
        at(0, 0) = c, at(1, 1) = c;
        at(0, 1) = z < 0 ? s : -s;
        at(1, 0) = z < 0 ? -s : s;
        done = true;
    } else if (x == 0 && z == 0 && y != 0) {
        at(0, 0) = c, at(2, 2) = c;
        at(0, 2) = y < 0 ? -s : s;
        at(2, 0) = y < 0 ? s : -s;
        done = true;
    } else if (y == 0 && z == 0 && x != 0) {
        at(1, 1) = c, at(2, 2) = c;
        at(1, 2) = x < 0 ? s : -s;
        at(2, 1) = x < 0 ? -s : s;
        done = true;
    }
    if (!done) {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f) return;  // no axis: GL leaves the matrix alone
        x /= mag, y /= mag, z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        at(0, 0) = oneC * xx + c, at(0, 1) = oneC * xy - zs, at(0, 2) = oneC * zx + ys;
        at(1, 0) = oneC * xy + zs, at(1, 1) = oneC * yy + c, at(1, 2) = oneC * yz - xs;
        at(2, 0) = oneC * zx - ys, at(2, 1) = oneC * yz + xs, at(2, 2) = oneC * zz + c;
    }
    m = multiply(m, r);
}

void ortho(Matrix& m, float l, float r, float b, float t, float n, float f) {
    Matrix o = identityMatrix();
    o[0] = 2.0f / (r - l);
    o[12] = -(r + l) / (r - l);
    o[5] = 2.0f / (t - b);
    o[13] = -(t + b) / (t - b);
    o[10] = -2.0f / (f - n);
    o[14] = -(f + n) / (f - n);
    m = multiply(m, o);
}

void frustum(Matrix& m, float l, float r, float b, float t, float n, float f) {
    Matrix o{};
    o[0] = (2.0f * n) / (r - l);
    o[5] = (2.0f * n) / (t - b);
    o[8] = (r + l) / (r - l);
    o[9] = (t + b) / (t - b);
    o[10] = -(f + n) / (f - n);
    o[11] = -1.0f;
    o[14] = -(2.0f * f * n) / (f - n);
    m = multiply(m, o);
}

std::array<float, 9> normalMatrix(const Matrix& m) {
    // Inverse of the upper 3x3 by cofactors, in double; its transpose is what normals need.
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (det == 0) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    const double G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    // inverse (row-major) = [A D G; B E H; C F I] / det; its transpose, column-major, is the same
    // numbers read row by row as columns.
    const double k = 1.0 / det;
    return {float(A * k), float(D * k), float(G * k), float(B * k), float(E * k),
            float(H * k), float(C * k), float(F * k), float(I * k)};
}

std::array<float, 4> transform(const Matrix& m, const float v[4]) {
    std::array<float, 4> r{};
    for (int i = 0; i < 4; ++i) r[i] = m[i] * v[0] + m[4 + i] * v[1] + m[8 + i] * v[2] + m[12 + i] * v[3];
    return r;
}

}  // namespace webgl
