#pragma once
// The OpenGL side of frames nobody sees (scenes/ShowReplay.h): the state
// the show's frames hand on to each other, and a drawing target that
// leaves no pixel. Both build on the calls the desktop's GL and the
// browser's layer (web/gl/) have in common.
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
