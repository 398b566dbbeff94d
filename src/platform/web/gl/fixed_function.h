// The show's fixed-function OpenGL 1.1 and GLU over WebGL 2: a layer of our own in the web backend.
//
// Headers. The code above the platform includes <GL/gl.h>, <GL/glu.h> and <GL/glext.h> as on the
// desktop. The web build puts src/platform/web/include first on its include path; those headers
// declare exactly what lumivane calls (GL 1.1 with immediate mode and display lists; the
// framebuffer, pixel-pack buffer and shader calls of the picture target and frame output; GLU's
// tessellator, gluPerspective, gluLookAt, gluScaleImage). This layer defines every one of them.
//
// Building. Sources: src/platform/web/gl/*.cpp, compiled with -I src/platform/web/include. The GLU
// tessellator is Debian's libglu libtess: `scripts/fetch-glu-source.sh DIR` fetches the source into
// DIR and builds DIR/libtess.a with emcc (it prints the path); link it. Link flags:
// -sMAX_WEBGL_VERSION=2 -sMIN_WEBGL_VERSION=2 (the layer calls WebGL through emscripten_gl*, so no
// -sLEGACY_GL_EMULATION and no -sFULL_ES2/3).
//
// Initialising. Create the canvas context with emscripten_webgl_create_context (majorVersion 2,
// alpha false, depth false, stencil false, antialias false; preserveDrawingBuffer as the page
// needs), make it current, then call webgl::initialise(). The layer draws into a picture of its own
// (RGB8 colour and a 16-bit depth buffer, as the desktop's pixel format) that stands for the default
// framebuffer 0: glBindFramebuffer(..., 0), glReadPixels and glCopyTexImage2D all see it.
//
// Per frame. Call webgl::presentFrame() where the desktop swaps buffers: it copies the picture to
// the canvas. It also follows the canvas: when the drawing buffer's size changed, the next frame
// draws at the new size (glViewport stays the caller's business, as on the desktop).
//
// What the layer does: immediate mode with current colour, normal and texture coordinate kept
// between vertices; every primitive of GL 1.1, quads, strips and polygons split as Mesa splits
// them; lines of any width as screen-space quads widened along the minor axis (GL's aliased wide
// lines); modelview, projection and texture stacks in single precision as Mesa keeps them; display
// lists recorded once into vertex buffers (matrix and state calls replayed, colour and normal taken
// from the current values where the list sets none); light 0 positional or directional with
// materials and GL_COLOR_MATERIAL, lit per vertex with GL 1.1's equation; linear, exp and exp2 fog
// on the eye distance; textures with modulate, replace or decal; alpha test; blending, depth,
// culling, masks, scissor; glPushAttrib/glPopAttrib. Each draw picks a shader for its features
// (lighting, texture, fog, alpha test, wide line) and sends the uniforms whose values changed.
// Immediate-mode vertices are gathered until the state changes; a batch that comes a second time
// (the show redraws its models every frame, one model many times a frame) gets a buffer of its
// own and is not sent again while it keeps coming.
// glPolygonMode(GL_LINE) outlines immediate-mode polygons (lists stay filled). What cannot exist
// on WebGL fails as the desktop code expects: no texture generation, one light,
// glRenderbufferStorageMultisample beyond the browser's samples is a GL error.
//
// Tested by tests/web/gl_feature_test.sh: one small scene per feature, drawn on Mesa and on this
// layer in headless Chromium, compared pixel by pixel.
#pragma once

#include <string>

namespace webgl {

// Takes over the WebGL 2 context current on this thread. False with the reason when it is not
// WebGL 2 or the picture buffer cannot be made.
bool initialise(std::string* error = nullptr);

// Ends a frame: copies the picture to the canvas and follows a changed canvas size.
void presentFrame();

// The picture's size in pixels (the canvas drawing buffer's at the last initialise or present).
int pictureWidth();
int pictureHeight();

}  // namespace webgl
