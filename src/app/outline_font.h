// Solid 3D letters: one display list per character code, drawn centred on the current origin.
#pragma once
#include "platform/outline_glyphs.h"

struct OutlineFont {
    platform::GlyphMetrics metrics[256];  // entry c belongs to character code c; 255 stays zero
    unsigned listBase = 0;                // first of 256 consecutive lists
    bool available = false;               // false when the machine has no usable font
};

// Builds the lists and metrics of codes 0..254 from "MSゴシック" (bold) or its fallbacks. Needs a
// current context. Reports a machine without any font once, and leaves the font empty.
void createFont(OutlineFont& font);
void releaseFont(OutlineFont& font);

// Formats printf-style into 1024 characters (longer text is cut), translates by minus half the
// summed cell increments and calls the glyph lists: text centred along x on the current origin,
// baseline on the x axis, 0.2 deep towards -z. Leaves the matrix moved by plus half the width.
// A null format draws nothing and leaves the matrix.
void drawText(const OutlineFont& font, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Texturing, blending, alpha test and lighting off, in that order.
void resetTextState();
