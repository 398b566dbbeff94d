// Glyph outlines on Linux: fontconfig finds the font file and FreeType reads the outlines in font
// units; the shared extrusion turns them into meshes.
#include "platform/glyph_extrusion.h"
#include "platform/outline_glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <cmath>
#include <string>
#include <vector>

namespace platform {
namespace {

// Synthetic bold for faces without a bold style: stroke growth in em.
constexpr double kEmboldenEm = 1.0 / 28.0;

struct FontFile {
    std::string path;
    int index = 0;
};

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

// --- outlines ------------------------------------------------------------------------------------

struct Decomposition {
    OutlineFlattener* flattener;
    double scale;  // font units to em
    OutlinePoint em(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

int moveTo(const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposition*>(user);
    d->flattener->moveTo(d->em(to));
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposition*>(user);
    d->flattener->lineTo(d->em(to));
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposition*>(user);
    d->flattener->conicTo(d->em(control), d->em(to));
    return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposition*>(user);
    d->flattener->cubicTo(d->em(control1), d->em(control2), d->em(to));
    return 0;
}

// The mesh and metrics of one character; an absent mesh and zero metrics when the font has no
// outline for it.
void buildGlyph(FT_Face face, bool embolden, unsigned code, float extrusion, OutlineFlattener& flattener,
                GlyphExtruder& extruder, GlyphMesh& mesh, GlyphMetrics& metrics) {
    mesh = {};
    metrics = {};
    const char32_t character = glyphCharacter(code);
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
    flattener.clear();
    Decomposition decomposition{&flattener, 1.0 / unitsPerEm};
    if (slot->outline.n_points > 0 && FT_Outline_Decompose(&slot->outline, &funcs, &decomposition) != 0)
        flattener.clear();
    mesh.present = true;
    extruder.extrude(flattener.contours(), filledOnRight, extrusion, mesh, metrics);
    metrics.cellIncX = float(advance / unitsPerEm);
    metrics.cellIncY = 0;
}

}  // namespace

std::string resolveFontFile(const char* face, bool bold) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return {};
    std::string path;
    if (FT_Face opened = openFace(library, fontCandidates(face, bold), &path)) FT_Done_Face(opened);
    FT_Done_FreeType(library);
    return path;
}

bool buildGlyphMeshes(const char* face, bool bold, unsigned first, unsigned count, float extrusion,
                      GlyphMesh* meshes, GlyphMetrics* metrics, double flatness) {
    for (unsigned i = 0; i < count; ++i) meshes[i] = {}, metrics[i] = {};
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face opened = openFace(library, fontCandidates(face, bold), nullptr);
    if (!opened) {
        FT_Done_FreeType(library);
        return false;
    }
    GlyphExtruder extruder;
    if (!extruder.valid()) {
        FT_Done_Face(opened);
        FT_Done_FreeType(library);
        return false;
    }
    const bool embolden = bold && !(opened->style_flags & FT_STYLE_FLAG_BOLD);
    OutlineFlattener flattener(flatness);
    for (unsigned i = 0; i < count; ++i)
        buildGlyph(opened, embolden, first + i, extrusion, flattener, extruder, meshes[i], metrics[i]);
    FT_Done_Face(opened);
    FT_Done_FreeType(library);
    return true;
}

}  // namespace platform
