#include "gfx/Font.h"

#include <GL/gl.h>

#include "gfx/Pictures.h"

namespace {

// The glyph that prints c in `set` (0 or 1), or -1 when the character is
// not on the sheet. The character is read as a signed byte, as the glyph
// lists have always read text.
int glyphOf(char c, int set) {
    const int glyph = static_cast<signed char>(c) - 32 + 128 * set;
    return glyph >= 0 && glyph < 256 ? glyph : -1;
}

}  // namespace

void Font::build() {
    // A second build replaces the sheet of the first.
    loadPicture(texture, "font.fnt", RedBlueExchange::BySize);
}

void Font::print(double x, double y, float scale, const char* text, int set) {
    if (set > 1) set = 1;
    if (set < 0) set = 0;
    if (!text) text = "";
    texture.bind();
    // A line wholly above or below the 640x480 space covers no pixel: leave
    // its glyphs out (a scrolling roll holds many such lines) but leave the
    // same state behind as a line that was drawn.
    if (scale > 0.0f && (y > 480.0 || y + 16.0 * scale < 0.0)) {
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        return;
    }
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(x, y, 0);
    glScalef(scale, scale, scale);
    // The whole line is one batch of quads: one draw, however long the line
    // (with a draw per glyph, the greetings roll's frames held about 4 MiB
    // more in the driver).
    // Pen positions and texture coordinates are exact in float, so a glyph
    // lands on the same pixels as if drawn alone at its pen position. A
    // character whose glyph lies outside the sheet is left out (no glyph, no
    // advance).
    glBegin(GL_QUADS);
    int pen = 0;
    for (const char* c = text; *c; ++c) {
        const int g = glyphOf(*c, set);
        if (g < 0) continue;
        const float cx = float(g % 16) / 16.0f;
        const float cy = float(g / 16) / 16.0f;
        glTexCoord2f(cx, 1.0f - cy - 0.0625f);
        glVertex2i(pen, 0);
        glTexCoord2f(cx + 0.0625f, 1.0f - cy - 0.0625f);
        glVertex2i(pen + 16, 0);
        glTexCoord2f(cx + 0.0625f, 1.0f - cy);
        glVertex2i(pen + 16, 16);
        glTexCoord2f(cx, 1.0f - cy);
        glVertex2i(pen, 16);
        pen += 10;
    }
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}
