// The smaller models of the show and their textures: the ring outlines, the feather, the sky
// dome and sky tube with their clouds, the backdrops, the light core and the torus wheel's
// pieces, and the two models that are loaded but never drawn.
#include <cmath>

#include "gen_data.h"
#include "shapes.h"

namespace gen {
namespace {

const Vec3 kFront{0, 0, 1};

// ---- filter: rings and spokes, drawn only as outlines ----------------------------------------

void buildFilter(Output& out) {
    ModelFile model;
    int m = model.material({"rings", {1, 1, 1, 1}});
    MeshObject& o = model.addObject("rings", {0.9, 0.9, 0.9, 1});
    auto band = [&](double r0, double r1, int segments, double turn) {
        int base = static_cast<int>(o.vertices().size());
        for (int i = 0; i < segments; ++i) {
            double a = 2 * kPi * i / segments + turn;
            o.addVertex({r0 * std::cos(a), r0 * std::sin(a), 0});
            o.addVertex({r1 * std::cos(a), r1 * std::sin(a), 0});
        }
        for (int i = 0; i < segments; ++i) {
            int j = (i + 1) % segments;
            o.addQuadFacing(base + 2 * i, base + 2 * i + 1, base + 2 * j + 1, base + 2 * j, m,
                            kFront);
        }
    };
    band(3.6, 4.2, 16, 0);
    band(11.6, 12.2, 40, 0);
    band(24.2, 25.0, 64, 0);
    // Eight spokes between the inner and the outer ring.
    for (int k = 0; k < 8; ++k) {
        double a = 2 * kPi * k / 8 + kPi / 8;
        Vec3 dir{std::cos(a), std::sin(a), 0}, side{-std::sin(a) * 0.25, std::cos(a) * 0.25, 0};
        Vec3 p0 = dir * 4.2, p1 = dir * 24.2;
        int i = o.addVertex(p0 - side);
        o.addVertex(p1 - side);
        o.addVertex(p1 + side);
        o.addVertex(p0 + side);
        o.addQuadFacing(i, i + 1, i + 2, i + 3, m, kFront);
    }
    // Tick marks round the outside.
    for (int k = 0; k < 36; ++k) {
        double a = 2 * kPi * k / 36, w = 0.012 * (k % 3 == 0 ? 2.0 : 1.0);
        double r1 = k % 3 == 0 ? 28.0 : 26.6;
        Vec3 a0{25.6 * std::cos(a - w), 25.6 * std::sin(a - w), 0};
        Vec3 a1{25.6 * std::cos(a + w), 25.6 * std::sin(a + w), 0};
        Vec3 b1{r1 * std::cos(a + w), r1 * std::sin(a + w), 0};
        Vec3 b0{r1 * std::cos(a - w), r1 * std::sin(a - w), 0};
        int i = o.addVertex(a0);
        o.addVertex(a1);
        o.addVertex(b1);
        o.addVertex(b0);
        o.addQuadFacing(i, i + 1, i + 2, i + 3, m, kFront);
    }
    out.model(model, "filter.mqo");
}

// ---- hane2: a bent feather, one face pair per half, back to back ----------------------------

Image featherImage() {
    Image img(64, 128);
    for (int y = 0; y < img.height(); ++y) {
        double t = 1.0 - (y + 0.5) / img.height();  // 0 at the quill, 1 at the tip
        for (int x = 0; x < img.width(); ++x) {
            double xs = ((x + 0.5) / img.width() - 0.5) * 2.0;  // -1 .. 1 across
            double d = xs - (-0.08 + 0.16 * t * t);             // from the curved shaft
            double ad = std::fabs(d);
            // Vanes: narrow on the left, broad on the right, rounded at the tip.
            double s = (t - 0.2) / 0.8;
            double profile = s <= 0 ? 0 : std::pow(std::sin(kPi * std::pow(s, 0.62)), 0.55);
            double w = (d < 0 ? 0.56 : 0.84) * profile;
            // Two places where the barbs have parted.
            double slant = t - ad * 0.35;
            if (ad > 0.15 && std::fabs(slant - (d < 0 ? 0.52 : 0.68)) < 0.014) w = std::min(w, ad - 0.04);
            double vane = smoothstep(w, w - 0.1, ad);
            // Down at the base of the vanes.
            double down = smoothstep(0.06, 0.2, t) * smoothstep(0.36, 0.22, t);
            double fluff = down * smoothstep(0.7, 0.2, ad) * (0.4 + 0.6 * fbm(x / 3.0, y / 3.0, 78, 2));
            double shaft = t < 0.97 ? smoothstep(0.065, 0.03, ad) * smoothstep(0.0, 0.03, t) : 0;
            double barbs = 0.5 + 0.5 * std::sin(t * 140.0 - ad * 45.0);
            double alpha = std::max({vane * (0.9 + 0.1 * barbs), fluff * 0.7, shaft});
            Color c{0.97, 0.98, 1.0, 1};
            c = mixColor(c, {0.78, 0.84, 1.0, 1}, smoothstep(0.35, 1.0, ad / std::max(w, 0.05)) * 0.8);
            c = mixColor(c, {1.0, 0.84, 0.92, 1}, smoothstep(0.72, 1.0, t) * 0.6);
            c = c * (0.93 + 0.07 * barbs);
            if (shaft > vane) c = mixColor(c, {0.95, 0.93, 0.86, 1}, shaft);
            c.a = clamp01(alpha);
            img.set(x, y, c);
        }
    }
    return img;
}

void buildFeather(Output& out) {
    Image img = featherImage();
    out.bitmap("hane2.bmp", img);
    ModelFile model;
    int m = model.material({"feather", {1, 1, 1, 1}, 1.0, 0.6, 0, 0, 5, "hane2.bmp"});
    MeshObject& o = model.addObject("feather", {1, 1, 1, 1});
    const double hw = 0.25, hh = 0.5, bend = 0.07;
    int bottomLeft = o.addVertex({-hw, -hh, -bend}), bottom = o.addVertex({0, -hh, 0});
    int bottomRight = o.addVertex({hw, -hh, -bend}), topLeft = o.addVertex({-hw, hh, -bend});
    int top = o.addVertex({0, hh, 0}), topRight = o.addVertex({hw, hh, -bend});
    auto uv = [&](double x, double y) {
        return Uv{insetU((x + hw) / (2 * hw), img.width()), insetV((hh - y) / (2 * hh), img.height())};
    };
    for (Vec3 side : {kFront, Vec3{0, 0, -1}}) {
        o.addQuadFacing(bottomLeft, bottom, top, topLeft, m, side, uv(-hw, -hh), uv(0, -hh),
                        uv(0, hh), uv(-hw, hh));
        o.addQuadFacing(bottom, bottomRight, topRight, top, m, side, uv(0, -hh), uv(hw, -hh),
                        uv(hw, hh), uv(0, hh));
    }
    out.model(model, "hane2.mqo");
}

// ---- sky: a daylight dome over a sea of clouds ----------------------------------------------

Image skyImage() {
    Image img(1024, 512);
    const double sunLon = 0.45, sunLat = 0.42;
    const Vec3 sun{std::sin(sunLon) * std::cos(sunLat), std::sin(sunLat),
                   -std::cos(sunLon) * std::cos(sunLat)};
    const Color zenith{0.09, 0.25, 0.64, 1}, horizon{0.58, 0.76, 0.95, 1};
    const Color haze{0.78, 0.86, 0.97, 1};
    for (int y = 0; y < img.height(); ++y) {
        double lat = kPi / 2 - (y + 0.5) / img.height() * kPi;
        for (int x = 0; x < img.width(); ++x) {
            double lon = (x + 0.5) / img.width() * 2 * kPi - kPi;
            Vec3 dir{std::sin(lon) * std::cos(lat), std::sin(lat), -std::cos(lon) * std::cos(lat)};
            Color c;
            if (lat >= 0) {
                c = mixColor(zenith, horizon, std::pow(1 - std::sin(lat), 3.0));
                // A layer of cumulus seen in perspective, thinning towards the horizon.
                double d = 1.0 / std::max(std::tan(lat), 0.03);
                double px = std::sin(lon) * d * 0.9, pz = std::cos(lon) * d * 0.9;
                double cover = fbm(px * 1.4 + 3.1, pz * 1.4 - 7.2, 11, 5);
                double lit = fbm(px * 1.4 + 3.1 - 0.05, pz * 1.4 - 7.2 + 0.05, 11, 5);
                double cloud = smoothstep(0.5, 0.72, cover) * smoothstep(16, 5, d);
                double shade = 0.72 + 0.28 * smoothstep(-0.02, 0.04, cover - lit);
                c = mixColor(c, Color{1, 1, 1, 1} * shade, cloud * 0.95);
                c = mixColor(c, haze, smoothstep(0.12, 0.0, lat) * 0.6);
            } else {
                // The sea of clouds below, brightest in the middle distance.
                double d = 1.0 / std::max(std::tan(-lat), 0.03);
                double px = std::sin(lon) * d * 0.55, pz = std::cos(lon) * d * 0.55;
                double puff = fbm(px * 2.0 + 11.0, pz * 2.0 + 5.0, 23, 5);
                double shadow = fbm(px * 2.0 + 11.0 + 0.06, pz * 2.0 + 5.0 + 0.06, 23, 5);
                double top = smoothstep(0.32, 0.68, puff);
                Color low{0.55, 0.62, 0.82, 1}, high{0.99, 0.99, 1.0, 1};
                c = mixColor(low, high, top);
                c = c * (0.82 + 0.18 * smoothstep(-0.03, 0.05, puff - shadow));
                c = mixColor(c, haze, smoothstep(2.0, 14.0, d));
            }
            double angle = std::acos(std::min(1.0, std::max(-1.0, dot(dir, sun))));
            double glow = std::exp(-angle * angle / 0.002) * 0.9 + std::exp(-angle / 0.3) * 0.3;
            c = c + Color{1.0, 0.93, 0.78, 0} * glow;
            if (angle < 0.03) c = {1, 1, 0.97, 1};
            c.a = 1;
            img.set(x, y, c);
        }
    }
    return img;
}

void buildSky(Output& out) {
    Image img = skyImage();
    out.bitmap("sky.bmp", img);
    ModelFile model;
    int m = model.material({"sky", {1, 1, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "sky.bmp"});
    MeshObject& o = model.addObject("dome", {0.6, 0.8, 1, 1});
    const double radius = 400;
    addLatLongSphere(o, 32, 16, [&](double lon, double lat) {
        return Vec3{std::sin(lon) * std::cos(lat), std::sin(lat), -std::cos(lon) * std::cos(lat)} *
               radius;
    }, [&](int, int) { return m; }, img.height(), /*inside*/ true);
    out.model(model, "sky.mqo");
}

// ---- skytube: a tunnel of streaming sky, lit at both ends ------------------------------------

Image skyTubeImage() {
    Image img(512, 512);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            double su = (x + 0.5) / img.width(), sv = (y + 0.5) / img.height();
            double tint = fbm(su * 4, sv * 2, 31, 3, 4, 2);
            double streak = fbm(su * 8, sv * 2, 37, 5, 8, 2);
            double wisp = fbm(su * 16, sv * 4, 41, 4, 16, 4);
            Color c = mixColor({0.2, 0.42, 0.86, 1}, {0.45, 0.68, 0.97, 1}, tint);
            double cloud = smoothstep(0.5, 0.72, streak * 0.75 + wisp * 0.25);
            c = mixColor(c, {0.97, 0.97, 1.0, 1}, cloud * 0.9);
            double gold = smoothstep(0.7, 0.8, wisp) * (1 - cloud);
            c = mixColor(c, {1.0, 0.86, 0.62, 1}, gold * 0.5);
            c.a = 1;
            img.set(x, y, c);
        }
    }
    return img;
}

Image skyCapImage() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double dx = (x + 0.5) / 64 - 1, dy = (y + 0.5) / 64 - 1, r = std::hypot(dx, dy);
            Color c = mixColor({1.0, 1.0, 0.96, 1}, {0.3, 0.55, 0.92, 1}, smoothstep(0.05, 0.95, r));
            c.a = 1;
            img.set(x, y, c);
        }
    return img;
}

void buildSkyTube(Output& out) {
    Image wall = skyTubeImage(), cap = skyCapImage();
    out.bitmap("skytube.bmp", wall);
    out.bitmap("skycap.bmp", cap);
    ModelFile model;
    int bright = model.material({"tube", {1, 1, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "skytube.bmp"});
    int shaded = model.material({"tube_band", {0.8, 0.87, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "skytube.bmp"});
    int capMaterial = model.material({"tube_end", {1, 1, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "skycap.bmp"});
    MeshObject& o = model.addObject("tube", {0.4, 0.6, 1, 1});
    const int around = 32, along = 40;
    const double radius = 300, z0 = -4000, z1 = 4000;
    for (int j = 0; j <= along; ++j)
        for (int i = 0; i < around; ++i) {
            double a = 2 * kPi * i / around;
            o.addVertex({radius * std::cos(a), radius * std::sin(a), mix(z0, z1, double(j) / along)});
        }
    for (int j = 0; j < along; ++j)
        for (int i = 0; i < around; ++i) {
            int i1 = (i + 1) % around;
            int a = j * around + i, b = j * around + i1, c = (j + 1) * around + i1,
                d = (j + 1) * around + i;
            double u0 = 3.0 * i / around, u1 = 3.0 * (i + 1) / around;
            double v0 = 16.0 * j / along, v1 = 16.0 * (j + 1) / along;
            double am = 2 * kPi * (i + 0.5) / around;
            Vec3 inward{-std::cos(am), -std::sin(am), 0};
            o.addQuadFacing(a, b, c, d, (j / 2) % 2 ? shaded : bright, inward, {u0, v0}, {u1, v0},
                            {u1, v1}, {u0, v1});
        }
    // End caps facing into the tube.
    for (int end = 0; end < 2; ++end) {
        double z = end ? z1 : z0;
        int ring = end ? along * around : 0;
        int centre = o.addVertex({0, 0, z});
        Vec3 inward{0, 0, end ? -1.0 : 1.0};
        auto uv = [&](double x, double y) {
            return Uv{insetU(0.5 + x / (2 * radius), cap.width()),
                      insetV(0.5 - y / (2 * radius), cap.height())};
        };
        for (int i = 0; i < around; ++i) {
            int i1 = (i + 1) % around;
            const Vec3 &p = o.vertices()[ring + i], &q = o.vertices()[ring + i1];
            o.addTriangleFacing(centre, ring + i, ring + i1, capMaterial, inward, uv(0, 0),
                                uv(p.x, p.y), uv(q.x, q.y));
        }
    }
    out.model(model, "skytube.mqo");
}

// ---- cloud: a cluster of soft puffs beside the tube's axis ----------------------------------

Image cloudImage() {
    Image img(512, 512);
    for (int q = 0; q < 4; ++q) {
        Rng rng(500 + q);
        struct Blob { double x, y, r; };
        Blob blobs[8];
        for (Blob& b : blobs) b = {rng.range(0.3, 0.7), rng.range(0.42, 0.62), rng.range(0.12, 0.22)};
        blobs[0] = {0.5, 0.5, 0.26};
        int ox = (q % 2) * 256, oy = (q / 2) * 256;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                double sx = (x + 0.5) / 256, sy = (y + 0.5) / 256;
                double density = 0, top = 1;
                for (const Blob& b : blobs) {
                    double d = std::hypot(sx - b.x, (sy - b.y) * 1.15) / b.r;
                    double f = std::max(0.0, 1 - d * d);
                    if (f > density) top = (sy - (b.y - b.r)) / (2 * b.r);
                    density = std::max(density, f);
                }
                double n = fbm(sx * 6 + q * 10, sy * 6, 61, 4);
                density += (n - 0.5) * 0.55;
                double edge = smoothstep(0.0, 0.06, sx) * smoothstep(1.0, 0.94, sx) *
                              smoothstep(0.0, 0.06, sy) * smoothstep(1.0, 0.94, sy);
                double alpha = smoothstep(0.05, 0.75, density) * 0.85 * edge;
                double light = smoothstep(0.95, 0.2, clamp01(top)) * 0.6 + 0.4 * n;
                Color c = mixColor({0.78, 0.82, 0.92, 1}, {1.0, 1.0, 1.0, 1}, clamp01(light));
                c.a = alpha;
                img.set(ox + x, oy + y, c);
            }
    }
    return img;
}

void buildCloud(Output& out) {
    Image img = cloudImage();
    out.bitmap("cloud.bmp", img);
    ModelFile model;
    int m = model.material({"cloud", {1, 1, 1, 0.92}, 0.8, 0.6, 0.6, 0, 5, "cloud.bmp"});
    MeshObject& o = model.addObject("puffs", {1, 1, 1, 1});
    struct Puff { double x, y, z, w, h; int quadrant; };
    const Puff puffs[] = {
        {135, 35, 0, 130, 95, 0}, {85, 70, -30, 95, 75, 1}, {190, 5, 20, 110, 80, 2},
        {150, 85, -45, 85, 65, 3}, {105, -15, 25, 80, 60, 1},
    };
    for (const Puff& p : puffs) {
        double s0 = (p.quadrant % 2) * 0.5, t0 = (p.quadrant / 2) * 0.5;
        auto uv = [&](double s, double t) {
            return Uv{s0 + insetU(s, 256) * 0.5, t0 + insetV(t, 256) * 0.5};
        };
        Vec3 a{p.x - p.w / 2, p.y - p.h / 2, p.z}, b{p.x + p.w / 2, p.y - p.h / 2, p.z};
        Vec3 c{p.x + p.w / 2, p.y + p.h / 2, p.z}, d{p.x - p.w / 2, p.y + p.h / 2, p.z};
        int i = o.addVertex(a);
        o.addVertex(b);
        o.addVertex(c);
        o.addVertex(d);
        o.addQuadFacing(i, i + 1, i + 2, i + 3, m, kFront, uv(0, 1), uv(1, 1), uv(1, 0), uv(0, 0));
    }
    out.model(model, "cloud.mqo");
}

// ---- bback: a sunburst disc facing +Z ----------------------------------------------------------

Image sunburstImage() {
    Image img(512, 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            double px = (x + 0.5) / 256 - 1, py = 1 - (y + 0.5) / 256;
            double r = std::hypot(px, py), a = std::atan2(py, px);
            double s = 0.5 + 0.5 * std::cos(18 * a + 0.7 * std::sin(5 * a) + r * 2.0);
            double ray = smoothstep(0.3, 0.7, s);
            Color c = mixColor({0.42, 0.06, 0.42, 1}, {0.95, 0.42, 0.12, 1}, ray);
            c = c * (0.2 + 0.5 * std::exp(-r * 1.5));
            double rings = std::exp(-std::pow((r - 0.42) / 0.012, 2)) * 0.35 +
                           std::exp(-std::pow((r - 0.7) / 0.008, 2)) * 0.25;
            c = c + Color{0.6, 0.4, 0.6, 0} * rings;
            c = mixColor(c, {0.95, 0.88, 0.7, 1}, smoothstep(0.16, 0.03, r));
            c.a = smoothstep(1.0, 0.9, r);
            img.set(x, y, c);
        }
    return img;
}

void buildBackdropDisc(Output& out) {
    Image img = sunburstImage();
    out.bitmap("bback.bmp", img);
    ModelFile model;
    int m = model.material({"sunburst", {1, 1, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "bback.bmp"});
    MeshObject& o = model.addObject("disc", {1, 0.6, 0.2, 1});
    const double radii[] = {22, 46, 72, 100};
    const int segments = 48;
    int centre = o.addVertex({0, 0, 0});
    for (double r : radii)
        for (int i = 0; i < segments; ++i) {
            double a = 2 * kPi * i / segments;
            o.addVertex({r * std::cos(a), r * std::sin(a), 0});
        }
    auto uv = [&](int index) {
        const Vec3& p = o.vertices()[index];
        return Uv{insetU(0.5 + p.x / 200, 512), insetV(0.5 - p.y / 200, 512)};
    };
    for (int i = 0; i < segments; ++i) {
        int a = 1 + i, b = 1 + (i + 1) % segments;
        o.addTriangleFacing(centre, a, b, m, kFront, uv(centre), uv(a), uv(b));
    }
    for (int ring = 0; ring + 1 < 4; ++ring)
        for (int i = 0; i < segments; ++i) {
            int a = 1 + ring * segments + i, b = 1 + ring * segments + (i + 1) % segments;
            int c = b + segments, d = a + segments;
            o.addQuadFacing(a, b, c, d, m, kFront, uv(a), uv(b), uv(c), uv(d));
        }
    out.model(model, "bback.mqo");
}

// ---- billm: the backdrop panel of the word reels ---------------------------------------------

Image panelImage() {
    Image img(512, 512);
    const double width = 300, height = 220, horizonY = -28;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            double px = ((x + 0.5) / 512 - 0.5) * width, py = (0.5 - (y + 0.5) / 512) * height;
            Color c;
            if (py > horizonY) {
                double t = (py - horizonY) / (height / 2 - horizonY);
                c = mixColor({0.2, 0.05, 0.2, 1}, {0.02, 0.02, 0.08, 1}, std::pow(t, 0.6));
                uint32_t h = hash3(x / 2, y / 2, 5);
                if ((h & 1023) < 6 && t > 0.25) c = c + Color{0.5, 0.5, 0.6, 0} * ((h >> 10 & 255) / 255.0);
                // The setting sun, cut by widening gaps towards the horizon.
                double sunR = std::hypot(px, (py - 12) * 1.0);
                if (sunR < 58) {
                    double k = (py - horizonY) / 70;
                    double stripe = std::fmod(py - horizonY + 100.0, 9.0);
                    bool gap = py < 14 && stripe < (1.0 - k) * 5.5;
                    Color sun = mixColor({0.5, 0.08, 0.32, 1}, {0.62, 0.42, 0.1, 1},
                                         clamp01((py - horizonY) / 95));
                    if (!gap) c = mixColor(c, sun, smoothstep(58, 56.5, sunR));
                }
                c = c + Color{0.25, 0.05, 0.2, 0} * std::exp(-std::pow(sunR / 95, 2)) * 0.6;
            } else {
                // A floor grid in perspective.
                double depth = (horizonY - py) / 80.0;      // 0 at the horizon, 1.03 at the bottom
                double z = 1.0 / std::max(depth, 1e-3);     // distance of the floor line
                double gx = px * z / 40.0;
                double lineZ = std::fabs(std::fmod(z * 1.5, 1.0) - 0.5);
                double lineX = std::fabs(std::fmod(gx + 1000.5, 1.0) - 0.5);
                double wz = 0.04 * z, wx = 0.03 * z;
                double grid = std::max(smoothstep(wz + 0.02, wz, 0.5 - lineZ),
                                       smoothstep(wx + 0.02, wx, 0.5 - lineX));
                c = mixColor({0.02, 0.01, 0.05, 1}, {0.1, 0.02, 0.12, 1}, std::exp(-depth * 3));
                c = mixColor(c, {0.55, 0.12, 0.5, 1}, grid * smoothstep(0.0, 0.15, depth));
            }
            c.a = 1;
            img.set(x, y, c);
        }
    return img;
}

void buildPanel(Output& out) {
    Image img = panelImage();
    out.bitmap("billm.bmp", img);
    ModelFile model;
    int m = model.material({"panel", {1, 1, 1, 1}, 0.8, 0.6, 1.0, 0, 5, "billm.bmp"});
    MeshObject& o = model.addObject("panel", {0.3, 0.1, 0.4, 1});
    const double hw = 150, hh = 110;
    const int cols = 4, rows = 3;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= cols; ++i)
            o.addVertex({-hw + 2 * hw * i / cols, hh - 2 * hh * j / rows, 0});
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            int a = j * (cols + 1) + i;
            auto uv = [&](int ii, int jj) {
                return Uv{insetU(double(ii) / cols, 512), insetV(double(jj) / rows, 512)};
            };
            o.addQuadFacing(a, a + 1, a + cols + 2, a + cols + 1, m, kFront, uv(i, j),
                            uv(i + 1, j), uv(i + 1, j + 1), uv(i, j + 1));
        }
    out.model(model, "billm.mqo");
}

// ---- rot1: the spiky rotor at the hub of the torus wheel -------------------------------------

Image metalImage() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double brushed = fbm(x / 32.0, y / 2.0, 71, 4, 4, 64);
            double stripe = smoothstep(0.02, 0.0, std::fabs((y + 0.5) / 128 - 0.5) - 0.06);
            Color c = mixColor({0.62, 0.64, 0.7, 1}, {0.9, 0.92, 0.96, 1}, brushed);
            c = mixColor(c, {0.95, 0.45, 0.12, 1}, stripe);
            c.a = 1;
            img.set(x, y, c);
        }
    return img;
}

void buildRotor(Output& out) {
    out.bitmap("rot1.bmp", metalImage());
    ModelFile model;
    const Vec3 light = normalize({0.4, 0.8, 0.5});
    int shades[4];
    const double levels[4] = {0.45, 0.65, 0.85, 1.0};
    for (int k = 0; k < 4; ++k)
        shades[k] = model.material({"steel" + std::to_string(k),
                                    {levels[k], levels[k], levels[k] * 1.04, 1}, 0.8, 0.5, 0,
                                    0.6, 20, "rot1.bmp"});
    MeshObject& o = model.addObject("rotor", {0.7, 0.7, 0.8, 1});
    auto shadeOf = [&](Vec3 normal) {
        double l = dot(normalize(normal), light);
        return shades[l < -0.2 ? 0 : l < 0.25 ? 1 : l < 0.65 ? 2 : 3];
    };
    auto planar = [](Vec3 p) { return Uv{p.x / 150 + 0.5, p.z / 150 + 0.5}; };
    // Hub.
    const int segments = 16;
    const double hubR = 18, hubH = 8;
    for (int i = 0; i < segments; ++i) {
        double a0 = 2 * kPi * i / segments, a1 = 2 * kPi * (i + 1) / segments;
        Vec3 p0{hubR * std::cos(a0), -hubH, hubR * std::sin(a0)}, p1{hubR * std::cos(a1), -hubH, hubR * std::sin(a1)};
        Vec3 q0 = p0, q1 = p1;
        q0.y = q1.y = hubH;
        Vec3 out0{std::cos((a0 + a1) / 2), 0, std::sin((a0 + a1) / 2)};
        addQuadFacingAt(o, p0, p1, q1, q0, shadeOf(out0), out0,
                        {Uv{double(i) / segments, 0.55}, Uv{double(i + 1) / segments, 0.55},
                         Uv{double(i + 1) / segments, 0.45}, Uv{double(i) / segments, 0.45}});
        for (double y : {hubH, -hubH}) {
            Vec3 c{0, y, 0}, a{p0.x, y, p0.z}, b{p1.x, y, p1.z};
            Vec3 up{0, y > 0 ? 1.0 : -1.0, 0};
            addTriangleFacingAt(o, c, a, b, shadeOf(up), up, planar(c), planar(a), planar(b));
        }
    }
    // Eight swept blades.
    for (int k = 0; k < 8; ++k) {
        double a = 2 * kPi * k / 8;
        Vec3 radial{std::cos(a), 0, std::sin(a)}, tangent{-std::sin(a), 0, std::cos(a)};
        Vec3 base = radial * 16.0;
        Vec3 tip = radial * 75.0 + tangent * 14.0;
        Vec3 corners[4] = {base + tangent * 7.0 + Vec3{0, 5, 0}, base - tangent * 7.0 + Vec3{0, 5, 0},
                           base - tangent * 7.0 + Vec3{0, -5, 0}, base + tangent * 7.0 + Vec3{0, -5, 0}};
        Vec3 mid = (corners[0] + corners[1] + corners[2] + corners[3]) * 0.25;
        for (int s = 0; s < 4; ++s) {
            Vec3 p = corners[s], q = corners[(s + 1) % 4];
            Vec3 away = (p + q) * 0.5 - mid;
            Vec3 n = cross(q - p, tip - p);
            if (dot(n, away) < 0) n = n * -1.0;
            addTriangleFacingAt(o, p, q, tip, shadeOf(n), away, planar(p), planar(q), planar(tip));
        }
    }
    // Spikes along the axis.
    for (double dir : {1.0, -1.0}) {
        Vec3 tip{0, 48 * dir, 0};
        for (int i = 0; i < 8; ++i) {
            double a0 = 2 * kPi * i / 8, a1 = 2 * kPi * (i + 1) / 8;
            Vec3 p{9 * std::cos(a0), hubH * dir, 9 * std::sin(a0)}, q{9 * std::cos(a1), hubH * dir, 9 * std::sin(a1)};
            Vec3 away = (p + q) * 0.5 - Vec3{0, hubH * dir, 0} + Vec3{0, dir * 3, 0};
            Vec3 n = cross(q - p, tip - p);
            if (dot(n, away) < 0) n = n * -1.0;
            addTriangleFacingAt(o, p, q, tip, shadeOf(n), away, planar(p), planar(q), {0.5, 0.5});
        }
    }
    out.model(model, "rot1.mqo");
}

// ---- donut: a banded torus --------------------------------------------------------------------

void buildDonut(Output& out) {
    Image img(256, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            double s = (x + 0.5) / 256, t = (y + 0.5) / 128;
            int segment = static_cast<int>(s * 4);
            double edge = std::fabs(s * 4 - segment - 0.5);
            Color c = segment % 2 ? Color{0.1, 0.62, 0.66, 1} : Color{0.96, 0.52, 0.16, 1};
            c = mixColor(c, {1, 1, 1, 1}, smoothstep(0.44, 0.47, edge));
            c = c * (0.9 + 0.1 * std::cos(t * 2 * kPi * 3));
            c.a = 1;
            img.set(x, y, c);
        }
    out.bitmap("donut.bmp", img);
    ModelFile model;
    const Vec3 light = normalize({-0.3, 0.6, 0.75});
    int shades[4];
    const double levels[4] = {0.5, 0.7, 0.88, 1.0};
    for (int k = 0; k < 4; ++k)
        shades[k] = model.material({"glaze" + std::to_string(k), {levels[k], levels[k], levels[k], 1},
                                    0.8, 0.6, 0, 0.5, 30, "donut.bmp"});
    MeshObject& o = model.addObject("torus", {1, 0.6, 0.2, 1});
    const int major = 24, minor = 12;
    const double R = 35, r = 15;
    for (int i = 0; i < major; ++i)
        for (int j = 0; j < minor; ++j) {
            double a = 2 * kPi * i / major, b = 2 * kPi * j / minor;
            o.addVertex({(R + r * std::cos(b)) * std::cos(a), (R + r * std::cos(b)) * std::sin(a),
                         r * std::sin(b)});
        }
    for (int i = 0; i < major; ++i)
        for (int j = 0; j < minor; ++j) {
            int i1 = (i + 1) % major, j1 = (j + 1) % minor;
            int a = i * minor + j, b = i1 * minor + j, c = i1 * minor + j1, d = i * minor + j1;
            double am = 2 * kPi * (i + 0.5) / major, bm = 2 * kPi * (j + 0.5) / minor;
            Vec3 normal{std::cos(bm) * std::cos(am), std::cos(bm) * std::sin(am), std::sin(bm)};
            double l = dot(normal, light);
            int shade = shades[l < -0.3 ? 0 : l < 0.2 ? 1 : l < 0.6 ? 2 : 3];
            double u0 = 2.0 * i / major, u1 = 2.0 * (i + 1) / major;
            double v0 = double(j) / minor, v1 = double(j + 1) / minor;
            o.addQuadFacing(a, b, c, d, shade, normal, {u0, v0}, {u1, v0}, {u1, v1}, {u0, v1});
        }
    out.model(model, "donut.mqo");
}

// ---- hikari, toge: spiky balls -----------------------------------------------------------------

// A ball of the given radius with `spikes` pyramids reaching out to `reach`.
void addSpikyBall(MeshObject& o, double radius, int spikes, double reach, double spikeWidth,
                  int ballMaterial, int spikeMaterial) {
    addLatLongSphere(o, 16, 10, [&](double lon, double lat) {
        return Vec3{std::sin(lon) * std::cos(lat), std::sin(lat), -std::cos(lon) * std::cos(lat)} *
               radius;
    }, [&](int, int) { return ballMaterial; }, 0, /*inside*/ false);
    const double golden = kPi * (3 - std::sqrt(5.0));
    for (int k = 0; k < spikes; ++k) {
        double y = 1 - 2 * (k + 0.5) / spikes, rr = std::sqrt(1 - y * y), a = golden * k;
        Vec3 dir{rr * std::cos(a), y, rr * std::sin(a)};
        Vec3 side = normalize(cross(dir, std::fabs(dir.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
        Vec3 up = cross(side, dir);
        Vec3 base = dir * (radius * 0.9), tip = dir * reach;
        Vec3 corners[4] = {base + side * spikeWidth, base + up * spikeWidth, base - side * spikeWidth,
                           base - up * spikeWidth};
        for (int s = 0; s < 4; ++s) {
            Vec3 p = corners[s], q = corners[(s + 1) % 4];
            addTriangleFacingAt(o, p, q, tip, spikeMaterial, (p + q) * 0.5 - base, {}, {}, {});
        }
    }
}

void buildCore(Output& out) {
    ModelFile model;
    int m = model.material({"core", {1, 1, 1, 1}, 1.0, 1.0, 1.0, 0, 5, ""});
    MeshObject& o = model.addObject("core", {1, 1, 1, 1});
    addSpikyBall(o, 55, 40, 150, 9, m, m);
    out.model(model, "hikari.mqo");
}

void buildSpikyBall(Output& out) {
    ModelFile model;
    int ball = model.material({"ball", {0.35, 0.4, 0.55, 1}, 0.8, 0.6, 0, 0, 5, ""});
    int spike = model.material({"spike", {0.9, 0.85, 0.6, 1}, 0.8, 0.6, 0, 0, 5, ""});
    MeshObject& o = model.addObject("toge", {0.5, 0.5, 0.7, 1});
    addSpikyBall(o, 30, 24, 62, 6, ball, spike);
    out.model(model, "toge.mqo");
}

void buildBox(Output& out) {
    ModelFile model;
    int m = model.material({"box", {0.3, 0.35, 0.5, 1}, 0.8, 0.6, 0, 0, 5, ""});
    MeshObject& o = model.addObject("box", {0.3, 0.35, 0.5, 1});
    addBox(o, {-100, -100, -100}, {100, 100, 100}, [&](Vec3) { return m; }, /*inside*/ true);
    out.model(model, "backbox.mqo");
}

}  // namespace

void buildScenery(Output& out) {
    buildFilter(out);
    buildFeather(out);
    buildSky(out);
    buildSkyTube(out);
    buildCloud(out);
    buildBackdropDisc(out);
    buildBox(out);
    buildPanel(out);
    buildRotor(out);
    buildDonut(out);
    buildCore(out);
    buildSpikyBall(out);
}

}  // namespace gen
