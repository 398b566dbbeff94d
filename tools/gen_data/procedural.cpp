#include "procedural.h"

namespace gen {

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

static int wrap(int v, int period) {
    if (period <= 0) return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

double valueNoise(double x, double y, uint32_t seed, int period, int periodY) {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto at = [&](int cx, int cy) {
        return hash3(wrap(cx, period), wrap(cy, periodY), seed) * (1.0 / 4294967295.0);
    };
    double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return mix(mix(a, b, tx), mix(c, d, tx), ty);
}

double fbm(double x, double y, uint32_t seed, int octaves, int period, int periodY) {
    double sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(x, y, seed + 101u * o, period, periodY);
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
        period *= 2;
        periodY *= 2;
    }
    return sum / total;
}

}  // namespace gen
