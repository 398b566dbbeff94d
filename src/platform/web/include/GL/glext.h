/* The OpenGL entry points past 1.1 that lumivane's picture target and frame output call (framebuffer
 * objects, pixel-pack buffers, one filter shader), for the web build over WebGL 2. */
#ifndef LUMIVANE_WEB_GLEXT_H
#define LUMIVANE_WEB_GLEXT_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GL_BGRA                            0x80E1
#define GL_CLAMP_TO_EDGE                   0x812F
#define GL_DEPTH_COMPONENT16               0x81A5
#define GL_DEPTH_COMPONENT24               0x81A6
#define GL_ARRAY_BUFFER                    0x8892
#define GL_PIXEL_PACK_BUFFER               0x88EB
#define GL_PIXEL_UNPACK_BUFFER             0x88EC
#define GL_PIXEL_PACK_BUFFER_BINDING       0x88ED
#define GL_PIXEL_UNPACK_BUFFER_BINDING     0x88EF
#define GL_STREAM_DRAW                     0x88E0
#define GL_STREAM_READ                     0x88E1
#define GL_STATIC_DRAW                     0x88E4
#define GL_DYNAMIC_DRAW                    0x88E8
#define GL_MAP_READ_BIT                    0x0001
#define GL_ARRAY_BUFFER_BINDING            0x8894
#define GL_FRAMEBUFFER                     0x8D40
#define GL_READ_FRAMEBUFFER                0x8CA8
#define GL_DRAW_FRAMEBUFFER                0x8CA9
#define GL_FRAMEBUFFER_BINDING             0x8CA6
#define GL_DRAW_FRAMEBUFFER_BINDING        0x8CA6
#define GL_READ_FRAMEBUFFER_BINDING        0x8CAA
#define GL_RENDERBUFFER                    0x8D41
#define GL_COLOR_ATTACHMENT0               0x8CE0
#define GL_DEPTH_ATTACHMENT                0x8D00
#define GL_FRAMEBUFFER_COMPLETE            0x8CD5
#define GL_MAX_RENDERBUFFER_SIZE           0x84E8
#define GL_MAX_SAMPLES                     0x8D57
#define GL_RENDERBUFFER_BINDING            0x8CA7
#define GL_FRAGMENT_SHADER                 0x8B30
#define GL_VERTEX_SHADER                   0x8B31
#define GL_COMPILE_STATUS                  0x8B81
#define GL_LINK_STATUS                     0x8B82
#define GL_INFO_LOG_LENGTH                 0x8B84
#define GL_CURRENT_PROGRAM                 0x8B8D
#define GL_TEXTURE0                        0x84C0
#define GL_ACTIVE_TEXTURE                  0x84E0
#define GL_RESCALE_NORMAL                  0x803A

GLAPI void GLAPIENTRY glGenFramebuffers(GLsizei n, GLuint* framebuffers);
GLAPI void GLAPIENTRY glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers);
GLAPI void GLAPIENTRY glBindFramebuffer(GLenum target, GLuint framebuffer);
GLAPI void GLAPIENTRY glFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textarget, GLuint texture,
                                             GLint level);
GLAPI void GLAPIENTRY glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                                GLuint renderbuffer);
GLAPI GLenum GLAPIENTRY glCheckFramebufferStatus(GLenum target);
GLAPI void GLAPIENTRY glGenRenderbuffers(GLsizei n, GLuint* renderbuffers);
GLAPI void GLAPIENTRY glDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers);
GLAPI void GLAPIENTRY glBindRenderbuffer(GLenum target, GLuint renderbuffer);
GLAPI void GLAPIENTRY glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height);
GLAPI void GLAPIENTRY glRenderbufferStorageMultisample(GLenum target, GLsizei samples, GLenum internalformat,
                                                       GLsizei width, GLsizei height);
GLAPI void GLAPIENTRY glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                                        GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter);

GLAPI void GLAPIENTRY glGenBuffers(GLsizei n, GLuint* buffers);
GLAPI void GLAPIENTRY glDeleteBuffers(GLsizei n, const GLuint* buffers);
GLAPI void GLAPIENTRY glBindBuffer(GLenum target, GLuint buffer);
GLAPI void GLAPIENTRY glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
GLAPI void* GLAPIENTRY glMapBufferRange(GLenum target, GLintptr offset, GLsizeiptr length, GLbitfield access);
GLAPI GLboolean GLAPIENTRY glUnmapBuffer(GLenum target);

GLAPI void GLAPIENTRY glActiveTexture(GLenum texture);
GLAPI GLuint GLAPIENTRY glCreateShader(GLenum type);
GLAPI void GLAPIENTRY glShaderSource(GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length);
GLAPI void GLAPIENTRY glCompileShader(GLuint shader);
GLAPI void GLAPIENTRY glGetShaderiv(GLuint shader, GLenum pname, GLint* params);
GLAPI void GLAPIENTRY glGetShaderInfoLog(GLuint shader, GLsizei bufSize, GLsizei* length, GLchar* infoLog);
GLAPI void GLAPIENTRY glDeleteShader(GLuint shader);
GLAPI GLuint GLAPIENTRY glCreateProgram(void);
GLAPI void GLAPIENTRY glAttachShader(GLuint program, GLuint shader);
GLAPI void GLAPIENTRY glLinkProgram(GLuint program);
GLAPI void GLAPIENTRY glGetProgramiv(GLuint program, GLenum pname, GLint* params);
GLAPI void GLAPIENTRY glGetProgramInfoLog(GLuint program, GLsizei bufSize, GLsizei* length, GLchar* infoLog);
GLAPI void GLAPIENTRY glDeleteProgram(GLuint program);
GLAPI void GLAPIENTRY glUseProgram(GLuint program);
GLAPI GLint GLAPIENTRY glGetUniformLocation(GLuint program, const GLchar* name);
GLAPI void GLAPIENTRY glUniform1i(GLint location, GLint v0);
GLAPI void GLAPIENTRY glUniform2i(GLint location, GLint v0, GLint v1);
GLAPI void GLAPIENTRY glUniform1f(GLint location, GLfloat v0);

#ifdef __cplusplus
}
#endif

#endif
