// What the show draws differently from the modelling tool that made a model file: the keys of
// objects and materials that the show reads past (mirroring, subdivision, lathe, visibility,
// smoothing, vertex colours, alpha and bump maps) and the edges it only outlines. The model
// inspector, the data check and the model viewer report the same findings.
#pragma once
#include <string>
#include <vector>

#include "model/mqo_reader.h"

struct ModelFinding {
    enum class Kind { Mirrored, Subdivided, Lathe, Hidden, Smoothed, VertexColours, Edges, AlphaPlane, BumpMap };
    Kind kind;
    bool material = false;  // about a material (the map kinds); else about an object
    int index = 0;          // of the object or material, from 0 in file order
    std::string name;       // the object's or material's name, in UTF-8
    std::string text;       // what the modelling tool shows and what the show draws instead
};

// The findings of one read, objects first in file order, then materials.
std::vector<ModelFinding> modelFindings(const MqoReadStats& stats);
// A name from a model file in UTF-8: as written when it is UTF-8, else converted from code page
// 932, else with its bytes that are not UTF-8 shown as "?".
std::string displayName(const std::string& written);
// A short key for a kind: "mirrored", "subdivided", ... (for JSON and the viewer's line).
const char* findingKey(ModelFinding::Kind kind);
// One line of plain ASCII for the viewer: per kind its count and, where they fit, the names.
// Empty when there is nothing to tell.
std::string findingsLine(const MqoReadStats& stats);
