#pragma once
// What the driver needs to run frames of the show that nobody sees: before
// the first frame shown after --start-at, before a recording's first frame,
// and after a jump with the watching keys. The picture at show time S is
// the one the show draws after every frame from 0 to S (scenes step values
// from frame to frame and hand the OpenGL state on), so the driver runs
// those frames first: in a tiny framebuffer of the same context (the
// scenes' textures and display lists live there), all but the last few,
// which may still be the picture shown at S (in a gap nothing is drawn).
#include "app/Surface.h"

#include <cstdint>

// The OpenGL state the show's frames hand on to each other: clear colour,
// current colour, texture coordinate and normal, texturing, blending and
// its function, depth test, the bound texture, the display-list base, both
// matrices and the matrix mode. read() takes it from the current context,
// apply() puts it back there.
struct CarriedGLState {
    float clearColour[4] = {};
    float colour[4] = {};
    float texCoord[4] = {};
    float normal[3] = {};
    bool texturing = false, blending = false, depthTest = false;
    int blendSource = 0, blendDestination = 0;
    int boundTexture = 0;
    int listBase = 0;
    int matrixMode = 0;
    float modelview[16] = {}, projection[16] = {};

    static CarriedGLState read();
    void apply() const;
};

// Drawing that leaves no pixel anywhere, for frames nobody sees. Between
// begin() and end() a framebuffer object of a few pixels is the one drawn
// into, viewport and scissor box on it: every command and the state it sets
// work as always, and each frame costs little more than its commands.
// (Selection mode, rasterizer discard or an empty scissor box would cost a
// little less, but with them the driver's memory goes on growing from one
// context to the next.) end() puts back the framebuffer, viewport, scissor
// box and scissor test that were in force. The framebuffer is made on the
// first begin(); its names end with the context, so the object makes no
// OpenGL call when it goes.
class UnseenDrawing {
public:
    static constexpr int kWidth = 4, kHeight = 3;

    void begin();
    void end();

private:
    unsigned framebuffer = 0, colourBuffer = 0;
    int savedDraw = 0, savedRead = 0;
    int savedViewport[4] = {}, savedScissor[4] = {};
    bool savedScissorTest = false;
};
