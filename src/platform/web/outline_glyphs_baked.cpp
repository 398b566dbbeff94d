// Outline glyphs on the web page: no fonts and no FreeType in the browser; the meshes were baked
// by the desktop build (tools/bake_glyphs) and come with the data package.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/glyph_bake.h"
#include "platform/outline_glyphs.h"

namespace platform {
namespace {

constexpr const char* kBakePath = "/lumivane/glyphs.bin";

// The bake, read once; null when the package holds none or a broken one (reported once).
const GlyphBake* bake() {
    static GlyphBake baked;
    static int state = 0;  // 0 unread, 1 read, -1 refused
    if (state != 0) return state > 0 ? &baked : nullptr;
    state = -1;
    std::FILE* file = std::fopen(kBakePath, "rb");
    if (!file) return nullptr;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    std::string reason;
    if (!decodeGlyphBake(bytes.data(), bytes.size(), baked, reason)) {
        std::fprintf(stderr, "lumivane: %s: %s\n", kBakePath, reason.c_str());
        return nullptr;
    }
    state = 1;
    return &baked;
}

}  // namespace

std::string resolveFontFile(const char*, bool) { return bake() ? kBakePath : ""; }

// The face is the one baked; a request for another weight or depth than the bake's finds no font.
// Curves finer than the bake's are not made here: larger canvases draw the baked glyphs.
bool buildGlyphMeshes(const char*, bool bold, unsigned first, unsigned count, float extrusion, GlyphMesh* meshes,
                      GlyphMetrics* metrics, double) {
    for (unsigned i = 0; i < count; ++i) meshes[i] = {}, metrics[i] = {};
    const GlyphBake* baked = bake();
    if (!baked || baked->bold != bold || baked->extrusion != extrusion) return false;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned code = first + i;
        if (code < baked->first || code - baked->first >= baked->meshes.size()) continue;
        meshes[i] = baked->meshes[code - baked->first];
        metrics[i] = baked->metrics[code - baked->first];
    }
    return true;
}

}  // namespace platform
