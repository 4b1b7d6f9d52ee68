#pragma once
// Where a picture leaves a mark, so that its quad can be drawn on those
// pixels only.
//
// Under source-alpha blending (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, added)
// with the texture modulating the colour and no depth test, a fragment whose
// alpha is 0 leaves its pixel exactly as it was: the blend multiplies the
// colour by 0 and the pixel by 1. Many of the show's pictures are mostly
// transparent (the tonearm covers 3% of its square), so most of what their
// quads cost is fragments that change nothing. inkedPictureQuad draws the very
// same pictureQuad (same vertices, so every pixel it draws gets the same
// value) once for each of a few disjoint window rectangles, with the scissor
// box narrowed to it for that draw: together they hold every pixel whose
// linear-filtered sample can reach a texel of alpha above 0, and no pixel
// is drawn twice. The window is cut into cells of 16 x 32 pixels; a cell is
// kept when the texels its pixels' samples can read, found by mapping the
// cell's corners back onto the quad's plane, share a block of 4 x 4 texels
// with an inked one (blocks keep the tables small; a cell kept for a block's
// blank texels only draws fragments that change nothing); the kept
// cells of a row of cells make rectangles (runs, with gaps of up to three
// cells drawn through, so a ring keeps its hole), and a run the same as one
// in the row before extends it; when the rectangles
// spare fewer pixels than a draw of its own costs (4096 for each one past
// the first), their bounding box is drawn instead. Nothing is drawn when
// no cell is kept. When the GL state is not the one above, the quad is drawn
// as it is. (In the browser build every quad is drawn whole.)
#include <vector>

class Texture;

class PictureInk {
public:
    // Reads level 0 of `texture` back (a GL context current; the texture is
    // left bound) and finds its blocks of kBlock x kBlock texels that hold
    // an inked texel (alpha above 0).
    void measure(const Texture& texture);

    // Whether columns [c0, c1] and rows [r0, r1] of the repeating texture,
    // any integers with c0 <= c1 and r0 <= r1, meet an inked block: true
    // wherever a texel in them is inked, and near one (in the same block).
    bool inked(long c0, long c1, long r0, long r1) const;

    static constexpr int kBlock = 4;
    unsigned glName = 0;  // the texture measured
    int width = 0;        // texels of level 0
    int height = 0;

private:
    // Inked blocks above and left of each block corner: (blocks across + 1)
    // x (blocks down + 1).
    std::vector<unsigned> below;
    // Inked blocks among blocks [b0, b1] x [d0, d1], ends included.
    unsigned count(int b0, int b1, int d0, int d1) const;
};

// pictureQuad(halfWidth, halfHeight, left, span) (scenes/Quads.h) with the
// texture measured as `ink` bound, drawn only where it can change a pixel
// (nowhere when the current colour's alpha is 0).
//
// With the depth test on, a transparent fragment still writes its depth;
// the quad is then drawn whole unless the caller passes
// TransparentDepth::NeverRead: it knows that nothing drawn later in the
// frame is depth-tested where the quad's transparent part lies (nothing
// behind it overlaps it on screen, say), so those depth values are never
// read before the next clear.
enum class TransparentDepth { MayBeRead, NeverRead };
void inkedPictureQuad(const PictureInk& ink, float halfWidth, float halfHeight, float left = 0.0f,
                      float span = 1.0f, TransparentDepth depth = TransparentDepth::MayBeRead);
// Small pictures gain nothing: the show's stars (a unit quad at depth 6,
// about 100 pixels across) drawn so cost more than they spare.
