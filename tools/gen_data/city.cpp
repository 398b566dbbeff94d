// The city of the fog flight, the fly-by and the camera path: a street grid of blocks with towers
// thickest in three districts, a needle tower, suburbs, farmland, mountains to the west and the sea
// to the east under a dusk sky. Every solid is kept clear of the places the cameras fly through,
// so no flight passes through a wall. The ground lies at y = -200, below the lowest eye of the
// fog flight.
#include <cmath>
#include <vector>

#include "city_textures.h"
#include "gen_data.h"
#include "shapes.h"

namespace gen {
namespace {

constexpr double kGround = -200;
constexpr double kStreetPitch = 80;
constexpr double kFirstStreetX = -560, kFirstStreetZ = -375;
constexpr int kStreetsX = 15, kStreetsZ = 11;  // street centre lines in each direction
constexpr double kClearance = 20;              // how near an eye a solid may come
constexpr double kSkyRadius = 7400;            // inside the far plane from every eye

// ---- where the cameras fly ------------------------------------------------------------------

// The camera path of the city flight, eye of each segment's start (kept in step with the show).
const double kPath[78][3] = {
    {50.2769, 115.8693, 28.4991},    {73.8028, 115.8693, 28.0267},    {100.4467, 115.8693, 27.8377},
    {124.1617, 115.8693, 27.6488},   {151.3725, 115.8693, 27.6488},   {178.5833, 115.8693, 27.7432},
    {206.0699, 115.8693, 27.5732},   {230.2573, 115.8693, 27.5732},   {255.4122, 115.8693, 28.7825},
    {291.2369, 115.8286, 43.9619},   {317.8879, 112.4387, 63.2713},   {335.0373, 106.3826, 82.6983},
    {350.1166, 98.6465, 101.7972},   {360.1221, 89.3119, 116.7304},   {370.3407, 64.8035, 131.0211},
    {374.2042, 15.3279, 137.3461},   {370.2947, -10.1263, 132.3578},  {362.5999, -34.9552, 123.3330},
    {356.4424, -48.3046, 113.8412},  {346.5295, -61.4395, 104.4311},  {339.0449, -71.2828, 94.0955},
    {330.9581, -78.0994, 83.6787},   {321.3211, -83.0525, 72.4856},   {310.0327, -85.6571, 59.6729},
    {297.1832, -83.9388, 45.1842},   {282.7824, -78.3185, 26.3450},   {269.9824, -69.8510, 10.0370},
    {261.2726, -52.2616, 2.1998},    {246.5590, -32.8335, -11.1485},  {232.5325, -16.6770, -25.0383},
    {215.8868, -12.2314, -42.9459},  {186.5186, -23.2572, -67.7748},  {169.5367, -41.9610, -88.1129},
    {151.3074, -54.8072, -104.2302}, {131.0031, -54.9250, -117.7918}, {95.2121, -55.0279, -127.7762},
    {60.9860, -54.5353, -123.7791},  {30.4743, -53.2853, -107.4674},  {-2.7541, -63.5311, -73.0451},
    {-14.4717, -70.8647, -47.0028},  {-27.3168, -78.8412, -15.9461},  {-39.9373, -79.3216, 7.6516},
    {-53.8593, -76.6890, 21.0311},   {-71.7402, -75.9850, 29.8814},   {-97.1298, -76.7226, 30.0055},
    {-133.6372, -74.1634, 27.3123},  {-163.9743, -74.6822, 26.8077},  {-207.3008, -75.1626, 24.8598},
    {-237.6361, -74.4236, 24.1789},  {-276.2310, -74.2709, 23.0929},  {-309.5006, -76.4933, 19.2708},
    {-340.2693, -78.8475, 19.1794},  {-375.4474, -76.5620, 18.7087},  {-396.1577, -63.1078, 16.8888},
    {-403.8675, -47.3861, 16.9847},  {-403.8677, -28.0173, 16.2993},  {-403.8676, -5.0394, 16.0718},
    {-403.8675, 21.4154, 15.8228},   {-403.8674, 47.5680, 15.5880},   {-403.8674, 72.6623, 15.3318},
    {-403.8243, 99.8125, 14.5991},   {-401.7300, 123.0972, 13.8427},  {-399.0089, 140.3307, 12.3495},
    {-394.3227, 149.2498, 10.6118},  {-385.7059, 157.2618, 9.1960},   {-373.3975, 160.4417, 10.5651},
    {-357.7984, 161.4095, 13.8425},  {-328.1781, 146.5645, 13.8949},  {-301.1043, 132.5793, 17.7138},
    {-272.5476, 123.6808, 20.9229},  {-242.4051, 122.6724, 20.7312},  {-214.2625, 120.9223, 21.3173},
    {-185.6392, 120.9102, 20.8410},  {-158.1140, 121.0409, 19.6039},  {-125.1974, 121.3724, 19.9247},
    {-78.4566, 121.2506, 20.5199},   {-41.7188, 120.5654, 20.9179},   {-3.4391, 120.9585, 20.6766},
};

// Every place an eye passes, in the city's own coordinates: the camera path, the two runs of
// the fog flight and the fly-by (whose second half turns the city under the camera).
std::vector<Vec3> cameraEyes() {
    std::vector<Vec3> eyes;
    for (int i = 0; i + 1 < 78; ++i)
        for (int k = 0; k < 10; ++k) {
            Vec3 a{kPath[i][0], kPath[i][1], kPath[i][2]}, b{kPath[i + 1][0], kPath[i + 1][1], kPath[i + 1][2]};
            eyes.push_back(lerp(a, b, k / 10.0));
        }
    for (int k = 0; k <= 200; ++k) {
        double first = 0.5 * k / 200, second = 0.5 + first;
        eyes.push_back({306 - 614 * first, 270 * first - 191, 67 - 122 * first});
        eyes.push_back({(second - 0.5) * 600 - 330, 125, 26});
    }
    for (int k = 0; k <= 2000; ++k) {
        double t = k / 2000.0, a = t * kPi, b = kPi / 2 * std::sin(a) * std::sin(a);
        Vec3 eye{300 * std::cos(b) + 250, 400 * std::sin(t * 1.5 * kPi) + 300, 300 * std::sin(b) + 200};
        if (t > 0.5) eye = rotateY(eye, -(t - 0.5) * 540);
        eyes.push_back(eye);
    }
    return eyes;
}

class Clearance {
public:
    Clearance() : eyes_(cameraEyes()) {}
    // The highest y that a solid standing on the footprint may reach.
    double ceiling(double x0, double z0, double x1, double z1) const {
        double top = 1e9;
        for (const Vec3& e : eyes_) {
            double dx = std::max({x0 - e.x, 0.0, e.x - x1}), dz = std::max({z0 - e.z, 0.0, e.z - z1});
            if (dx * dx + dz * dz < kClearance * kClearance) top = std::min(top, e.y - kClearance);
        }
        return top;
    }

private:
    std::vector<Vec3> eyes_;
};

// ---- materials --------------------------------------------------------------------------------

enum Facing { kEast, kWest, kSouth, kNorth };  // +X, -X, +Z, -Z

struct CityMaterials {
    int facade[kFacadeStyles][4];
    int roof, roofTop, antenna, beacon, needle;
    int road, crossing, plaza, park, tree[2];
    int suburb, fields, water, forest, rock, snow, sky;
    int houseWall[4], houseRoof[4][2];
};

// Walls carry the dusk light: warm on the sun's side (east), blue in the shade.
Color wallTint(int facing) {
    switch (facing) {
        case kEast: return {1.0, 0.82, 0.66, 1};
        case kWest: return {0.5, 0.54, 0.72, 1};
        case kSouth: return {0.8, 0.74, 0.78, 1};
        default: return {0.68, 0.68, 0.8, 1};
    }
}

CityMaterials cityMaterials(ModelFile& model) {
    CityMaterials m{};
    auto textured = [&](const std::string& name, Color col, const std::string& tex) {
        return model.material({name, col, 0.8, 0.6, 0, 0, 5, tex});
    };
    auto plain = [&](const std::string& name, Color col) { return model.material({name, col}); };
    m.sky = textured("sky", {1, 1, 1, 1}, "sky.bmp");
    for (int s = 0; s < kFacadeStyles; ++s)
        for (int f = 0; f < 4; ++f)
            m.facade[s][f] = textured("facade" + std::to_string(s) + "_" + "ewsn"[f], wallTint(f),
                                      "facade" + std::to_string(s) + ".bmp");
    m.roof = textured("roof", {0.85, 0.8, 0.82, 1}, "roof.bmp");
    m.roofTop = textured("roof_top", {0.62, 0.6, 0.66, 1}, "roof.bmp");
    m.antenna = plain("antenna", {0.55, 0.55, 0.6, 1});
    m.beacon = plain("beacon", {1.0, 0.15, 0.1, 1});
    m.needle = plain("needle", {0.82, 0.8, 0.85, 1});
    m.road = textured("road", {1, 1, 1, 1}, "road.bmp");
    m.crossing = textured("crossing", {1, 1, 1, 1}, "crossing.bmp");
    m.plaza = textured("plaza", {0.95, 0.9, 0.9, 1}, "plaza.bmp");
    m.park = textured("park", {1, 1, 1, 1}, "park.bmp");
    m.tree[0] = plain("tree_lit", {0.2, 0.36, 0.14, 1});
    m.tree[1] = plain("tree_shade", {0.09, 0.2, 0.1, 1});
    m.suburb = textured("suburb", {0.95, 0.92, 0.92, 1}, "suburb.bmp");
    m.fields = textured("fields", {0.9, 0.86, 0.84, 1}, "fields.bmp");
    m.water = textured("water", {1, 1, 1, 1}, "water.bmp");
    m.forest = textured("forest", {0.22, 0.32, 0.18, 1}, "rock.bmp");
    m.rock = textured("rock", {0.5, 0.44, 0.44, 1}, "rock.bmp");
    m.snow = textured("snow", {1.0, 0.9, 0.88, 1}, "rock.bmp");
    const Color walls[4] = {{0.62, 0.52, 0.42, 1}, {0.3, 0.3, 0.4, 1}, {0.5, 0.44, 0.42, 1}, {0.4, 0.4, 0.46, 1}};
    for (int f = 0; f < 4; ++f) m.houseWall[f] = plain("house_" + std::string(1, "ewsn"[f]), walls[f]);
    const Color roofs[4] = {{0.6, 0.26, 0.18, 1}, {0.34, 0.34, 0.4, 1}, {0.55, 0.42, 0.3, 1}, {0.3, 0.2, 0.2, 1}};
    for (int r = 0; r < 4; ++r)
        for (int lit = 0; lit < 2; ++lit)
            m.houseRoof[r][lit] = plain("house_roof" + std::to_string(r) + (lit ? "_lit" : "_shade"),
                                        roofs[r] * (lit ? 1.15 : 0.7));
    return m;
}

int facingOf(Vec3 normal) {
    if (std::fabs(normal.x) >= std::fabs(normal.z)) return normal.x > 0 ? kEast : kWest;
    return normal.z > 0 ? kSouth : kNorth;
}

// ---- buildings --------------------------------------------------------------------------------

// Four walls and a roof; the walls' windows line up with the top edge.
void addBlock(MeshObject& o, const CityMaterials& m, int style, double x0, double z0, double x1,
              double z1, double y0, double y1, double uOffset, int roofMaterial) {
    const Vec3 corners[4] = {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
    double along = uOffset;
    for (int k = 0; k < 4; ++k) {
        Vec3 a = corners[k], b = corners[(k + 1) % 4];
        Vec3 mid = (a + b) * 0.5, centre{(x0 + x1) / 2, 0, (z0 + z1) / 2};
        Vec3 normal = normalize(mid - centre);
        double length = std::hypot(b.x - a.x, b.z - a.z);
        double u0 = along / kFacadeTile, u1 = (along + length) / kFacadeTile;
        double v1 = (y1 - y0) / kFacadeTile;
        int material = m.facade[style][facingOf(normal)];
        addQuadFacingAt(o, {a.x, y0, a.z}, {b.x, y0, b.z}, {b.x, y1, b.z}, {a.x, y1, a.z}, material, normal,
                        {Uv{u0, v1}, Uv{u1, v1}, Uv{u1, 0}, Uv{u0, 0}});
        along += length;
    }
    auto planar = [](double x, double z) { return Uv{x / kFacadeTile, z / kFacadeTile}; };
    addQuadFacingAt(o, {x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}, roofMaterial, {0, 1, 0},
                    {planar(x0, z0), planar(x1, z0), planar(x1, z1), planar(x0, z1)});
}

// A thin mast with a red light at its top.
void addMast(MeshObject& o, const CityMaterials& m, double x, double z, double y0, double y1) {
    const double w = 1.2;
    addBlock(o, m, 3, x - w, z - w, x + w, z + w, y0, y1 - 3, 0, m.antenna);
    addBox(o, {x - 1.8, y1 - 3, z - 1.8}, {x + 1.8, y1, z + 1.8}, [&](Vec3) { return m.beacon; }, false);
}

struct Lot {
    double x0, z0, x1, z1;
    double wanted;  // height the district asks for
};

double district(double x, double z) {
    auto bump = [](double x, double z, double cx, double cz, double r) {
        return std::exp(-((x - cx) * (x - cx) + (z - cz) * (z - cz)) / (r * r));
    };
    return std::max({bump(x, z, -150, -130, 220), 0.9 * bump(x, z, 160, 170, 200),
                     0.75 * bump(x, z, -350, 200, 170), 0.9 * bump(x, z, 430, -130, 160),
                     0.7 * bump(x, z, 440, 240, 140), 0.25 * bump(x, z, 0, 0, 600)});
}

// One building on a lot, as tall as the lot and the cameras allow. Returns false when not even a
// low building fits.
bool addBuilding(MeshObject& o, const CityMaterials& m, const Clearance& clearance, const Lot& lot,
                 Rng& rng) {
    double ceiling = clearance.ceiling(lot.x0, lot.z0, lot.x1, lot.z1);
    double height = std::min(lot.wanted, ceiling - kGround);
    if (height < 14) return false;
    double top = kGround + height;
    double w = lot.x1 - lot.x0, d = lot.z1 - lot.z0;
    double uOffset = rng.below(8) * 4.0;
    if (height < 70) {
        int style = rng.uniform() < 0.5 ? 2 : 4;
        addBlock(o, m, style, lot.x0, lot.z0, lot.x1, lot.z1, kGround, top, uOffset, m.roof);
        return true;
    }
    if (height < 170) {
        const int styles[] = {1, 2, 4, 0};
        int style = styles[rng.below(4)];
        double plant = std::min(6.0, ceiling - top);
        addBlock(o, m, style, lot.x0, lot.z0, lot.x1, lot.z1, kGround, top, uOffset, m.roof);
        if (plant > 2) {
            double ix = w * 0.3, iz = d * 0.3;
            addBlock(o, m, 1, lot.x0 + ix, lot.z0 + iz, lot.x1 - ix, lot.z1 - iz, top, top + plant, 0, m.roofTop);
        }
        return true;
    }
    // A tower in three tiers, the upper ones set back.
    const int styles[] = {0, 3, 1, 0};
    int style = styles[rng.below(4)];
    double mast = std::min(height * 0.18, ceiling - top);
    double y1 = kGround + height * 0.6, y2 = kGround + height * 0.85;
    addBlock(o, m, style, lot.x0, lot.z0, lot.x1, lot.z1, kGround, y1, uOffset, m.roof);
    double s1 = 0.12, s2 = 0.26;
    addBlock(o, m, style, lot.x0 + w * s1, lot.z0 + d * s1, lot.x1 - w * s1, lot.z1 - d * s1, y1, y2, uOffset,
             m.roof);
    addBlock(o, m, style, lot.x0 + w * s2, lot.z0 + d * s2, lot.x1 - w * s2, lot.z1 - d * s2, y2, top, uOffset,
             m.roofTop);
    if (mast > 12 && rng.uniform() < 0.4) addMast(o, m, (lot.x0 + lot.x1) / 2, (lot.z0 + lot.z1) / 2, top, top + mast);
    return true;
}

// The needle tower: a shaft, a viewing deck, a thinner shaft and a mast.
void addNeedle(MeshObject& o, const CityMaterials& m, double x, double z) {
    auto prism = [&](double radius, double y0, double y1, int material, bool caps) {
        const int n = 8;
        for (int k = 0; k < n; ++k) {
            double a0 = 2 * kPi * k / n, a1 = 2 * kPi * (k + 1) / n, am = (a0 + a1) / 2;
            Vec3 p0{x + radius * std::cos(a0), 0, z + radius * std::sin(a0)};
            Vec3 p1{x + radius * std::cos(a1), 0, z + radius * std::sin(a1)};
            Vec3 out{std::cos(am), 0, std::sin(am)};
            int mat = material == m.needle ? m.facade[0][facingOf(out)] : material;
            double v = (y1 - y0) / kFacadeTile, u = 2 * kPi * radius / n / kFacadeTile;
            addQuadFacingAt(o, {p0.x, y0, p0.z}, {p1.x, y0, p1.z}, {p1.x, y1, p1.z}, {p0.x, y1, p0.z}, mat, out,
                            {Uv{0, v}, Uv{u, v}, Uv{u, 0}, Uv{0, 0}});
            if (caps) {
                addTriangleFacingAt(o, {x, y1, z}, {p0.x, y1, p0.z}, {p1.x, y1, p1.z}, m.roofTop, {0, 1, 0}, {}, {}, {});
                addTriangleFacingAt(o, {x, y0, z}, {p0.x, y0, p0.z}, {p1.x, y0, p1.z}, m.needle, {0, -1, 0}, {}, {}, {});
            }
        }
    };
    prism(9, kGround, kGround + 420, m.needle, false);
    prism(24, kGround + 420, kGround + 450, m.facade[0][kEast], true);
    prism(5, kGround + 450, kGround + 560, m.needle, false);
    addMast(o, m, x, z, kGround + 560, kGround + 640);
}

void addTree(MeshObject& o, const CityMaterials& m, double x, double z, double size) {
    const int n = 5;
    Vec3 top{x, kGround + size * 2.6, z}, low{x, kGround + size * 0.5, z};
    for (int k = 0; k < n; ++k) {
        double a0 = 2 * kPi * k / n, a1 = 2 * kPi * (k + 1) / n, am = (a0 + a1) / 2;
        Vec3 p0{x + size * std::cos(a0), kGround + size * 1.2, z + size * std::sin(a0)};
        Vec3 p1{x + size * std::cos(a1), kGround + size * 1.2, z + size * std::sin(a1)};
        Vec3 out{std::cos(am), 0.5, std::sin(am)};
        int material = m.tree[std::cos(am) > -0.2 ? 0 : 1];
        addTriangleFacingAt(o, p0, p1, top, material, out, {}, {}, {});
        addTriangleFacingAt(o, p0, p1, low, m.tree[1], Vec3{out.x, -1, out.z}, {}, {}, {});
    }
}

// A house with a hipped roof.
void addHouse(MeshObject& o, const CityMaterials& m, double x, double z, double w, double d, double h, int roof) {
    double x0 = x - w / 2, x1 = x + w / 2, z0 = z - d / 2, z1 = z + d / 2, y1 = kGround + h;
    const Vec3 corners[4] = {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
    for (int k = 0; k < 4; ++k) {
        Vec3 a = corners[k], b = corners[(k + 1) % 4];
        Vec3 normal = normalize((a + b) * 0.5 - Vec3{x, 0, z});
        addQuadFacingAt(o, {a.x, kGround, a.z}, {b.x, kGround, b.z}, {b.x, y1, b.z}, {a.x, y1, a.z},
                        m.houseWall[facingOf(normal)], normal);
    }
    double ridge = y1 + std::min(w, d) * 0.4;
    bool alongX = w >= d;
    double inset = (alongX ? d : w) / 2;
    Vec3 r0 = alongX ? Vec3{x0 + inset, ridge, z} : Vec3{x, ridge, z0 + inset};
    Vec3 r1 = alongX ? Vec3{x1 - inset, ridge, z} : Vec3{x, ridge, z1 - inset};
    Vec3 c00{x0, y1, z0}, c10{x1, y1, z0}, c11{x1, y1, z1}, c01{x0, y1, z1};
    auto lit = [&](Vec3 n) { return m.houseRoof[roof][n.x > 0.1 || n.z > 0.3 ? 1 : 0]; };
    if (alongX) {
        addQuadFacingAt(o, c00, c10, r1, r0, lit({0, 1, -1}), {0, 1, -1});
        addQuadFacingAt(o, c11, c01, r0, r1, lit({0, 1, 1}), {0, 1, 1});
        addTriangleFacingAt(o, c01, c00, r0, lit({-1, 1, 0}), {-1, 1, 0}, {}, {}, {});
        addTriangleFacingAt(o, c10, c11, r1, lit({1, 1, 0}), {1, 1, 0}, {}, {}, {});
    } else {
        addQuadFacingAt(o, c10, c11, r1, r0, lit({1, 1, 0}), {1, 1, 0});
        addQuadFacingAt(o, c01, c00, r0, r1, lit({-1, 1, 0}), {-1, 1, 0});
        addTriangleFacingAt(o, c00, c10, r0, lit({0, 1, -1}), {0, 1, -1}, {}, {}, {});
        addTriangleFacingAt(o, c11, c01, r1, lit({0, 1, 1}), {0, 1, 1}, {}, {}, {});
    }
}

// ---- ground -----------------------------------------------------------------------------------

// Height of the land above the ground plane: flat round the city, mountains to the west, low
// hills north and south, none towards the sea.
double terrainHeight(double x, double z) {
    double r = std::hypot(x, z), a = std::atan2(z, x);
    double west = smoothstep(0.2, -0.7, std::cos(a));
    double weight = std::max(west, 0.3 * smoothstep(0.5, 0.1, std::cos(a)));
    double n = fbm(x / 1400 + 20, z / 1400 + 20, 411, 5);
    double ridged = 1 - std::fabs(2 * n - 1);
    return weight * smoothstep(2100, 3500, r) * (250 + 850 * ridged * ridged);
}

bool isSea(double x, double z) {
    return x > 1750 + 500 * (fbm(z / 900 + 5, 3, 421, 3) - 0.5) && terrainHeight(x, z) < 1;
}

std::vector<double> gridLines(double firstStreet, int streets) {
    std::vector<double> lines;
    const double lastStreet = firstStreet + kStreetPitch * (streets - 1);
    std::vector<double> outer;
    double step = 100, at = 0;
    while (at < 4400) {
        at += step;
        outer.push_back(at);
        step = std::min(step * 1.18, 300.0);
    }
    for (auto it = outer.rbegin(); it != outer.rend(); ++it) lines.push_back(firstStreet - 8 - *it);
    for (int k = 0; k < streets; ++k) {
        lines.push_back(firstStreet + kStreetPitch * k - 8);
        lines.push_back(firstStreet + kStreetPitch * k + 8);
    }
    for (double d : outer) lines.push_back(lastStreet + 8 + d);
    return lines;
}

bool isStreetInterval(double a, double b, double firstStreet, int streets) {
    double centre = (a + b) / 2;
    for (int k = 0; k < streets; ++k)
        if (std::fabs(centre - (firstStreet + kStreetPitch * k)) < 1e-6) return true;
    return false;
}

struct BlockKind {
    bool park = false;
};

void buildGround(MeshObject& o, const CityMaterials& m, const std::vector<std::vector<BlockKind>>& blocks) {
    const std::vector<double> xs = gridLines(kFirstStreetX, kStreetsX), zs = gridLines(kFirstStreetZ, kStreetsZ);
    const double coreX0 = kFirstStreetX - 8, coreX1 = kFirstStreetX + kStreetPitch * (kStreetsX - 1) + 8;
    const double coreZ0 = kFirstStreetZ - 8, coreZ1 = kFirstStreetZ + kStreetPitch * (kStreetsZ - 1) + 8;
    const int nx = static_cast<int>(xs.size()), nz = static_cast<int>(zs.size());
    int first = static_cast<int>(o.vertices().size());
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            bool core = xs[i] >= coreX0 && xs[i] <= coreX1 && zs[j] >= coreZ0 && zs[j] <= coreZ1;
            o.addVertex({xs[i], kGround + (core ? 0 : terrainHeight(xs[i], zs[j])), zs[j]});
        }
    auto at = [&](int i, int j) { return first + j * nx + i; };
    const Vec3 up{0, 1, 0};
    for (int j = 0; j + 1 < nz; ++j)
        for (int i = 0; i + 1 < nx; ++i) {
            double x0 = xs[i], x1 = xs[i + 1], z0 = zs[j], z1 = zs[j + 1];
            double cx = (x0 + x1) / 2, cz = (z0 + z1) / 2;
            int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            bool core = cx > coreX0 && cx < coreX1 && cz > coreZ0 && cz < coreZ1;
            auto planar = [&](double tile) {
                return std::array<Uv, 4>{Uv{x0 / tile, z0 / tile}, Uv{x1 / tile, z0 / tile},
                                         Uv{x1 / tile, z1 / tile}, Uv{x0 / tile, z1 / tile}};
            };
            std::array<Uv, 4> uv;
            int material;
            if (core) {
                bool streetX = isStreetInterval(x0, x1, kFirstStreetX, kStreetsX);
                bool streetZ = isStreetInterval(z0, z1, kFirstStreetZ, kStreetsZ);
                if (streetX && streetZ) {
                    material = m.crossing;
                    uv = {Uv{insetU(0, 128), insetV(0, 128)}, Uv{insetU(1, 128), insetV(0, 128)},
                          Uv{insetU(1, 128), insetV(1, 128)}, Uv{insetU(0, 128), insetV(1, 128)}};
                } else if (streetX) {
                    // A street running along Z: across is X.
                    material = m.road;
                    uv = {Uv{0.0, z0 / kRoadTile}, Uv{1.0, z0 / kRoadTile}, Uv{1.0, z1 / kRoadTile},
                          Uv{0.0, z1 / kRoadTile}};
                    for (Uv& t : uv) t.u = insetU(t.u, 64);
                } else if (streetZ) {
                    material = m.road;
                    uv = {Uv{0.0, x0 / kRoadTile}, Uv{0.0, x1 / kRoadTile}, Uv{1.0, x1 / kRoadTile},
                          Uv{1.0, x0 / kRoadTile}};
                    for (Uv& t : uv) t.u = insetU(t.u, 64);
                } else {
                    int bi = static_cast<int>((cx - kFirstStreetX) / kStreetPitch);
                    int bj = static_cast<int>((cz - kFirstStreetZ) / kStreetPitch);
                    bool park = blocks[bi][bj].park;
                    material = park ? m.park : m.plaza;
                    int size = 256;
                    uv = {Uv{insetU(0, size), insetV(0, size)}, Uv{insetU(1, size), insetV(0, size)},
                          Uv{insetU(1, size), insetV(1, size)}, Uv{insetU(0, size), insetV(1, size)}};
                }
            } else {
                double h = std::max({terrainHeight(x0, z0), terrainHeight(x1, z0), terrainHeight(x1, z1),
                                     terrainHeight(x0, z1)});
                double chebyshev = std::max(std::fabs(cx), std::fabs(cz));
                if (isSea(cx, cz)) {
                    material = m.water;
                    uv = planar(kWaterTile);
                } else if (h < 1 && chebyshev < 1500) {
                    material = m.suburb;
                    uv = planar(kSuburbTile);
                } else if (h < 120) {
                    material = m.fields;
                    uv = planar(kFieldTile);
                } else {
                    material = h < 420 ? m.forest : (h < 780 ? m.rock : m.snow);
                    uv = planar(kRockTile);
                }
            }
            const std::vector<Vec3>& v = o.vertices();
            if (std::fabs(v[a].y - v[b].y + v[c].y - v[d].y) < 1e-6) {
                o.addQuadFacing(a, b, c, d, material, up, uv[0], uv[1], uv[2], uv[3]);
            } else {  // a hillside cell is not flat: two triangles
                o.addTriangleFacing(a, b, c, material, up, uv[0], uv[1], uv[2]);
                o.addTriangleFacing(a, c, d, material, up, uv[0], uv[2], uv[3]);
            }
        }
}

void buildSkyDome(MeshObject& o, const CityMaterials& m) {
    const int lon = 32, lat = 8;
    const double lowest = kSkyLowestLatitude;
    auto point = [&](int i, int j) {
        double a = -kPi + 2 * kPi * i / lon, b = kPi / 2 - (kPi / 2 - lowest) * j / lat;
        return Vec3{std::sin(a) * std::cos(b), std::sin(b), -std::cos(a) * std::cos(b)} * kSkyRadius +
               Vec3{0, kGround, 0};
    };
    int top = o.addVertex(point(0, 0));
    int first = static_cast<int>(o.vertices().size());
    for (int j = 1; j <= lat; ++j)
        for (int i = 0; i < lon; ++i) o.addVertex(point(i, j));
    auto at = [&](int i, int j) { return first + (j - 1) * lon + i % lon; };
    auto v = [&](int j) { return insetV(double(j) / lat, 256); };
    for (int i = 0; i < lon; ++i) {
        double u0 = double(i) / lon, u1 = double(i + 1) / lon;
        Vec3 inward = (point(i, 1) - Vec3{0, kGround, 0}) * -1.0;
        o.addTriangleFacing(top, at(i, 1), at(i + 1, 1), m.sky, inward, {(u0 + u1) / 2, v(0)}, {u0, v(1)},
                            {u1, v(1)});
        for (int j = 1; j < lat; ++j) {
            Vec3 in = (point(i, j) - Vec3{0, kGround, 0}) * -1.0;
            o.addQuadFacing(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), m.sky, in, {u0, v(j)},
                            {u1, v(j)}, {u1, v(j + 1)}, {u0, v(j + 1)});
        }
    }
}

}  // namespace

void buildCity(Output& out) {
    for (int s = 0; s < kFacadeStyles; ++s) out.bitmap("mati/facade" + std::to_string(s) + ".bmp", facadeImage(s));
    out.bitmap("mati/roof.bmp", roofImage());
    out.bitmap("mati/road.bmp", roadImage());
    out.bitmap("mati/crossing.bmp", crossingImage());
    out.bitmap("mati/plaza.bmp", plazaImage());
    out.bitmap("mati/park.bmp", parkImage());
    out.bitmap("mati/suburb.bmp", suburbImage());
    out.bitmap("mati/fields.bmp", fieldsImage());
    out.bitmap("mati/rock.bmp", rockImage());
    out.bitmap("mati/water.bmp", waterImage());
    out.bitmap("mati/sky.bmp", duskSkyImage());

    ModelFile model;
    CityMaterials m = cityMaterials(model);
    Clearance clearance;
    Rng rng(4242);

    MeshObject& sky = model.addObject("sky", {0.3, 0.3, 0.6, 1});
    buildSkyDome(sky, m);

    // Buildings, block by block.
    const int blocksX = kStreetsX - 1, blocksZ = kStreetsZ - 1;
    std::vector<std::vector<BlockKind>> blocks(blocksX, std::vector<BlockKind>(blocksZ));
    MeshObject& towers = model.addObject("buildings", {0.6, 0.6, 0.7, 1});
    MeshObject& trees = model.addObject("trees", {0.2, 0.4, 0.2, 1});
    const double needleX = -200, needleZ = -255;
    for (int bi = 0; bi < blocksX; ++bi)
        for (int bj = 0; bj < blocksZ; ++bj) {
            double x0 = kFirstStreetX + kStreetPitch * bi + 8, z0 = kFirstStreetZ + kStreetPitch * bj + 8;
            double x1 = x0 + 64, z1 = z0 + 64, cx = x0 + 32, cz = z0 + 32;
            double weight = district(cx, cz);
            double pick = rng.uniform();
            if (std::fabs(cx - needleX) < 1 && std::fabs(cz - needleZ) < 1 &&
                clearance.ceiling(x0, z0, x1, z1) > kGround + 640) {
                addNeedle(towers, m, cx, cz);
                continue;
            }
            std::vector<Lot> lots;
            auto wanted = [&](double scale) {
                return (26 + weight * 380 * rng.range(0.55, 1.25) + rng.range(0, 40)) * scale;
            };
            if (pick < 0.08 + 0.1 * (1 - weight)) {
                blocks[bi][bj].park = true;
            } else if (weight > 0.4 && pick < 0.7) {
                double inset = rng.range(8, 12);
                lots.push_back({x0 + inset, z0 + inset, x1 - inset, z1 - inset, wanted(1.15)});
            } else if (weight > 0.12 || pick < 0.7) {
                for (int k = 0; k < 4; ++k) {
                    double lx = x0 + 2 + (k % 2) * 31, lz = z0 + 2 + (k / 2) * 31;
                    lots.push_back({lx, lz, lx + 29, lz + 29, wanted(0.8)});
                }
            } else {
                for (int k = 0; k < 9; ++k) {
                    double lx = x0 + 2 + (k % 3) * 20.7, lz = z0 + 2 + (k / 3) * 20.7;
                    lots.push_back({lx, lz, lx + 18, lz + 18, std::min(60.0, wanted(0.5))});
                }
            }
            int built = 0;
            for (const Lot& lot : lots) built += addBuilding(towers, m, clearance, lot, rng);
            if (!lots.empty() && built * 2 < static_cast<int>(lots.size())) blocks[bi][bj].park = true;
            if (blocks[bi][bj].park) {
                for (int k = 0; k < 7; ++k) {
                    double tx = rng.range(x0 + 6, x1 - 6), tz = rng.range(z0 + 6, z1 - 6), size = rng.range(3.5, 6);
                    if (std::fabs(std::hypot(tx - cx, tz - cz) - 21) < 4) continue;  // keep the path free
                    if (clearance.ceiling(tx - size, tz - size, tx + size, tz + size) < kGround + size * 2.6) continue;
                    addTree(trees, m, tx, tz, size);
                }
            }
        }

    // Houses scattered over the suburbs, clear of the streets of the texture's grid.
    MeshObject& houses = model.addObject("suburbs", {0.6, 0.5, 0.4, 1});
    for (double gz = -1400; gz <= 1400; gz += 75)
        for (double gx = -1400; gx <= 1400; gx += 75) {
            double x = gx + rng.range(-18, 18), z = gz + rng.range(-18, 18);
            double w = rng.range(12, 24), d = rng.range(10, 18), h = rng.range(6, 14);
            int roof = rng.below(4);
            bool keep = rng.uniform() < 0.22;
            if (std::max(std::fabs(x) - 610, std::fabs(z) - 470) < 0) continue;  // the city itself
            if (std::hypot(x, z) > 1450 || isSea(x, z) || !keep) continue;
            if (clearance.ceiling(x - w, z - d, x + w, z + d) < kGround + h * 2) continue;
            addHouse(houses, m, x, z, w, d, h, roof);
        }

    MeshObject& ground = model.addObject("ground", {0.3, 0.3, 0.3, 1});
    buildGround(ground, m, blocks);
    out.model(model, "mati/f0.mqo");
}

}  // namespace gen
