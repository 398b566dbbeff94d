// Face explosion: per-face tumble angles, centres and targets drawn once at set-up, and the
// placement that moves every face along its line to the target while it turns about its centre.
#include "render/face_explosion.h"

#include <algorithm>  // std::clamp
#include <cmath>      // sin, cos, sqrt

#include "app/demo_random.h"          // demoRand: the show's one random sequence
#include "render/model_renderer.h"    // drawModel

namespace {

// Degrees to radians as the show computes it (3.141592 / 180).
constexpr double kDegree = 0.01745328888888889;

int facesOf(const MqoObject& object) { return object.faces ? std::max(object.faceCount, 0) : 0; }

// Corners a face owns: four for a quadrilateral, three for everything else.
int ownedCorners(const MqoFace& face) { return face.vertexCount == 4 ? 4 : 3; }

// The vertex an index names, or the origin for an index outside the object (the reader refuses
// such faces, so this only keeps a damaged record from being read out of bounds).
MqoVertex vertexAt(const MqoObject& object, int32_t index) {
    if (!object.vertices || index < 0 || index >= object.vertexCount) return {};
    return object.vertices[index];
}

void drawAngles(ExplodableModel& model) {
    model.faceAngles.assign(model.objects.size(), {});
    for (size_t i = 0; i < model.objects.size(); ++i) {
        auto& angles = model.faceAngles[i];
        angles.resize(facesOf(model.objects[i]));
        for (Vec3d& a : angles) {
            a.x = demoRand() % 720;
            a.y = demoRand() % 720;
            a.z = demoRand() % 720;
        }
    }
}

void computeCentres(ExplodableModel& model) {
    model.faceCentres.assign(model.objects.size(), {});
    model.faceTargets.assign(model.objects.size(), {});
    for (size_t i = 0; i < model.objects.size(); ++i) {
        const MqoObject& object = model.objects[i];
        const int faceCount = facesOf(object);
        model.faceCentres[i].resize(faceCount);
        model.faceTargets[i].resize(faceCount);
        for (int j = 0; j < faceCount; ++j) {
            const int32_t* index = object.faces[j].vertexIndex;
            const MqoVertex a = vertexAt(object, index[0]);
            const MqoVertex b = vertexAt(object, index[1]);
            const MqoVertex c = vertexAt(object, index[2]);
            Vec3d& centre = model.faceCentres[i][j];
            if (object.faces[j].vertexCount == 3) {
                centre = {(a.x + b.x + c.x) * 0.3333333333333333, (a.y + b.y + c.y) * 0.3333333333333333,
                          (a.z + b.z + c.z) * 0.3333333333333333};
            } else {
                const MqoVertex d = vertexAt(object, index[3]);
                centre = {(a.x + b.x + c.x + d.x) * 0.25, (a.y + b.y + c.y + d.y) * 0.25,
                          (a.z + b.z + c.z + d.z) * 0.25};
            }
        }
    }
}

// x and y come from two independent angles, so x² + y² may exceed r², where the sphere has no
// point above (x, y). Such a face takes the root of the radicand's magnitude, with the drawn sign,
// and the point is pulled in along its direction onto the sphere: every target lies on the sphere,
// the pulled-in ones spread over it like the others, and both meet where the radicand is 0.
Vec3d targetOnSphere(double radius, int a, int b, int s) {
    Vec3d t;
    t.x = radius * std::cos(a * kDegree);
    t.y = radius * std::sin(b * kDegree);
    const double radicand = radius * radius - t.x * t.x - t.y * t.y;
    t.z = std::sqrt(std::fabs(radicand));
    if (s == 1) t.z = -t.z;
    if (radicand < 0) {
        const double scale = std::fabs(radius) / std::sqrt(t.x * t.x + t.y * t.y + t.z * t.z);
        t.x *= scale;
        t.y *= scale;
        t.z *= scale;
    }
    return t;
}

void drawTargets(ExplodableModel& model, double radius) {
    for (auto& targets : model.faceTargets) {
        for (Vec3d& target : targets) {
            const int a = demoRand() % 360;
            const int b = demoRand() % 360;
            const int s = demoRand() % 2;
            target = targetOnSphere(radius, a, b, s);
        }
    }
}

// Gives every face consecutive vertices of its own, in its corner order.
void unshareVertices(MqoObject& object) {
    const int faceCount = facesOf(object);
    int32_t total = 0;
    for (int j = 0; j < faceCount; ++j) total += ownedCorners(object.faces[j]);
    auto vertices = total > 0 ? std::make_unique<MqoVertex[]>(total) : nullptr;
    int32_t m = 0;
    for (int j = 0; j < faceCount; ++j) {
        MqoFace& face = object.faces[j];
        const int corners = ownedCorners(face);
        for (int k = 0; k < corners; ++k) {
            vertices[m + k] = vertexAt(object, face.vertexIndex[k]);
            face.vertexIndex[k] = m + k;
        }
        m += corners;
    }
    object.setVertexCount(m);
    object.setVertices(std::move(vertices));
}

}  // namespace

void prepareExplosion(ExplodableModel& model, double radius) {
    drawAngles(model);
    computeCentres(model);
    drawTargets(model, radius);
    for (MqoObject& object : model.objects) unshareVertices(object);
    model.restObjects.clear();
    model.restObjects.reserve(model.objects.size());
    for (const MqoObject& object : model.objects) model.restObjects.push_back(object);
}

void placeExplodedFaces(ExplodableModel& model, double progress) {
    const size_t objectCount =
        std::min({model.objects.size(), model.restObjects.size(), model.faceCentres.size(),
                  model.faceTargets.size(), model.faceAngles.size()});
    for (size_t i = 0; i < objectCount; ++i) {
        MqoObject& live = model.objects[i];
        const MqoObject& rest = model.restObjects[i];
        if (!live.vertices || !rest.vertices) continue;
        const int32_t vertexCount = std::min(live.vertexCount, rest.vertexCount);
        const size_t faceCount =
            std::min({static_cast<size_t>(facesOf(live)), model.faceCentres[i].size(),
                      model.faceTargets[i].size(), model.faceAngles[i].size()});
        for (size_t j = 0; j < faceCount; ++j) {
            const MqoFace& face = live.faces[j];
            const Vec3d q = model.faceCentres[i][j];
            const Vec3d target = model.faceTargets[i][j];
            const Vec3d angles = model.faceAngles[i][j];
            const Vec3d travel = {q.x + (target.x - q.x) * progress, q.y + (target.y - q.y) * progress,
                                  q.z + (target.z - q.z) * progress};
            const double sa = std::sin(angles.x * progress * kDegree);
            const double ca = std::cos(angles.x * progress * kDegree);
            const double sb = std::sin(angles.y * progress * kDegree);
            const double cb = std::cos(angles.y * progress * kDegree);
            const double sg = std::sin(angles.z * progress * kDegree);
            const double cg = std::cos(angles.z * progress * kDegree);
            const int corners = std::clamp(face.vertexCount, 0, 4);
            for (int k = 0; k < corners; ++k) {
                const int32_t n = face.vertexIndex[k];
                if (n < 0 || n >= vertexCount) continue;
                const MqoVertex& r = rest.vertices[n];
                const double dx = r.x - q.x, dy = r.y - q.y, dz = r.z - q.z;
                // About Y, then about X, then about Z.
                const double x1 = cb * dx - sb * dz;
                const double z1 = sb * dx + cb * dz;
                const double y2 = ca * dy - sa * z1;
                const double z2 = sa * dy + ca * z1;
                const double x3 = cg * x1 - sg * y2;
                const double y3 = sg * x1 + cg * y2;
                live.vertices[n] = {travel.x + x3, travel.y + y3, travel.z + z2};
            }
        }
    }
}

void drawModelExploded(ExplodableModel& model, double progress) {
    placeExplodedFaces(model, progress);
    drawModel(model, true, true, false);
}
