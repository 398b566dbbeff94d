// Flattening, filling and extrusion of glyph outlines, shared by every backend's font source.
#include "platform/glyph_extrusion.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

#include "platform/standin_display.h"

namespace platform {
namespace {

// Most chords per curve at the designed flatness (kGlyphFlatness); finer flatness allows more in
// proportion to the square root, as a curve's chord count grows.
constexpr int kMaxCurveSegments = 64;
// Adjacent side walls meeting at less than this angle share a normal, so that flattened curves
// light smoothly while real corners stay sharp.
const double kSmoothCos = std::cos(35.0 * 3.14159265358979 / 180.0);

// Windows-1252 0x80..0x9F as Unicode; 0 marks the five codes the code page leaves undefined.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

using Contour = std::vector<OutlinePoint>;

// Drops repeated points (the closing point included) and contours that enclose nothing.
void cleanContours(std::vector<Contour>& contours) {
    for (auto& c : contours) {
        Contour kept;
        kept.reserve(c.size());
        for (const OutlinePoint& p : c)
            if (kept.empty() || std::abs(p.x - kept.back().x) > 1e-9 || std::abs(p.y - kept.back().y) > 1e-9)
                kept.push_back(p);
        while (kept.size() > 1 && std::abs(kept.front().x - kept.back().x) <= 1e-9 &&
               std::abs(kept.front().y - kept.back().y) <= 1e-9)
            kept.pop_back();
        c.swap(kept);
    }
    std::erase_if(contours, [](const Contour& c) { return c.size() < 3; });
}

// --- tessellation ----------------------------------------------------------------------------------

struct Tessellation {
    std::vector<OutlinePoint> triangles;          // three points per triangle, any winding
    std::deque<std::array<double, 3>> combined;   // vertices the tessellator makes at crossings
    bool failed = false;
};

void GLAPIENTRY tessBegin(GLenum, void*) {}
void GLAPIENTRY tessEdgeFlag(GLboolean, void*) {}  // its presence makes the output plain triangles
void GLAPIENTRY tessEnd(void*) {}

void GLAPIENTRY tessVertex(void* vertex, void* user) {
    const auto* v = static_cast<const double*>(vertex);
    static_cast<Tessellation*>(user)->triangles.push_back({v[0], v[1]});
}

void GLAPIENTRY tessCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* user) {
    auto& made = static_cast<Tessellation*>(user)->combined;
    made.push_back({coords[0], coords[1], coords[2]});
    *out = made.back().data();
}

void GLAPIENTRY tessError(GLenum, void* user) { static_cast<Tessellation*>(user)->failed = true; }

// Fills the region the contours enclose (non-zero winding, the TrueType rule) with triangles.
void tessellate(GLUtesselator* tess, const std::vector<Contour>& contours, Tessellation& out) {
    out.triangles.clear();
    out.combined.clear();
    out.failed = false;
    std::vector<std::array<double, 3>> input;  // must stay put until the polygon ends
    size_t total = 0;
    for (const auto& c : contours) total += c.size();
    input.reserve(total);
    gluTessBeginPolygon(tess, &out);
    for (const auto& c : contours) {
        gluTessBeginContour(tess);
        for (const OutlinePoint& p : c) {
            input.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, input.back().data(), input.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    if (out.triangles.size() % 3 != 0) out.failed = true;
}

// --- the mesh of one glyph ------------------------------------------------------------------------

double cross(OutlinePoint o, OutlinePoint a, OutlinePoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Front face at z = 0 facing +z and back face at z = -depth facing -z, both wound counter-
// clockwise as seen from outside, whatever order the tessellator gave.
void addCaps(const std::vector<OutlinePoint>& triangles, double depth, std::vector<GlyphVertex>& out) {
    for (const bool back : {false, true}) {
        const double nz = back ? -1 : 1;
        const double z = back ? -depth : 0;
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            const OutlinePoint &a = triangles[i], &b = triangles[i + 1], &c = triangles[i + 2];
            const double area = cross(a, b, c);
            if (area == 0) continue;
            // The back face runs the other way round so that it, too, is wound towards its outside.
            const bool keep = (area > 0) != back;
            const OutlinePoint& second = keep ? b : c;
            const OutlinePoint& third = keep ? c : b;
            out.push_back({a.x, a.y, z, 0, 0, nz});
            out.push_back({second.x, second.y, z, 0, 0, nz});
            out.push_back({third.x, third.y, z, 0, 0, nz});
        }
    }
}

// The side walls between the two faces, one quad per contour edge, normals pointing away from the
// filled side. filledOnRight: the outline's fill lies right of its direction of travel.
void addWalls(const std::vector<Contour>& contours, bool filledOnRight, double depth, std::vector<GlyphVertex>& out) {
    std::vector<OutlinePoint> edgeNormals, vertexNormalsIn, vertexNormalsOut;
    for (const auto& c : contours) {
        const size_t n = c.size();
        edgeNormals.assign(n, {});
        for (size_t k = 0; k < n; ++k) {
            const OutlinePoint& p = c[k];
            const OutlinePoint& q = c[(k + 1) % n];
            const double dx = q.x - p.x, dy = q.y - p.y, len = std::hypot(dx, dy);
            edgeNormals[k] = filledOnRight ? OutlinePoint{-dy / len, dx / len} : OutlinePoint{dy / len, -dx / len};
        }
        // At each vertex: the normal the wall before it ends with and the one the wall after starts with.
        vertexNormalsIn.assign(n, {});
        vertexNormalsOut.assign(n, {});
        for (size_t k = 0; k < n; ++k) {
            const OutlinePoint before = edgeNormals[(k + n - 1) % n], after = edgeNormals[k];
            if (before.x * after.x + before.y * after.y >= kSmoothCos) {
                const double sx = before.x + after.x, sy = before.y + after.y, len = std::hypot(sx, sy);
                vertexNormalsIn[k] = vertexNormalsOut[k] = {sx / len, sy / len};
            } else {
                vertexNormalsIn[k] = before;
                vertexNormalsOut[k] = after;
            }
        }
        for (size_t k = 0; k < n; ++k) {
            const size_t next = (k + 1) % n;
            const OutlinePoint &p = c[k], &q = c[next];
            const OutlinePoint &np = vertexNormalsOut[k], &nq = vertexNormalsIn[next];
            // p, q at z = 0 then q, p at -depth runs counter-clockwise seen from the left of p->q,
            // which is the outside when the fill lies on the right.
            if (filledOnRight) {
                out.push_back({p.x, p.y, 0, np.x, np.y, 0});
                out.push_back({q.x, q.y, 0, nq.x, nq.y, 0});
                out.push_back({q.x, q.y, -depth, nq.x, nq.y, 0});
                out.push_back({p.x, p.y, -depth, np.x, np.y, 0});
            } else {
                out.push_back({p.x, p.y, 0, np.x, np.y, 0});
                out.push_back({p.x, p.y, -depth, np.x, np.y, 0});
                out.push_back({q.x, q.y, -depth, nq.x, nq.y, 0});
                out.push_back({q.x, q.y, 0, nq.x, nq.y, 0});
            }
        }
    }
}

void emitVertices(const std::vector<GlyphVertex>& vertices) {
    for (const GlyphVertex& v : vertices) {
        glNormal3d(v.nx, v.ny, v.nz);
        glVertex3d(v.x, v.y, v.z);
    }
}

}  // namespace

// --- flattening ------------------------------------------------------------------------------------

OutlineFlattener::OutlineFlattener(double flatness) : flatness_(kGlyphFlatness), maxSegments_(kMaxCurveSegments) {
    if (flatness > 0 && flatness < kGlyphFlatness) {
        flatness_ = flatness;
        maxSegments_ = static_cast<int>(std::ceil(kMaxCurveSegments * std::sqrt(kGlyphFlatness / flatness)));
    }
}

void OutlineFlattener::add(OutlinePoint p) {
    if (contours_.empty()) contours_.emplace_back();
    contours_.back().push_back(p);
    last_ = p;
}

int OutlineFlattener::segmentsFor(double secondDifference) const {
    const int n = static_cast<int>(std::ceil(std::sqrt(secondDifference / flatness_)));
    return std::clamp(n, 1, maxSegments_);
}

void OutlineFlattener::moveTo(OutlinePoint to) {
    contours_.emplace_back();
    add(to);
}

void OutlineFlattener::lineTo(OutlinePoint to) { add(to); }

void OutlineFlattener::conicTo(OutlinePoint p1, OutlinePoint p2) {
    const OutlinePoint p0 = last_;
    // A quadratic strays from a chord over parameter step h by at most |p0 - 2 p1 + p2| h^2 / 4.
    const int n = segmentsFor(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y) / 4);
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        add({s * s * p0.x + 2 * s * t * p1.x + t * t * p2.x, s * s * p0.y + 2 * s * t * p1.y + t * t * p2.y});
    }
}

void OutlineFlattener::cubicTo(OutlinePoint p1, OutlinePoint p2, OutlinePoint p3) {
    const OutlinePoint p0 = last_;
    // |B''| <= 6 max(|p0 - 2 p1 + p2|, |p1 - 2 p2 + p3|); the chord error is |B''| h^2 / 8.
    const double m = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                              std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
    const int n = segmentsFor(m * 0.75);
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

// --- extrusion -------------------------------------------------------------------------------------

GlyphExtruder::GlyphExtruder() {
    GLUtesselator* tess = gluNewTess();
    tess_ = tess;
    if (!tess) return;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(tessBegin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(tessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tessVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(tessCombine));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(tessEnd));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(tessError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
}

GlyphExtruder::~GlyphExtruder() {
    if (tess_) gluDeleteTess(static_cast<GLUtesselator*>(tess_));
}

void GlyphExtruder::extrude(std::vector<std::vector<OutlinePoint>> contours, bool filledOnRight, double depth,
                            GlyphMesh& mesh, GlyphMetrics& metrics) {
    mesh.caps.clear();
    mesh.walls.clear();
    mesh.capsFilled = false;
    cleanContours(contours);
    if (contours.empty() || !tess_) return;
    Tessellation tessellation;
    tessellate(static_cast<GLUtesselator*>(tess_), contours, tessellation);
    if (!tessellation.failed) {
        mesh.capsFilled = true;
        addCaps(tessellation.triangles, depth, mesh.caps);
    }
    addWalls(contours, filledOnRight, depth, mesh.walls);

    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (const auto& c : contours)
        for (const OutlinePoint& p : c) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    metrics.blackBoxX = float(maxX - minX);
    metrics.blackBoxY = float(maxY - minY);
    metrics.glyphOriginX = float(minX);
    metrics.glyphOriginY = float(maxY);
}

void emitGlyphMesh(const GlyphMesh& mesh, const GlyphMetrics& metrics) {
    if (!mesh.present) return;
    if (mesh.capsFilled) {
        glBegin(GL_TRIANGLES);
        emitVertices(mesh.caps);
        glEnd();
    }
    if (!mesh.walls.empty()) {
        glBegin(GL_QUADS);
        emitVertices(mesh.walls);
        glEnd();
    }
    glTranslatef(metrics.cellIncX, metrics.cellIncY, 0);
}

char32_t glyphCharacter(unsigned code) {
    if (code < 32 || code == 127 || code > 255) return 0;
    if (code >= 128 && code < 160) return kCp1252High[code - 128];
    return code;
}

bool buildOutlineGlyphs(const char* face, bool bold, unsigned first, unsigned count, unsigned listBase,
                        float extrusion, GlyphMetrics* metrics, double flatness) {
    logStandInCall("buildOutlineGlyphs");
    std::vector<GlyphMesh> meshes(count);
    if (!buildGlyphMeshes(face, bold, first, count, extrusion, meshes.data(), metrics, flatness)) return false;
    for (unsigned i = 0; i < count; ++i) {
        glNewList(listBase + first + i, GL_COMPILE);
        emitGlyphMesh(meshes[i], metrics[i]);
        glEndList();
    }
    return true;
}

}  // namespace platform
