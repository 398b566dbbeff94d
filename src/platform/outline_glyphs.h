// 3D outline glyphs from a system font, in the units of the Win32 call they stand in for:
// em-normalised outlines, front face in z = 0 facing +z, extrusion towards -z, a normal for every
// face, and every list ending with a move of the current matrix by the glyph's cell increment.
#pragma once
#include <string>
#include <vector>

namespace platform {

struct GlyphMetrics {
    float blackBoxX = 0;      // width of the glyph's bounding box, em units
    float blackBoxY = 0;      // height of the bounding box
    float glyphOriginX = 0;   // upper-left corner of the box, relative to the origin
    float glyphOriginY = 0;
    float cellIncX = 0;       // advance the list moves the matrix by along x
    float cellIncY = 0;
};

// One glyph as the triangles that draw it, em units: caps (three vertices a triangle, the front
// face at z = 0 then the back face at z = -extrusion) and side walls (four vertices a quad).
struct GlyphVertex {
    double x = 0, y = 0, z = 0;
    double nx = 0, ny = 0, nz = 0;
};
struct GlyphMesh {
    bool present = false;  // the font has the character (a space is present with no triangles)
    bool capsFilled = false;  // the tessellator filled the faces (otherwise only the walls exist)
    std::vector<GlyphVertex> caps;
    std::vector<GlyphVertex> walls;
};

// Resolves face (UTF-8) through fontconfig, falling back to a Japanese gothic and then to any
// bold monospace, and returns the font's file path; on Windows GDI resolves it (falling back to
// "MS Gothic") and the face's name comes back. Empty when the machine has no usable font.
std::string resolveFontFile(const char* face, bool bold);

// Largest distance, in em, between a curve and the chords that replace it, for an 800x600
// picture: under a pixel up to about 600 pixels per em. Finer costs triangles, which the show
// draws thousands of per frame; a larger picture asks for a finer value.
inline constexpr double kGlyphFlatness = 0.0015;

// The meshes and metrics of codes first .. first + count - 1 (codes 128 and up taken as
// Windows-1252) from the system's font, with the flatness and limits of buildOutlineGlyphs. A code
// the font lacks gets an absent mesh and zero metrics. False when no font. One per backend.
bool buildGlyphMeshes(const char* face, bool bold, unsigned first, unsigned count, float extrusion,
                      GlyphMesh* meshes, GlyphMetrics* metrics, double flatness = kGlyphFlatness);

// The character a byte code stands for in Windows-1252, or 0 for control and undefined codes.
char32_t glyphCharacter(unsigned code);

// Compiles one display list per code first .. first + count - 1 into listBase + code, codes 128
// and up taken as Windows-1252, and fills metrics[code - first]. A code the font lacks gets an
// empty list and zero metrics. Curves are flattened to flatness (em; coarser values than
// kGlyphFlatness are not used). Leaves the front face counter-clockwise. False when no font.
bool buildOutlineGlyphs(const char* face, bool bold, unsigned first, unsigned count,
                        unsigned listBase, float extrusion, GlyphMetrics* metrics,
                        double flatness = kGlyphFlatness);

}  // namespace platform
