// Models that can be drawn with their faces torn apart by one progress value (0 = whole).
#pragma once
#include <vector>

#include "model/mqo_model.h"

struct Vec3d {
    double x = 0, y = 0, z = 0;
};

// The extended model form: per object, one entry per face.
class ExplodableModel : public MqoModel {
public:
    std::vector<std::vector<Vec3d>> faceCentres;  // rest centre of each face
    std::vector<std::vector<Vec3d>> faceTargets;  // where the centre travels at progress 1
    std::vector<std::vector<Vec3d>> faceAngles;   // tumble about X, Y, Z in whole degrees 0..719
    std::vector<MqoObject> restObjects;           // deep copies of the objects at rest
};

// Draws the random angles and targets (in that order), computes centres, unshares vertices and
// keeps rest copies. Once per model, after load.
void prepareExplosion(ExplodableModel& model, double radius);
// Rewrites the live vertices for progress p; allocates nothing.
void placeExplodedFaces(ExplodableModel& model, double progress);
// placeExplodedFaces, then drawModel(model, true, true, false).
void drawModelExploded(ExplodableModel& model, double progress);
