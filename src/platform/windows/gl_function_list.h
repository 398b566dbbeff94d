#pragma once
// The GL entry points beyond OpenGL 1.1 that the program calls: name, pointer type, result,
// parameters and arguments, with the prototypes of <GL/glext.h>. A bind of framebuffer 0 goes to
// the headless picture's framebuffer where there is one (gl_functions.h).
#define LUMIVANE_GL_FUNCTIONS(X) \
    X(glActiveTexture, PFNGLACTIVETEXTUREPROC, void, (GLenum texture), (texture)) \
    X(glAttachShader, PFNGLATTACHSHADERPROC, void, (GLuint program, GLuint shader), (program, shader)) \
    X(glBindBuffer, PFNGLBINDBUFFERPROC, void, (GLenum target, GLuint buffer), (target, buffer)) \
    X(glBindFramebuffer, PFNGLBINDFRAMEBUFFERPROC, void, (GLenum target, GLuint framebuffer), (target, platform::gl::framebufferFor(framebuffer))) \
    X(glBindRenderbuffer, PFNGLBINDRENDERBUFFERPROC, void, (GLenum target, GLuint renderbuffer), (target, renderbuffer)) \
    X(glBlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC, void, (GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter), (srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter)) \
    X(glBufferData, PFNGLBUFFERDATAPROC, void, (GLenum target, GLsizeiptr size, const void *data, GLenum usage), (target, size, data, usage)) \
    X(glCheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC, GLenum, (GLenum target), (target)) \
    X(glCompileShader, PFNGLCOMPILESHADERPROC, void, (GLuint shader), (shader)) \
    X(glCreateProgram, PFNGLCREATEPROGRAMPROC, GLuint, (void), ()) \
    X(glCreateShader, PFNGLCREATESHADERPROC, GLuint, (GLenum type), (type)) \
    X(glDeleteBuffers, PFNGLDELETEBUFFERSPROC, void, (GLsizei n, const GLuint *buffers), (n, buffers)) \
    X(glDeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC, void, (GLsizei n, const GLuint *framebuffers), (n, framebuffers)) \
    X(glDeleteProgram, PFNGLDELETEPROGRAMPROC, void, (GLuint program), (program)) \
    X(glDeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC, void, (GLsizei n, const GLuint *renderbuffers), (n, renderbuffers)) \
    X(glDeleteShader, PFNGLDELETESHADERPROC, void, (GLuint shader), (shader)) \
    X(glFramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC, void, (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer), (target, attachment, renderbuffertarget, renderbuffer)) \
    X(glFramebufferTexture2D, PFNGLFRAMEBUFFERTEXTURE2DPROC, void, (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level), (target, attachment, textarget, texture, level)) \
    X(glGenBuffers, PFNGLGENBUFFERSPROC, void, (GLsizei n, GLuint *buffers), (n, buffers)) \
    X(glGenFramebuffers, PFNGLGENFRAMEBUFFERSPROC, void, (GLsizei n, GLuint *framebuffers), (n, framebuffers)) \
    X(glGenRenderbuffers, PFNGLGENRENDERBUFFERSPROC, void, (GLsizei n, GLuint *renderbuffers), (n, renderbuffers)) \
    X(glGetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC, void, (GLuint program, GLsizei bufSize, GLsizei *length, GLchar *infoLog), (program, bufSize, length, infoLog)) \
    X(glGetProgramiv, PFNGLGETPROGRAMIVPROC, void, (GLuint program, GLenum pname, GLint *params), (program, pname, params)) \
    X(glGetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC, void, (GLuint shader, GLsizei bufSize, GLsizei *length, GLchar *infoLog), (shader, bufSize, length, infoLog)) \
    X(glGetShaderiv, PFNGLGETSHADERIVPROC, void, (GLuint shader, GLenum pname, GLint *params), (shader, pname, params)) \
    X(glGetUniformLocation, PFNGLGETUNIFORMLOCATIONPROC, GLint, (GLuint program, const GLchar *name), (program, name)) \
    X(glLinkProgram, PFNGLLINKPROGRAMPROC, void, (GLuint program), (program)) \
    X(glMapBufferRange, PFNGLMAPBUFFERRANGEPROC, void *, (GLenum target, GLintptr offset, GLsizeiptr length, GLbitfield access), (target, offset, length, access)) \
    X(glRenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC, void, (GLenum target, GLenum internalformat, GLsizei width, GLsizei height), (target, internalformat, width, height)) \
    X(glRenderbufferStorageMultisample, PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, void, (GLenum target, GLsizei samples, GLenum internalformat, GLsizei width, GLsizei height), (target, samples, internalformat, width, height)) \
    X(glShaderSource, PFNGLSHADERSOURCEPROC, void, (GLuint shader, GLsizei count, const GLchar *const*string, const GLint *length), (shader, count, string, length)) \
    X(glUniform1i, PFNGLUNIFORM1IPROC, void, (GLint location, GLint v0), (location, v0)) \
    X(glUniform2i, PFNGLUNIFORM2IPROC, void, (GLint location, GLint v0, GLint v1), (location, v0, v1)) \
    X(glUnmapBuffer, PFNGLUNMAPBUFFERPROC, GLboolean, (GLenum target), (target)) \
    X(glUseProgram, PFNGLUSEPROGRAMPROC, void, (GLuint program), (program))
