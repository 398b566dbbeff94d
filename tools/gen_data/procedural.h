// Small deterministic building blocks of the generator: vectors, a seeded random source, value
// noise, colours. Everything here gives the same result on every run, so the data set is
// byte-identical from one build to the next.
#pragma once
#include <cmath>
#include <cstdint>

namespace gen {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
    double l = length(a);
    return l > 0 ? a * (1.0 / l) : Vec3{0, 0, 0};
}
inline Vec3 lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

// Rotations with the sign conventions of glRotate (counter-clockwise looking down the axis).
inline Vec3 rotateX(Vec3 p, double degrees) {
    double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
    return {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}
inline Vec3 rotateY(Vec3 p, double degrees) {
    double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}
inline Vec3 rotateZ(Vec3 p, double degrees) {
    double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline double smoothstep(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// xorshift32: a fixed sequence for a given seed, independent of the standard library.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double uniform() { return (next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(uniform() * n); }  // 0 .. n-1

private:
    uint32_t state_;
};

// A well-mixed 32-bit hash of integer coordinates and a seed.
uint32_t hash3(int32_t x, int32_t y, uint32_t seed);
// Value noise in [0, 1] on an integer lattice, smoothly interpolated. With a positive period
// the noise repeats every `period` units along x (and along y when periodY > 0).
double valueNoise(double x, double y, uint32_t seed, int period = 0, int periodY = 0);
// Sum of octaves of valueNoise, normalised to [0, 1]. Periods double with each octave.
double fbm(double x, double y, uint32_t seed, int octaves, int period = 0, int periodY = 0);

struct Color {
    double r = 0, g = 0, b = 0, a = 1;
};
inline Color operator*(Color c, double s) { return {c.r * s, c.g * s, c.b * s, c.a}; }
inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a}; }
inline Color mixColor(Color a, Color b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}
// Colour from 0xRRGGBB.
inline Color hexColor(uint32_t rgb, double a = 1.0) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}

}  // namespace gen
