// Shape helpers shared by the model builders: faces from positions, spheres, boxes.
#pragma once
#include <array>
#include <functional>

#include "data_writers.h"

namespace gen {

// A quad / triangle from positions (corners of their own), wound to face `toward`.
void addQuadFacingAt(MeshObject& o, Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, Vec3 toward,
                     std::array<Uv, 4> uv = {});
void addTriangleFacingAt(MeshObject& o, Vec3 a, Vec3 b, Vec3 c, int material, Vec3 toward, Uv ua,
                         Uv ub, Uv uc);

// A sphere-like surface over longitude (-pi .. pi, i = 0 .. lonSegments) and latitude (pi/2 at
// the top .. -pi/2), with shared vertices and a triangle fan at each pole. Texture u runs 0..1
// with longitude, v 0..1 from top to bottom (kept half a texel inside when textureHeight > 0).
// Faces wind towards the centre when inside is true, away from it otherwise; material(i, j)
// picks the material of the face in column i and row j.
void addLatLongSphere(MeshObject& o, int lonSegments, int latSegments,
                      const std::function<Vec3(double lon, double lat)>& position,
                      const std::function<int(int i, int j)>& material, int textureHeight,
                      bool inside);

// An axis-aligned box without shared corners; material(normal) per side; texture coordinates
// span each side once.
void addBox(MeshObject& o, Vec3 lo, Vec3 hi, const std::function<int(Vec3 normal)>& material,
            bool inside);

}  // namespace gen
