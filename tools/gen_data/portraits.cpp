// The two portrait busts of the word reel scene. They are drawn lit but with one normal for every
// face, so the modelling is carried by colour: each face takes one of a few shades of its
// region's colour, chosen from its own normal against a fixed light, and the features (eyes,
// brows, lips, glasses, headphones) are small faces laid just above the skin.
//
// A bust is modelled upright and facing +Z, then turned by -135 degrees about X, which the scene
// undoes with its own 135-degree turn; the model origin sits in the chest, where the pieces of
// the explosion fly out from.
#include <cmath>

#include "gen_data.h"
#include "shapes.h"

namespace gen {
namespace {

struct Person {
    const char* file;
    uint32_t seed;
    Color skin, hair, iris, lips, cloth, accent;
    double hairlineFront;  // latitude of the hairline above the forehead
    double fringeTilt;     // slope of the hairline across the forehead
    double hairThickness;
    double jaw;            // 0 narrow .. 1 broad
    double noseLength;
    bool glasses, headphones, longHair, hood;
};

const Vec3 kHeadCentre{0, 0.9, 0.02};
const double kHeadA = 0.74, kHeadB = 0.95, kHeadC = 0.84;  // half width, height, depth
const Vec3 kModelOrigin{0, -0.45, 0};

// The light the shades are baked for: from the viewer's upper left once the scene has turned the
// bust 30 degrees towards the middle of the screen.
Vec3 bakedLight() { return normalize(rotateY({-0.5, 0.6, 0.65}, 30)); }

double gauss(double x) { return std::exp(-x * x); }

// Head surface in head coordinates: theta 0 faces +Z, positive towards +X; phi is latitude.
Vec3 headPoint(const Person& p, double theta, double phi) {
    double narrow = 1 - (0.26 - 0.1 * p.jaw) * smoothstep(-0.05, -1.1, phi);
    Vec3 q{kHeadA * narrow * std::sin(theta) * std::cos(phi), kHeadB * std::sin(phi),
           kHeadC * std::cos(theta) * std::cos(phi)};
    double at = std::fabs(theta);
    double lift = 0;
    // Nose ridge from the bridge to the tip, its width growing towards the nostrils.
    double tipPhi = -0.2 - 0.06 * p.noseLength;
    double ridge = (0.05 + 0.17 * smoothstep(0.18, tipPhi, phi)) * smoothstep(tipPhi - 0.1, tipPhi + 0.01, phi) *
                   smoothstep(0.3, 0.15, phi);
    double width = 0.07 + 0.07 * smoothstep(0.1, tipPhi, phi);
    lift += ridge * gauss(theta / width);
    lift += 0.05 * gauss((phi - 0.23) / 0.07) * smoothstep(0.7, 0.4, at);            // brow
    lift -= 0.05 * gauss((at - 0.3) / 0.12) * gauss((phi - 0.07) / 0.08);            // sockets
    lift += 0.035 * gauss((at - 0.5) / 0.14) * gauss((phi + 0.1) / 0.1);             // cheekbones
    lift += 0.035 * gauss(theta / 0.22) * gauss((phi + 0.43) / 0.06);                // lips
    lift += 0.06 * gauss(theta / 0.26) * gauss((phi + 0.72) / 0.12);                 // chin
    lift += 0.13 * gauss((at - kPi / 2) / 0.11) * gauss((phi + 0.02) / 0.17);         // ears
    Vec3 n = normalize({q.x / (kHeadA * kHeadA), q.y / (kHeadB * kHeadB), q.z / (kHeadC * kHeadC)});
    return q + n * lift;
}

// Latitude of the hairline at a given longitude; hair covers the head above it.
double hairline(const Person& p, double theta) {
    double at = std::fabs(theta);
    struct Knot { double theta, phi; };
    const Knot knots[] = {{0, 0}, {0.75, 0.03}, {1.05, -0.06}, {1.25, -0.3}, {1.42, -0.38},
                          {1.58, -0.2}, {1.85, -0.35}, {2.2, -0.9}, {kPi, -1.0}};
    double offset = knots[8].phi;
    for (int k = 0; k + 1 < 9; ++k)
        if (at <= knots[k + 1].theta) {
            double t = (at - knots[k].theta) / (knots[k + 1].theta - knots[k].theta);
            offset = mix(knots[k].phi, knots[k + 1].phi, smoothstep(0, 1, t));
            break;
        }
    return p.hairlineFront + offset + p.fringeTilt * std::sin(theta) * smoothstep(1.2, 0.2, at);
}

double hairCover(const Person& p, double theta, double phi) {
    double edge = hairline(p, theta);
    return smoothstep(edge - 0.03, edge + 0.03, phi);
}

double hairHeight(const Person& p, double theta, double phi) {
    double tousle = fbm(theta * 3 + 10, phi * 4, p.seed, 3) - 0.5;
    return hairCover(p, theta, phi) * (p.hairThickness + 0.05 * tousle) *
           (0.4 + 0.6 * smoothstep(-1.4, 0.2, phi));
}

Vec3 surfacePoint(const Person& p, double theta, double phi) {
    Vec3 q = headPoint(p, theta, phi);
    Vec3 n = normalize(q);
    return q + n * hairHeight(p, theta, phi) + kHeadCentre;
}

Vec3 surfaceNormal(const Person& p, double theta, double phi) {
    const double e = 1e-3;
    Vec3 dt = headPoint(p, theta + e, phi) - headPoint(p, theta - e, phi);
    Vec3 dp = headPoint(p, theta, phi + e) - headPoint(p, theta, phi - e);
    Vec3 n = normalize(cross(dt, dp));
    return dot(n, headPoint(p, theta, phi)) < 0 ? n * -1.0 : n;
}

// A point on the skin (without hair), lifted along the surface normal.
Vec3 skinPoint(const Person& p, double theta, double phi, double lift) {
    return headPoint(p, theta, phi) + surfaceNormal(p, theta, phi) * lift + kHeadCentre;
}

// Materials of one bust: a region's colour at a few shade levels.
class Palette {
public:
    Palette(ModelFile& model, Vec3 light) : model_(model), light_(light) {}
    int shade(const std::string& region, Color base, int levels, Vec3 normal, int jitter = 0) {
        double l = dot(normalize(normal), light_);
        double brightness = 0.3 + 0.7 * clamp01(0.4 + 0.6 * l);
        int level = static_cast<int>(brightness * levels);
        level = std::max(0, std::min(levels - 1, level + jitter));
        double value = (level + 0.5) / levels;
        Material m;
        m.name = region + "_" + std::to_string(level);
        m.col = base * (0.35 + 0.75 * value);
        m.col.a = base.a;
        m.dif = 0.8;
        m.amb = 0.6;
        return model_.material(m);
    }
    int flat(const std::string& region, Color base) {
        Material m;
        m.name = region;
        m.col = base;
        return model_.material(m);
    }

private:
    ModelFile& model_;
    Vec3 light_;
};

// Lighter and darker strands of hair: -1, 0 or +1 shade steps, streaked along the fall.
int strand(const Person& p, double theta, double phi) {
    double n = valueNoise(theta * 9, phi * 1.2, p.seed + 17);
    return n < 0.3 ? -1 : (n > 0.72 ? 1 : 0);
}

// ---- the head ----------------------------------------------------------------------------------

std::vector<double> steps(std::initializer_list<std::pair<double, int>> spans, double start) {
    std::vector<double> values{start};
    double at = start;
    for (auto [end, count] : spans) {
        for (int k = 1; k <= count; ++k) values.push_back(at + (end - at) * k / count);
        at = end;
    }
    return values;
}

void buildHead(const Person& p, ModelFile& model, Palette& palette) {
    MeshObject& o = model.addObject("head", p.skin);
    // Longitudes: fine over the face, coarse round the back. Latitudes: fine over the face.
    std::vector<double> thetas = steps({{-1.2, 6}, {1.2, 26}, {kPi, 6}}, -kPi);
    thetas.pop_back();  // the last column closes onto the first
    std::vector<double> phis = steps({{0.6, 4}, {-0.95, 17}, {-kPi / 2, 4}}, kPi / 2);
    const int cols = static_cast<int>(thetas.size()), rows = static_cast<int>(phis.size());
    int top = o.addVertex(surfacePoint(p, 0, kPi / 2));
    int first = static_cast<int>(o.vertices().size());
    for (int j = 1; j + 1 < rows; ++j)
        for (int i = 0; i < cols; ++i) o.addVertex(surfacePoint(p, thetas[i], phis[j]));
    int bottom = o.addVertex(surfacePoint(p, 0, -kPi / 2));
    auto at = [&](int i, int j) {
        if (j == 0) return top;
        if (j == rows - 1) return bottom;
        return first + (j - 1) * cols + (i % cols);
    };
    for (int j = 0; j + 1 < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            double t0 = thetas[i], t1 = i + 1 < cols ? thetas[i + 1] : thetas[0] + 2 * kPi;
            double tm = (t0 + t1) / 2, pm = (phis[j] + phis[j + 1]) / 2;
            Vec3 centre = surfacePoint(p, tm, pm) - kHeadCentre;
            int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            bool hair = hairCover(p, tm, pm) > 0.5;
            int jitter = hair ? strand(p, tm, pm) : 0;
            Vec3 n = surfaceNormal(p, tm, pm);
            int m = hair ? palette.shade("hair", p.hair, 4, n, jitter)
                         : palette.shade("skin", p.skin, 5, n);
            if (j == 0)
                o.addTriangleFacing(a, c, d, m, centre);
            else if (j + 2 == rows)
                o.addTriangleFacing(a, b, c, m, centre);
            else
                o.addQuadFacing(a, b, c, d, m, centre);
        }
}

// A closed outline in head coordinates, filled as a fan round its mean, lifted off the skin.
void addPatch(MeshObject& o, const Person& p, const std::vector<std::pair<double, double>>& outline,
              double lift, int material) {
    double ct = 0, cp = 0;
    for (auto [t, f] : outline) {
        ct += t;
        cp += f;
    }
    ct /= outline.size();
    cp /= outline.size();
    int centre = o.addVertex(skinPoint(p, ct, cp, lift));
    int first = static_cast<int>(o.vertices().size());
    for (auto [t, f] : outline) o.addVertex(skinPoint(p, t, f, lift));
    Vec3 out = surfaceNormal(p, ct, cp);
    const int n = static_cast<int>(outline.size());
    for (int k = 0; k < n; ++k) o.addTriangleFacing(centre, first + k, first + (k + 1) % n, material, out);
}

// A band between two curves given as functions of t in -1..1.
template <class Upper, class Lower>
void addBand(MeshObject& o, const Person& p, int segments, double centreTheta, double halfWidth,
             Upper upper, Lower lower, double lift, int material) {
    int first = static_cast<int>(o.vertices().size());
    for (int k = 0; k <= segments; ++k) {
        double t = -1 + 2.0 * k / segments, theta = centreTheta + halfWidth * t;
        o.addVertex(skinPoint(p, theta, upper(t), lift));
        o.addVertex(skinPoint(p, theta, lower(t), lift));
    }
    Vec3 out = surfaceNormal(p, centreTheta, (upper(0) + lower(0)) / 2);
    for (int k = 0; k < segments; ++k) {
        int a = first + 2 * k;
        o.addQuadFacing(a, a + 2, a + 3, a + 1, material, out);
    }
}

std::vector<std::pair<double, double>> ellipse(double theta, double phi, double rt, double rp, int n) {
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < n; ++k) {
        double a = 2 * kPi * k / n;
        points.push_back({theta + rt * std::cos(a), phi + rp * std::sin(a)});
    }
    return points;
}

void buildFeatures(const Person& p, ModelFile& model, Palette& palette) {
    MeshObject& o = model.addObject("features", p.lips);
    const Vec3 front{0, 0, 1};
    int white = palette.shade("eye", {0.92, 0.9, 0.88, 1}, 2, front);
    int iris = palette.flat("iris", p.iris);
    int pupil = palette.flat("pupil", {0.03, 0.03, 0.04, 1});
    int lash = palette.flat("lash", p.hair * 0.6);
    int brow = palette.flat("brow", p.hair * 0.85);
    int upperLip = palette.shade("lip", p.lips, 3, {0, 0.2, 1});
    int lowerLip = palette.shade("lip", p.lips, 3, {0, -0.3, 1}, 1);
    int mouth = palette.flat("mouth", {0.3, 0.1, 0.1, 1});
    int nostril = palette.flat("nostril", p.skin * 0.45);
    for (double side : {-1.0, 1.0}) {
        const double tc = 0.3 * side, pc = 0.07;
        std::vector<std::pair<double, double>> almond;
        for (int k = 0; k <= 6; ++k) {
            double t = -1 + 2.0 * k / 6;
            almond.push_back({tc + 0.13 * t, pc + 0.056 * std::pow(1 - t * t, 0.7)});
        }
        for (int k = 5; k >= 1; --k) {
            double t = -1 + 2.0 * k / 6;
            almond.push_back({tc + 0.13 * t, pc - 0.04 * std::pow(1 - t * t, 0.7)});
        }
        addPatch(o, p, almond, 0.012, white);
        addPatch(o, p, ellipse(tc + 0.006 * side, pc + 0.004, 0.048, 0.038, 10), 0.016, iris);
        addPatch(o, p, ellipse(tc + 0.006 * side, pc + 0.004, 0.02, 0.016, 8), 0.019, pupil);
        addBand(o, p, 6, tc, 0.135, [&](double t) { return pc + 0.072 * std::pow(1 - t * t, 0.7); },
                [&](double t) { return pc + 0.052 * std::pow(1 - t * t, 0.7) - 0.006; }, 0.021, lash);
        addBand(o, p, 6, 0.3 * side, 0.16,
                [&](double t) { return 0.23 + 0.035 * std::sin(kPi * (0.5 + 0.5 * t * side)) + 0.03; },
                [&](double t) { return 0.23 + 0.035 * std::sin(kPi * (0.5 + 0.5 * t * side)) - 0.018 + 0.012 * t * side; },
                0.02, brow);
        addPatch(o, p, ellipse(0.045 * side, -0.27 - 0.06 * p.noseLength, 0.02, 0.012, 6), 0.008, nostril);
    }
    auto top = [](double t) { return -0.38 - 0.035 * t * t - 0.014 * gauss(t / 0.15); };
    auto middle = [](double t) { return -0.43 - 0.012 * t * t; };
    auto low = [](double t) { return -0.43 - 0.065 * std::pow(1 - t * t, 0.8) - 0.004; };
    addBand(o, p, 8, 0, 0.19, top, middle, 0.012, upperLip);
    addBand(o, p, 8, 0, 0.18, middle, low, 0.012, lowerLip);
    addBand(o, p, 8, 0, 0.18, [&](double t) { return middle(t) + 0.007; },
            [&](double t) { return middle(t) - 0.007; }, 0.016, mouth);
}

// ---- accessories --------------------------------------------------------------------------------

void buildGlasses(const Person& p, ModelFile& model, Palette& palette) {
    MeshObject& o = model.addObject("glasses", {0.1, 0.1, 0.1, 1});
    int frame = palette.flat("frame", {0.08, 0.08, 0.1, 1});
    int lens = palette.flat("lens", {0.7, 0.85, 1.0, 0.22});
    const int n = 20;
    const double lift = 0.075;
    for (double side : {-1.0, 1.0}) {
        const double tc = 0.3 * side, pc = 0.08;
        auto contour = [&](int k, double scale) {
            double a = 2 * kPi * k / n;
            double c = std::cos(a), s = std::sin(a);
            double r = std::pow(std::pow(std::fabs(c), 4) + std::pow(std::fabs(s), 4), -0.25);
            return std::pair<double, double>{tc + 0.165 * scale * r * c, pc + 0.105 * scale * r * s};
        };
        int first = static_cast<int>(o.vertices().size());
        for (int k = 0; k < n; ++k) {
            auto [to, po] = contour(k, 1.0);
            auto [ti, pi] = contour(k, 0.84);
            o.addVertex(skinPoint(p, to, po, lift));
            o.addVertex(skinPoint(p, ti, pi, lift));
        }
        Vec3 out = surfaceNormal(p, tc, pc);
        for (int k = 0; k < n; ++k) {
            int a = first + 2 * k, b = first + 2 * ((k + 1) % n);
            o.addQuadFacing(a, b, b + 1, a + 1, frame, out);
        }
        std::vector<std::pair<double, double>> inner;
        for (int k = 0; k < n; ++k) inner.push_back(contour(k, 0.84));
        addPatch(o, p, inner, lift - 0.004, lens);
        // Temple arm back to the ear.
        addBand(o, p, 6, side * 0.98, 0.5, [&](double) { return pc + 0.02; },
                [&](double) { return pc - 0.01; }, 0.05, frame);
    }
    // Bridge over the nose.
    addBand(o, p, 4, 0, 0.14, [](double) { return 0.14; }, [](double) { return 0.11; }, 0.09, frame);
}

void buildHeadphones(ModelFile& model, Palette& palette) {
    MeshObject& o = model.addObject("headphones", {0.1, 0.1, 0.1, 1});
    const Color dark{0.13, 0.13, 0.15, 1}, accent{0.95, 0.5, 0.1, 1};
    // The band: a rectangular section swept over the top from ear to ear.
    const int segments = 20;
    const double rx = kHeadA + 0.2, ry = kHeadB + 0.2, halfDepth = 0.07, thick = 0.05;
    auto ring = [&](int k, double grow, double z) {
        double a = kPi * k / segments;
        return kHeadCentre + Vec3{(rx + grow) * std::cos(a), (ry + grow) * std::sin(a), z};
    };
    for (int k = 0; k < segments; ++k) {
        double am = kPi * (k + 0.5) / segments;
        Vec3 outward{std::cos(am), std::sin(am), 0};
        Vec3 ia = ring(k, 0, -halfDepth), ib = ring(k + 1, 0, -halfDepth), ic = ring(k + 1, 0, halfDepth),
             id = ring(k, 0, halfDepth);
        Vec3 oa = ring(k, thick, -halfDepth), ob = ring(k + 1, thick, -halfDepth), oc = ring(k + 1, thick, halfDepth),
             od = ring(k, thick, halfDepth);
        addQuadFacingAt(o, oa, ob, oc, od, palette.shade("band", dark, 3, outward), outward);
        addQuadFacingAt(o, ia, ib, ic, id, palette.shade("band", dark, 3, outward * -1.0), outward * -1.0);
        addQuadFacingAt(o, id, ic, oc, od, palette.shade("band", dark, 3, {0, 0, 1}), {0, 0, 1});
        addQuadFacingAt(o, ia, ib, ob, oa, palette.shade("band", dark, 3, {0, 0, -1}), {0, 0, -1});
    }
    // Ear cups.
    for (double side : {-1.0, 1.0}) {
        const double x0 = side * (kHeadA + 0.02), x1 = side * (kHeadA + 0.22), radius = 0.27;
        const int n = 16;
        Vec3 inner = kHeadCentre + Vec3{x0, 0, 0}, outer = kHeadCentre + Vec3{x1, 0, 0};
        auto rim = [&](Vec3 c, int k) {
            double a = 2 * kPi * k / n;
            return c + Vec3{0, radius * std::cos(a), radius * std::sin(a)};
        };
        for (int k = 0; k < n; ++k) {
            double am = 2 * kPi * (k + 0.5) / n;
            Vec3 out{0, std::cos(am), std::sin(am)};
            addQuadFacingAt(o, rim(inner, k), rim(inner, k + 1), rim(outer, k + 1), rim(outer, k),
                            palette.shade("cup", dark, 3, out), out);
            Vec3 cap{side, 0, 0};
            Vec3 mid = outer + Vec3{side * 0.01, 0, 0};
            addTriangleFacingAt(o, mid, rim(outer, k), rim(outer, k + 1), palette.shade("cap", accent, 2, cap), cap,
                                {}, {}, {});
            addTriangleFacingAt(o, inner, rim(inner, k), rim(inner, k + 1), palette.shade("cup", dark, 3, cap * -1.0),
                                cap * -1.0, {}, {}, {});
        }
    }
}

// Long hair falling from the back of the head to the shoulders, framing the face at the sides.
void buildLongHair(const Person& p, ModelFile& model, Palette& palette) {
    MeshObject& o = model.addObject("long_hair", p.hair);
    const int cols = 20, rows = 8;
    const double t0 = 1.15, t1 = 2 * kPi - 1.15;
    std::vector<double> lengths(cols + 1);
    for (int i = 0; i <= cols; ++i) lengths[i] = 0.85 + 0.15 * valueNoise(i * 0.7, 0.5, p.seed + 3);
    int first = static_cast<int>(o.vertices().size());
    for (int i = 0; i <= cols; ++i) {
        double theta = mix(t0, t1, double(i) / cols);
        Vec3 start = surfacePoint(p, theta, 0.1) + normalize(headPoint(p, theta, 0.1)) * 0.02;
        double side = std::sin(theta), back = std::cos(theta);
        Vec3 end{side * 0.9, -0.5 - 0.25 * lengths[i], back * 0.72 - 0.12};
        for (int j = 0; j <= rows; ++j) {
            double s = double(j) / rows * lengths[i];
            Vec3 q = lerp(start, end, s);
            // Bulge outwards so the hair clears the head and the neck.
            Vec3 radial = normalize(Vec3{q.x, 0, q.z - kHeadCentre.z});
            q = q + radial * (0.2 * std::sin(kPi * std::min(1.0, s * 1.1)));
            o.addVertex(q);
        }
    }
    for (int i = 0; i < cols; ++i)
        for (int j = 0; j < rows; ++j) {
            int a = first + i * (rows + 1) + j, b = a + rows + 1;
            Vec3 centre = (o.vertices()[a] + o.vertices()[b + 1]) * 0.5;
            Vec3 outward = normalize(Vec3{centre.x, 0, centre.z});
            double theta = mix(t0, t1, (i + 0.5) / cols);
            int m = palette.shade("hair", p.hair, 4, outward + Vec3{0, 0.3, 0}, strand(p, theta, -0.5 - j * 0.1));
            o.addQuadFacing(a, b, b + 1, a + 1, m, outward);
        }
}

// ---- neck and shoulders -------------------------------------------------------------------------

void buildBody(const Person& p, ModelFile& model, Palette& palette) {
    MeshObject& neck = model.addObject("neck", p.skin);
    const int n = 16;
    const double neckY[] = {-0.4, -0.1, 0.25, 0.55};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < n; ++k) {
            double a0 = 2 * kPi * k / n, a1 = 2 * kPi * (k + 1) / n, am = (a0 + a1) / 2;
            auto at = [&](double a, double y) { return Vec3{0.34 * std::sin(a), y, 0.33 * std::cos(a) - 0.03}; };
            Vec3 out{std::sin(am), 0, std::cos(am)};
            addQuadFacingAt(neck, at(a0, neckY[j]), at(a1, neckY[j]), at(a1, neckY[j + 1]), at(a0, neckY[j + 1]),
                            palette.shade("skin", p.skin, 5, out + Vec3{0, -0.4, 0}), out);
        }
    MeshObject& body = model.addObject("body", p.cloth);
    struct Ring { double y, a, c; };
    const Ring profile[] = {{-1.75, 1.18, 0.52}, {-1.4, 1.27, 0.56}, {-1.05, 1.34, 0.58}, {-0.8, 1.34, 0.56},
                            {-0.62, 1.25, 0.52}, {-0.5, 1.06, 0.47}, {-0.4, 0.8, 0.42}, {-0.32, 0.54, 0.38},
                            {-0.26, 0.4, 0.36}};
    const int rings = 9, cols = 24;
    auto point = [&](int j, int i) {
        double a = 2 * kPi * i / cols, c = std::cos(a), s = std::sin(a);
        double e = j < 6 ? 2.8 : 2.0;
        double r = std::pow(std::pow(std::fabs(c), e) + std::pow(std::fabs(s), e), -1.0 / e);
        return Vec3{profile[j].a * r * s, profile[j].y, profile[j].c * r * c};
    };
    int first = static_cast<int>(body.vertices().size());
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < cols; ++i) body.addVertex(point(j, i));
    for (int j = 0; j + 1 < rings; ++j)
        for (int i = 0; i < cols; ++i) {
            int a = first + j * cols + i, b = first + j * cols + (i + 1) % cols;
            int c = b + cols, d = a + cols;
            Vec3 centre = (body.vertices()[a] + body.vertices()[c]) * 0.5;
            Vec3 normal = body.faceNormal({4, {a, b, c, d}, 0, {}});
            if (dot(normal, Vec3{centre.x, 0, centre.z}) < 0) normal = normal * -1.0;
            Color colour = p.cloth;
            std::string region = "cloth";
            bool front = centre.z > 0;
            if (p.hood && j >= 6) {
                colour = p.accent;  // the hood's rim round the neck
                region = "trim";
            } else if (!p.hood && front && centre.y > -0.7 && std::fabs(centre.x) < 0.03 + (centre.y + 0.7) * 1.2) {
                colour = p.skin;  // a V neckline
                region = "skin";
            }
            int m = palette.shade(region, colour, region == "skin" ? 5 : 4, normal);
            body.addQuadFacing(a, b, c, d, m, normal);
        }
    int centre = body.addVertex({0, profile[0].y, 0});
    for (int i = 0; i < cols; ++i)
        body.addTriangleFacing(centre, first + i, first + (i + 1) % cols,
                               palette.shade("cloth", p.cloth, 4, {0, -1, 0}), {0, -1, 0});
}

void buildBust(Output& out, const Person& p) {
    ModelFile model;
    Palette palette(model, bakedLight());
    buildHead(p, model, palette);
    buildFeatures(p, model, palette);
    if (p.longHair) buildLongHair(p, model, palette);
    buildBody(p, model, palette);
    if (p.headphones) buildHeadphones(model, palette);
    if (p.glasses) buildGlasses(p, model, palette);
    for (MeshObject& o : model.objects())
        o.transform([](Vec3 v) { return rotateX(v - kModelOrigin, -135); });
    out.model(model, p.file);
}

}  // namespace

void buildPortraits(Output& out) {
    Person tamsel{"p_tamsel.mqo", 1201,
                  {0.78, 0.6, 0.5, 1},  {0.1, 0.08, 0.07, 1}, {0.32, 0.2, 0.1, 1},
                  {0.66, 0.36, 0.34, 1}, {0.16, 0.24, 0.5, 1}, {0.82, 0.82, 0.85, 1},
                  0.5, 0.0, 0.09, 0.8, 0.4, true, false, false, true};
    Person zefra{"p_zefra.mqo", 2402,
                 {0.86, 0.68, 0.58, 1}, {0.55, 0.2, 0.08, 1}, {0.2, 0.48, 0.36, 1},
                 {0.78, 0.3, 0.35, 1},  {0.08, 0.45, 0.46, 1}, {0.9, 0.9, 0.9, 1},
                 0.36, 0.1, 0.1, 0.2, 0.1, false, true, true, false};
    buildBust(out, tamsel);
    buildBust(out, zefra);
}

}  // namespace gen
