/* OpenGL 1.1 for the web build: exactly what lumivane draws with, implemented over WebGL 2 by the
 * fixed-function layer in src/platform/web/gl/. Constants carry the Khronos values. */
#ifndef LUMIVANE_WEB_GL_H
#define LUMIVANE_WEB_GL_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GL_VERSION_1_1 1
#define GLAPI extern
#define GLAPIENTRY
#define APIENTRY
#define APIENTRYP *
#define GLAPIENTRYP GLAPIENTRY *

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;
typedef char GLchar;
typedef long GLintptr;     /* the WebGL bindings' khronos_intptr_t */
typedef long GLsizeiptr;   /* the WebGL bindings' khronos_ssize_t */

#define GL_FALSE                           0
#define GL_TRUE                            1
#define GL_NO_ERROR                        0
#define GL_INVALID_ENUM                    0x0500
#define GL_INVALID_VALUE                   0x0501
#define GL_INVALID_OPERATION               0x0502
#define GL_STACK_OVERFLOW                  0x0503
#define GL_STACK_UNDERFLOW                 0x0504
#define GL_OUT_OF_MEMORY                   0x0505
#define GL_POINTS                          0x0000
#define GL_LINES                           0x0001
#define GL_LINE_LOOP                       0x0002
#define GL_LINE_STRIP                      0x0003
#define GL_TRIANGLES                       0x0004
#define GL_TRIANGLE_STRIP                  0x0005
#define GL_TRIANGLE_FAN                    0x0006
#define GL_QUADS                           0x0007
#define GL_QUAD_STRIP                      0x0008
#define GL_POLYGON                         0x0009
#define GL_BYTE                            0x1400
#define GL_UNSIGNED_BYTE                   0x1401
#define GL_SHORT                           0x1402
#define GL_UNSIGNED_SHORT                  0x1403
#define GL_INT                             0x1404
#define GL_UNSIGNED_INT                    0x1405
#define GL_FLOAT                           0x1406
#define GL_DOUBLE                          0x140A
#define GL_MODELVIEW                       0x1700
#define GL_PROJECTION                      0x1701
#define GL_TEXTURE                         0x1702
#define GL_MATRIX_MODE                     0x0BA0
#define GL_MODELVIEW_MATRIX                0x0BA6
#define GL_PROJECTION_MATRIX               0x0BA7
#define GL_TEXTURE_MATRIX                  0x0BA8
#define GL_COMPILE                         0x1300
#define GL_COMPILE_AND_EXECUTE             0x1301
#define GL_LIST_BASE                       0x0B32
#define GL_CURRENT_BIT                     0x00000001
#define GL_POINT_BIT                       0x00000002
#define GL_LINE_BIT                        0x00000004
#define GL_POLYGON_BIT                     0x00000008
#define GL_LIGHTING_BIT                    0x00000040
#define GL_FOG_BIT                         0x00000080
#define GL_DEPTH_BUFFER_BIT                0x00000100
#define GL_VIEWPORT_BIT                    0x00000800
#define GL_TRANSFORM_BIT                   0x00001000
#define GL_ENABLE_BIT                      0x00002000
#define GL_COLOR_BUFFER_BIT                0x00004000
#define GL_SCISSOR_BIT                     0x00080000
#define GL_TEXTURE_BIT                     0x00040000
#define GL_LIST_BIT                        0x00020000
#define GL_STENCIL_BUFFER_BIT              0x00000400
#define GL_ALL_ATTRIB_BITS                 0xFFFFFFFF
#define GL_CULL_FACE                       0x0B44
#define GL_DEPTH_TEST                      0x0B71
#define GL_BLEND                           0x0BE2
#define GL_ALPHA_TEST                      0x0BC0
#define GL_LIGHTING                        0x0B50
#define GL_LIGHT0                          0x4000
#define GL_LIGHT1                          0x4001
#define GL_COLOR_MATERIAL                  0x0B57
#define GL_FOG                             0x0B60
#define GL_TEXTURE_2D                      0x0DE1
#define GL_NORMALIZE                       0x0BA1
#define GL_SCISSOR_TEST                    0x0C11
#define GL_STENCIL_TEST                    0x0B90
#define GL_DITHER                          0x0BD0
#define GL_TEXTURE_GEN_S                   0x0C60
#define GL_TEXTURE_GEN_T                   0x0C61
#define GL_POLYGON_OFFSET_FILL             0x8037
#define GL_LINE_SMOOTH                     0x0B20
#define GL_POINT_SMOOTH                    0x0B10
#define GL_POLYGON_SMOOTH                  0x0B41
#define GL_FRONT                           0x0404
#define GL_BACK                            0x0405
#define GL_FRONT_AND_BACK                  0x0408
#define GL_CW                              0x0900
#define GL_CCW                             0x0901
#define GL_POINT                           0x1B00
#define GL_LINE                            0x1B01
#define GL_FILL                            0x1B02
#define GL_NEVER                           0x0200
#define GL_LESS                            0x0201
#define GL_EQUAL                           0x0202
#define GL_LEQUAL                          0x0203
#define GL_GREATER                         0x0204
#define GL_NOTEQUAL                        0x0205
#define GL_GEQUAL                          0x0206
#define GL_ALWAYS                          0x0207
#define GL_ZERO                            0
#define GL_ONE                             1
#define GL_SRC_COLOR                       0x0300
#define GL_ONE_MINUS_SRC_COLOR             0x0301
#define GL_SRC_ALPHA                       0x0302
#define GL_ONE_MINUS_SRC_ALPHA             0x0303
#define GL_DST_ALPHA                       0x0304
#define GL_ONE_MINUS_DST_ALPHA             0x0305
#define GL_DST_COLOR                       0x0306
#define GL_ONE_MINUS_DST_COLOR             0x0307
#define GL_SRC_ALPHA_SATURATE              0x0308
#define GL_AMBIENT                         0x1200
#define GL_DIFFUSE                         0x1201
#define GL_SPECULAR                        0x1202
#define GL_POSITION                        0x1203
#define GL_EMISSION                        0x1600
#define GL_SHININESS                       0x1601
#define GL_AMBIENT_AND_DIFFUSE             0x1602
#define GL_CONSTANT_ATTENUATION            0x1207
#define GL_LINEAR_ATTENUATION              0x1208
#define GL_QUADRATIC_ATTENUATION           0x1209
#define GL_LIGHT_MODEL_AMBIENT             0x0B53
#define GL_SHADE_MODEL                     0x0B54
#define GL_FLAT                            0x1D00
#define GL_SMOOTH                          0x1D01
#define GL_FOG_MODE                        0x0B65
#define GL_FOG_DENSITY                     0x0B62
#define GL_FOG_START                       0x0B63
#define GL_FOG_END                         0x0B64
#define GL_FOG_COLOR                       0x0B66
#define GL_LINEAR                          0x2601
#define GL_EXP                             0x0800
#define GL_EXP2                            0x0801
#define GL_TEXTURE_ENV                     0x2300
#define GL_TEXTURE_ENV_MODE                0x2200
#define GL_MODULATE                        0x2100
#define GL_DECAL                           0x2101
#define GL_REPLACE                         0x1E01
#define GL_TEXTURE_MIN_FILTER              0x2801
#define GL_TEXTURE_MAG_FILTER              0x2800
#define GL_TEXTURE_WRAP_S                  0x2802
#define GL_TEXTURE_WRAP_T                  0x2803
#define GL_NEAREST                         0x2600
#define GL_NEAREST_MIPMAP_NEAREST          0x2700
#define GL_LINEAR_MIPMAP_NEAREST           0x2701
#define GL_NEAREST_MIPMAP_LINEAR           0x2702
#define GL_LINEAR_MIPMAP_LINEAR            0x2703
#define GL_REPEAT                          0x2901
#define GL_CLAMP                           0x2900
#define GL_TEXTURE_WIDTH                   0x1000
#define GL_TEXTURE_HEIGHT                  0x1001
#define GL_PROXY_TEXTURE_2D                0x8064
#define GL_TEXTURE_BINDING_2D              0x8069
#define GL_ALPHA                           0x1906
#define GL_RGB                             0x1907
#define GL_RGBA                            0x1908
#define GL_LUMINANCE                       0x1909
#define GL_LUMINANCE_ALPHA                 0x190A
#define GL_RGB8                            0x8051
#define GL_RGBA8                           0x8058
#define GL_VENDOR                          0x1F00
#define GL_RENDERER                        0x1F01
#define GL_VERSION                         0x1F02
#define GL_EXTENSIONS                      0x1F03
#define GL_VIEWPORT                        0x0BA2
#define GL_MAX_TEXTURE_SIZE                0x0D33
#define GL_MAX_VIEWPORT_DIMS               0x0D3A
#define GL_DEPTH_BITS                      0x0D56
#define GL_RED_BITS                        0x0D52
#define GL_GREEN_BITS                      0x0D53
#define GL_BLUE_BITS                       0x0D54
#define GL_ALPHA_BITS                      0x0D55
#define GL_LINE_WIDTH                      0x0B21
#define GL_ALIASED_LINE_WIDTH_RANGE        0x846E
#define GL_CURRENT_COLOR                   0x0B00
#define GL_CURRENT_NORMAL                  0x0B02
#define GL_COLOR_CLEAR_VALUE               0x0C22
#define GL_DEPTH_WRITEMASK                 0x0B72
#define GL_COLOR_WRITEMASK                 0x0C23
#define GL_MAX_MODELVIEW_STACK_DEPTH       0x0D36
#define GL_MODELVIEW_STACK_DEPTH           0x0BA3
#define GL_PROJECTION_STACK_DEPTH          0x0BA4
#define GL_SCISSOR_BOX                     0x0C10
#define GL_DEPTH_FUNC                      0x0B74
#define GL_BLEND_SRC                       0x0BE1
#define GL_BLEND_DST                       0x0BE0
#define GL_ALPHA_TEST_FUNC                 0x0BC1
#define GL_ALPHA_TEST_REF                  0x0BC2
#define GL_CULL_FACE_MODE                  0x0B45
#define GL_FRONT_FACE                      0x0B46
#define GL_POLYGON_MODE                    0x0B40
#define GL_PACK_ALIGNMENT                  0x0D05
#define GL_UNPACK_ALIGNMENT                0x0CF5
#define GL_COLOR_INDEX                     0x1900
#define GL_DEPTH_COMPONENT                 0x1902

/* immediate mode */
GLAPI void GLAPIENTRY glBegin(GLenum mode);
GLAPI void GLAPIENTRY glEnd(void);
GLAPI void GLAPIENTRY glVertex2i(GLint x, GLint y);
GLAPI void GLAPIENTRY glVertex2f(GLfloat x, GLfloat y);
GLAPI void GLAPIENTRY glVertex2d(GLdouble x, GLdouble y);
GLAPI void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glVertex3fv(const GLfloat* v);
GLAPI void GLAPIENTRY glVertex3dv(const GLdouble* v);
GLAPI void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glNormal3d(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glNormal3fv(const GLfloat* v);
GLAPI void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b);
GLAPI void GLAPIENTRY glColor3d(GLdouble r, GLdouble g, GLdouble b);
GLAPI void GLAPIENTRY glColor3ub(GLubyte r, GLubyte g, GLubyte b);
GLAPI void GLAPIENTRY glColor3fv(const GLfloat* v);
GLAPI void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
GLAPI void GLAPIENTRY glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a);
GLAPI void GLAPIENTRY glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
GLAPI void GLAPIENTRY glColor4fv(const GLfloat* v);
GLAPI void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t);
GLAPI void GLAPIENTRY glTexCoord2d(GLdouble s, GLdouble t);
GLAPI void GLAPIENTRY glRecti(GLint x1, GLint y1, GLint x2, GLint y2);
GLAPI void GLAPIENTRY glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2);
GLAPI void GLAPIENTRY glRectd(GLdouble x1, GLdouble y1, GLdouble x2, GLdouble y2);

/* matrices */
GLAPI void GLAPIENTRY glMatrixMode(GLenum mode);
GLAPI void GLAPIENTRY glPushMatrix(void);
GLAPI void GLAPIENTRY glPopMatrix(void);
GLAPI void GLAPIENTRY glLoadIdentity(void);
GLAPI void GLAPIENTRY glLoadMatrixf(const GLfloat* m);
GLAPI void GLAPIENTRY glLoadMatrixd(const GLdouble* m);
GLAPI void GLAPIENTRY glMultMatrixf(const GLfloat* m);
GLAPI void GLAPIENTRY glMultMatrixd(const GLdouble* m);
GLAPI void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z);
GLAPI void GLAPIENTRY glScaled(GLdouble x, GLdouble y, GLdouble z);
GLAPI void GLAPIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
GLAPI void GLAPIENTRY glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar);
GLAPI void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

/* display lists */
GLAPI GLuint GLAPIENTRY glGenLists(GLsizei range);
GLAPI void GLAPIENTRY glNewList(GLuint list, GLenum mode);
GLAPI void GLAPIENTRY glEndList(void);
GLAPI void GLAPIENTRY glCallList(GLuint list);
GLAPI void GLAPIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists);
GLAPI void GLAPIENTRY glListBase(GLuint base);
GLAPI void GLAPIENTRY glDeleteLists(GLuint list, GLsizei range);
GLAPI GLboolean GLAPIENTRY glIsList(GLuint list);

/* state */
GLAPI void GLAPIENTRY glEnable(GLenum cap);
GLAPI void GLAPIENTRY glDisable(GLenum cap);
GLAPI GLboolean GLAPIENTRY glIsEnabled(GLenum cap);
GLAPI void GLAPIENTRY glPushAttrib(GLbitfield mask);
GLAPI void GLAPIENTRY glPopAttrib(void);
GLAPI void GLAPIENTRY glLightf(GLenum light, GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glLightModelfv(GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glColorMaterial(GLenum face, GLenum mode);
GLAPI void GLAPIENTRY glShadeModel(GLenum mode);
GLAPI void GLAPIENTRY glFogi(GLenum pname, GLint param);
GLAPI void GLAPIENTRY glFogf(GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glFogfv(GLenum pname, const GLfloat* params);
GLAPI void GLAPIENTRY glBlendFunc(GLenum sfactor, GLenum dfactor);
GLAPI void GLAPIENTRY glAlphaFunc(GLenum func, GLclampf ref);
GLAPI void GLAPIENTRY glDepthFunc(GLenum func);
GLAPI void GLAPIENTRY glDepthMask(GLboolean flag);
GLAPI void GLAPIENTRY glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
GLAPI void GLAPIENTRY glCullFace(GLenum mode);
GLAPI void GLAPIENTRY glFrontFace(GLenum mode);
GLAPI void GLAPIENTRY glPolygonMode(GLenum face, GLenum mode);
GLAPI void GLAPIENTRY glLineWidth(GLfloat width);
GLAPI void GLAPIENTRY glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
GLAPI void GLAPIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
GLAPI void GLAPIENTRY glClearDepth(GLclampd depth);
GLAPI void GLAPIENTRY glClear(GLbitfield mask);

/* textures and pixels */
GLAPI void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures);
GLAPI void GLAPIENTRY glDeleteTextures(GLsizei n, const GLuint* textures);
GLAPI void GLAPIENTRY glBindTexture(GLenum target, GLuint texture);
GLAPI void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                                   GLint border, GLenum format, GLenum type, const GLvoid* pixels);
GLAPI void GLAPIENTRY glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                                      GLenum format, GLenum type, const GLvoid* pixels);
GLAPI void GLAPIENTRY glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y,
                                       GLsizei width, GLsizei height, GLint border);
GLAPI void GLAPIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param);
GLAPI void GLAPIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glTexEnvi(GLenum target, GLenum pname, GLint param);
GLAPI void GLAPIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param);
GLAPI void GLAPIENTRY glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params);
GLAPI void GLAPIENTRY glPixelStorei(GLenum pname, GLint param);
GLAPI void GLAPIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                                   GLvoid* pixels);

/* queries */
GLAPI void GLAPIENTRY glGetBooleanv(GLenum pname, GLboolean* params);
GLAPI void GLAPIENTRY glGetIntegerv(GLenum pname, GLint* params);
GLAPI void GLAPIENTRY glGetFloatv(GLenum pname, GLfloat* params);
GLAPI void GLAPIENTRY glGetDoublev(GLenum pname, GLdouble* params);
GLAPI const GLubyte* GLAPIENTRY glGetString(GLenum name);
GLAPI GLenum GLAPIENTRY glGetError(void);
GLAPI void GLAPIENTRY glFinish(void);
GLAPI void GLAPIENTRY glFlush(void);

#ifdef __cplusplus
}
#endif

#endif
