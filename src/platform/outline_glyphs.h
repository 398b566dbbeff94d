// 3D outline glyphs from a system font, in the units of the Win32 call they stand in for:
// em-normalised outlines, front face in z = 0 facing +z, extrusion towards -z, a normal for every
// face, and every list ending with a move of the current matrix by the glyph's cell increment.
#pragma once
#include <string>

namespace platform {

struct GlyphMetrics {
    float blackBoxX = 0;      // width of the glyph's bounding box, em units
    float blackBoxY = 0;      // height of the bounding box
    float glyphOriginX = 0;   // upper-left corner of the box, relative to the origin
    float glyphOriginY = 0;
    float cellIncX = 0;       // advance the list moves the matrix by along x
    float cellIncY = 0;
};

// Resolves face (UTF-8) through fontconfig, falling back to a Japanese gothic and then to any
// bold monospace. Returns the file path, or empty when the machine has no usable font.
std::string resolveFontFile(const char* face, bool bold);

// Largest distance, in em, between a curve and the chords that replace it, for an 800x600
// picture: under a pixel up to about 600 pixels per em. Finer costs triangles, which the show
// draws thousands of per frame; a larger picture asks for a finer value.
inline constexpr double kGlyphFlatness = 0.0015;

// Compiles one display list per code first .. first + count - 1 into listBase + code, codes 128
// and up taken as Windows-1252, and fills metrics[code - first]. A code the font lacks gets an
// empty list and zero metrics. Curves are flattened to flatness (em; coarser values than
// kGlyphFlatness are not used). Leaves the front face counter-clockwise. False when no font.
bool buildOutlineGlyphs(const char* face, bool bold, unsigned first, unsigned count,
                        unsigned listBase, float extrusion, GlyphMetrics* metrics,
                        double flatness = kGlyphFlatness);

}  // namespace platform
