// The word cloud and the glyph-ring reels.
#pragma once

// The forty display words on their Lissajous paths, in fresh random colours (three draws each).
void drawWordCloud(double t);
// Angle in degrees that brings character c of the glyph ring to the front; about -360 for a byte
// outside '!'..'~'.
double reelAngleFor(unsigned char c);
// Eases the five reel angles the fraction f of the way towards the letters of word (5 characters).
void setReels(double (&angles)[5], const char* word, double f);
