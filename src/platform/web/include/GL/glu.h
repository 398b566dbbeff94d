/* GLU for the web build: the polygon tessellator (Debian's libglu libtess, built with emcc by
 * scripts/fetch-glu-source.sh) and the three utilities lumivane calls, from the fixed-function
 * layer in src/platform/web/gl/. */
#ifndef LUMIVANE_WEB_GLU_H
#define LUMIVANE_WEB_GLU_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GLU_FALSE                          0
#define GLU_TRUE                           1
#define GLU_INVALID_ENUM                   100900
#define GLU_INVALID_VALUE                  100901
#define GLU_OUT_OF_MEMORY                  100902
#define GLU_INVALID_OPERATION              100904
#define GLU_ERROR                          100103
#define GLU_TESS_BEGIN                     100100
#define GLU_BEGIN                          100100
#define GLU_TESS_VERTEX                    100101
#define GLU_VERTEX                         100101
#define GLU_TESS_END                       100102
#define GLU_END                            100102
#define GLU_TESS_ERROR                     100103
#define GLU_TESS_EDGE_FLAG                 100104
#define GLU_EDGE_FLAG                      100104
#define GLU_TESS_COMBINE                   100105
#define GLU_TESS_BEGIN_DATA                100106
#define GLU_TESS_VERTEX_DATA               100107
#define GLU_TESS_END_DATA                  100108
#define GLU_TESS_ERROR_DATA                100109
#define GLU_TESS_EDGE_FLAG_DATA            100110
#define GLU_TESS_COMBINE_DATA              100111
#define GLU_CW                             100120
#define GLU_CCW                            100121
#define GLU_INTERIOR                       100122
#define GLU_EXTERIOR                       100123
#define GLU_UNKNOWN                        100124
#define GLU_TESS_WINDING_RULE              100140
#define GLU_TESS_BOUNDARY_ONLY             100141
#define GLU_TESS_TOLERANCE                 100142
#define GLU_TESS_ERROR1                    100151
#define GLU_TESS_ERROR2                    100152
#define GLU_TESS_ERROR3                    100153
#define GLU_TESS_ERROR4                    100154
#define GLU_TESS_ERROR5                    100155
#define GLU_TESS_ERROR6                    100156
#define GLU_TESS_ERROR7                    100157
#define GLU_TESS_ERROR8                    100158
#define GLU_TESS_MISSING_BEGIN_POLYGON     100151
#define GLU_TESS_MISSING_BEGIN_CONTOUR     100152
#define GLU_TESS_MISSING_END_POLYGON       100153
#define GLU_TESS_MISSING_END_CONTOUR       100154
#define GLU_TESS_COORD_TOO_LARGE           100155
#define GLU_TESS_NEED_COMBINE_CALLBACK     100156
#define GLU_TESS_WINDING_ODD               100130
#define GLU_TESS_WINDING_NONZERO           100131
#define GLU_TESS_WINDING_POSITIVE          100132
#define GLU_TESS_WINDING_NEGATIVE          100133
#define GLU_TESS_WINDING_ABS_GEQ_TWO       100134

#ifdef __cplusplus
class GLUtesselator;
#else
typedef struct GLUtesselator GLUtesselator;
#endif
typedef GLUtesselator GLUtesselatorObj;
typedef GLUtesselator GLUtriangulatorObj;

#define GLU_TESS_MAX_COORD 1.0e150

typedef void (GLAPIENTRYP _GLUfuncptr)(void);

/* the tessellator (libtess) */
GLAPI GLUtesselator* GLAPIENTRY gluNewTess(void);
GLAPI void GLAPIENTRY gluDeleteTess(GLUtesselator* tess);
GLAPI void GLAPIENTRY gluTessBeginPolygon(GLUtesselator* tess, GLvoid* data);
GLAPI void GLAPIENTRY gluTessBeginContour(GLUtesselator* tess);
GLAPI void GLAPIENTRY gluTessVertex(GLUtesselator* tess, GLdouble* location, GLvoid* data);
GLAPI void GLAPIENTRY gluTessEndContour(GLUtesselator* tess);
GLAPI void GLAPIENTRY gluTessEndPolygon(GLUtesselator* tess);
GLAPI void GLAPIENTRY gluTessProperty(GLUtesselator* tess, GLenum which, GLdouble data);
GLAPI void GLAPIENTRY gluGetTessProperty(GLUtesselator* tess, GLenum which, GLdouble* data);
GLAPI void GLAPIENTRY gluTessNormal(GLUtesselator* tess, GLdouble valueX, GLdouble valueY, GLdouble valueZ);
GLAPI void GLAPIENTRY gluTessCallback(GLUtesselator* tess, GLenum which, _GLUfuncptr callback);
GLAPI void GLAPIENTRY gluBeginPolygon(GLUtesselator* tess);
GLAPI void GLAPIENTRY gluNextContour(GLUtesselator* tess, GLenum type);
GLAPI void GLAPIENTRY gluEndPolygon(GLUtesselator* tess);

/* the fixed-function layer */
GLAPI void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
GLAPI void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                                GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
GLAPI GLint GLAPIENTRY gluScaleImage(GLenum format, GLsizei wIn, GLsizei hIn, GLenum typeIn, const void* dataIn,
                                     GLsizei wOut, GLsizei hOut, GLenum typeOut, GLvoid* dataOut);

#ifdef __cplusplus
}
#endif

#endif
