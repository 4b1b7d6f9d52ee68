// Turntable scene: record, platter rim, swirling background, deck, tonearm
// and the two sliding titles.
#include <cmath>
#include <string>

#include "Drawings.h"
#include "Paint.h"

namespace art {

namespace {

// Keeps a transparent rim of `inset` pixels: with repeating textures and
// linear filtering the quad's edge texels mix with the opposite edge.
void clipInside(cairo_t* cr, int w, int h, double inset = 2) {
    cairo_rectangle(cr, inset, inset, w - 2 * inset, h - 2 * inset);
    cairo_clip(cr);
}

// Projection of the turntable scene, used to register the deck and the
// tonearm (both on the 2 x 2 quad at (0, 0.25, -1.7)) with the platter rim
// (the cylinder at (-0.62, -0.09, -1.2), tilted -75 degrees about x).
// (x, y, z) are platter coordinates: z up from the deck, radius 1 at the rim.
struct Pt {
    double x, y;
};
Pt deckPoint(double x, double y, double z, int w, int h) {
    const double tilt = -75.0 * M_PI / 180.0;
    const double wx = x - 0.62;
    const double wy = std::cos(tilt) * y - std::sin(tilt) * z - 0.09;
    const double wz = std::sin(tilt) * y + std::cos(tilt) * z - 1.2;
    const double tanHalf = std::tan(22.5 * M_PI / 180.0), aspect = 800.0 / 600.0;
    const double ndcX = wx / (-wz * tanHalf * aspect), ndcY = wy / (-wz * tanHalf);
    // Quad at distance 1.7: world position, then texture coordinates.
    const double qx = ndcX * 1.7 * tanHalf * aspect, qy = ndcY * 1.7 * tanHalf - 0.25;
    return Pt{(qx + 1) / 2 * w, (1 - qy) / 2 * h};
}
void deckMove(cairo_t* cr, double x, double y, double z, int w, int h) {
    const Pt p = deckPoint(x, y, z, w, h);
    cairo_move_to(cr, p.x, p.y);
}
void deckLine(cairo_t* cr, double x, double y, double z, int w, int h) {
    const Pt p = deckPoint(x, y, z, w, h);
    cairo_line_to(cr, p.x, p.y);
}
void deckCircle(cairo_t* cr, double cx, double cy, double z, double r, int w, int h) {
    for (int i = 0; i <= 96; ++i) {
        const double a = 2 * M_PI * i / 96;
        const Pt p = deckPoint(cx + r * std::cos(a), cy + r * std::sin(a), z, w, h);
        if (i == 0)
            cairo_move_to(cr, p.x, p.y);
        else
            cairo_line_to(cr, p.x, p.y);
    }
    cairo_close_path(cr);
}

// Lettering with a gold gradient, a dark outline and a magenta glow.
void discoLettering(cairo_t* cr, const std::string& text, Face face, double size, double cx, double cy,
                    Rgb top, Rgb bottom, Rgb outline, Rgb glow) {
    useFace(cr, face, size);
    const cairo_text_extents_t e = inkOf(cr, text);
    textPathCentred(cr, text, cx, cy);
    cairo_set_line_width(cr, size * 0.16);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_path_t* path = cairo_copy_path(cr);
    glowFill(cr, glow, 0.9, size * 0.12);
    // thick outline
    cairo_append_path(cr, path);
    setColour(cr, outline);
    cairo_stroke(cr);
    // drop shade
    cairo_save(cr);
    cairo_translate(cr, size * 0.035, size * 0.05);
    cairo_append_path(cr, path);
    setColour(cr, outline);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_append_path(cr, path);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, cy - e.height / 2, 0, cy + e.height / 2);
    addStop(g, 0, mix(top, pal::white, 0.6));
    addStop(g, 0.45, top);
    addStop(g, 0.55, bottom);
    addStop(g, 1, mix(bottom, outline, 0.3));
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // chrome line across the middle
    cairo_save(cr);
    cairo_append_path(cr, path);
    cairo_clip(cr);
    cairo_rectangle(cr, cx - e.width, cy - size * 0.02, e.width * 2, size * 0.03);
    setColour(cr, pal::white, 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_path_destroy(path);
}

}  // namespace

void drawVinyl(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0, r = w / 2.0 - 3;
    cairo_save(cr);
    circle(cr, cx, cy, r);
    cairo_pattern_t* base = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    addStop(base, 0, hex(0x2A2630));
    addStop(base, 1, hex(0x0B0A0E));
    cairo_set_source(cr, base);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(base);
    cairo_clip(cr);
    // grooves: fine rings, with darker gaps between the tracks
    Random rnd(7);
    for (double rr = r * 0.36; rr < r - 2; rr += 1.3) {
        circle(cr, cx, cy, rr);
        const double shade = rnd.uniform(0.10, 0.22);
        cairo_set_source_rgba(cr, shade, shade, shade + 0.03, 0.9);
        cairo_set_line_width(cr, 0.6);
        cairo_stroke(cr);
    }
    for (double gap : {0.52, 0.66, 0.8, 0.91}) {
        circle(cr, cx, cy, r * gap);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.9);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
    }
    // sheen: two opposite soft wedges of light
    for (double a0 : {-2.3, 0.84}) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, r, a0, a0 + 0.5);
        cairo_close_path(cr);
        glowFill(cr, hex(0xE8D8FF), 0.22, 6);
    }
    cairo_restore(cr);
    // rim
    circle(cr, cx, cy, r - 0.5);
    cairo_set_source_rgba(cr, 0.35, 0.32, 0.4, 1);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // label: orange with a magenta ring and lettering
    const double lr = r * 0.33;
    recordLabel(cr, cx, cy, lr);
    circle(cr, cx, cy, lr * 0.93);
    setColour(cr, pal::magenta);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    useFace(cr, Face::Lobster, lr * 0.5);
    setColour(cr, pal::purple);
    textPathCentred(cr, "glow", cx, cy - lr * 0.42);
    cairo_fill(cr);
    useFace(cr, Face::GothicDemi, lr * 0.2);
    textPathCentred(cr, "SIDE A  33 1/3", cx, cy + lr * 0.45);
    cairo_fill(cr);
    // spindle hole
    circle(cr, cx, cy, 3.2);
    setColour(cr, hex(0x111111));
    cairo_fill(cr);
}

void drawTechnics(cairo_t* cr, int w, int h) {
    // The band is 6.6 units round and 0.1 high, stretched onto w x h pixels:
    // draw in those units so that the dots come out round on the platter.
    const double uw = w / (2 * M_PI * 1.045), uh = h / 0.1;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    addStop(g, 0, hex(0xF4F6FA));
    addStop(g, 0.3, pal::silver);
    addStop(g, 0.75, hex(0x9AA3AF));
    addStop(g, 1, hex(0x5E6570));
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // brushed streaks
    Random rnd(11);
    for (int i = 0; i < 260; ++i) {
        const double y = rnd.uniform(0, h);
        const double x = rnd.uniform(0, w), len = rnd.uniform(80, 600);
        const bool light = rnd.next() & 1;
        cairo_set_source_rgba(cr, light, light, light, rnd.uniform(0.05, 0.16));
        cairo_set_line_width(cr, rnd.uniform(0.5, 1.2));
        for (double dx : {0.0, -static_cast<double>(w)}) {  // wraps round the seam
            cairo_move_to(cr, x + dx, y);
            cairo_line_to(cr, x + dx + len, y);
            cairo_stroke(cr);
        }
    }
    // strobe dots: two rows, evenly round the platter
    const struct {
        int count;
        double y, d;
    } rows[] = {{180, 0.028, 0.014}, {150, 0.062, 0.016}};
    for (const auto& row : rows) {
        for (int i = 0; i < row.count; ++i) {
            const double x = (i + 0.5) * w / row.count;
            cairo_save(cr);
            cairo_translate(cr, x, row.y * uh);
            cairo_scale(cr, row.d * uw / 2, row.d * uh / 2);
            circle(cr, 0, 0, 1);
            cairo_restore(cr);
            setColour(cr, hex(0x25282E));
            cairo_fill(cr);
            cairo_save(cr);
            cairo_translate(cr, x - row.d * uw * 0.15, row.y * uh - row.d * uh * 0.18);
            cairo_scale(cr, row.d * uw / 6, row.d * uh / 6);
            circle(cr, 0, 0, 1);
            cairo_restore(cr);
            setColour(cr, pal::white, 0.5);
            cairo_fill(cr);
        }
    }
    // gold line between the rows, dark lips at both edges
    cairo_rectangle(cr, 0, 0.044 * uh, w, 0.004 * uh);
    setColour(cr, pal::gold);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 0, w, 2);
    cairo_rectangle(cr, 0, h - 3, w, 3);
    setColour(cr, hex(0x3A3F48));
    cairo_fill(cr);
}

void drawBck1(cairo_t* cr, int w, int h) {
    // Seamless in both directions: bands repeat every w across and fit a
    // whole number of times down; every round shape is drawn with its wraps.
    setColour(cr, pal::amber);
    cairo_paint(cr);
    const Rgb bands[] = {pal::orange, pal::yellow, pal::magenta, pal::amber, pal::purple, pal::pink};
    const int n = 6;
    const double step = static_cast<double>(h) / n;
    for (int k = 0; k < n + 1; ++k) {
        for (int layer = 0; layer < 2; ++layer) {
            const double y0 = k * step + (layer ? step * 0.55 : 0);
            const double amp = step * 0.55;
            cairo_move_to(cr, 0, y0);
            for (int x = 0; x <= w; x += 4)
                cairo_line_to(cr, x, y0 + amp * std::sin(2 * M_PI * x / w + k * 0.9));
            for (int x = w; x >= 0; x -= 4)
                cairo_line_to(cr, x, y0 + step * 0.4 + amp * std::sin(2 * M_PI * x / w + k * 0.9 + 0.6));
            cairo_close_path(cr);
            const Rgb c = bands[(k * 2 + layer) % n];
            cairo_path_t* path = cairo_copy_path(cr);
            cairo_new_path(cr);
            for (int dy : {-h, 0, h}) {
                cairo_save(cr);
                cairo_translate(cr, 0, dy);
                cairo_append_path(cr, path);
                cairo_restore(cr);
            }
            setColour(cr, c, layer ? 0.55 : 0.85);
            cairo_fill(cr);
            cairo_path_destroy(path);
        }
    }
    // swirls and sparkles, wrapped
    Random rnd(3);
    for (int i = 0; i < 9; ++i) {
        const double cx = rnd.uniform(0, w), cy = rnd.uniform(0, h), size = rnd.uniform(30, 60);
        const Rgb c = i % 2 ? pal::cream : pal::plum;
        for (int dx : {-w, 0, w})
            for (int dy : {-h, 0, h}) {
                cairo_new_path(cr);
                for (int s = 0; s <= 120; ++s) {
                    const double a = s * 0.12, rr = size * s / 120.0;
                    cairo_line_to(cr, cx + dx + rr * std::cos(a), cy + dy + rr * std::sin(a));
                }
                setColour(cr, c, 0.75);
                cairo_set_line_width(cr, 5);
                cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                cairo_stroke(cr);
            }
    }
    for (int i = 0; i < 24; ++i) {
        const double cx = rnd.uniform(0, w), cy = rnd.uniform(0, h), size = rnd.uniform(6, 16);
        for (int dx : {-w, 0, w})
            for (int dy : {-h, 0, h}) sparkle(cr, cx + dx, cy + dy, size, pal::cream, 0.9);
    }
}

void drawPlato(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    // Deck plate: platter coordinates x -1.6..2.4, y -0.95..3.2 (far edge).
    auto deckOutline = [&](double inset) {
        deckMove(cr, -1.6 + inset, -0.95, 0, w, h);
        deckLine(cr, 2.4 - inset, -0.95, 0, w, h);
        deckLine(cr, 2.4 - inset, 3.2 - inset, 0, w, h);
        deckLine(cr, -1.6 + inset, 3.2 - inset, 0, w, h);
        cairo_close_path(cr);
    };
    // wooden frame of the deck, then the brushed gold top inside it
    deckOutline(0);
    setColour(cr, hex(0x5A2E12));
    cairo_fill(cr);
    deckOutline(0.12);
    const Pt far = deckPoint(0, 3.2, 0, w, h), near = deckPoint(0, -0.95, 0, w, h);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, far.y, 0, near.y);
    addStop(g, 0, hex(0x9C7A3C));
    addStop(g, 0.35, pal::gold);
    addStop(g, 1, hex(0xFFE7A8));
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // brushed lines along the deck
    for (int i = 0; i < 40; ++i) {
        const double y = -0.9 + i * 0.1;
        deckMove(cr, -1.45, y, 0, w, h);
        deckLine(cr, 2.25, y, 0, w, h);
    }
    setColour(cr, pal::white, 0.12);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // purple stripe round the deck: the 70s touch
    deckOutline(0.22);
    setColour(cr, pal::magenta, 0.8);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    // the well the platter turns in, its shadow, the platter top (dark mat)
    deckCircle(cr, 0, 0, 0, 1.2, w, h);
    glowFill(cr, hex(0x2A1408), 0.8, 5);
    deckCircle(cr, 0, 0, 0, 1.13, w, h);
    setColour(cr, hex(0x1C1C22));
    cairo_fill(cr);
    deckCircle(cr, 0, 0, 0.1, 1.0, w, h);
    setColour(cr, hex(0x2B2B33));
    cairo_fill(cr);
    // tonearm base: chrome ring with a dark centre
    deckCircle(cr, 1.6, 1.55, 0, 0.34, w, h);
    cairo_pattern_t* ring = cairo_pattern_create_linear(0, deckPoint(0, 1.9, 0, w, h).y, 0,
                                                        deckPoint(0, 1.2, 0, w, h).y);
    addStop(ring, 0, pal::steel);
    addStop(ring, 1, pal::white);
    cairo_set_source(cr, ring);
    cairo_fill(cr);
    cairo_pattern_destroy(ring);
    deckCircle(cr, 1.6, 1.55, 0, 0.22, w, h);
    setColour(cr, hex(0x2A2A30));
    cairo_fill(cr);
    // arm rest post
    deckCircle(cr, 1.75, 0.55, 0, 0.07, w, h);
    setColour(cr, hex(0x2A2A30));
    cairo_fill(cr);
    // speed buttons and pitch slider to the right of the platter
    const char* labels[] = {"33", "45"};
    for (int i = 0; i < 2; ++i) {
        const double x0 = 1.35 + i * 0.42;
        deckMove(cr, x0, -0.55, 0, w, h);
        deckLine(cr, x0 + 0.34, -0.55, 0, w, h);
        deckLine(cr, x0 + 0.34, -0.2, 0, w, h);
        deckLine(cr, x0, -0.2, 0, w, h);
        cairo_close_path(cr);
        setColour(cr, i == 0 ? pal::magenta : pal::purple);
        cairo_fill(cr);
        const Pt c = deckPoint(x0 + 0.17, -0.375, 0, w, h);
        useFace(cr, Face::GothicDemi, 11);
        setColour(cr, pal::cream);
        textPathCentred(cr, labels[i], c.x, c.y);
        cairo_fill(cr);
    }
    deckMove(cr, 2.1, 0.0, 0, w, h);
    deckLine(cr, 2.2, 0.0, 0, w, h);
    deckLine(cr, 2.2, 1.1, 0, w, h);
    deckLine(cr, 2.1, 1.1, 0, w, h);
    cairo_close_path(cr);
    setColour(cr, hex(0x2A2A30));
    cairo_fill(cr);
    deckMove(cr, 2.02, 0.5, 0, w, h);
    deckLine(cr, 2.28, 0.5, 0, w, h);
    deckLine(cr, 2.28, 0.62, 0, w, h);
    deckLine(cr, 2.02, 0.62, 0, w, h);
    cairo_close_path(cr);
    setColour(cr, pal::silver);
    cairo_fill(cr);
    // a lamp glow on the far left corner
    const Pt lamp = deckPoint(-1.2, 2.7, 0, w, h);
    circle(cr, lamp.x, lamp.y, 6);
    glowFill(cr, pal::pink, 1.0, 5);
    circle(cr, lamp.x, lamp.y, 3);
    setColour(cr, pal::white);
    cairo_fill(cr);
}

void drawBrazo(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    // pivot (over the base of the deck picture), arm tube to the head shell,
    // which rests on the record's outer grooves; counterweight behind.
    const double px = 1.6, py = 1.55, armZ = 0.42;
    const Pt pivot = deckPoint(px, py, armZ, w, h);
    const Pt bend = deckPoint(1.15, 0.55, armZ - 0.08, w, h);
    const Pt head = deckPoint(0.6, 0.3, 0.16, w, h);
    const Pt foot = deckPoint(px, py, 0, w, h);
    const Pt tail = deckPoint(1.85, 2.1, armZ, w, h);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // soft shadow of the arm on the deck
    cairo_move_to(cr, tail.x + 4, tail.y + 10);
    cairo_line_to(cr, pivot.x + 4, pivot.y + 10);
    cairo_line_to(cr, bend.x + 4, bend.y + 10);
    cairo_line_to(cr, head.x + 4, head.y + 10);
    cairo_line_to(cr, head.x + 4, head.y + 12);
    cairo_line_to(cr, bend.x + 4, bend.y + 13);
    cairo_line_to(cr, pivot.x + 4, pivot.y + 13);
    cairo_line_to(cr, tail.x + 4, tail.y + 13);
    cairo_close_path(cr);
    glowFill(cr, pal::black, 0.35, 4);
    // the arm tube: dark edge, then chrome
    auto tube = [&](double width, Rgb c, double a) {
        cairo_move_to(cr, tail.x, tail.y);
        cairo_line_to(cr, pivot.x, pivot.y);
        cairo_curve_to(cr, pivot.x - 10, pivot.y + 30, bend.x + 10, bend.y - 10, bend.x, bend.y);
        cairo_line_to(cr, head.x, head.y);
        cairo_set_line_width(cr, width);
        setColour(cr, c, a);
        cairo_stroke(cr);
    };
    tube(7.5, hex(0x30343C), 1);
    tube(5, pal::silver, 1);
    tube(1.6, pal::white, 0.9);
    // counterweight: a chrome cylinder seen end-on
    cairo_save(cr);
    cairo_translate(cr, tail.x, tail.y);
    cairo_rotate(cr, std::atan2(pivot.y - tail.y, pivot.x - tail.x));
    roundedRect(cr, -16, -11, 26, 22, 5);
    cairo_pattern_t* cw = cairo_pattern_create_linear(0, -11, 0, 11);
    addStop(cw, 0, pal::white);
    addStop(cw, 0.5, pal::steel);
    addStop(cw, 1, hex(0x30343C));
    cairo_set_source(cr, cw);
    cairo_fill(cr);
    cairo_pattern_destroy(cw);
    cairo_restore(cr);
    // the post the arm turns on, standing on the base of the deck picture
    cairo_move_to(cr, foot.x, foot.y);
    cairo_line_to(cr, pivot.x, pivot.y);
    cairo_set_line_width(cr, 12);
    setColour(cr, hex(0x30343C));
    cairo_stroke(cr);
    cairo_move_to(cr, foot.x, foot.y);
    cairo_line_to(cr, pivot.x, pivot.y);
    cairo_set_line_width(cr, 9);
    setColour(cr, pal::silver);
    cairo_stroke(cr);
    // pivot housing
    circle(cr, pivot.x, pivot.y, 11);
    cairo_pattern_t* hub = cairo_pattern_create_radial(pivot.x - 4, pivot.y - 4, 1, pivot.x, pivot.y, 11);
    addStop(hub, 0, pal::white);
    addStop(hub, 1, pal::steel);
    cairo_set_source(cr, hub);
    cairo_fill(cr);
    cairo_pattern_destroy(hub);
    circle(cr, pivot.x, pivot.y, 4);
    setColour(cr, pal::magenta);
    cairo_fill(cr);
    // head shell with a gold cartridge and a finger lift
    const double a = std::atan2(head.y - bend.y, head.x - bend.x);
    cairo_save(cr);
    cairo_translate(cr, head.x, head.y);
    cairo_rotate(cr, a);
    roundedRect(cr, -6, -9, 26, 18, 4);
    setColour(cr, hex(0x26262C));
    cairo_fill(cr);
    roundedRect(cr, 2, -6, 16, 12, 3);
    setColour(cr, pal::gold);
    cairo_fill(cr);
    cairo_move_to(cr, 8, -9);
    cairo_line_to(cr, 14, -20);
    cairo_set_line_width(cr, 2.5);
    setColour(cr, pal::silver);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawQuellix(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    for (int i = 0; i < 7; ++i) {
        const double x = w * (0.08 + 0.14 * i), y = h * (i % 2 ? 0.2 : 0.82);
        sparkle(cr, x, y, 9 + 4 * (i % 3), pal::yellow, 0.9);
    }
    discoLettering(cr, "quellix", Face::Lobster, h * 0.74, w / 2.0, h * 0.5, pal::yellow, pal::orange,
                   pal::plum, pal::magenta);
}

void drawPresents(cairo_t* cr, int w, int h) {
    clipInside(cr, w, h);
    // a ribbon behind the word
    roundedRect(cr, w * 0.1, h * 0.3, w * 0.8, h * 0.4, h * 0.2);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, h * 0.3, 0, h * 0.7);
    addStop(g, 0, pal::purple, 0.85);
    addStop(g, 1, pal::plum, 0.85);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    roundedRect(cr, w * 0.1, h * 0.3, w * 0.8, h * 0.4, h * 0.2);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    for (double x : {0.06, 0.94}) {
        cairo_save(cr);
        starPath(cr, w * x, h * 0.5, h * 0.16, h * 0.07, 5);
        setColour(cr, pal::gold);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    discoLettering(cr, "presents", Face::GothicDemi, h * 0.42, w / 2.0, h * 0.5, pal::cream, pal::pink,
                   pal::plum, pal::orange);
}

}  // namespace art
