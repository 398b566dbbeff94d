// Packaged draws of particular show models: the feather swarm, the city fly-by and the line rings.
#pragma once
#include "render/face_explosion.h"

inline constexpr int kParticleCount = 500;

struct ParticleSet {
    Vec3d start[kParticleCount];  // position at progress 0
    Vec3d drift[kParticleCount];  // offset from start is drift * sqrt(progress)
    Vec3d spin[kParticleCount];   // degrees per unit of progress about X, Y, Z
};
extern ParticleSet particleSets[2];

// Fills set 0 (circle of radius 10) or set 1 (band at y = -1); other numbers do nothing.
void buildParticleSet(int set);
// Where particle i of a set stands at progress t.
Vec3d particlePosition(int set, int i, double t);
// 500 spinning copies of the hane2 model.
void drawParticleSwarm(int set, double t);

struct CameraPose {
    Vec3d eye, centre;
};
// The fly-by camera at progress t (up is +Y).
CameraPose cityFlybyCamera(double t);
// The city model seen from the fly-by camera; leaves the modelview as found.
void drawCityFlyby(double t);

// Three outline copies of the filter model rendered into ringsTexture by a capture pass, their line
// widths (3, 50, 5) scaled with the picture; leaves the modelview at identity and the line width
// at 1 (scaled).
void drawLineRings(double t);
