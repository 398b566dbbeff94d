// The model viewer's line of findings, on the pixels of the picture.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/model_viewer.h"
#include "app/outline_font.h"
#include "gl_fixture.h"
#include "model/mqo_model.h"

namespace {

class ViewerLine : public GLTest {
protected:
    static OutlineFont& font() {
        static OutlineFont f;
        if (!f.available) createFont(f);
        return f;
    }
    // Columns that hold a pixel of the line's colour (warm white), and whether any lies above
    // the band along the bottom.
    struct Lit {
        int left = 800, right = -1, count = 0;
        bool aboveBand = false;
    };
    static Lit lit() {
        const std::vector<uint8_t> rgba = frame();
        Lit l;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint8_t* p = &rgba[(std::size_t(y) * 800 + std::size_t(x)) * 4];
                if (p[0] < 128 || p[1] < 128 || p[2] >= p[0]) continue;
                ++l.count;
                l.left = std::min(l.left, x);
                l.right = std::max(l.right, x);
                l.aboveBand = l.aboveBand || y >= 26;
            }
        return l;
    }
    void drawEmptyModel() {
        MqoModel model;
        drawModelView(model, fitModel(model), 800, 600, 0, 20, 1, false);
    }
};

}  // namespace

TEST_F(ViewerLine, TheLineStandsAlongTheBottomAndFitsTheWidth) {
    if (!font().available) GTEST_SKIP() << "no font on this machine";
    drawEmptyModel();
    EXPECT_EQ(lit().count, 0);

    drawEmptyModel();
    drawFindingsLine(font(), "mirrored, half drawn: wing", 800, 600);
    const Lit shortLine = lit();
    EXPECT_GT(shortLine.count, 100);
    EXPECT_FALSE(shortLine.aboveBand);
    // Centred.
    EXPECT_NEAR((shortLine.left + shortLine.right) / 2.0, 400, 12);

    // A line longer than the picture is shrunk into it.
    drawEmptyModel();
    drawFindingsLine(font(), std::string(30, 'W') + " 3 mirrored, half drawn; 12 smoothed, drawn flat; 1 hidden, drawn " +
                                 std::string(30, 'W'), 800, 600);
    const Lit longLine = lit();
    EXPECT_GT(longLine.count, 100);
    EXPECT_GE(longLine.left, 2);
    EXPECT_LE(longLine.right, 797);
    EXPECT_GT(longLine.right - longLine.left, 700);
    EXPECT_EQ(glErrors(), 0u);

    // An empty line draws nothing, not even the band.
    drawEmptyModel();
    drawFindingsLine(font(), "", 800, 600);
    EXPECT_EQ(pixel(400, 10), (std::vector<uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(lit().count, 0);
}
