// <GL/glu.h> as the program expects it on every system: with Mesa's name for the tessellator's
// callback type, which mingw-w64's header spells out in place.
#pragma once
#include <GL/gl.h>
#include_next <GL/glu.h>

typedef void(CALLBACK* _GLUfuncptr)();
