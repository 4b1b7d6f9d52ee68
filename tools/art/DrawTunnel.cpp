// Star tunnel scene: the portrait and the flower.
#include <cmath>

#include "Drawings.h"
#include "Paint.h"

namespace art {

void drawTia(cairo_t* cr, int w, int h) {
    // A stylised portrait in an arched frame: big hair, hoop earrings,
    // star-shaped shades, a wide collar; drawn for a 1 x 2 quad.
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_clip(cr);
    const double fx = 10, fy = 10, fw = w - 20, fh = h - 20;
    auto arch = [&](double inset) {
        const double x = fx + inset, y = fy + inset, ww = fw - 2 * inset, hh = fh - 2 * inset;
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + ww / 2, y + ww / 2, ww / 2, M_PI, 2 * M_PI);
        cairo_line_to(cr, x + ww, y + hh - 12);
        cairo_arc(cr, x + ww - 12, y + hh - 12, 12, 0, M_PI / 2);
        cairo_arc(cr, x + 12, y + hh - 12, 12, M_PI / 2, M_PI);
        cairo_close_path(cr);
    };
    arch(0);
    glowFill(cr, pal::magenta, 0.9, 6);
    arch(0);
    setColour(cr, pal::gold);
    cairo_fill(cr);
    arch(8);
    cairo_pattern_t* bg = cairo_pattern_create_linear(0, fy, 0, fy + fh);
    addStop(bg, 0, pal::purple);
    addStop(bg, 0.55, pal::magenta);
    addStop(bg, 1, pal::orange);
    cairo_set_source(cr, bg);
    cairo_fill(cr);
    cairo_pattern_destroy(bg);
    cairo_save(cr);
    arch(8);
    cairo_clip(cr);
    // sunrays behind her
    const double cx = w / 2.0, headY = h * 0.38;
    for (int i = 0; i < 18; ++i) {
        const double a = i * M_PI / 9;
        cairo_move_to(cr, cx, headY);
        cairo_arc(cr, cx, headY, h, a, a + M_PI / 18);
        cairo_close_path(cr);
    }
    setColour(cr, pal::yellow, 0.18);
    cairo_fill(cr);
    // shoulders and collar
    cairo_move_to(cr, cx - w * 0.48, h);
    cairo_curve_to(cr, cx - w * 0.45, h * 0.72, cx - w * 0.2, h * 0.66, cx, h * 0.66);
    cairo_curve_to(cr, cx + w * 0.2, h * 0.66, cx + w * 0.45, h * 0.72, cx + w * 0.48, h);
    cairo_close_path(cr);
    setColour(cr, pal::teal);
    cairo_fill(cr);
    for (int side = -1; side <= 1; side += 2) {  // big pointed collar
        cairo_move_to(cr, cx, h * 0.72);
        cairo_line_to(cr, cx + side * w * 0.3, h * 0.68);
        cairo_line_to(cr, cx + side * w * 0.14, h * 0.82);
        cairo_close_path(cr);
        setColour(cr, pal::cream);
        cairo_fill(cr);
    }
    // neck
    cairo_rectangle(cr, cx - w * 0.09, h * 0.5, w * 0.18, h * 0.2);
    setColour(cr, hex(0x9A5B3A));
    cairo_fill(cr);
    // hair: a big round afro of overlapping curls
    Random rnd(21);
    for (int i = 0; i < 90; ++i) {
        const double a = rnd.uniform(0, 2 * M_PI), rr = w * 0.36 * std::sqrt(rnd.uniform(0, 1));
        circle(cr, cx + rr * std::cos(a), headY - h * 0.02 + rr * std::sin(a) * 1.05, w * 0.1);
    }
    setColour(cr, hex(0x2A140C));
    cairo_fill(cr);
    for (int i = 0; i < 40; ++i) {
        const double a = rnd.uniform(M_PI, 2 * M_PI), rr = w * rnd.uniform(0.2, 0.36);
        cairo_arc(cr, cx + rr * std::cos(a), headY + rr * std::sin(a), w * 0.04, 3.6, 5.6);
        cairo_new_sub_path(cr);
    }
    setColour(cr, hex(0x6B3A22));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // face
    cairo_save(cr);
    cairo_translate(cr, cx, headY + h * 0.04);
    cairo_scale(cr, w * 0.2, h * 0.13);
    circle(cr, 0, 0, 1);
    cairo_restore(cr);
    cairo_pattern_t* skin = cairo_pattern_create_radial(cx - w * 0.05, headY, 2, cx, headY + h * 0.04, w * 0.25);
    addStop(skin, 0, hex(0xC88358));
    addStop(skin, 1, hex(0x8A4E30));
    cairo_set_source(cr, skin);
    cairo_fill(cr);
    cairo_pattern_destroy(skin);
    // star-shaped shades on a gold bridge
    const double eyeY = headY + h * 0.025;
    for (int side = -1; side <= 1; side += 2) {
        starPath(cr, cx + side * w * 0.09, eyeY, w * 0.1, w * 0.05, 5);
        setColour(cr, pal::magenta);
        cairo_fill_preserve(cr);
        setColour(cr, pal::gold);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
        sparkle(cr, cx + side * w * 0.09 - 4, eyeY - 4, 7, pal::white);
    }
    cairo_move_to(cr, cx - w * 0.02, eyeY - 2);
    cairo_line_to(cr, cx + w * 0.02, eyeY - 2);
    setColour(cr, pal::gold);
    cairo_stroke(cr);
    // lips
    const double my = headY + h * 0.11;
    cairo_move_to(cr, cx - w * 0.07, my);
    cairo_curve_to(cr, cx - w * 0.03, my - 7, cx, my - 3, cx, my - 3);
    cairo_curve_to(cr, cx, my - 3, cx + w * 0.03, my - 7, cx + w * 0.07, my);
    cairo_curve_to(cr, cx + w * 0.03, my + 8, cx - w * 0.03, my + 8, cx - w * 0.07, my);
    cairo_close_path(cr);
    setColour(cr, hex(0xD4145A));
    cairo_fill(cr);
    // hoop earrings
    for (int side = -1; side <= 1; side += 2) {
        circle(cr, cx + side * w * 0.2, headY + h * 0.1, w * 0.055);
        setColour(cr, pal::gold);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    arch(8);
    setColour(cr, pal::deepGold);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    sparkle(cr, w * 0.82, h * 0.1, 14, pal::yellow);
}

void drawFlower(cairo_t* cr, int w, int h) {
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_clip(cr);
    const double cx = w / 2.0, cy = h / 2.0, r = w * 0.46;
    auto petals = [&](int n, double len, double width, double turn, Rgb inner, Rgb outer) {
        for (int i = 0; i < n; ++i) {
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, turn + i * 2 * M_PI / n);
            cairo_move_to(cr, 0, 0);
            cairo_curve_to(cr, width, -len * 0.3, width, -len * 0.85, 0, -len);
            cairo_curve_to(cr, -width, -len * 0.85, -width, -len * 0.3, 0, 0);
            cairo_close_path(cr);
            cairo_restore(cr);
            cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, len * 0.2, cx, cy, len);
            addStop(g, 0, inner);
            addStop(g, 1, outer);
            cairo_set_source(cr, g);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(g);
            setColour(cr, pal::plum, 0.8);
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
        }
    };
    circle(cr, cx, cy, r * 0.9);
    glowFill(cr, pal::pink, 0.5, 8);
    petals(8, r, r * 0.42, 0, pal::pink, pal::magenta);
    petals(8, r * 0.68, r * 0.3, M_PI / 8, pal::yellow, pal::orange);
    // centre with seeds in a spiral
    circle(cr, cx, cy, r * 0.26);
    cairo_pattern_t* c = cairo_pattern_create_radial(cx - 5, cy - 5, 1, cx, cy, r * 0.26);
    addStop(c, 0, pal::yellow);
    addStop(c, 1, pal::amber);
    cairo_set_source(cr, c);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(c);
    setColour(cr, pal::plum);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    for (int i = 1; i < 40; ++i) {
        const double a = i * 2.39996, rr = r * 0.22 * std::sqrt(i / 40.0);
        circle(cr, cx + rr * std::cos(a), cy + rr * std::sin(a), 2.2);
    }
    setColour(cr, hex(0x8A3B00));
    cairo_fill(cr);
}

}  // namespace art
