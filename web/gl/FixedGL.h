#pragma once
// The show's OpenGL 1.x in the browser: the fixed-function calls the scenes,
// the texture and the font make (immediate-mode primitives, the matrix
// stacks, display lists, textures, blending, depth test, scissor, clears,
// a framebuffer object drawn into instead of the canvas, state queries)
// carried out on WebGL with one shader pair that does what the fixed
// pipeline does for the show: the vertex colour (clamped to 0..1) times the
// texture's texel when 2-D texturing is on (modulate), the colour alone
// when it is off. GLU's quadrics and perspective are in Quadric.cpp.
//
// The entry points are the ordinary ones (glBegin, glTranslatef, ...) with C
// linkage, declared by <GL/gl.h>; only the browser build compiles them, and
// they reach WebGL through Emscripten's emscripten_gl* names.
//
// How it draws: glEnd transforms its vertices by projection x modelview on
// the CPU (in float, as Mesa does), splits quads, strips and fans into
// triangles and appends them to one batch; the batch is drawn whenever a
// state that changes its look is about to change (texture, blending, depth,
// clear, ...) and at finishFrame(). A display list is the recorded sequence
// of its commands, replayed by glCallList: vertices in a list take the
// colour current when the list is called, as in GL.
//
// Only the calls the show makes are here, and of the primitives only quads,
// quad strips and triangle fans; lighting (normals are dropped), texture
// environments other than modulate, client arrays and the rest are not.
// A call of the family that Emscripten's headers declare but that is not
// defined here fails at link time, so nothing silently does nothing.
#include <string>

namespace fixedgl {

// Compiles the shader pair, makes the vertex buffer and sets GL's initial
// state; a WebGL context must be current. False (with *why) when WebGL
// refuses the shaders.
bool start(std::string* why);

// Draws the triangles waiting in the batch. Call before the browser takes
// the frame (the end of a frame) and before reading pixels.
void finishFrame();

// Deletes every texture name and display list made since start: what the
// end of a context does on the desktop, so the show can be loaded again.
void releaseAll();

}  // namespace fixedgl
