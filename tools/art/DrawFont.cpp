// The font sheet: 16 x 16 cells of 16 x 16 pixels. Glyph g sits in cell
// column g % 16, cell row g / 16, counted from the top of the picture drawn
// here; character c of set s is glyph c - 32 + 128 * s. Set 0 (glyphs
// 0-127) is a clean bold sans, set 1 (128-255) a rounder disco face with a
// gold-to-magenta fill. Every glyph has a dark outline so captions read on
// the show's orange and yellow grounds. Codes 127-159 have no glyph.
//
// A caption advances 10 units per character over 16-unit quads, so each
// glyph is centred on x = 5.5 of its cell and kept at most 11 pixels wide;
// a transparent rim of one pixel keeps neighbouring cells from bleeding in.
#include <cmath>
#include <string>

#include "Drawings.h"
#include "Paint.h"

namespace art {

namespace {

constexpr int kCell = 16;
constexpr double kBaseline = 12.0;  // from the top of the cell
constexpr double kCentreX = 5.5;
constexpr double kMaxInk = 9.0;     // fill width; the outline adds 2

void glyph(cairo_t* cr, int g, char ch, Face face, double size, bool disco) {
    const double x0 = (g % 16) * kCell, y0 = (g / 16) * kCell;
    const std::string text(1, ch);
    cairo_save(cr);
    cairo_rectangle(cr, x0 + 1, y0 + 1, kCell - 2, kCell - 2);
    cairo_clip(cr);
    useFace(cr, face, size);
    const cairo_text_extents_t e = inkOf(cr, text);
    const double squeeze = e.width > kMaxInk ? kMaxInk / e.width : 1.0;
    cairo_translate(cr, x0 + kCentreX, y0 + kBaseline);
    cairo_scale(cr, squeeze, 1.0);
    cairo_move_to(cr, -e.x_bearing - e.width / 2, 0);
    cairo_text_path(cr, text.c_str());
    cairo_identity_matrix(cr);  // outline width in pixels, path kept in pixels
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, disco ? 1.7 : 2.2);
    setColour(cr, disco ? pal::plum : hex(0x2A0A36));
    cairo_stroke(cr);
    cairo_append_path(cr, path);
    if (disco) {
        cairo_pattern_t* gr = cairo_pattern_create_linear(0, y0 + 2, 0, y0 + 14);
        addStop(gr, 0, pal::cream);
        addStop(gr, 0.35, pal::yellow);
        addStop(gr, 0.7, pal::orange);
        addStop(gr, 1, pal::magenta);
        cairo_set_source(cr, gr);
        cairo_fill(cr);
        cairo_pattern_destroy(gr);
    } else {
        setColour(cr, pal::white);
        cairo_fill(cr);
    }
    cairo_path_destroy(path);
    cairo_restore(cr);
}

}  // namespace

void drawFontSheet(cairo_t* cr, int w, int h) {
    (void)w;
    (void)h;
    for (int set = 0; set < 2; ++set)
        for (int c = 33; c <= 126; ++c)
            glyph(cr, c - 32 + 128 * set, static_cast<char>(c), set ? Face::GothicDemi : Face::SansBold,
                  set ? 15.0 : 12.5, set == 1);
}

}  // namespace art
