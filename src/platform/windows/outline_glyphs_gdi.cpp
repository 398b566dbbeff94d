// Glyph outlines on Windows: GDI gives each glyph's TrueType outline (GetGlyphOutlineW, native
// quadratic splines, unhinted) at an em height of the font's own units, so the points are font
// units; the shared extrusion turns them into meshes. The outline is taken back to TrueType's
// points and decomposed, emboldened and oriented with the integer arithmetic of the FreeType
// functions the other systems use, so that every system flattens the same contours.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/glyph_extrusion.h"
#include "platform/outline_glyphs.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// Synthetic bold for faces without a bold style: stroke growth in em.
constexpr double kEmboldenEm = 1.0 / 28.0;
// The gothic face the show's face name means, where GDI knows it by its English name only.
constexpr const char* kGothicFallback = "MS Gothic";

// --- TrueType points and FreeType's integer arithmetic over them --------------------------------

struct Point {
    int64_t x = 0, y = 0;
};

struct Outline {
    std::vector<Point> points;
    std::vector<bool> on;        // on the curve, else a quadratic control point
    std::vector<int> contourEnds;  // index of each contour's last point
};

enum class Orientation { TrueType, PostScript, None };

int msb(uint32_t z) { return 31 - __builtin_clz(z); }

int64_t mulFix(int64_t a, int64_t b) {
    const int64_t ab = int64_t(int32_t(a)) * int64_t(int32_t(b));
    return int32_t((ab + 0x8000 + (ab >> 63)) >> 16);
}

int64_t mulDiv(int64_t a, int64_t b, int64_t c) {
    int s = 1;
    uint64_t ua = uint64_t(a), ub = uint64_t(b), uc = uint64_t(c);
    if (a < 0) ua = 0 - ua, s = -s;
    if (b < 0) ub = 0 - ub, s = -s;
    if (c < 0) uc = 0 - uc, s = -s;
    const uint64_t d = uc > 0 ? (ua * ub + (uc >> 1)) / uc : 0x7FFFFFFFu;
    const int64_t signedD = int64_t(d);
    return s < 0 ? int64_t(uint64_t(0) - uint64_t(signedD)) : signedD;
}

// Normalises v to 16.16 unit length and returns its length (FreeType's approximation, exactly).
int64_t normLen(Point& v) {
    int32_t x_ = int32_t(v.x), y_ = int32_t(v.y);
    uint32_t x = uint32_t(x_), y = uint32_t(y_);
    int sx = 1, sy = 1;
    if (x_ < 0) x = 0u - x, sx = -sx;
    if (y_ < 0) y = 0u - y, sy = -sy;
    if (x == 0) {
        if (y > 0) v.y = sy * 0x10000;
        return y;
    }
    if (y == 0) {
        if (x > 0) v.x = sx * 0x10000;
        return x;
    }
    uint32_t l = x > y ? x + (y >> 1) : y + (x >> 1);
    int shift = 31 - msb(l);
    shift -= 15 + (l >= (0xAAAAAAAAu >> shift));
    if (shift > 0) {
        x <<= shift;
        y <<= shift;
        l = x > y ? x + (y >> 1) : y + (x >> 1);
    } else {
        x >>= -shift;
        y >>= -shift;
        l >>= -shift;
    }
    int32_t b = 0x10000 - int32_t(l);
    x_ = int32_t(x);
    y_ = int32_t(y);
    uint32_t u = 0, w = 0;
    int32_t z = 0;
    do {
        u = uint32_t(x_ + (x_ * b >> 16));
        w = uint32_t(y_ + (y_ * b >> 16));
        z = -int32_t(u * u + w * w) / 0x200;
        z = z * ((0x10000 + b) >> 8) / 0x10000;
        b += z;
    } while (z > 0);
    v.x = sx < 0 ? -int64_t(u) : int64_t(u);
    v.y = sy < 0 ? -int64_t(w) : int64_t(w);
    l = uint32_t(0x10000 + int32_t(u * x + w * y) / 0x10000);
    if (shift > 0)
        l = (l + (1u << (shift - 1))) >> shift;
    else
        l <<= -shift;
    return l;
}

// The fill's side from the signed area of the control polygon, by the non-zero rule.
Orientation orientation(const Outline& outline) {
    if (outline.points.empty()) return Orientation::TrueType;
    int64_t xMin = outline.points[0].x, xMax = xMin, yMin = outline.points[0].y, yMax = yMin;
    for (const Point& p : outline.points) {
        xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
    }
    if (xMin == xMax || yMin == yMax) return Orientation::None;
    if (xMin < -0x1000000 || yMin < -0x1000000 || xMax > 0x1000000 || yMax > 0x1000000) return Orientation::None;
    const int xShift = std::max(msb(uint32_t(std::llabs(xMax) | std::llabs(xMin))) - 14, 0);
    const int yShift = std::max(msb(uint32_t(yMax - yMin)) - 14, 0);
    int64_t area = 0;
    int first = 0;
    for (int last : outline.contourEnds) {
        Point previous{outline.points[last].x >> xShift, outline.points[last].y >> yShift};
        for (int n = first; n <= last; ++n) {
            const Point current{outline.points[n].x >> xShift, outline.points[n].y >> yShift};
            area += (current.y - previous.y) * (current.x + previous.x);
            previous = current;
        }
        first = last + 1;
    }
    return area > 0 ? Orientation::PostScript : area < 0 ? Orientation::TrueType : Orientation::None;
}

// Grows the outline by strength (font units) to the right and upwards, moving each point along the
// bisector of its two edges, as FreeType's synthetic bold does.
void embolden(Outline& outline, int64_t xStrength, int64_t yStrength) {
    xStrength /= 2;
    yStrength /= 2;
    if (xStrength == 0 && yStrength == 0) return;
    const Orientation orient = orientation(outline);
    if (orient == Orientation::None) return;
    std::vector<Point>& points = outline.points;
    int first = 0;
    for (int last : outline.contourEnds) {
        Point in, out, anchor, shift;
        int64_t lIn = 0, lOut = 0, lAnchor = 0;
        int i = last, j = first, k = -1;
        for (; j != i && i != k; j = j < last ? j + 1 : first) {
            if (j != k) {
                out = {points[j].x - points[i].x, points[j].y - points[i].y};
                lOut = normLen(out);
                if (lOut == 0) continue;
            } else {
                out = anchor;
                lOut = lAnchor;
            }
            if (lIn != 0) {
                if (k < 0) {
                    k = i;
                    anchor = in;
                    lAnchor = lIn;
                }
                int64_t d = mulFix(in.x, out.x) + mulFix(in.y, out.y);
                // Shift only if the turn is less than about 160 degrees.
                if (d > -0xF000) {
                    d = d + 0x10000;
                    shift.x = in.y + out.y;
                    shift.y = in.x + out.x;
                    if (orient == Orientation::TrueType)
                        shift.x = -shift.x;
                    else
                        shift.y = -shift.y;
                    int64_t q = mulFix(out.x, in.y) - mulFix(out.y, in.x);
                    if (orient == Orientation::TrueType) q = -q;
                    const int64_t l = std::min(lIn, lOut);
                    shift.x = mulFix(xStrength, q) <= mulFix(l, d) ? mulDiv(shift.x, xStrength, d) : mulDiv(shift.x, l, q);
                    shift.y = mulFix(yStrength, q) <= mulFix(l, d) ? mulDiv(shift.y, yStrength, d) : mulDiv(shift.y, l, q);
                } else {
                    shift = {0, 0};
                }
                for (; i != j; i = i < last ? i + 1 : first) {
                    points[i].x += xStrength + shift.x;
                    points[i].y += yStrength + shift.y;
                }
            } else {
                i = j;
            }
            in = out;
            lIn = lOut;
        }
        first = last + 1;
    }
}

// Lines and quadratic arcs of the outline, the implied on-curve points between two controls at
// their (integer) midpoint, each contour closed back to its start.
void decompose(const Outline& outline, double scale, OutlineFlattener& flattener) {
    auto em = [scale](const Point& p) { return OutlinePoint{double(p.x) * scale, double(p.y) * scale}; };
    int first = 0;
    for (int last : outline.contourEnds) {
        int point = first, limit = last;
        Point start = outline.points[first];
        const Point lastPoint = outline.points[last];
        if (!outline.on[first]) {
            if (outline.on[last]) {
                start = lastPoint;
                --limit;
            } else {
                start = {(start.x + lastPoint.x) / 2, (start.y + lastPoint.y) / 2};
            }
            --point;
        }
        flattener.moveTo(em(start));
        bool closed = false;
        while (point < limit && !closed) {
            ++point;
            if (outline.on[point]) {
                flattener.lineTo(em(outline.points[point]));
                continue;
            }
            Point control = outline.points[point];
            for (;;) {
                if (point < limit) {
                    ++point;
                    const Point next = outline.points[point];
                    if (outline.on[point]) {
                        flattener.conicTo(em(control), em(next));
                        break;
                    }
                    const Point middle{(control.x + next.x) / 2, (control.y + next.y) / 2};
                    flattener.conicTo(em(control), em(middle));
                    control = next;
                    continue;
                }
                flattener.conicTo(em(control), em(start));
                closed = true;
                break;
            }
        }
        if (!closed) flattener.lineTo(em(start));
        first = last + 1;
    }
}

// --- GDI ---------------------------------------------------------------------------------------

int64_t fontUnits(const FIXED& f) { return std::llround(f.value + f.fract / 65536.0); }

// TrueType's points from GDI's native outline: each polygon starts at an on-curve point; a line
// record holds on-curve points, a spline record its controls and then an on-curve point. The
// closing point GDI adds to a contour that ends in controls is the start again, not a point.
bool readOutline(const std::vector<uint8_t>& buffer, Outline& outline) {
    outline = Outline{};
    const uint8_t* at = buffer.data();
    const uint8_t* end = at + buffer.size();
    while (at + sizeof(TTPOLYGONHEADER) <= end) {
        const auto* header = reinterpret_cast<const TTPOLYGONHEADER*>(at);
        if (header->dwType != TT_POLYGON_TYPE || header->cb < sizeof(TTPOLYGONHEADER) ||
            header->cb > std::size_t(end - at))
            return false;
        const Point start{fontUnits(header->pfxStart.x), fontUnits(header->pfxStart.y)};
        const std::size_t firstIndex = outline.points.size();
        outline.points.push_back(start);
        outline.on.push_back(true);
        const uint8_t* curveAt = at + sizeof(TTPOLYGONHEADER);
        const uint8_t* polygonEnd = at + header->cb;
        while (curveAt + sizeof(TTPOLYCURVE) - sizeof(POINTFX) <= polygonEnd) {
            const auto* curve = reinterpret_cast<const TTPOLYCURVE*>(curveAt);
            const std::size_t bytes = sizeof(TTPOLYCURVE) + (curve->cpfx ? curve->cpfx - 1 : 0) * sizeof(POINTFX);
            if (curve->cpfx == 0 || bytes > std::size_t(polygonEnd - curveAt)) return false;
            const bool lastCurve = curveAt + bytes >= polygonEnd;
            for (WORD i = 0; i < curve->cpfx; ++i) {
                const Point p{fontUnits(curve->apfx[i].x), fontUnits(curve->apfx[i].y)};
                const bool lastOfCurve = i + 1 == curve->cpfx;
                const bool onCurve = curve->wType == TT_PRIM_LINE || lastOfCurve;
                if (curve->wType == TT_PRIM_QSPLINE && lastCurve && lastOfCurve && p.x == start.x && p.y == start.y)
                    continue;  // the contour's closing point
                outline.points.push_back(p);
                outline.on.push_back(onCurve);
            }
            curveAt += bytes;
        }
        if (outline.points.size() > firstIndex) outline.contourEnds.push_back(int(outline.points.size()) - 1);
        at = polygonEnd;
    }
    return true;
}

HFONT makeFont(const std::wstring& face, LONG height, LONG weight) {
    // The show's font parameters, but for the height (the font's own units, so that outlines come
    // in font units) and the weight (see buildGlyphMeshes).
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

struct FaceStyles {
    bool found = false;
    bool bold = false;  // the family has a real bold style
};

int CALLBACK onFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM data) {
    auto* styles = reinterpret_cast<FaceStyles*>(data);
    if (!(type & TRUETYPE_FONTTYPE)) return 1;
    styles->found = true;
    if (font->lfWeight >= FW_BOLD) styles->bold = true;
    return 1;
}

// The TrueType styles GDI knows under the face name (replacements included).
FaceStyles faceStyles(HDC dc, const std::wstring& face) {
    FaceStyles styles;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    if (face.size() >= LF_FACESIZE) return styles;
    face.copy(query.lfFaceName, face.size());
    EnumFontFamiliesExW(dc, &query, onFace, reinterpret_cast<LPARAM>(&styles), 0);
    return styles;
}

struct OpenFace {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;
    std::wstring name;
    int64_t unitsPerEm = 0;
    bool embolden = false;
    ~OpenFace() {
        if (previous) SelectObject(dc, previous);
        if (font) DeleteObject(font);
        if (dc) DeleteDC(dc);
    }
};

// The face asked for, else the gothic it stands for, else what GDI maps the name to; at an em of
// its own units. A bold request takes the family's bold style, or its regular one to embolden.
bool openFace(const char* face, bool bold, OpenFace& open) {
    open.dc = CreateCompatibleDC(nullptr);
    if (!open.dc) return false;
    std::wstring name = win32::wide(face ? face : "");
    FaceStyles styles = faceStyles(open.dc, name);
    if (!styles.found) {
        const FaceStyles gothic = faceStyles(open.dc, win32::wide(kGothicFallback));
        if (gothic.found) name = win32::wide(kGothicFallback), styles = gothic;
    }
    const LONG weight = bold && styles.bold ? FW_BOLD : FW_NORMAL;
    open.embolden = bold && !styles.bold;
    HFONT probe = makeFont(name, -12, weight);
    if (!probe) return false;
    HGDIOBJ previous = SelectObject(open.dc, probe);
    OUTLINETEXTMETRICW metrics{};
    metrics.otmSize = sizeof metrics;
    const bool outline = GetOutlineTextMetricsW(open.dc, sizeof metrics, &metrics) != 0 && metrics.otmEMSquare > 0;
    SelectObject(open.dc, previous);
    DeleteObject(probe);
    if (!outline) return false;  // not an outline font
    open.unitsPerEm = metrics.otmEMSquare;
    open.font = makeFont(name, -LONG(open.unitsPerEm), weight);
    if (!open.font) return false;
    open.previous = SelectObject(open.dc, open.font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(open.dc, LF_FACESIZE, chosen);
    open.name = chosen;
    return true;
}

// The mesh and metrics of one character; an absent mesh and zero metrics when the font has no
// outline for it.
void buildGlyph(const OpenFace& face, unsigned code, float extrusion, OutlineFlattener& flattener,
                GlyphExtruder& extruder, GlyphMesh& mesh, GlyphMetrics& metrics) {
    mesh = {};
    metrics = {};
    const char32_t character = glyphCharacter(code);
    if (!character || character > 0xFFFF) return;
    const wchar_t text = wchar_t(character);
    WORD index = 0xFFFF;
    if (GetGlyphIndicesW(face.dc, &text, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR || index == 0xFFFF ||
        index == 0)
        return;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS glyph{};
    const UINT format = GGO_NATIVE | GGO_UNHINTED | GGO_GLYPH_INDEX;
    const DWORD size = GetGlyphOutlineW(face.dc, index, format, &glyph, 0, nullptr, &identity);
    if (size == GDI_ERROR) return;
    std::vector<uint8_t> buffer(size);
    if (size > 0 && GetGlyphOutlineW(face.dc, index, format, &glyph, size, buffer.data(), &identity) == GDI_ERROR) return;
    Outline outline;
    if (!readOutline(buffer, outline)) outline = Outline{};
    const double unitsPerEm = double(face.unitsPerEm);
    double advance = glyph.gmCellIncX;
    if (face.embolden) {
        const int64_t strength = std::llround(unitsPerEm * kEmboldenEm);
        if (!outline.points.empty()) embolden(outline, strength, strength);
        advance += double(strength);
    }
    const bool filledOnRight = orientation(outline) != Orientation::PostScript;
    flattener.clear();
    decompose(outline, 1.0 / unitsPerEm, flattener);
    mesh.present = true;
    extruder.extrude(flattener.contours(), filledOnRight, extrusion, mesh, metrics);
    metrics.cellIncX = float(advance / unitsPerEm);
    metrics.cellIncY = 0;
}

}  // namespace

std::string resolveFontFile(const char* face, bool bold) {
    OpenFace open;
    if (!openFace(face, bold, open)) return {};
    return win32::utf8(open.name);
}

bool buildGlyphMeshes(const char* face, bool bold, unsigned first, unsigned count, float extrusion,
                      GlyphMesh* meshes, GlyphMetrics* metrics, double flatness) {
    for (unsigned i = 0; i < count; ++i) meshes[i] = {}, metrics[i] = {};
    OpenFace open;
    if (!openFace(face, bold, open)) return false;
    GlyphExtruder extruder;
    if (!extruder.valid()) return false;
    OutlineFlattener flattener(flatness);
    for (unsigned i = 0; i < count; ++i) buildGlyph(open, first + i, extrusion, flattener, extruder, meshes[i], metrics[i]);
    return true;
}

}  // namespace platform
