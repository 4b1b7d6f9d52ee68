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
// value) with the scissor box narrowed, for that one quad, to the window
// rectangle that holds every pixel whose linear-filtered sample can reach a
// texel of alpha above 0; it draws nothing at all when no such pixel is on
// the picture. When the GL state is not the one above it draws the quad as
// it is.
#include <vector>

class Texture;

class PictureInk {
public:
    // Reads level 0 of `texture` back (a GL context current; the texture is
    // left bound): for each column, the first and last row whose alpha is
    // above 0.
    void measure(const Texture& texture);

    unsigned glName = 0;  // the texture measured
    int width = 0;        // texels of level 0
    int height = 0;
    std::vector<int> firstRow, lastRow;  // per column; first > last where the column is clear
};

// pictureQuad(halfWidth, halfHeight, left, span) (scenes/Quads.h) with the
// texture measured as `ink` bound, drawn only where it can change a pixel.
void inkedPictureQuad(const PictureInk& ink, float halfWidth, float halfHeight, float left = 0.0f,
                      float span = 1.0f);
