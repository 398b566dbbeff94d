#include "render/word_displays.h"

#include <GL/gl.h>

#include <cmath>

#include "app/demo_app.h"      // demoApp.font
#include "app/demo_random.h"   // colours of the cloud
#include "demo/demo_assets.h"  // displayWords

namespace {

constexpr double kDegToRad = 0.01745328888888889;
constexpr double kGlyphStep = 3.8297872340425534;  // 360/94, one place of the glyph ring

}  // namespace

void drawWordCloud(double t) {
    for (const DisplayWord& word : demoAssets.displayWords) {
        glPushMatrix();
        glRotated(t * word.spinZ, 0, 0, 1);
        glTranslated(2 * std::sin(t * word.rateX * kDegToRad),
                     2 * std::sin(t * word.rateY * kDegToRad) - 0.8,
                     4 * std::sin(t * word.rateZ * kDegToRad) - 5);
        glRotated(t * word.spinX, 1, 0, 0);
        glRotated(t * word.spinY, 0, 1, 0);
        const double blue = demoRand() % 100 * 0.01;
        const double green = demoRand() % 100 * 0.01;
        const double red = demoRand() % 100 * 0.01;
        glColor4d(red, green, blue, 1);
        drawText(demoApp.font, "%s", word.text);
        glPopMatrix();
    }
}

double reelAngleFor(unsigned char c) {
    // Built by repeated addition, place by place, as the ring itself was built.
    double sum = 0;
    for (int code = '!'; code <= '~' && code != c; ++code) sum += kGlyphStep;
    return -sum;
}

void setReels(double (&angles)[5], const char* word, double f) {
    // A word shorter than five characters leaves its missing letters blank.
    bool ended = word == nullptr;
    for (int j = 0; j < 5; ++j) {
        const unsigned char c = ended ? ' ' : static_cast<unsigned char>(word[j]);
        if (c == '\0') ended = true;
        const double target = reelAngleFor(ended ? ' ' : c);
        angles[j] += (target - angles[j]) * f;
    }
}
