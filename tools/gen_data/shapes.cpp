#include "shapes.h"

namespace gen {

void addQuadFacingAt(MeshObject& o, Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, Vec3 toward,
                     std::array<Uv, 4> uv) {
    int i = o.addVertex(a);
    o.addVertex(b);
    o.addVertex(c);
    o.addVertex(d);
    o.addQuadFacing(i, i + 1, i + 2, i + 3, material, toward, uv[0], uv[1], uv[2], uv[3]);
}

void addTriangleFacingAt(MeshObject& o, Vec3 a, Vec3 b, Vec3 c, int material, Vec3 toward, Uv ua,
                         Uv ub, Uv uc) {
    int i = o.addVertex(a);
    o.addVertex(b);
    o.addVertex(c);
    o.addTriangleFacing(i, i + 1, i + 2, material, toward, ua, ub, uc);
}

void addLatLongSphere(MeshObject& o, int lonSegments, int latSegments,
                      const std::function<Vec3(double lon, double lat)>& position,
                      const std::function<int(int i, int j)>& material, int textureHeight,
                      bool inside) {
    auto lonOf = [&](double i) { return -kPi + 2 * kPi * i / lonSegments; };
    auto latOf = [&](double j) { return kPi / 2 - kPi * j / latSegments; };
    auto v = [&](double j) {
        double t = j / latSegments;
        return textureHeight > 0 ? insetV(t, textureHeight) : t;
    };
    int top = o.addVertex(position(0, kPi / 2));
    int first = static_cast<int>(o.vertices().size());
    for (int j = 1; j < latSegments; ++j)
        for (int i = 0; i < lonSegments; ++i) o.addVertex(position(lonOf(i), latOf(j)));
    int bottom = o.addVertex(position(0, -kPi / 2));
    auto at = [&](int i, int j) { return first + (j - 1) * lonSegments + i % lonSegments; };
    auto facing = [&](Vec3 centre) { return inside ? centre * -1.0 : centre; };
    for (int i = 0; i < lonSegments; ++i) {
        double u0 = double(i) / lonSegments, u1 = double(i + 1) / lonSegments, um = (u0 + u1) / 2;
        Vec3 c = position(lonOf(i + 0.5), latOf(0.5));
        o.addTriangleFacing(top, at(i, 1), at(i + 1, 1), material(i, 0), facing(c), {um, v(0)},
                            {u0, v(1)}, {u1, v(1)});
        for (int j = 1; j + 1 < latSegments; ++j) {
            Vec3 m = position(lonOf(i + 0.5), latOf(j + 0.5));
            o.addQuadFacing(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), material(i, j),
                            facing(m), {u0, v(j)}, {u1, v(j)}, {u1, v(j + 1)}, {u0, v(j + 1)});
        }
        int last = latSegments - 1;
        Vec3 b = position(lonOf(i + 0.5), latOf(latSegments - 0.5));
        o.addTriangleFacing(bottom, at(i + 1, last), at(i, last), material(i, last), facing(b),
                            {um, v(latSegments)}, {u1, v(last)}, {u0, v(last)});
    }
}

void addBox(MeshObject& o, Vec3 lo, Vec3 hi, const std::function<int(Vec3 normal)>& material,
            bool inside) {
    const Vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vec3& n : normals) {
        // Two axes spanning the side.
        Vec3 s = std::fabs(n.y) > 0 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
        Vec3 t = cross(n, s);
        Vec3 centre = (lo + hi) * 0.5;
        Vec3 half = (hi - lo) * 0.5;
        auto corner = [&](double a, double b) {
            Vec3 p = centre + Vec3{n.x * half.x, n.y * half.y, n.z * half.z};
            p = p + Vec3{s.x * half.x, s.y * half.y, s.z * half.z} * a;
            p = p + Vec3{t.x * half.x, t.y * half.y, t.z * half.z} * b;
            return p;
        };
        addQuadFacingAt(o, corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1), material(n),
                        inside ? n * -1.0 : n, {Uv{0, 1}, Uv{1, 1}, Uv{1, 0}, Uv{0, 0}});
    }
}

}  // namespace gen
