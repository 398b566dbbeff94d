// Outline font: the font lookup and its fallbacks, the glyph solids, and drawText's placement.
#include <GL/gl.h>
#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "alloc_counter.h"
#include "app/outline_font.h"
#include "gl_fixture.h"
#include "platform/message_box.h"
#include "platform/png_image.h"

namespace {

const char* kDejaVuDir = "/usr/share/fonts/truetype/dejavu";
const char* kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* kIpaPGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

bool exists(const char* path) {
    struct stat s;
    return stat(path, &s) == 0;
}

struct FaceInfo {
    std::string family;
    bool bold = false;
    bool fixedWidth = false;
};

FaceInfo faceInfo(const std::string& path) {
    FaceInfo info;
    FT_Library library;
    if (path.empty() || FT_Init_FreeType(&library) != 0) return info;
    FT_Face face;
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
        info.family = face->family_name ? face->family_name : "";
        info.bold = face->style_flags & FT_STYLE_FLAG_BOLD;
        info.fixedWidth = FT_IS_FIXED_WIDTH(face);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return info;
}

// Makes a fontconfig set-up that knows only the given fonts current, as on a machine that has
// nothing else installed; the machine's own set-up comes back on destruction.
class ScopedFontSet {
public:
    ScopedFontSet(std::vector<const char*> dirs, std::vector<const char*> files) {
        saved_ = FcConfigGetCurrent();
        FcConfigReference(saved_);
        FcConfig* config = FcConfigCreate();
        const std::string cache = "<fontconfig><cachedir>" +
                                  (std::filesystem::current_path() / "test-fontconfig-cache").string() +
                                  "</cachedir></fontconfig>";
        FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(cache.c_str()), FcFalse);
        for (const char* d : dirs) FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(d));
        for (const char* f : files) FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(f));
        FcConfigSetCurrent(config);
        FcConfigDestroy(config);
    }
    ~ScopedFontSet() {
        FcConfigSetCurrent(saved_);
        FcConfigDestroy(saved_);
    }

private:
    FcConfig* saved_ = nullptr;
};

OutlineFont& sharedFont() {
    static OutlineFont font;
    return font;
}

struct Mask {
    std::vector<bool> on;  // 800x600, bottom row first
    int count = 0, minX = 800, maxX = -1, minY = 600, maxY = -1;
    bool at(int x, int y) const { return on[size_t(y) * 800 + x]; }
};

// Pixels that differ from the black background.
Mask coverage(const std::vector<uint8_t>& frame) {
    Mask m;
    m.on.assign(800 * 600, false);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = &frame[(size_t(y) * 800 + x) * 4];
            if (p[0] || p[1] || p[2]) {
                m.on[size_t(y) * 800 + x] = true;
                ++m.count;
                m.minX = std::min(m.minX, x), m.maxX = std::max(m.maxX, x);
                m.minY = std::min(m.minY, y), m.maxY = std::max(m.maxY, y);
            }
        }
    return m;
}

// Regions of background enclosed by the drawing (the counters of letters).
int enclosedRegions(const Mask& m) {
    std::vector<int> label(800 * 600, 0);
    std::vector<int> stack;
    auto fill = [&](int start, int id) {
        stack.assign(1, start);
        label[start] = id;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % 800, y = i / 800;
            const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (auto& n : next) {
                if (n[0] < 0 || n[0] >= 800 || n[1] < 0 || n[1] >= 600) continue;
                const int j = n[1] * 800 + n[0];
                if (!m.on[j] && !label[j]) {
                    label[j] = id;
                    stack.push_back(j);
                }
            }
        }
    };
    fill(0, 1);  // the outside, from a corner the glyph never reaches
    int regions = 0;
    for (int i = 0; i < 800 * 600; ++i)
        if (!m.on[i] && !label[i]) fill(i, 2 + regions++);
    return regions;
}

float textWidth(const char* text) {
    float w = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        w += sharedFont().metrics[*p].cellIncX;
    return w;
}

void modelview(float m[16]) { glGetFloatv(GL_MODELVIEW_MATRIX, m); }

// Orthographic view, pixelsPerUnit on screen, centred on the origin.
void orthoView(double pixelsPerUnit) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double hx = 400 / pixelsPerUnit, hy = 300 / pixelsPerUnit;
    glOrtho(-hx, hx, -hy, hy, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// White diffuse light shining along the view direction, no ambient: a face toward the viewer
// comes out full white, a face turned away black.
void headLight() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float position[] = {0, 0, 1, 0}, white[] = {1, 1, 1, 1}, none[] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(1, 1, 1);
}

// Share of the drawn pixels lit at least to 200 of 255.
double brightShare(const std::vector<uint8_t>& frame, const Mask& m) {
    int bright = 0;
    for (int i = 0; i < 800 * 600; ++i)
        if (m.on[i] && frame[size_t(i) * 4] >= 200) ++bright;
    return m.count ? double(bright) / m.count : 0;
}

class OutlineFontTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        platform::MessageRecorder boxes;
        createFont(sharedFont());
        ASSERT_TRUE(boxes.messages().empty());
    }
    static void TearDownTestSuite() { releaseFont(sharedFont()); }
    void SetUp() override {
        GLTest::SetUp();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_COLOR_MATERIAL);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glColor3f(1, 1, 1);
        ASSERT_TRUE(sharedFont().available);
    }
    static const OutlineFont& font() { return sharedFont(); }
};

}  // namespace

// --- finding a font -------------------------------------------------------------------------------

TEST(FontLookup, MissingFaceFallsBackToTheJapaneseGothic) {
    if (!exists(kIpaGothic)) GTEST_SKIP() << "IPAGothic is not installed";
    EXPECT_EQ(faceInfo(platform::resolveFontFile("MSゴシック", true)).family, "IPAGothic");
    EXPECT_EQ(faceInfo(platform::resolveFontFile("No Such Face 8d1f", true)).family, "IPAGothic");
    EXPECT_EQ(faceInfo(platform::resolveFontFile(nullptr, true)).family, "IPAGothic");
}

TEST(FontLookup, InstalledFaceIsTakenInTheAskedWeight) {
    if (!exists(kDejaVuDir)) GTEST_SKIP() << "DejaVu is not installed";
    const FaceInfo info = faceInfo(platform::resolveFontFile("DejaVu Sans Mono", true));
    EXPECT_EQ(info.family, "DejaVu Sans Mono");
    EXPECT_TRUE(info.bold);
}

TEST(FontLookup, WithoutTheGothicAnyJapaneseFontAndThenABoldMonospaceServe) {
    if (!exists(kDejaVuDir) || !exists(kIpaPGothic)) GTEST_SKIP() << "fonts missing";
    {
        ScopedFontSet only({kDejaVuDir}, {kIpaPGothic});
        EXPECT_EQ(faceInfo(platform::resolveFontFile("MSゴシック", true)).family, "IPAPGothic");
    }
    {
        ScopedFontSet only({kDejaVuDir}, {});
        const FaceInfo info = faceInfo(platform::resolveFontFile("MSゴシック", true));
        EXPECT_TRUE(info.fixedWidth) << info.family;
        EXPECT_TRUE(info.bold) << info.family;
    }
    if (exists(kIpaGothic)) {  // the machine's own fonts are back
        EXPECT_EQ(faceInfo(platform::resolveFontFile("MSゴシック", true)).family, "IPAGothic");
    }
}

TEST_F(OutlineFontTest, NoFontAtAllIsReportedOnceAndTextDrawsNothing) {
    OutlineFont none;
    platform::MessageRecorder boxes;
    {
        ScopedFontSet empty({}, {});
        EXPECT_EQ(platform::resolveFontFile("MSゴシック", true), "");
        createFont(none);
    }
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].caption, "error");
    EXPECT_FALSE(none.available);
    EXPECT_EQ(none.listBase, 0u);

    orthoView(100);
    drawText(none, "%s", "Qell 2003");
    float m[16];
    modelview(m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_EQ(coverage(frame()).count, 0);
    EXPECT_EQ(glErrors(), 0u);
    releaseFont(none);
    EXPECT_EQ(boxes.messages().size(), 1u);
}

// --- the glyphs ----------------------------------------------------------------------------------

TEST_F(OutlineFontTest, MetricsAreInEmUnitsAndFollowTheCodePage) {
    const auto& h = font().metrics['H'];
    EXPECT_GT(h.cellIncX, 0.3f);
    EXPECT_LT(h.cellIncX, 1.2f);
    EXPECT_GT(h.blackBoxY, 0.5f);  // cap height of a line about one unit high
    EXPECT_LT(h.blackBoxY, 1.0f);
    const float bottom = h.glyphOriginY - h.blackBoxY;  // on the baseline or just above it
    EXPECT_GE(bottom, -0.01f);
    EXPECT_LT(bottom, 0.08f);
    EXPECT_GE(h.glyphOriginX, 0.0f);
    EXPECT_LE(h.glyphOriginX + h.blackBoxX, h.cellIncX);
    EXPECT_EQ(h.cellIncY, 0.0f);

    const auto& space = font().metrics[' '];
    EXPECT_GT(space.cellIncX, 0.2f);
    EXPECT_EQ(space.blackBoxX, 0.0f);
    EXPECT_EQ(space.blackBoxY, 0.0f);

    EXPECT_GT(font().metrics[0x80].blackBoxX, 0.0f);  // the euro sign of Windows-1252
    EXPECT_GT(font().metrics[0xC9].blackBoxY, font().metrics['E'].blackBoxY + 0.05f);  // E acute
    for (unsigned code : {0u, 10u, 31u, 127u, 0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du, 255u}) {
        const auto& g = font().metrics[code];
        EXPECT_EQ(g.cellIncX, 0.0f) << code;
        EXPECT_EQ(g.blackBoxX, 0.0f) << code;
    }
}

TEST_F(OutlineFontTest, ListsMoveByTheirCellIncrementAndEmptyCodesDrawNothing) {
    orthoView(100);
    for (unsigned code : {unsigned('Q'), unsigned(' '), 0x81u, 10u, 255u}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glCallList(font().listBase + code);
        float m[16];
        modelview(m);
        EXPECT_FLOAT_EQ(m[12], font().metrics[code].cellIncX) << code;
        EXPECT_FLOAT_EQ(m[13], 0.0f) << code;
        const int drawn = coverage(frame()).count;
        if (code == 'Q') {
            EXPECT_GT(drawn, 500);
        } else {
            EXPECT_EQ(drawn, 0) << code;
        }
    }
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(OutlineFontTest, CountersOfLettersStayOpen) {
    orthoView(400);
    const struct {
        char letter;
        int holes;
    } cases[] = {{'O', 1}, {'A', 1}, {'8', 2}, {'B', 2}, {'e', 1}, {'L', 0}};
    for (const auto& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(-0.3f, -0.4f, 0);
        glCallList(font().listBase + static_cast<unsigned char>(c.letter));
        const Mask m = coverage(frame());
        ASSERT_GT(m.count, 1000) << c.letter;
        EXPECT_EQ(enclosedRegions(m), c.holes) << c.letter;
    }
}

TEST_F(OutlineFontTest, EveryFaceIsWoundAndLitTowardsTheOutside) {
    orthoView(400);
    headLight();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    int frontCount = 0;
    // Seen from the front, from behind and from the left, with back faces culled, what shows is lit.
    for (float turn : {0.0f, 180.0f, 90.0f}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(turn, 0, 1, 0);
        glTranslatef(-0.25f, -0.35f, 0.1f);
        glCallList(font().listBase + 'H');
        const auto pixels = frame();
        const Mask m = coverage(pixels);
        ASSERT_GT(m.count, 1000) << turn;
        EXPECT_GT(brightShare(pixels, m), 0.97) << turn;
        if (turn == 0) frontCount = m.count;
        if (turn == 180) {
            EXPECT_NEAR(m.count, frontCount, frontCount * 0.02);
        }
    }
    // Culling takes nothing away from the front view.
    glDisable(GL_CULL_FACE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(-0.25f, -0.35f, 0.1f);
    glCallList(font().listBase + 'H');
    EXPECT_EQ(coverage(frame()).count, frontCount);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
}

TEST_F(OutlineFontTest, SideViewShowsTheExtrusionDepth) {
    orthoView(400);
    for (char letter : {'I', 'O'}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(90, 0, 1, 0);  // the glyph's z axis now runs along the screen's x
        glTranslatef(-0.25f, -0.35f, 0);
        glCallList(font().listBase + static_cast<unsigned char>(letter));
        const Mask m = coverage(frame());
        // From the side the letter is a band 0.2 units (80 pixels) wide, from x = -0.2 to 0.
        EXPECT_NEAR(m.maxX - m.minX + 1, 80, 2) << letter;
        EXPECT_NEAR(m.maxX + 1, 400, 1) << letter;
        EXPECT_NEAR(m.maxY - m.minY + 1, font().metrics[static_cast<unsigned char>(letter)].blackBoxY * 400, 3);
    }
}

// --- drawText -------------------------------------------------------------------------------------

TEST_F(OutlineFontTest, NullFormatDrawsNothingAndLeavesTheMatrix) {
    orthoView(100);
    glTranslatef(0.5f, 0.25f, 0);
    const char* none = nullptr;
    drawText(font(), none);
    float m[16];
    modelview(m);
    EXPECT_FLOAT_EQ(m[12], 0.5f);
    EXPECT_FLOAT_EQ(m[13], 0.25f);
    EXPECT_EQ(coverage(frame()).count, 0);
}

TEST_F(OutlineFontTest, MatrixEndsMovedByHalfTheWidthAndTheListBaseIsRestored) {
    orthoView(100);
    glListBase(7);
    const struct {
        const char* text;
        float width;
    } cases[] = {{"Qell 2003", textWidth("Qell 2003")},
                 {"", 0.0f},
                 {"H\xffH", 2 * font().metrics['H'].cellIncX},  // 255 has no glyph and no width
                 {"\xff", 0.0f}};
    for (const auto& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        drawText(font(), "%s", c.text);
        float m[16];
        modelview(m);
        EXPECT_NEAR(m[12], c.width * 0.5f, 1e-5f) << c.text;
        EXPECT_FLOAT_EQ(m[13], 0.0f);
        EXPECT_FLOAT_EQ(m[14], 0.0f);
        EXPECT_EQ(coverage(frame()).count > 0, c.width > 0) << c.text;
    }
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 7);
    glListBase(0);
}

TEST_F(OutlineFontTest, FormatsConversionsAndCutsTextThatDoesNotFit) {
    orthoView(100);
    float m[16];
    drawText(font(), "%d%%", 100);
    modelview(m);
    EXPECT_NEAR(m[12], textWidth("100%") * 0.5f, 1e-5f);

    const std::string longText(2000, 'H');
    glLoadIdentity();
    drawText(font(), "%s", longText.c_str());
    modelview(m);
    EXPECT_NEAR(m[12], 1023 * font().metrics['H'].cellIncX * 0.5f, 1e-2f);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(OutlineFontTest, CentredTextIsBalancedAboutTheOrigin) {
    orthoView(100);
    for (const char* text : {"HH", "Qell 2003"}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        drawText(font(), "%s", text);
        const Mask m = coverage(frame());
        ASSERT_GT(m.count, 0);
        const double centre = (m.minX + m.maxX + 1) / 2.0;
        const double span = m.maxX - m.minX + 1;
        // Symmetric letters sit exactly on the centre; others within their side bearings.
        EXPECT_NEAR(centre, 400, std::string(text) == "HH" ? 1.5 : span * 0.03) << text;
        EXPECT_NEAR(span, textWidth(text) * 100, textWidth(text) * 100 * 0.15) << text;
        EXPECT_GE(m.minY, 300 - 30);  // the baseline on the x axis: only descenders go below
    }
}

TEST_F(OutlineFontTest, DrawingTextAllocatesNothing) {
    orthoView(100);
    drawText(font(), "%s %d", "Play!", 3);
    const uint64_t before = allocationCount();
    for (int i = 0; i < 10; ++i) {
        glLoadIdentity();
        drawText(font(), "%s %d", "Play!", i);
    }
    EXPECT_EQ(allocationCount(), before);
}

// The show's kind of picture: lit, perspective 3D text. Written as a PNG when
// LUMIVANE_TEST_PNG_DIR names a directory, to look at.
TEST_F(OutlineFontTest, LitTextInPerspectiveIsSolidAndShaded) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 800.0 / 600.0, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float position[] = {-1, 1, 2, 0}, white[] = {1, 1, 1, 1}, dim[] = {0.15f, 0.15f, 0.15f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_NORMALIZE);
    glColor3f(1.0f, 0.75f, 0.3f);
    glPushMatrix();
    glTranslatef(0, -0.3f, -5);
    glRotatef(15, 1, 0, 0);
    glRotatef(-25, 0, 1, 0);
    drawText(font(), "%s", "Qell 2003");
    glPopMatrix();
    const auto pixels = frame();
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_NORMALIZE);

    const Mask m = coverage(pixels);
    EXPECT_GT(m.count, 20000);
    EXPECT_GT(m.minX, 0);  // the whole line in view, about the centre (turned, so not exactly)
    EXPECT_LT(m.maxX, 799);
    EXPECT_NEAR((m.minX + m.maxX) / 2.0, 400, 60);
    // Front faces and walls face the light differently: the letters show at least two shades.
    int lit = 0, shaded = 0;
    for (int i = 0; i < 800 * 600; ++i) {
        if (!m.on[i]) continue;
        const int r = pixels[size_t(i) * 4];
        if (r > 180) ++lit;
        if (r < 140) ++shaded;
    }
    EXPECT_GT(lit, m.count / 10);
    EXPECT_GT(shaded, m.count / 50);

    if (const char* dir = std::getenv("LUMIVANE_TEST_PNG_DIR")) {
        std::vector<unsigned char> rgb(800 * 600 * 3);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(size_t(599 - y) * 800 + x) * 3 + c] = pixels[(size_t(y) * 800 + x) * 4 + c];
        EXPECT_TRUE(platform::writePng((std::string(dir) + "/outline_text.png").c_str(), 800, 600, rgb.data()));
    }
}
