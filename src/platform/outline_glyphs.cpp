// Extruded glyphs: fontconfig finds the font file, FreeType gives the outlines in font units,
// curves are flattened here and the GLU tessellator fills the faces.
#include "platform/outline_glyphs.h"
#include "platform/standin_display.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <vector>

namespace platform {
namespace {

// Most chords per curve at the designed flatness (kGlyphFlatness); finer flatness allows more in
// proportion to the square root, as a curve's chord count grows.
constexpr int kMaxCurveSegments = 64;
// Adjacent side walls meeting at less than this angle share a normal, so that flattened curves
// light smoothly while real corners stay sharp.
const double kSmoothCos = std::cos(35.0 * 3.14159265358979 / 180.0);
// Synthetic bold for faces without a bold style: stroke growth in em.
constexpr double kEmboldenEm = 1.0 / 28.0;

struct Point {
    double x = 0, y = 0;
};

struct FontFile {
    std::string path;
    int index = 0;
};

// Windows-1252 0x80..0x9F as Unicode; 0 marks the five codes the code page leaves undefined.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The character a code stands for, or 0 for control and undefined codes (they draw nothing).
char32_t unicodeOf(unsigned code) {
    if (code < 32 || code == 127 || code > 255) return 0;
    if (code >= 128 && code < 160) return kCp1252High[code - 128];
    return code;
}

// --- font lookup -------------------------------------------------------------------------------

bool familyIs(FcPattern* match, const char* family) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(value, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
    return false;
}

bool supportsJapanese(FcPattern* match) {
    FcLangSet* langs = nullptr;
    return FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
           FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
}

enum class Accept { SameFamily, Japanese, Any };

bool isOutlineFont(FcPattern* font, FcChar8** file) {
    FcBool outline = FcFalse;
    return FcPatternGetString(font, FC_FILE, 0, file) == FcResultMatch &&
           FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && outline;
}

void keep(FcPattern* font, FcChar8* file, std::vector<FontFile>& found) {
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    found.push_back({reinterpret_cast<const char*>(file), index});
}

FcPattern* query(const char* family, int weight, const char* lang = nullptr, bool mono = false) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight);
    if (lang) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    if (mono) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcConfigSubstitute(FcConfigGetCurrent(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// Asks fontconfig for its best match and keeps it only when it is an outline font that passes
// accept: fontconfig answers every query with some font, so a match alone proves nothing.
void addMatch(FcPattern* pattern, Accept accept, const char* family, std::vector<FontFile>& found) {
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(FcConfigGetCurrent(), pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return;
    FcChar8* file = nullptr;
    bool accepted = isOutlineFont(match, &file);
    if (accepted && accept == Accept::SameFamily) accepted = familyIs(match, family);
    if (accepted && accept == Accept::Japanese) accepted = supportsJapanese(match);
    if (accepted) keep(match, file, found);
    FcPatternDestroy(match);
}

// The monospace fonts in fontconfig's order of preference, a bold one first; the preference
// alone does not put spacing ahead of the other properties, so it is checked here.
void addMonospace(std::vector<FontFile>& found) {
    FcPattern* pattern = query("monospace", FC_WEIGHT_BOLD, nullptr, true);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(FcConfigGetCurrent(), pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!sorted) return;
    FcPattern* chosen = nullptr;
    FcChar8* chosenFile = nullptr;
    for (int i = 0; i < sorted->nfont; ++i) {
        FcPattern* font = sorted->fonts[i];
        FcChar8* file = nullptr;
        int spacing = 0, weight = 0;
        if (!isOutlineFont(font, &file) || FcPatternGetInteger(font, FC_SPACING, 0, &spacing) != FcResultMatch ||
            spacing != FC_MONO)
            continue;
        const bool isBold = FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch &&
                            weight >= FC_WEIGHT_BOLD;
        if (!chosen || isBold) chosen = font, chosenFile = file;
        if (isBold) break;
    }
    if (chosen) keep(chosen, chosenFile, found);
    FcFontSetDestroy(sorted);
}

// The face asked for, a Japanese gothic, any bold monospace, and at last any outline font at all,
// so that text shows on every machine that has a font: the fonts that qualify, in that order.
std::vector<FontFile> fontCandidates(const char* face, bool bold) {
    std::vector<FontFile> found;
    if (!FcConfigGetCurrent()) return found;
    const int weight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    if (face && *face) addMatch(query(face, weight), Accept::SameFamily, face, found);
    addMatch(query("IPAGothic", weight), Accept::SameFamily, "IPAGothic", found);
    addMatch(query("sans-serif", weight, "ja"), Accept::Japanese, nullptr, found);
    addMonospace(found);
    addMatch(query("monospace", FC_WEIGHT_BOLD), Accept::Any, nullptr, found);
    return found;
}

// The first candidate FreeType can open as a scalable face, or null.
FT_Face openFace(FT_Library library, const std::vector<FontFile>& candidates, std::string* path) {
    for (const FontFile& file : candidates) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) continue;
        if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
            FT_Select_Charmap(face, FT_ENCODING_UNICODE);
            if (path) *path = file.path;
            return face;
        }
        FT_Done_Face(face);
    }
    return nullptr;
}

// --- outline flattening --------------------------------------------------------------------------

struct Flattener {
    double scale = 1;                   // font units to em
    double flatness = kGlyphFlatness;   // em
    int maxSegments = kMaxCurveSegments;
    std::vector<std::vector<Point>> contours;
    Point last;

    Point em(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
    void add(Point p) {
        contours.back().push_back(p);
        last = p;
    }
    int segmentsFor(double secondDifference) const {
        const int n = static_cast<int>(std::ceil(std::sqrt(secondDifference / flatness)));
        return std::clamp(n, 1, maxSegments);
    }
};

int moveTo(const FT_Vector* to, void* user) {
    auto* f = static_cast<Flattener*>(user);
    f->contours.emplace_back();
    f->add(f->em(to));
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    auto* f = static_cast<Flattener*>(user);
    f->add(f->em(to));
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* f = static_cast<Flattener*>(user);
    const Point p0 = f->last, p1 = f->em(control), p2 = f->em(to);
    // A quadratic strays from a chord over parameter step h by at most |p0 - 2 p1 + p2| h^2 / 4.
    const int n = f->segmentsFor(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y) / 4);
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        f->add({s * s * p0.x + 2 * s * t * p1.x + t * t * p2.x, s * s * p0.y + 2 * s * t * p1.y + t * t * p2.y});
    }
    return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* f = static_cast<Flattener*>(user);
    const Point p0 = f->last, p1 = f->em(control1), p2 = f->em(control2), p3 = f->em(to);
    // |B''| <= 6 max(|p0 - 2 p1 + p2|, |p1 - 2 p2 + p3|); the chord error is |B''| h^2 / 8.
    const double m = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                              std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
    const int n = f->segmentsFor(m * 0.75);
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, s = 1 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        f->add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return 0;
}

// Drops repeated points (the closing point included) and contours that enclose nothing.
void cleanContours(std::vector<std::vector<Point>>& contours) {
    for (auto& c : contours) {
        std::vector<Point> kept;
        kept.reserve(c.size());
        for (const Point& p : c)
            if (kept.empty() || std::abs(p.x - kept.back().x) > 1e-9 || std::abs(p.y - kept.back().y) > 1e-9)
                kept.push_back(p);
        while (kept.size() > 1 && std::abs(kept.front().x - kept.back().x) <= 1e-9 &&
               std::abs(kept.front().y - kept.back().y) <= 1e-9)
            kept.pop_back();
        c.swap(kept);
    }
    std::erase_if(contours, [](const std::vector<Point>& c) { return c.size() < 3; });
}

// --- tessellation ----------------------------------------------------------------------------------

struct Tessellation {
    std::vector<Point> triangles;                 // three points per triangle, any winding
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
void tessellate(GLUtesselator* tess, const std::vector<std::vector<Point>>& contours, Tessellation& out) {
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
        for (const Point& p : c) {
            input.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, input.back().data(), input.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    if (out.triangles.size() % 3 != 0) out.failed = true;
}

// --- emitting one glyph -----------------------------------------------------------------------------

double cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// Front face at z = 0 facing +z and back face at z = -depth facing -z, both wound counter-
// clockwise as seen from outside, whatever order the tessellator gave.
void emitCaps(const std::vector<Point>& triangles, double depth) {
    glBegin(GL_TRIANGLES);
    for (const bool back : {false, true}) {
        glNormal3f(0, 0, back ? -1 : 1);
        const double z = back ? -depth : 0;
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            const Point &a = triangles[i], &b = triangles[i + 1], &c = triangles[i + 2];
            const double area = cross(a, b, c);
            if (area == 0) continue;
            // The back face runs the other way round so that it, too, is wound towards its outside.
            const bool keep = (area > 0) != back;
            const Point& second = keep ? b : c;
            const Point& third = keep ? c : b;
            glVertex3d(a.x, a.y, z);
            glVertex3d(second.x, second.y, z);
            glVertex3d(third.x, third.y, z);
        }
    }
    glEnd();
}

// The side walls between the two faces, one quad per contour edge, normals pointing away from the
// filled side. filledOnRight: the outline's fill lies right of its direction of travel.
void emitWalls(const std::vector<std::vector<Point>>& contours, bool filledOnRight, double depth) {
    std::vector<Point> edgeNormals, vertexNormalsIn, vertexNormalsOut;
    glBegin(GL_QUADS);
    for (const auto& c : contours) {
        const size_t n = c.size();
        edgeNormals.assign(n, {});
        for (size_t k = 0; k < n; ++k) {
            const Point& p = c[k];
            const Point& q = c[(k + 1) % n];
            const double dx = q.x - p.x, dy = q.y - p.y, len = std::hypot(dx, dy);
            edgeNormals[k] = filledOnRight ? Point{-dy / len, dx / len} : Point{dy / len, -dx / len};
        }
        // At each vertex: the normal the wall before it ends with and the one the wall after starts with.
        vertexNormalsIn.assign(n, {});
        vertexNormalsOut.assign(n, {});
        for (size_t k = 0; k < n; ++k) {
            const Point before = edgeNormals[(k + n - 1) % n], after = edgeNormals[k];
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
            const Point &p = c[k], &q = c[next];
            const Point &np = vertexNormalsOut[k], &nq = vertexNormalsIn[next];
            // p, q at z = 0 then q, p at -depth runs counter-clockwise seen from the left of p->q,
            // which is the outside when the fill lies on the right.
            if (filledOnRight) {
                glNormal3d(np.x, np.y, 0); glVertex3d(p.x, p.y, 0);
                glNormal3d(nq.x, nq.y, 0); glVertex3d(q.x, q.y, 0);
                glNormal3d(nq.x, nq.y, 0); glVertex3d(q.x, q.y, -depth);
                glNormal3d(np.x, np.y, 0); glVertex3d(p.x, p.y, -depth);
            } else {
                glNormal3d(np.x, np.y, 0); glVertex3d(p.x, p.y, 0);
                glNormal3d(np.x, np.y, 0); glVertex3d(p.x, p.y, -depth);
                glNormal3d(nq.x, nq.y, 0); glVertex3d(q.x, q.y, -depth);
                glNormal3d(nq.x, nq.y, 0); glVertex3d(q.x, q.y, 0);
            }
        }
    }
    glEnd();
}

struct GlyphBuilder {
    FT_Face face = nullptr;
    GLUtesselator* tess = nullptr;
    bool embolden = false;
    Flattener flattener;
    Tessellation tessellation;

    // Compiles the glyph of one character into list and fills metrics; an empty list and zero
    // metrics when the font has no outline for it.
    void build(unsigned code, unsigned list, float extrusion, GlyphMetrics& metrics) {
        metrics = {};
        glNewList(list, GL_COMPILE);
        compileGlyph(code, extrusion, metrics);
        glEndList();
    }

    void compileGlyph(unsigned code, float extrusion, GlyphMetrics& metrics) {
        const char32_t character = unicodeOf(code);
        if (!character) return;
        const FT_UInt index = FT_Get_Char_Index(face, character);
        if (index == 0) return;
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) return;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;
        const double unitsPerEm = face->units_per_EM;
        double advance = double(slot->metrics.horiAdvance);
        if (embolden) {
            const FT_Pos strength = static_cast<FT_Pos>(std::lround(unitsPerEm * kEmboldenEm));
            // The outline grows by the strength to the right and upwards; the advance follows.
            if (slot->outline.n_points > 0) FT_Outline_EmboldenXY(&slot->outline, strength, strength);
            advance += double(strength);
        }
        const bool filledOnRight = FT_Outline_Get_Orientation(&slot->outline) != FT_ORIENTATION_POSTSCRIPT;

        static const FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
        flattener.scale = 1.0 / unitsPerEm;
        flattener.contours.clear();
        if (slot->outline.n_points > 0 && FT_Outline_Decompose(&slot->outline, &funcs, &flattener) != 0)
            flattener.contours.clear();
        cleanContours(flattener.contours);

        if (!flattener.contours.empty()) {
            tessellate(tess, flattener.contours, tessellation);
            if (!tessellation.failed) emitCaps(tessellation.triangles, extrusion);
            emitWalls(flattener.contours, filledOnRight, extrusion);

            double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
            for (const auto& c : flattener.contours)
                for (const Point& p : c) {
                    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
                    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
                }
            metrics.blackBoxX = float(maxX - minX);
            metrics.blackBoxY = float(maxY - minY);
            metrics.glyphOriginX = float(minX);
            metrics.glyphOriginY = float(maxY);
        }
        metrics.cellIncX = float(advance / unitsPerEm);
        metrics.cellIncY = 0;
        glTranslatef(metrics.cellIncX, metrics.cellIncY, 0);
    }
};

}  // namespace

std::string resolveFontFile(const char* face, bool bold) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return {};
    std::string path;
    if (FT_Face opened = openFace(library, fontCandidates(face, bold), &path)) FT_Done_Face(opened);
    FT_Done_FreeType(library);
    return path;
}

bool buildOutlineGlyphs(const char* face, bool bold, unsigned first, unsigned count, unsigned listBase,
                        float extrusion, GlyphMetrics* metrics, double flatness) {
    logStandInCall("buildOutlineGlyphs");
    for (unsigned i = 0; i < count; ++i) metrics[i] = {};
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    GlyphBuilder builder;
    builder.face = openFace(library, fontCandidates(face, bold), nullptr);
    builder.tess = builder.face ? gluNewTess() : nullptr;
    if (!builder.tess) {
        if (builder.face) FT_Done_Face(builder.face);
        FT_Done_FreeType(library);
        return false;
    }
    builder.embolden = bold && !(builder.face->style_flags & FT_STYLE_FLAG_BOLD);
    if (flatness > 0 && flatness < kGlyphFlatness) {
        builder.flattener.flatness = flatness;
        builder.flattener.maxSegments =
            static_cast<int>(std::ceil(kMaxCurveSegments * std::sqrt(kGlyphFlatness / flatness)));
    }
    gluTessCallback(builder.tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(tessBegin));
    gluTessCallback(builder.tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(tessEdgeFlag));
    gluTessCallback(builder.tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tessVertex));
    gluTessCallback(builder.tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(tessCombine));
    gluTessCallback(builder.tess, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(tessEnd));
    gluTessCallback(builder.tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(tessError));
    gluTessProperty(builder.tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(builder.tess, 0, 0, 1);

    for (unsigned i = 0; i < count; ++i) builder.build(first + i, listBase + first + i, extrusion, metrics[i]);

    gluDeleteTess(builder.tess);
    FT_Done_Face(builder.face);
    FT_Done_FreeType(library);
    return true;
}

}  // namespace platform
