// Polygons screened before the tessellator splits them. The tessellator's time grows with the
// square of the corners that coincide and with every crossing of two edges (a 1000-corner polygon
// of random corners crosses itself some 100000 times and takes seconds), so a polygon that no
// modeller writes is refused up front: reading stays proportional to the file's size.
#pragma once
#include <cstdint>

// Real files keep well below this (the largest polygon seen in modellers' files has 66 corners).
inline constexpr int32_t kMaxPolygonCorners = 1024;

enum class PolygonProblem { None, TooManyCorners, RepeatedCorners, CrossingEdges };

// xyz: 3 coordinates per corner; index: the vertex index of each corner. A vertex may stand at
// two corners (a polygon with a hole joined to its outline by a bridge), not at three; the edges
// may cross or overlap at most as many times as there are corners.
PolygonProblem screenPolygon(const double* xyz, const int32_t* index, int32_t corners);

// "more than 1024 corners", "a vertex at three corners or more", "edges crossing more often than
// there are corners".
const char* polygonProblemText(PolygonProblem problem);
