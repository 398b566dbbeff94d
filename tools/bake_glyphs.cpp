// Bakes the show's outline glyphs (codes 0..254 of its bold face, 0.2 em deep, the designed chord
// tolerance) into one file, for systems without fonts or FreeType (the web page). The face, the
// weight, the depth and the codes must stay in step with outline_font.cpp: the reader refuses a
// bake that differs from what it is asked for.
// usage: bake-glyphs OUT.bin
#include <cstdio>
#include <string>
#include <vector>

#include "platform/glyph_bake.h"
#include "platform/outline_glyphs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bake-glyphs OUT.bin\n");
        return 2;
    }
    platform::GlyphBake bake;
    bake.first = 0;
    bake.flatness = platform::kGlyphFlatness;
    bake.extrusion = 0.2f;
    bake.bold = true;
    constexpr unsigned kCount = 255;
    bake.meshes.resize(kCount);
    bake.metrics.resize(kCount);
    if (!platform::buildGlyphMeshes("MSゴシック", bake.bold, bake.first, kCount, bake.extrusion, bake.meshes.data(),
                                    bake.metrics.data(), bake.flatness)) {
        std::fprintf(stderr, "bake-glyphs: no usable font on this machine\n");
        return 1;
    }
    const std::vector<uint8_t> bytes = platform::encodeGlyphBake(bake);
    const std::string temporary = std::string(argv[1]) + ".part";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0 ||
        std::rename(temporary.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "bake-glyphs: cannot write %s\n", argv[1]);
        return 1;
    }
    std::size_t vertices = 0;
    for (const auto& mesh : bake.meshes) vertices += mesh.caps.size() + mesh.walls.size();
    std::fprintf(stderr, "bake-glyphs: %u codes, %zu vertices, %zu bytes\n", kCount, vertices, bytes.size());
    return 0;
}
