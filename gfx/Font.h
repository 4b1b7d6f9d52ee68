#pragma once
// The bitmap font: one sheet texture of 16 x 16 glyph cells read from
// dataPath("font.fnt") (a 256x256, 32-bit TGA; glyphs show where alpha > 0).
// Each glyph is drawn as a 16x16 textured square, and the pen moves 10 units
// right after it.
//
// Sheet layout, as the reader delivers it (row 0 first in memory, which is
// texture row t = 0). Glyph g sits in cell column g % 16, cell row g / 16;
// cell row 0 occupies the LAST 16 pixel rows, and each glyph is stored upside
// down there (its top on screen is its highest-numbered pixel row):
//
//   pixel row   0 +----+----+-- ... --+----+   t = 0
//                 |240 |241 |         |255 |   cell row 15  (glyphs 240..255)
//              16 +----+----+-- ... --+----+
//                 :    :    :         :    :
//             224 +----+----+-- ... --+----+
//                 | 16 | 17 |         | 31 |   cell row 1   (glyphs 16..31)
//             240 +----+----+-- ... --+----+
//                 |  0 |  1 |         | 15 |   cell row 0   (glyphs 0..15)
//             255 +----+----+-- ... --+----+   t = 1
//                 col 0: pixels 0..15, col 1: 16..31, ... col 15: 240..255
//
// Glyph g spans s = (g%16)/16 .. +1/16 and t = 1-(g/16)/16-1/16 .. 1-(g/16)/16.
// In file terms: a sheet drawn the usual way (glyph row 0 first, each glyph's
// top row first) and saved bottom-row-first (descriptor bit 5 clear) with its
// rows in that drawing order shows upright text.
//
// Characters: glyph = code - 32 + 128 * set, the code read as a signed byte.
// Set 0 is glyphs 0..127, set 1 is glyphs 128..255; space is glyph 0 (128).
// Printable ASCII (32..126) is on the sheet in both sets; a character whose
// glyph falls outside 0..255 (codes below 32 in set 0, bytes above 127 in
// set 0) is not on the sheet and print() leaves it out.
//
// Ownership and state:
//   - A Font is a plain member of its scene and calls no GL function until
//     build(), which the scene calls while loading (GL context current). The
//     sheet is read like every picture (gfx/Pictures.h) and released once
//     uploaded. The texture name ends with the context.
//   - print() leaves the matrix mode GL_MODELVIEW, the sheet texture bound and
//     depth testing enabled; colour, blending and GL_TEXTURE_2D are the
//     caller's and are not touched.
#include "gfx/Texture.h"

class Font {
public:
    // Reads the sheet and uploads it (with the by-size red/blue exchange).
    // A sheet that cannot be used is reported as every picture is and
    // uploaded as 256x256 transparent black, so captions are invisible.
    void build();

    // Prints text with its first glyph's lower-left corner at (x, y) of a
    // 640x480 space whose origin is the window's lower-left corner; glyphs
    // are 16*scale square and advance 10*scale. set: 0 or 1, above 1 counts as
    // 1, below 0 as 0. A null text prints nothing. Characters not on the sheet
    // (see above) draw nothing and do not move the pen.
    void print(double x, double y, float scale, const char* text, int set);

    Texture texture;  // the sheet
};
