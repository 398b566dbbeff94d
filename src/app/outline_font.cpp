// The show's 3D text: glyph lists built once from the system font, drawn centred by byte codes.
#include "app/outline_font.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/message_box.h"

namespace {
constexpr const char* kFace = "MSゴシック";
constexpr unsigned kGlyphCount = 255;  // codes 0..254; list base + 255 stays empty
constexpr float kExtrusion = 0.2f;

void clearMetrics(OutlineFont& font) {
    for (auto& m : font.metrics) m = {};
}

// The designed tolerance keeps chords within a pixel at 800x600; a picture s times as large
// needs it s times finer for the same.
double flatnessFor(double pictureScale) { return platform::kGlyphFlatness / std::max(1.0, pictureScale); }
}  // namespace

void createFont(OutlineFont& font, double pictureScale) {
    if (font.listBase) releaseFont(font);
    clearMetrics(font);
    font.available = false;
    font.listBase = glGenLists(256);
    if (!font.listBase) {
        platform::messageBox("No display lists for the outline font; the show runs without text.", "error");
        return;
    }
    font.flatness = flatnessFor(pictureScale);
    font.available = platform::buildOutlineGlyphs(kFace, true, 0, kGlyphCount, font.listBase, kExtrusion,
                                                  font.metrics, font.flatness);
    if (!font.available) {
        glDeleteLists(font.listBase, 256);
        font.listBase = 0;
        clearMetrics(font);
        platform::messageBox("No outline font found on this machine; the show runs without text.", "error");
    }
}

void refineFont(OutlineFont& font, double pictureScale) {
    const double wanted = flatnessFor(pictureScale);
    if (!font.available || wanted >= font.flatness) return;
    font.flatness = wanted;
    platform::buildOutlineGlyphs(kFace, true, 0, kGlyphCount, font.listBase, kExtrusion, font.metrics,
                                 font.flatness);
}

void releaseFont(OutlineFont& font) {
    if (font.listBase) glDeleteLists(font.listBase, 256);
    font.listBase = 0;
    font.available = false;
}

// Without a font every cell increment is zero: nothing is drawn and the matrix does not move.
void drawText(const OutlineFont& font, const char* format, ...) {
    if (!format) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // vsnprintf reports the untruncated length; what did not fit is cut, an encoding error draws nothing.
    int length = formatted < 0 ? 0 : formatted;
    if (length > int(sizeof text) - 1) length = int(sizeof text) - 1;

    float width = 0.0f;
    for (int i = 0; i < length; ++i) width += font.metrics[static_cast<unsigned char>(text[i])].cellIncX;
    glTranslatef(width * -0.5f, 0, 0);
    if (!font.available || length == 0) return;
    glPushAttrib(GL_LIST_BIT);
    glListBase(font.listBase);
    glCallLists(length, GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

void resetTextState() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
}
