// Credits scene: title, three name plates, the small picture above the first
// plate, the pulsing circle, the group logo and the star.
#include <cmath>
#include <string>

#include "Drawings.h"
#include "Paint.h"

namespace art {

namespace {

void clipInside(cairo_t* cr, int w, int h, double inset = 2) {
    cairo_rectangle(cr, inset, inset, w - 2 * inset, h - 2 * inset);
    cairo_clip(cr);
}

// Text with outline, vertical gradient and soft glow, centred on (cx, cy).
void letter(cairo_t* cr, const std::string& text, Face face, double size, double cx, double cy, Rgb top,
            Rgb bottom, Rgb outline, double outlineWidth, Rgb glow, double glowRadius) {
    useFace(cr, face, size);
    const cairo_text_extents_t e = inkOf(cr, text);
    textPathCentred(cr, text, cx, cy);
    cairo_path_t* path = cairo_copy_path(cr);
    if (glowRadius > 0) glowFill(cr, glow, 0.95, glowRadius);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, outlineWidth);
    setColour(cr, outline);
    cairo_stroke(cr);
    cairo_append_path(cr, path);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, cy - e.height / 2, 0, cy + e.height / 2);
    addStop(g, 0, mix(top, pal::white, 0.5));
    addStop(g, 0.5, top);
    addStop(g, 0.52, bottom);
    addStop(g, 1, mix(bottom, outline, 0.25));
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_path_destroy(path);
}

// A banner-shaped name plate: a ribbon with folded tails, gold edging,
// the name in big letters and small stars.
void namePlate(cairo_t* cr, int w, int h, const std::string& name, Rgb ribbonTop, Rgb ribbonBottom,
               Rgb textTop, Rgb textBottom) {
    clipInside(cr, w, h);
    const double bx = w * 0.12, bw = w * 0.76, by = h * 0.2, bh = h * 0.6;
    // tails behind the ribbon
    for (int side = 0; side < 2; ++side) {
        const double x0 = side ? bx + bw - w * 0.02 : bx + w * 0.02;
        const double dir = side ? 1 : -1;
        cairo_move_to(cr, x0, by + bh * 0.25);
        cairo_line_to(cr, x0 + dir * w * 0.1, by + bh * 0.25);
        cairo_line_to(cr, x0 + dir * w * 0.06, by + bh * 0.68);
        cairo_line_to(cr, x0 + dir * w * 0.1, by + bh * 1.12);
        cairo_line_to(cr, x0, by + bh * 1.12);
        cairo_close_path(cr);
        setColour(cr, mix(ribbonBottom, pal::black, 0.35));
        cairo_fill_preserve(cr);
        setColour(cr, pal::deepGold);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    roundedRect(cr, bx, by, bw, bh, bh * 0.18);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, by, 0, by + bh);
    addStop(g, 0, mix(ribbonTop, pal::white, 0.25));
    addStop(g, 0.5, ribbonTop);
    addStop(g, 1, ribbonBottom);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    roundedRect(cr, bx + 6, by + 6, bw - 12, bh - 12, bh * 0.12);
    setColour(cr, pal::cream, 0.5);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (double x : {bx + bw * 0.08, bx + bw * 0.92}) {
        starPath(cr, x, by + bh / 2, bh * 0.17, bh * 0.07, 5);
        setColour(cr, pal::gold);
        cairo_fill(cr);
    }
    letter(cr, name, Face::GothicDemi, bh * 0.78, w / 2.0, by + bh / 2, textTop, textBottom, pal::plum, 4,
           pal::black, 0);
    sparkle(cr, bx + bw * 0.8, by + 8, 10, pal::cream);
}

}  // namespace

void drawGlowmotion2(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    const double cx = w / 2.0, cy = h / 2.0, r = w * 0.44;
    // sunburst medallion
    circle(cr, cx, cy, r + 10);
    glowFill(cr, pal::magenta, 0.8, 10);
    circle(cr, cx, cy, r);
    setColour(cr, pal::orange);
    cairo_fill(cr);
    cairo_save(cr);
    circle(cr, cx, cy, r);
    cairo_clip(cr);
    for (int i = 0; i < 24; i += 2) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, r, i * M_PI / 12, (i + 1) * M_PI / 12);
        cairo_close_path(cr);
    }
    setColour(cr, pal::yellow);
    cairo_fill(cr);
    cairo_pattern_t* shade = cairo_pattern_create_radial(cx, cy, r * 0.1, cx, cy, r);
    addStop(shade, 0, pal::white, 0.55);
    addStop(shade, 0.6, pal::white, 0);
    addStop(shade, 1, pal::purple, 0.55);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    cairo_restore(cr);
    for (int ring = 0; ring < 2; ++ring) {
        circle(cr, cx, cy, r - ring * 14);
        setColour(cr, ring ? pal::magenta : pal::gold);
        cairo_set_line_width(cr, ring ? 4 : 9);
        cairo_stroke(cr);
    }
    // dots round the ring, like bulbs
    for (int i = 0; i < 36; ++i) {
        const double a = i * M_PI / 18;
        circle(cr, cx + (r - 1) * std::cos(a), cy + (r - 1) * std::sin(a), 3.2);
        setColour(cr, i % 2 ? pal::white : pal::cream);
        cairo_fill(cr);
    }
    letter(cr, "glow", Face::Lobster, w * 0.3, cx, cy - h * 0.1, pal::cream, pal::pink, pal::plum, 9,
           pal::purple, 6);
    letter(cr, "MOTION", Face::GothicDemi, w * 0.15, cx, cy + h * 0.17, pal::yellow, pal::gold, pal::plum, 7,
           pal::purple, 4);
    sparkle(cr, cx + r * 0.62, cy - r * 0.55, 22, pal::yellow);
    sparkle(cr, cx - r * 0.7, cy + r * 0.42, 16, pal::yellow);
}

void drawNilo(cairo_t* cr, int w, int h) {
    namePlate(cr, w, h, "nilo", pal::magenta, pal::purple, pal::yellow, pal::orange);
}
void drawSabueso(cairo_t* cr, int w, int h) {
    namePlate(cr, w, h, "sabueso", pal::orange, hex(0xC2410C), pal::cream, pal::yellow);
}
void drawKiro(cairo_t* cr, int w, int h) {
    namePlate(cr, w, h, "kiro", pal::purple, pal::plum, pal::cream, pal::pink);
}

void drawIface(cairo_t* cr, int w, int h) {
    // A cassette of the crew's mix between two flying music notes.
    clipInside(cr, w, h);
    const double cw = h * 1.45, ch = h * 0.86, cx = w / 2.0 - cw / 2, cy = h * 0.07;
    roundedRect(cr, cx + 4, cy + 5, cw, ch, 10);
    glowFill(cr, pal::black, 0.45, 5);
    roundedRect(cr, cx, cy, cw, ch, 10);
    setColour(cr, hex(0x2B2233));
    cairo_fill(cr);
    // label with the 70s stripes
    roundedRect(cr, cx + 10, cy + 9, cw - 20, ch * 0.62, 6);
    setColour(cr, pal::cream);
    cairo_fill(cr);
    const Rgb stripes[] = {pal::orange, pal::amber, pal::magenta, pal::purple};
    for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, cx + 10, cy + 9 + ch * 0.36 + i * 5, cw - 20, 5);
        setColour(cr, stripes[i]);
        cairo_fill(cr);
    }
    useFace(cr, Face::Lobster, ch * 0.2);
    setColour(cr, pal::purple);
    textPathCentred(cr, "groove mix", cx + cw / 2, cy + 9 + ch * 0.17);
    cairo_fill(cr);
    // window with two reels
    roundedRect(cr, cx + cw * 0.27, cy + ch * 0.44, cw * 0.46, ch * 0.2, 5);
    setColour(cr, hex(0x120E18));
    cairo_fill(cr);
    for (double rx : {cx + cw * 0.34, cx + cw * 0.66}) {
        circle(cr, rx, cy + ch * 0.54, ch * 0.085);
        setColour(cr, pal::silver);
        cairo_fill(cr);
        for (int k = 0; k < 6; ++k) {
            const double a = k * M_PI / 3;
            cairo_move_to(cr, rx, cy + ch * 0.54);
            cairo_line_to(cr, rx + ch * 0.07 * std::cos(a), cy + ch * 0.54 + ch * 0.07 * std::sin(a));
        }
        setColour(cr, hex(0x333333));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    // bottom trapezoid with screws
    cairo_move_to(cr, cx + cw * 0.2, cy + ch);
    cairo_line_to(cr, cx + cw * 0.26, cy + ch * 0.78);
    cairo_line_to(cr, cx + cw * 0.74, cy + ch * 0.78);
    cairo_line_to(cr, cx + cw * 0.8, cy + ch);
    cairo_close_path(cr);
    setColour(cr, hex(0x463A52));
    cairo_fill(cr);
    for (double sx : {cx + 8, cx + cw - 8})
        for (double sy : {cy + 8, cy + ch - 8}) {
            circle(cr, sx, sy, 3);
            setColour(cr, pal::silver);
            cairo_fill(cr);
        }
    // music notes left and right
    for (int side = 0; side < 2; ++side) {
        const double nx = side ? w * 0.86 : w * 0.1, ny = h * (side ? 0.62 : 0.7);
        const Rgb c = side ? pal::magenta : pal::gold;
        cairo_save(cr);
        cairo_translate(cr, nx, ny);
        cairo_rotate(cr, -0.35);
        cairo_scale(cr, 1.25, 0.9);
        circle(cr, 0, 0, 9);
        cairo_restore(cr);
        cairo_save(cr);
        cairo_translate(cr, nx + 30, ny - 8);
        cairo_rotate(cr, -0.35);
        cairo_scale(cr, 1.25, 0.9);
        circle(cr, 0, 0, 9);
        cairo_restore(cr);
        setColour(cr, c);
        cairo_fill(cr);
        cairo_move_to(cr, nx + 9, ny - 3);
        cairo_line_to(cr, nx + 9, ny - 52);
        cairo_line_to(cr, nx + 39, ny - 60);
        cairo_line_to(cr, nx + 39, ny - 11);
        cairo_set_line_width(cr, 4);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
        cairo_move_to(cr, nx + 9, ny - 52);
        cairo_line_to(cr, nx + 39, ny - 60);
        cairo_set_line_width(cr, 9);
        cairo_stroke(cr);
    }
}

void drawBigCircle(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    const double cx = w / 2.0, cy = h / 2.0, r = w * 0.44;
    // soft glow ring, then a thick gradient ring with bulbs
    circle(cr, cx, cy, r);
    cairo_set_line_width(cr, 26);
    cairo_path_t* p = cairo_copy_path(cr);
    // The glow is a ring: the inner circle runs the other way round, so the
    // ring stays open in the middle under any fill rule (glowFill fills its
    // copy of the path with the default, winding rule). A filled middle
    // would stack eight times into a solid disc over the background.
    cairo_new_path(cr);
    circle(cr, cx, cy, r + 10);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, cx, cy, r - 22, 2 * M_PI, 0);
    cairo_close_path(cr);
    glowFill(cr, pal::magenta, 0.8, 6);
    cairo_append_path(cr, p);
    cairo_path_destroy(p);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
    addStop(g, 0, pal::yellow);
    addStop(g, 0.5, pal::orange);
    addStop(g, 1, pal::magenta);
    cairo_set_source(cr, g);
    cairo_set_line_width(cr, 22);
    cairo_stroke(cr);
    cairo_pattern_destroy(g);
    for (int ring = -1; ring <= 1; ring += 2) {
        circle(cr, cx, cy, r + ring * 11);
        setColour(cr, pal::gold);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
    }
    for (int i = 0; i < 32; ++i) {
        const double a = i * M_PI / 16;
        circle(cr, cx + r * std::cos(a), cy + r * std::sin(a), 3.5);
        setColour(cr, pal::cream);
        cairo_fill(cr);
    }
    // inner thin rays
    for (int i = 0; i < 48; ++i) {
        const double a = i * M_PI / 24;
        cairo_move_to(cr, cx + (r - 30) * std::cos(a), cy + (r - 30) * std::sin(a));
        cairo_line_to(cr, cx + (r - 48) * std::cos(a), cy + (r - 48) * std::sin(a));
    }
    setColour(cr, pal::yellow, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void drawLogo(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    // capsule with rainbow stripes, the name in chrome over it
    const double bx = 12, by = h * 0.14, bw = w - 24, bh = h * 0.72;
    roundedRect(cr, bx, by, bw, bh, bh / 2);
    glowFill(cr, pal::magenta, 0.7, 5);
    roundedRect(cr, bx, by, bw, bh, bh / 2);
    setColour(cr, pal::night);
    cairo_fill(cr);
    cairo_save(cr);
    roundedRect(cr, bx, by, bw, bh, bh / 2);
    cairo_clip(cr);
    const Rgb stripes[] = {pal::yellow, pal::amber, pal::orange, pal::magenta, pal::purple};
    for (int i = 0; i < 5; ++i) {
        cairo_rectangle(cr, bx, by + bh * 0.42 + i * bh * 0.1, bw, bh * 0.1);
        setColour(cr, stripes[i]);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    roundedRect(cr, bx, by, bw, bh, bh / 2);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    letter(cr, "QUELLIX", Face::GothicDemi, bh * 0.74, w / 2.0, h / 2.0, pal::white, pal::steel, pal::night, 5,
           pal::black, 0);
    for (double x : {bx + bh * 0.5, bx + bw - bh * 0.5}) {
        starPath(cr, x, h / 2.0, bh * 0.28, bh * 0.11, 5);
        setColour(cr, pal::gold);
        cairo_fill(cr);
    }
}

void drawStar(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    const double cx = w / 2.0, cy = h / 2.0 + h * 0.03, r = w * 0.42;
    starPath(cr, cx, cy, r, r * 0.45, 5);
    glowFill(cr, pal::orange, 1.0, 6);
    starPath(cr, cx, cy, r * 0.93, r * 0.42, 5);
    fillGold(cr, cx, cy, r, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // facets: lines from the centre to each point
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 2 * M_PI / 5;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + r * 0.9 * std::cos(a), cy + r * 0.9 * std::sin(a));
    }
    setColour(cr, pal::white, 0.45);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    sparkle(cr, cx - r * 0.25, cy - r * 0.3, r * 0.35, pal::white);
}

}  // namespace art
