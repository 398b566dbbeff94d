// The system-independent half of the outline glyphs: a glyph's outline, given by a backend as
// lines and curves in em units, is flattened, filled by the GLU tessellator and extruded into a
// mesh; meshes are compiled into display lists. Every backend's font source ends here, so every
// system draws the same triangles from the same outline.
#pragma once
#include <vector>

#include "platform/outline_glyphs.h"

namespace platform {

struct OutlinePoint {
    double x = 0, y = 0;  // em units, y up
};

// Turns an outline's segments into closed polygonal contours, each curve cut into chords that
// stray from it by at most the flatness (em).
class OutlineFlattener {
public:
    explicit OutlineFlattener(double flatness = kGlyphFlatness);
    void moveTo(OutlinePoint to);  // starts a contour
    void lineTo(OutlinePoint to);
    void conicTo(OutlinePoint control, OutlinePoint to);  // quadratic Bezier
    void cubicTo(OutlinePoint control1, OutlinePoint control2, OutlinePoint to);
    void clear() { contours_.clear(); }
    const std::vector<std::vector<OutlinePoint>>& contours() const { return contours_; }

private:
    void add(OutlinePoint p);
    int segmentsFor(double secondDifference) const;
    double flatness_;
    int maxSegments_;
    std::vector<std::vector<OutlinePoint>> contours_;
    OutlinePoint last_;
};

// Fills and extrudes flattened contours into mesh (present, caps, walls) and sets the black box
// of metrics; the caller sets the cell increment. filledOnRight: the fill lies right of the
// outline's direction of travel (TrueType's orientation). Contours that enclose nothing are
// dropped; a mesh whose fill the tessellator refused keeps its walls.
class GlyphExtruder {
public:
    GlyphExtruder();
    ~GlyphExtruder();
    GlyphExtruder(const GlyphExtruder&) = delete;
    GlyphExtruder& operator=(const GlyphExtruder&) = delete;
    bool valid() const { return tess_ != nullptr; }
    void extrude(std::vector<std::vector<OutlinePoint>> contours, bool filledOnRight, double depth, GlyphMesh& mesh,
                 GlyphMetrics& metrics);

private:
    void* tess_ = nullptr;
};

// Emits a mesh as GL_TRIANGLES (caps) and GL_QUADS (walls) with a normal per vertex, then moves
// the matrix by the cell increment: the body of one glyph's display list.
void emitGlyphMesh(const GlyphMesh& mesh, const GlyphMetrics& metrics);

}  // namespace platform
