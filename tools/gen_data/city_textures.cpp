#include "city_textures.h"

#include <cmath>

namespace gen {

namespace {

double noise01(int x, int y, uint32_t seed) { return hash3(x, y, seed) * (1.0 / 4294967295.0); }

struct FacadeStyle {
    Color wall;
    int insetX, insetTop, insetBottom;  // window inside its 32-pixel bay
    double lit;                         // share of lit windows
    bool band, fins, brick, mullion;
};

const FacadeStyle kStyles[kFacadeStyles] = {
    {{0.2, 0.24, 0.3, 1}, 2, 2, 3, 0.2, false, false, false, true},     // glass curtain wall
    {{0.6, 0.58, 0.55, 1}, 0, 7, 9, 0.26, true, false, false, false},   // concrete, window bands
    {{0.47, 0.27, 0.2, 1}, 9, 7, 10, 0.34, false, false, true, true},   // brick
    {{0.1, 0.1, 0.12, 1}, 4, 2, 2, 0.14, false, true, false, false},    // dark glass with fins
    {{0.7, 0.62, 0.48, 1}, 8, 6, 9, 0.3, false, false, false, true},    // stone
};

}  // namespace

Image facadeImage(int style) {
    const FacadeStyle& s = kStyles[style];
    Image img(256, 256);
    const uint32_t seed = 900 + style;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            int cx = x / 32, cy = y / 32, lx = x % 32, ly = y % 32;
            double grain = noise01(x, y, seed) * 0.06 - 0.03;
            Color c = s.wall + Color{grain, grain, grain, 0};
            if (s.brick) {
                bool mortar = (ly % 4 == 0) || ((lx + ((ly / 4) % 2) * 4) % 8 == 0);
                c = mortar ? Color{0.6, 0.56, 0.5, 1} : c * (0.9 + 0.2 * noise01(x / 8, y / 4, seed + 1));
            }
            bool inWindow = lx >= s.insetX && lx < 32 - s.insetX && ly >= s.insetTop && ly < 32 - s.insetBottom;
            if (s.band) inWindow = ly >= s.insetTop && ly < 32 - s.insetBottom;
            if (inWindow) {
                int windowX = s.band ? x / 8 : cx;  // band windows light in narrower panes
                double pick = noise01(windowX, cy, seed + 2);
                double wy = double(ly - s.insetTop) / (32 - s.insetTop - s.insetBottom);
                if (pick < s.lit) {
                    double warmth = noise01(windowX, cy, seed + 3);
                    Color lamp = warmth < 0.75 ? Color{1.0, 0.8, 0.45, 1} : Color{0.82, 0.9, 1.0, 1};
                    c = lamp * (0.7 + 0.3 * noise01(windowX, cy, seed + 4)) * (0.92 + 0.08 * wy);
                } else {
                    // Dark glass reflecting the dusk: blue above, a warm glow low in the pane.
                    c = mixColor({0.1, 0.13, 0.24, 1}, {0.36, 0.26, 0.34, 1}, wy * wy);
                    c = c * (0.85 + 0.3 * noise01(cx, cy, seed + 5));
                }
                if (s.mullion && std::abs(lx - 16) < 1) c = s.wall * 0.8;
                if (s.band && x % 8 == 0) c = s.wall * 0.7;
            }
            if (s.fins && (lx < 2 || lx >= 30)) c = {0.5, 0.5, 0.53, 1};
            if (!s.band && !s.fins && ly == 32 - s.insetBottom && lx >= s.insetX - 1 && lx <= 32 - s.insetX)
                c = c * 1.35;  // sills
            c.a = 1;
            img.set(x, y, c);
        }
    return img;
}

Image roofImage() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double g = 0.28 + 0.08 * fbm(x / 16.0, y / 16.0, 301, 3, 8, 8) + 0.05 * noise01(x, y, 302);
            Color c{g, g, g * 1.05, 1};
            // Plant boxes and skylights.
            int bx = x / 32, by = y / 32, lx = x % 32, ly = y % 32;
            double pick = noise01(bx, by, 303);
            if (pick < 0.5 && lx > 6 && lx < 18 && ly > 8 && ly < 16) c = {0.55, 0.55, 0.56, 1};
            if (pick > 0.8 && lx > 10 && lx < 26 && ly > 18 && ly < 26) c = {0.2, 0.25, 0.35, 1};
            img.set(x, y, c);
        }
    return img;
}

Image roadImage() {
    Image img(64, 256);  // across: 16 units; along: 64 units
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 64; ++x) {
            double u = (x + 0.5) / 64;
            double g = 0.15 + 0.05 * noise01(x, y, 311) + 0.03 * fbm(x / 8.0, y / 8.0, 312, 2, 8, 32);
            Color c{g, g, g * 1.08, 1};
            if (u < 0.125 || u > 0.875) {
                double s = 0.42 + 0.05 * noise01(x, y, 313);
                c = {s, s * 0.98, s * 0.95, 1};
                if (y % 16 == 0) c = c * 0.8;
                if (x == 7 || x == 56) c = {0.6, 0.6, 0.58, 1};  // curb
            } else if (std::fabs(u - 0.5) < 0.016 && (y % 64) < 36) {
                c = {0.85, 0.75, 0.35, 1};
            } else if (std::fabs(u - 0.155) < 0.012 || std::fabs(u - 0.845) < 0.012) {
                c = {0.7, 0.7, 0.7, 1};
            }
            img.set(x, y, c);
        }
    return img;
}

Image crossingImage() {
    Image img(128, 128);  // one intersection, 16 by 16 units
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double g = 0.15 + 0.05 * noise01(x, y, 321);
            Color c{g, g, g * 1.08, 1};
            int ex = std::min(x, 127 - x), ey = std::min(y, 127 - y);
            bool corner = ex < 16 && ey < 16;
            if (corner) {
                double s = 0.42 + 0.05 * noise01(x, y, 322);
                c = {s, s * 0.98, s * 0.95, 1};
            } else if (ey < 24 && ex >= 16 && (x / 6) % 2 == 0) {
                c = {0.78, 0.78, 0.76, 1};  // zebra across the north and south mouths
            } else if (ex < 24 && ey >= 16 && (y / 6) % 2 == 0) {
                c = {0.78, 0.78, 0.76, 1};
            }
            img.set(x, y, c);
        }
    return img;
}

Image plazaImage() {
    Image img(256, 256);  // one block, 64 units
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double s = 0.5 + 0.06 * fbm(x / 32.0, y / 32.0, 332, 3) + 0.03 * noise01(x, y, 333);
            Color c{s, s * 0.97, s * 0.92, 1};
            if (x % 16 == 0 || y % 16 == 0) c = c * 0.85;
            int ex = std::min(x, 255 - x), ey = std::min(y, 255 - y);
            if (std::min(ex, ey) < 4) c = {0.6, 0.6, 0.58, 1};
            img.set(x, y, c);
        }
    // Planters round the edge.
    for (int k = 0; k < 16; ++k) {
        double along = 32 + 64 * (k % 4), across = (k / 4) % 2 ? 236 : 20;
        double cx = k < 8 ? along : across, cy = k < 8 ? across : along;
        for (int y = -10; y <= 10; ++y)
            for (int x = -10; x <= 10; ++x) {
                double d = std::hypot(x, y), light = 0.8 + 0.3 * (-x - y) / 14.0;
                img.blend(int(cx) + x, int(cy) + y, Color{0.12, 0.3, 0.1, 1} * light, smoothstep(9, 7.5, d));
            }
    }
    return img;
}

Image parkImage() {
    Image img(256, 256);
    Rng rng(341);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double n = fbm(x / 24.0, y / 24.0, 342, 4);
            Color c = mixColor({0.14, 0.3, 0.1, 1}, {0.3, 0.46, 0.18, 1}, n);
            double dx = x - 128, dy = y - 128, r = std::hypot(dx, dy);
            double path = std::min(std::fabs(r - 84), std::min(std::fabs(dx - dy), std::fabs(dx + dy)) * 0.7071);
            if (path < 5) c = mixColor(c, {0.62, 0.56, 0.44, 1}, smoothstep(5, 3.5, path));
            double pond = std::hypot(dx - 40, dy + 36);
            if (pond < 30) c = mixColor(c, {0.12, 0.2, 0.35, 1}, smoothstep(30, 27, pond));
            int ex = std::min(x, 255 - x), ey = std::min(y, 255 - y);
            if (std::min(ex, ey) < 4) c = {0.6, 0.6, 0.58, 1};
            img.set(x, y, c);
        }
    for (int k = 0; k < 40; ++k) {
        double cx = rng.range(16, 240), cy = rng.range(16, 240), radius = rng.range(7, 13);
        if (std::fabs(std::hypot(cx - 128, cy - 128) - 84) < radius + 5) continue;
        for (int y = -14; y <= 14; ++y)
            for (int x = -14; x <= 14; ++x) {
                double d = std::hypot(x, y);
                double light = 0.75 + 0.35 * (-x - y) / (2 * radius);
                img.blend(int(cx) + x + 3, int(cy) + y + 3, {0.05, 0.1, 0.04, 1}, smoothstep(radius, radius - 2, d) * 0.6);
                img.blend(int(cx) + x, int(cy) + y, Color{0.1, 0.26, 0.08, 1} * light, smoothstep(radius, radius - 1.5, d));
            }
    }
    return img;
}

Image suburbImage() {
    Image img(512, 512);  // 256 units, 2 pixels per unit
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            double n = fbm(x / 40.0, y / 40.0, 351, 4, 12, 12);
            Color c = mixColor({0.22, 0.33, 0.16, 1}, {0.36, 0.44, 0.22, 1}, n);
            img.set(x, y, c);
        }
    // Streets every 64 units one way and 128 the other, houses along them.
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if ((y % 128) < 8 || (x % 256) < 8) img.set(x, y, {0.3, 0.3, 0.31, 1});
    Rng rng(352);
    const Color roofs[] = {{0.55, 0.25, 0.18, 1}, {0.32, 0.32, 0.36, 1}, {0.6, 0.48, 0.36, 1},
                           {0.3, 0.2, 0.17, 1}, {0.42, 0.3, 0.28, 1}};
    for (int row = 0; row < 4; ++row)
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < 20; ++k) {
                int w = 14 + rng.below(8), h = 12 + rng.below(6);
                int x0 = 14 + k * 25 + rng.below(4);
                int y0 = row * 128 + (side ? 128 - 14 - h - rng.below(6) : 14 + rng.below(6));
                if ((x0 % 256) > 256 - w - 6) continue;
                Color roof = roofs[rng.below(5)];
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        Color c = roof * (y < h / 2 ? 1.1 : 0.8);
                        img.set(x0 + x, y0 + y, c);
                    }
                for (int y = 0; y < h; ++y) img.blend(x0 + w, y0 + y + 2, {0.05, 0.08, 0.04, 1}, 0.5);
                if (rng.uniform() < 0.7) {
                    int tx = x0 + rng.below(w), ty = y0 + (side ? -8 : h + 8);
                    for (int y = -6; y <= 6; ++y)
                        for (int x = -6; x <= 6; ++x)
                            if (x * x + y * y < 30) img.set(tx + x, ty + y, Color{0.1, 0.24, 0.08, 1} * (1.0 - 0.03 * (x + y)));
                }
            }
    return img;
}

Image fieldsImage() {
    Image img(512, 512);  // 1024 units, wraps round
    const int cells = 8;
    auto site = [&](int cx, int cy) {
        int wx = ((cx % cells) + cells) % cells, wy = ((cy % cells) + cells) % cells;
        return std::pair<double, double>{cx + 0.2 + 0.6 * noise01(wx, wy, 361), cy + 0.2 + 0.6 * noise01(wx, wy, 362)};
    };
    const Color crops[] = {{0.3, 0.42, 0.16, 1}, {0.55, 0.5, 0.24, 1}, {0.4, 0.32, 0.2, 1},
                           {0.22, 0.34, 0.14, 1}, {0.62, 0.56, 0.3, 1}, {0.34, 0.4, 0.2, 1}};
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            double px = (x + 0.5) / 512 * cells, py = (y + 0.5) / 512 * cells;
            int bx = static_cast<int>(std::floor(px)), by = static_cast<int>(std::floor(py));
            double best = 1e9, second = 1e9;
            int id = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    auto [sx, sy] = site(bx + dx, by + dy);
                    double d = std::fabs(px - sx) + std::fabs(py - sy);  // squarer fields
                    if (d < best) {
                        second = best;
                        best = d;
                        int wx = (((bx + dx) % cells) + cells) % cells, wy = (((by + dy) % cells) + cells) % cells;
                        id = wx * 31 + wy * 17;
                    } else if (d < second) {
                        second = d;
                    }
                }
            Color c = crops[id % 6];
            double angle = (id % 4) * 0.785;
            double furrow = std::sin((px * std::cos(angle) + py * std::sin(angle)) * 120);
            c = c * (0.92 + 0.08 * furrow) * (0.9 + 0.2 * noise01(x, y, 363));
            if (second - best < 0.03) c = {0.12, 0.22, 0.08, 1};  // hedgerows
            img.set(x, y, c);
        }
    return img;
}

Image rockImage() {
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double n = fbm(x / 20.0, y / 20.0, 371, 5, 13, 13);
            double g = 0.6 + 0.45 * (n - 0.5) + 0.06 * noise01(x, y, 372);
            img.set(x, y, {g, g, g, 1});
        }
    return img;
}

Image waterImage() {
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double ripple = fbm(x / 6.0, y / 24.0, 381, 3, 43, 11);
            Color c = mixColor({0.05, 0.09, 0.2, 1}, {0.14, 0.2, 0.34, 1}, ripple);
            double glint = smoothstep(0.72, 0.8, fbm(x / 3.0, y / 12.0, 382, 2, 86, 22));
            c = mixColor(c, {1.0, 0.62, 0.35, 1}, glint * 0.7);
            img.set(x, y, c);
        }
    return img;
}

Image duskSkyImage() {
    Image img(1024, 256);
    const Vec3 sun{std::sin(kSunLongitude) * std::cos(kSunLatitude), std::sin(kSunLatitude),
                   -std::cos(kSunLongitude) * std::cos(kSunLatitude)};
    const Color zenith{0.04, 0.06, 0.17, 1}, westHorizon{0.3, 0.22, 0.4, 1};
    const Color eastHorizon{0.98, 0.52, 0.24, 1}, ground{0.16, 0.12, 0.18, 1};
    for (int y = 0; y < img.height(); ++y) {
        double lat = kPi / 2 - (y + 0.5) / img.height() * (kPi / 2 - kSkyLowestLatitude);
        for (int x = 0; x < img.width(); ++x) {
            double lon = (x + 0.5) / img.width() * 2 * kPi - kPi;
            Vec3 dir{std::sin(lon) * std::cos(lat), std::sin(lat), -std::cos(lon) * std::cos(lat)};
            double toSun = std::pow(0.5 + 0.5 * std::cos(lon - kSunLongitude), 2.5);
            Color horizon = mixColor(westHorizon, eastHorizon, toSun);
            double up = std::max(lat, 0.0);
            Color c = mixColor(horizon, zenith, std::pow(std::sin(up), 0.45));
            // A pink band above the glow.
            c = c + Color{0.25, 0.08, 0.15, 0} * (toSun * std::exp(-std::pow((up - 0.18) / 0.12, 2)));
            // Thin clouds stretched along the horizon, lit from below on the sun's side.
            double d = 1.0 / std::tan(std::max(lat, 0.02));
            double px = std::sin(lon) * d, pz = std::cos(lon) * d;
            double streak = fbm(px * 0.5 + 4, pz * 2.2 + 9, 391, 5);
            double cloud = smoothstep(0.56, 0.74, streak) * smoothstep(18, 5, d) * smoothstep(0.015, 0.06, lat);
            Color cloudColour = mixColor({0.2, 0.14, 0.26, 1}, {1.0, 0.6, 0.45, 1}, toSun);
            c = mixColor(c, cloudColour, cloud * 0.85);
            // Stars in the dark half.
            uint32_t h = hash3(x, y, 393);
            if ((h & 2047) < 3) {
                double star = (1 - toSun) * smoothstep(0.3, 0.9, lat) * ((h >> 11 & 255) / 255.0);
                c = c + Color{0.9, 0.9, 1.0, 0} * star;
            }
            double angle = std::acos(std::min(1.0, std::max(-1.0, dot(dir, sun))));
            c = c + Color{1.0, 0.62, 0.3, 0} * (std::exp(-angle / 0.1) * 0.7 + std::exp(-angle / 0.5) * 0.2);
            if (angle < 0.022) c = {1.0, 0.9, 0.7, 1};
            if (lat < 0) c = mixColor(horizon * 0.75, ground, smoothstep(0, kSkyLowestLatitude, lat));
            c.a = 1;
            img.set(x, y, c);
        }
    }
    return img;
}

}  // namespace gen
