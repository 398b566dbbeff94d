// Solid 3D letters: one display list per character code, drawn centred on the current origin.
#pragma once
#include "platform/outline_glyphs.h"

struct OutlineFont {
    platform::GlyphMetrics metrics[256];  // entry c belongs to character code c; 255 stays zero
    unsigned listBase = 0;                // first of 256 consecutive lists
    bool available = false;               // false when the machine has no usable font
    double flatness = 0;                  // em, the curves' chord tolerance of the built glyphs
};

// Builds the lists and metrics of codes 0..254 from "MSゴシック" (bold) or its fallbacks, with
// curves fine enough for a picture at pictureScale x the designed 800x600. Needs a current
// context. Reports a machine without any font once, and leaves the font empty.
void createFont(OutlineFont& font, double pictureScale = 1.0);
// Rebuilds the glyphs into the same lists when a picture at pictureScale needs finer curves than
// they have; lists that call the glyph lists (the glyph ring) see the finer glyphs.
void refineFont(OutlineFont& font, double pictureScale);
void releaseFont(OutlineFont& font);

// Formats printf-style into 1024 characters (longer text is cut), translates by minus half the
// summed cell increments and calls the glyph lists: text centred along x on the current origin,
// baseline on the x axis, 0.2 deep towards -z. Leaves the matrix moved by plus half the width.
// A null format draws nothing and leaves the matrix.
void drawText(const OutlineFont& font, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Texturing, blending, alpha test and lighting off, in that order.
void resetTextState();
