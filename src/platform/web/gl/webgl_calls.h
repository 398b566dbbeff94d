// The WebGL 2 entry points the layer calls, as emscripten exports them (emscripten_gl*), declared
// with our GL types: emscripten's own GLES headers would clash with the GL 1.1 names we define.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

extern "C" {
void emscripten_glActiveTexture (GLenum texture);
void emscripten_glAttachShader (GLuint program, GLuint shader);
void emscripten_glBindAttribLocation (GLuint program, GLuint index, const GLchar *name);
void emscripten_glBindBuffer (GLenum target, GLuint buffer);
void emscripten_glBindFramebuffer (GLenum target, GLuint framebuffer);
void emscripten_glBindRenderbuffer (GLenum target, GLuint renderbuffer);
void emscripten_glBindTexture (GLenum target, GLuint texture);
void emscripten_glBlendFunc (GLenum sfactor, GLenum dfactor);
void emscripten_glBufferData (GLenum target, GLsizeiptr size, const void *data, GLenum usage);
void emscripten_glBufferSubData (GLenum target, GLintptr offset, GLsizeiptr size, const void *data);
GLenum emscripten_glCheckFramebufferStatus (GLenum target);
void emscripten_glClear (GLbitfield mask);
void emscripten_glClearColor (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void emscripten_glClearDepthf (GLfloat d);
void emscripten_glColorMask (GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
void emscripten_glCompileShader (GLuint shader);
void emscripten_glCopyTexImage2D (GLenum target, GLint level, GLenum internalformat, GLint x, GLint y, GLsizei width, GLsizei height, GLint border);
GLuint emscripten_glCreateProgram (void);
GLuint emscripten_glCreateShader (GLenum type);
void emscripten_glCullFace (GLenum mode);
void emscripten_glDeleteBuffers (GLsizei n, const GLuint *buffers);
void emscripten_glDeleteFramebuffers (GLsizei n, const GLuint *framebuffers);
void emscripten_glDeleteProgram (GLuint program);
void emscripten_glDeleteRenderbuffers (GLsizei n, const GLuint *renderbuffers);
void emscripten_glDeleteShader (GLuint shader);
void emscripten_glDeleteTextures (GLsizei n, const GLuint *textures);
void emscripten_glDepthFunc (GLenum func);
void emscripten_glDepthMask (GLboolean flag);
void emscripten_glDisable (GLenum cap);
void emscripten_glDisableVertexAttribArray (GLuint index);
void emscripten_glDrawArrays (GLenum mode, GLint first, GLsizei count);
void emscripten_glEnable (GLenum cap);
void emscripten_glEnableVertexAttribArray (GLuint index);
void emscripten_glFinish (void);
void emscripten_glFlush (void);
void emscripten_glFramebufferRenderbuffer (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer);
void emscripten_glFramebufferTexture2D (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level);
void emscripten_glFrontFace (GLenum mode);
void emscripten_glGenBuffers (GLsizei n, GLuint *buffers);
void emscripten_glGenFramebuffers (GLsizei n, GLuint *framebuffers);
void emscripten_glGenRenderbuffers (GLsizei n, GLuint *renderbuffers);
void emscripten_glGenTextures (GLsizei n, GLuint *textures);
GLenum emscripten_glGetError (void);
void emscripten_glGetIntegerv (GLenum pname, GLint *data);
void emscripten_glGetFloatv (GLenum pname, GLfloat *data);
void emscripten_glGetProgramInfoLog (GLuint program, GLsizei bufSize, GLsizei *length, GLchar *infoLog);
void emscripten_glGetProgramiv (GLuint program, GLenum pname, GLint *params);
void emscripten_glGetShaderInfoLog (GLuint shader, GLsizei bufSize, GLsizei *length, GLchar *infoLog);
void emscripten_glGetShaderiv (GLuint shader, GLenum pname, GLint *params);
GLint emscripten_glGetUniformLocation (GLuint program, const GLchar *name);
void emscripten_glLinkProgram (GLuint program);
void emscripten_glPixelStorei (GLenum pname, GLint param);
void emscripten_glReadPixels (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void *pixels);
void emscripten_glRenderbufferStorage (GLenum target, GLenum internalformat, GLsizei width, GLsizei height);
void emscripten_glScissor (GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glShaderSource (GLuint shader, GLsizei count, const GLchar *const*string, const GLint *length);
void emscripten_glTexImage2D (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const void *pixels);
void emscripten_glTexSubImage2D (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height, GLenum format, GLenum type, const void *pixels);
void emscripten_glTexParameteri (GLenum target, GLenum pname, GLint param);
void emscripten_glUniform1f (GLint location, GLfloat v0);
void emscripten_glUniform1i (GLint location, GLint v0);
void emscripten_glUniform2i (GLint location, GLint v0, GLint v1);
void emscripten_glUniform2f (GLint location, GLfloat v0, GLfloat v1);
void emscripten_glUniform3fv (GLint location, GLsizei count, const GLfloat *value);
void emscripten_glUniform4fv (GLint location, GLsizei count, const GLfloat *value);
void emscripten_glUniform4f (GLint location, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3);
void emscripten_glUniformMatrix3fv (GLint location, GLsizei count, GLboolean transpose, const GLfloat *value);
void emscripten_glUniformMatrix4fv (GLint location, GLsizei count, GLboolean transpose, const GLfloat *value);
void emscripten_glUseProgram (GLuint program);
void emscripten_glVertexAttrib4f (GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w);
void emscripten_glVertexAttrib3f (GLuint index, GLfloat x, GLfloat y, GLfloat z);
void emscripten_glVertexAttrib2f (GLuint index, GLfloat x, GLfloat y);
void emscripten_glVertexAttribPointer (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void *pointer);
void emscripten_glViewport (GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glBlitFramebuffer (GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter);
void emscripten_glRenderbufferStorageMultisample (GLenum target, GLsizei samples, GLenum internalformat, GLsizei width, GLsizei height);
void emscripten_glReadBuffer (GLenum src);
const GLubyte *emscripten_glGetString (GLenum name);
}
