// Writing and reading the baked glyph file (see glyph_bake.h for the layout).
#include "platform/glyph_bake.h"

#include <cstring>

namespace platform {
namespace {

constexpr char kMagic[8] = {'L', 'V', 'G', 'L', 'Y', 'P', 'H', '1'};
// A mesh of more vertices than this is no glyph: refuse the file rather than allocate for it.
constexpr uint32_t kMaxVertices = 1u << 20;

template <typename T>
void put(std::vector<uint8_t>& out, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));  // little-endian hosts only (x86, wasm)
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

struct Reader {
    const uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    template <typename T>
    bool get(T& value) {
        if (size - at < sizeof(T)) return false;
        std::memcpy(&value, data + at, sizeof(T));
        at += sizeof(T);
        return true;
    }
};

void putVertices(std::vector<uint8_t>& out, const std::vector<GlyphVertex>& vertices) {
    for (const GlyphVertex& v : vertices)
        for (double c : {v.x, v.y, v.z, v.nx, v.ny, v.nz}) put(out, float(c));
}

bool getVertices(Reader& in, uint32_t count, std::vector<GlyphVertex>& vertices) {
    if ((in.size - in.at) / (6 * sizeof(float)) < count) return false;
    vertices.resize(count);
    for (GlyphVertex& v : vertices) {
        float c[6];
        for (float& f : c) in.get(f);
        v = {c[0], c[1], c[2], c[3], c[4], c[5]};
    }
    return true;
}

}  // namespace

std::vector<uint8_t> encodeGlyphBake(const GlyphBake& bake) {
    std::vector<uint8_t> out(kMagic, kMagic + 8);
    put(out, uint32_t(bake.first));
    put(out, uint32_t(bake.meshes.size()));
    put(out, bake.flatness);
    put(out, bake.extrusion);
    put(out, uint32_t(bake.bold));
    for (std::size_t i = 0; i < bake.meshes.size(); ++i) {
        const GlyphMetrics& m = bake.metrics[i];
        for (float f : {m.blackBoxX, m.blackBoxY, m.glyphOriginX, m.glyphOriginY, m.cellIncX, m.cellIncY}) put(out, f);
        const GlyphMesh& mesh = bake.meshes[i];
        put(out, uint8_t(mesh.present));
        put(out, uint8_t(mesh.capsFilled));
        put(out, uint16_t(0));
        put(out, uint32_t(mesh.caps.size()));
        put(out, uint32_t(mesh.walls.size()));
        putVertices(out, mesh.caps);
        putVertices(out, mesh.walls);
    }
    return out;
}

bool decodeGlyphBake(const uint8_t* data, std::size_t size, GlyphBake& bake, std::string& reason) {
    bake = {};
    Reader in{data, size};
    if (size < 8 || std::memcmp(data, kMagic, 8) != 0) {
        reason = "not a baked glyph file";
        return false;
    }
    in.at = 8;
    uint32_t first = 0, count = 0, bold = 0;
    if (!in.get(first) || !in.get(count) || !in.get(bake.flatness) || !in.get(bake.extrusion) || !in.get(bold) ||
        count > 65536) {
        reason = "header cut short or out of range";
        return false;
    }
    bake.first = first;
    bake.bold = bold != 0;
    bake.meshes.resize(count);
    bake.metrics.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        GlyphMetrics& m = bake.metrics[i];
        GlyphMesh& mesh = bake.meshes[i];
        uint8_t present = 0, capsFilled = 0;
        uint16_t pad = 0;
        uint32_t caps = 0, walls = 0;
        if (!in.get(m.blackBoxX) || !in.get(m.blackBoxY) || !in.get(m.glyphOriginX) || !in.get(m.glyphOriginY) ||
            !in.get(m.cellIncX) || !in.get(m.cellIncY) || !in.get(present) || !in.get(capsFilled) || !in.get(pad) ||
            !in.get(caps) || !in.get(walls) || caps > kMaxVertices || walls > kMaxVertices ||
            !getVertices(in, caps, mesh.caps) || !getVertices(in, walls, mesh.walls)) {
            reason = "cut short at code " + std::to_string(first + i);
            bake = {};
            return false;
        }
        mesh.present = present != 0;
        mesh.capsFilled = capsFilled != 0;
    }
    if (in.at != size) {
        reason = "trailing bytes after the last code";
        bake = {};
        return false;
    }
    return true;
}

}  // namespace platform
