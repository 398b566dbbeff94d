// <GL/gl.h> as the program expects it on every system: mingw-w64's declares OpenGL 1.1 alone,
// Mesa's also the enumerants of 1.2 and 1.3 and GLAPIENTRY. This folder comes first on the
// include path of the Windows build.
#pragma once
#include_next <GL/gl.h>

#ifndef GLAPIENTRY
#define GLAPIENTRY APIENTRY
#endif
#include <GL/glext.h>
