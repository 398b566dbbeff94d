// The baked glyph file: what the desktop bakes is what the page reads back, and a broken file is
// refused without reading past its end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/glyph_bake.h"
#include "platform/outline_glyphs.h"

namespace {

using platform::GlyphBake;

// The show's font as the bake tool makes it: codes 0..254, bold, 0.2 em deep.
GlyphBake showBake() {
    GlyphBake bake;
    bake.first = 0;
    bake.flatness = platform::kGlyphFlatness;
    bake.extrusion = 0.2f;
    bake.bold = true;
    bake.meshes.resize(255);
    bake.metrics.resize(255);
    EXPECT_TRUE(platform::buildGlyphMeshes("MSゴシック", true, 0, 255, 0.2f, bake.meshes.data(), bake.metrics.data(),
                                           bake.flatness));
    return bake;
}

void expectSameVertices(const std::vector<platform::GlyphVertex>& a, const std::vector<platform::GlyphVertex>& b,
                        unsigned code) {
    ASSERT_EQ(a.size(), b.size()) << "code " << code;
    for (size_t i = 0; i < a.size(); ++i) {
        const double want[6] = {a[i].x, a[i].y, a[i].z, a[i].nx, a[i].ny, a[i].nz};
        const double got[6] = {b[i].x, b[i].y, b[i].z, b[i].nx, b[i].ny, b[i].nz};
        for (int c = 0; c < 6; ++c)
            ASSERT_NEAR(got[c], want[c], 1e-6 * std::max(1.0, std::fabs(want[c]))) << "code " << code << " vertex " << i;
    }
}

TEST(GlyphBake, TheShowsFontReadsBackAsBuilt) {
    const GlyphBake built = showBake();
    const std::vector<uint8_t> bytes = platform::encodeGlyphBake(built);
    GlyphBake read;
    std::string reason;
    ASSERT_TRUE(platform::decodeGlyphBake(bytes.data(), bytes.size(), read, reason)) << reason;
    EXPECT_EQ(read.first, 0u);
    EXPECT_EQ(read.flatness, platform::kGlyphFlatness);
    EXPECT_EQ(read.extrusion, 0.2f);
    EXPECT_TRUE(read.bold);
    ASSERT_EQ(read.meshes.size(), 255u);
    size_t filled = 0;
    for (unsigned code = 0; code < 255; ++code) {
        const auto& a = built.meshes[code];
        const auto& b = read.meshes[code];
        EXPECT_EQ(a.present, b.present) << code;
        EXPECT_EQ(a.capsFilled, b.capsFilled) << code;
        filled += b.capsFilled;
        expectSameVertices(a.caps, b.caps, code);
        expectSameVertices(a.walls, b.walls, code);
        EXPECT_EQ(std::memcmp(&built.metrics[code], &read.metrics[code], sizeof(platform::GlyphMetrics)), 0) << code;
    }
    // Printable ASCII is all there: 'A' has caps and walls, the space advances without triangles.
    EXPECT_GT(filled, 90u);
    EXPECT_TRUE(read.meshes['A'].capsFilled);
    EXPECT_FALSE(read.meshes['A'].walls.empty());
    EXPECT_TRUE(read.meshes[' '].present);
    EXPECT_TRUE(read.meshes[' '].caps.empty());
    EXPECT_GT(read.metrics[' '].cellIncX, 0.2f);
    EXPECT_FALSE(read.meshes[7].present);  // a control code has no glyph
}

GlyphBake smallBake() {
    GlyphBake bake;
    bake.first = 65;
    bake.flatness = 0.01;
    bake.extrusion = 0.2f;
    bake.bold = true;
    bake.meshes.resize(2);
    bake.metrics.resize(2);
    bake.meshes[0].present = bake.meshes[0].capsFilled = true;
    bake.meshes[0].caps = {{0, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 1}};
    bake.meshes[0].walls = {{0, 0, 0, 0, -1, 0}, {1, 0, 0, 0, -1, 0}, {1, 0, -0.2, 0, -1, 0}, {0, 0, -0.2, 0, -1, 0}};
    bake.metrics[0] = {1, 1, 0, 1, 1.25f, 0};
    bake.meshes[1].present = true;  // a space
    bake.metrics[1].cellIncX = 0.5f;
    return bake;
}

TEST(GlyphBake, EveryCutIsRefusedAndTheWholeFileIsRead) {
    const std::vector<uint8_t> bytes = platform::encodeGlyphBake(smallBake());
    GlyphBake read;
    std::string reason;
    ASSERT_TRUE(platform::decodeGlyphBake(bytes.data(), bytes.size(), read, reason)) << reason;
    EXPECT_EQ(read.first, 65u);
    ASSERT_EQ(read.meshes.size(), 2u);
    EXPECT_EQ(read.meshes[0].caps[1].x, 1.0);
    EXPECT_FLOAT_EQ(read.meshes[0].walls[2].z, -0.2);
    EXPECT_EQ(read.metrics[0].cellIncX, 1.25f);
    EXPECT_TRUE(read.meshes[1].present);
    EXPECT_FALSE(read.meshes[1].capsFilled);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        // A copy of exactly the first `cut` bytes, so that the sanitizer sees any read past them.
        std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + cut);
        EXPECT_FALSE(platform::decodeGlyphBake(shorter.data(), shorter.size(), read, reason)) << "cut at " << cut;
        EXPECT_TRUE(read.meshes.empty());
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(platform::decodeGlyphBake(longer.data(), longer.size(), read, reason));
    EXPECT_NE(reason.find("trailing"), std::string::npos);
}

TEST(GlyphBake, CountsBeyondTheFileAreRefusedBeforeAllocating) {
    std::vector<uint8_t> bytes = platform::encodeGlyphBake(smallBake());
    GlyphBake read;
    std::string reason;
    // The first code's cap count lies after the header (32 bytes), its metrics (24) and flags (4).
    const size_t capCount = 32 + 24 + 4;
    uint32_t huge = 0xFFFFFFF0u;
    std::memcpy(bytes.data() + capCount, &huge, 4);
    EXPECT_FALSE(platform::decodeGlyphBake(bytes.data(), bytes.size(), read, reason));
    bytes = platform::encodeGlyphBake(smallBake());
    std::memcpy(bytes.data() + 12, &huge, 4);  // the code count
    EXPECT_FALSE(platform::decodeGlyphBake(bytes.data(), bytes.size(), read, reason));
    bytes[0] = 'X';
    EXPECT_FALSE(platform::decodeGlyphBake(bytes.data(), bytes.size(), read, reason));
    EXPECT_NE(reason.find("not a baked"), std::string::npos);
}

}  // namespace
