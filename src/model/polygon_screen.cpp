#include "model/polygon_screen.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Point {
    double x, y;
};

double cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

bool within(Point a, Point b, Point p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Whether segments ab and cd share a point (a touch or an overlap counts).
bool meet(Point a, Point b, Point c, Point d) {
    const double d1 = cross(c, d, a), d2 = cross(c, d, b), d3 = cross(a, b, c), d4 = cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    return (d1 == 0 && within(c, d, a)) || (d2 == 0 && within(c, d, b)) || (d3 == 0 && within(a, b, c)) ||
           (d4 == 0 && within(a, b, d));
}

}  // namespace

PolygonProblem screenPolygon(const double* xyz, const int32_t* index, int32_t corners) {
    if (corners > kMaxPolygonCorners) return PolygonProblem::TooManyCorners;
    if (corners < 4) return PolygonProblem::None;
    const std::size_t n = std::size_t(corners);
    std::vector<int32_t> sorted(index, index + n);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 2; k < n; ++k)
        if (sorted[k] == sorted[k - 2]) return PolygonProblem::RepeatedCorners;
    // The plane the tessellator projects onto: the one across the largest component of the
    // polygon's (Newell) normal.
    double normal[3] = {0, 0, 0};
    for (std::size_t k = 0; k < n; ++k) {
        const double* p = xyz + 3 * k;
        const double* q = xyz + 3 * ((k + 1) % n);
        normal[0] += (p[1] - q[1]) * (p[2] + q[2]);
        normal[1] += (p[2] - q[2]) * (p[0] + q[0]);
        normal[2] += (p[0] - q[0]) * (p[1] + q[1]);
    }
    int drop = 2;
    if (std::fabs(normal[0]) >= std::fabs(normal[1]) && std::fabs(normal[0]) >= std::fabs(normal[2])) drop = 0;
    else if (std::fabs(normal[1]) >= std::fabs(normal[2])) drop = 1;
    const int u = drop == 0 ? 1 : 0, v = drop == 2 ? 1 : 2;
    std::vector<Point> points(n);
    for (std::size_t k = 0; k < n; ++k) points[k] = {xyz[3 * k + std::size_t(u)], xyz[3 * k + std::size_t(v)]};
    // Pairs of edges that are not neighbours and whose boxes overlap, swept along x: near-linear
    // for what modellers draw, at most a million pairs at the corner limit.
    struct Edge {
        double xLow, xHigh, yLow, yHigh;
        std::size_t from;
    };
    std::vector<Edge> edges(n);
    for (std::size_t k = 0; k < n; ++k) {
        const Point a = points[k], b = points[(k + 1) % n];
        edges[k] = {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y), k};
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.xLow < b.xLow; });
    std::size_t meetings = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Edge& e = edges[i];
        for (std::size_t j = i + 1; j < n && edges[j].xLow <= e.xHigh; ++j) {
            const Edge& f = edges[j];
            const std::size_t gap = e.from > f.from ? e.from - f.from : f.from - e.from;
            if (gap == 1 || gap == n - 1) continue;  // neighbours meet at their shared corner
            if (f.yLow > e.yHigh || f.yHigh < e.yLow) continue;
            if (meet(points[e.from], points[(e.from + 1) % n], points[f.from], points[(f.from + 1) % n]) &&
                ++meetings > n)
                return PolygonProblem::CrossingEdges;
        }
    }
    return PolygonProblem::None;
}

const char* polygonProblemText(PolygonProblem problem) {
    switch (problem) {
    case PolygonProblem::None: return "";
    case PolygonProblem::TooManyCorners: return "more than 1024 corners";
    case PolygonProblem::RepeatedCorners: return "a vertex at three corners or more";
    case PolygonProblem::CrossingEdges: return "edges crossing more often than there are corners";
    }
    return "";
}
