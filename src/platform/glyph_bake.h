// The baked glyph file: the meshes and metrics of the show's outline font, made once by a system
// with a font (tools/bake_glyphs) and read where no font exists (the web page). Little-endian:
//   "LVGLYPH1", u32 first, u32 count, f64 flatness, f32 extrusion, u32 bold,
//   per code: f32 x 6 metrics (as GlyphMetrics), u8 present, u8 capsFilled, u16 0,
//             u32 caps vertices, u32 wall vertices, then f32 x 6 (x y z nx ny nz) per vertex.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/outline_glyphs.h"

namespace platform {

struct GlyphBake {
    unsigned first = 0;
    double flatness = 0;
    float extrusion = 0;
    bool bold = false;
    std::vector<GlyphMesh> meshes;  // codes first .. first + meshes.size() - 1
    std::vector<GlyphMetrics> metrics;
};

std::vector<uint8_t> encodeGlyphBake(const GlyphBake& bake);
// False with a reason for a file that is not a bake or is cut short; nothing is read past size.
bool decodeGlyphBake(const uint8_t* data, std::size_t size, GlyphBake& bake, std::string& reason);

}  // namespace platform
