// End scene: the stepping frog, the three party-night pictures (sharp and
// blurred) and the background.
#include <cmath>

#include "Drawings.h"
#include "Paint.h"

namespace art {

namespace {

// A framed picture: rounded card with a gold edge and a transparent margin.
void card(cairo_t* cr, int w, int h, Rgb top, Rgb bottom) {
    roundedRect(cr, 12, 12, w - 24, h - 24, 18);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 12, 0, h - 12);
    addStop(g, 0, top);
    addStop(g, 1, bottom);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}
void cardEdge(cairo_t* cr, int w, int h) {
    roundedRect(cr, 12, 12, w - 24, h - 24, 18);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
}
void clipCard(cairo_t* cr, int w, int h) {
    roundedRect(cr, 12, 12, w - 24, h - 24, 18);
    cairo_clip(cr);
}

// The blurred pictures: the sharp one, softened, with a little bloom.
void blurred(cairo_t* cr, int w, int h, void (*sharp)(cairo_t*, int, int)) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* c = cairo_create(s);
    sharp(c, w, h);
    cairo_destroy(c);
    blurSurface(s, 2);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(s);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void frogPose(cairo_t* cr, double x0, double fw, double h, int frame) {
    // frames: 0 crouch, 1 left foot up, 2 stretched, 3 right foot up
    const double lift[] = {0, 6, 10, 6};
    const double legL[] = {0, -10, 0, 4};
    const double legR[] = {0, 4, 0, -10};
    const double cx = x0 + fw / 2, base = h - 14;
    const double by = base - 44 - lift[frame];
    const Rgb green = hex(0x38B000), dark = hex(0x1F6B00), belly = hex(0xD8F27A), outline = hex(0x123D00);
    auto foot = [&](double fx, double fy, double dir) {
        cairo_move_to(cr, fx, fy);
        for (int t = -1; t <= 1; ++t) {
            cairo_line_to(cr, fx + dir * 8 + t * 7, fy + 5);
            cairo_line_to(cr, fx + t * 3, fy + 1);
        }
        cairo_close_path(cr);
        setColour(cr, green);
        cairo_fill_preserve(cr);
        setColour(cr, outline);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    };
    // back legs
    for (int side = -1; side <= 1; side += 2) {
        const double up = side < 0 ? legL[frame] : legR[frame];
        const double kx = cx + side * 30, ky = by + 28 + up * 0.5;
        const double fx = cx + side * 22, fy = base + std::min(0.0, up);
        cairo_move_to(cr, cx + side * 12, by + 20);
        cairo_curve_to(cr, kx + side * 4, ky - 12, kx + side * 6, ky + 6, fx, fy);
        cairo_set_line_width(cr, 13);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        setColour(cr, outline);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, 10);
        setColour(cr, dark);
        cairo_stroke(cr);
        foot(fx, fy, side);
    }
    // body
    cairo_save(cr);
    cairo_translate(cr, cx, by + 12);
    cairo_scale(cr, 30, 26);
    circle(cr, 0, 0, 1);
    cairo_restore(cr);
    setColour(cr, green);
    cairo_fill_preserve(cr);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, by + 20);
    cairo_scale(cr, 18, 14);
    circle(cr, 0, 0, 1);
    cairo_restore(cr);
    setColour(cr, belly);
    cairo_fill(cr);
    // gold chain on the chest
    cairo_arc(cr, cx, by + 2, 15, 0.4, M_PI - 0.4);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    circle(cr, cx, by + 17, 3.5);
    setColour(cr, pal::gold);
    cairo_fill(cr);
    // front arms: one waves up on the stepping frames
    for (int side = -1; side <= 1; side += 2) {
        const bool wave = (frame == 1 && side > 0) || (frame == 3 && side < 0);
        const double hx = cx + side * (wave ? 34 : 18), hy = wave ? by - 18 : base;
        cairo_move_to(cr, cx + side * 18, by + 14);
        cairo_line_to(cr, hx, hy);
        cairo_set_line_width(cr, 8);
        setColour(cr, outline);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, 5.5);
        setColour(cr, green);
        cairo_stroke(cr);
        circle(cr, hx, hy, 4.5);
        setColour(cr, green);
        cairo_fill(cr);
    }
    // head: eyes on top, star-shaped shades, wide grin
    for (int side = -1; side <= 1; side += 2) {
        circle(cr, cx + side * 14, by - 14, 11);
        setColour(cr, green);
        cairo_fill_preserve(cr);
        setColour(cr, outline);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        starPath(cr, cx + side * 14, by - 13, 10, 5, 5);
        setColour(cr, pal::magenta);
        cairo_fill_preserve(cr);
        setColour(cr, pal::gold);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    cairo_arc(cr, cx, by - 2, 15, 0.35, M_PI - 0.35);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

void skyline(cairo_t* cr, int w, int h) {
    card(cr, w, h, pal::purple, pal::orange);
    cairo_save(cr);
    clipCard(cr, w, h);
    // setting sun with stripes
    circle(cr, w * 0.5, h * 0.66, w * 0.26);
    cairo_pattern_t* sun = cairo_pattern_create_linear(0, h * 0.4, 0, h * 0.9);
    addStop(sun, 0, pal::yellow);
    addStop(sun, 1, pal::magenta);
    cairo_set_source(cr, sun);
    cairo_fill(cr);
    cairo_pattern_destroy(sun);
    for (int i = 0; i < 5; ++i) {
        cairo_rectangle(cr, 0, h * (0.62 + i * 0.05), w, 2 + i * 1.2);
    }
    setColour(cr, pal::purple);
    cairo_fill(cr);
    // buildings: towers, a hill with a temple of spires, the sea front
    Random rnd(5);
    double x = 12;
    while (x < w - 12) {
        const double bw = rnd.uniform(14, 30), bh = rnd.uniform(40, 110);
        cairo_rectangle(cr, x, h * 0.82 - bh, bw, bh + h * 0.2);
        setColour(cr, hex(0x24102E));
        cairo_fill(cr);
        for (double wy = h * 0.82 - bh + 6; wy < h * 0.8; wy += 9)
            for (double wx = x + 3; wx < x + bw - 4; wx += 6)
                if (rnd.next() % 3 == 0) {
                    cairo_rectangle(cr, wx, wy, 3, 4);
                    setColour(cr, pal::yellow, 0.9);
                    cairo_fill(cr);
                }
        x += bw + rnd.uniform(0, 4);
    }
    // spires of a big church on the skyline
    for (int i = 0; i < 4; ++i) {
        const double sx = w * 0.62 + i * 12, top = h * 0.3 + (i == 1 || i == 2 ? 0 : 22);
        cairo_move_to(cr, sx, h * 0.8);
        cairo_line_to(cr, sx + 3, top + 10);
        cairo_line_to(cr, sx + 5, top);
        cairo_line_to(cr, sx + 7, top + 10);
        cairo_line_to(cr, sx + 10, h * 0.8);
        cairo_close_path(cr);
    }
    setColour(cr, hex(0x1A0826));
    cairo_fill(cr);
    // sea
    cairo_rectangle(cr, 0, h * 0.82, w, h * 0.2);
    setColour(cr, hex(0x3B0A45));
    cairo_fill(cr);
    for (int i = 0; i < 6; ++i) {
        cairo_rectangle(cr, w * 0.3 + i * 6, h * 0.84 + i * 5, w * 0.4 - i * 12, 2);
        setColour(cr, pal::yellow, 0.6);
        cairo_fill(cr);
    }
    sparkle(cr, w * 0.2, h * 0.2, 10, pal::cream);
    sparkle(cr, w * 0.8, h * 0.16, 8, pal::cream);
    cairo_restore(cr);
    cardEdge(cr, w, h);
}

void crowd(cairo_t* cr, int w, int h) {
    card(cr, w, h, pal::night, pal::plum);
    cairo_save(cr);
    clipCard(cr, w, h);
    // spotlight beams from the top
    const Rgb beams[] = {pal::magenta, pal::yellow, pal::teal, pal::orange};
    for (int i = 0; i < 4; ++i) {
        const double sx = w * (0.15 + i * 0.23);
        cairo_move_to(cr, sx - 4, 12);
        cairo_line_to(cr, sx + 4, 12);
        cairo_line_to(cr, sx + (i % 2 ? 60 : -60) + 40, h);
        cairo_line_to(cr, sx + (i % 2 ? 60 : -60) - 40, h);
        cairo_close_path(cr);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 12, 0, h);
        addStop(g, 0, beams[i], 0.9);
        addStop(g, 1, beams[i], 0.1);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    // a small mirror ball
    circle(cr, w * 0.5, h * 0.2, 18);
    setColour(cr, pal::silver);
    cairo_fill(cr);
    sparkle(cr, w * 0.5 - 6, h * 0.2 - 6, 14, pal::white);
    // the crowd: heads and raised arms in two rows
    Random rnd(9);
    for (int row = 0; row < 2; ++row) {
        const double y = h * (row ? 0.86 : 0.72);
        const Rgb c = row ? hex(0x12061A) : hex(0x2E1238);
        for (double x = 6 + row * 10; x < w; x += rnd.uniform(18, 26)) {
            const double hy = y - rnd.uniform(0, 10);
            circle(cr, x, hy, 9);
            cairo_rectangle(cr, x - 11, hy + 6, 22, h);
            setColour(cr, c);
            cairo_fill(cr);
            if (rnd.next() % 2) {
                const double side = rnd.next() % 2 ? 1 : -1;
                cairo_move_to(cr, x + side * 8, hy + 10);
                cairo_line_to(cr, x + side * 16, hy - 22);
                cairo_line_to(cr, x + side * 12, hy - 34);
                cairo_set_line_width(cr, 5);
                cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                setColour(cr, c);
                cairo_stroke(cr);
            }
        }
    }
    for (int i = 0; i < 14; ++i) {
        sparkle(cr, rnd.uniform(20, w - 20), rnd.uniform(20, h * 0.6), rnd.uniform(3, 8), pal::cream, 0.8);
    }
    cairo_restore(cr);
    cardEdge(cr, w, h);
}

void bigTen(cairo_t* cr, int w, int h) {
    // a round badge with a glittering gold "10" and confetti
    const double cx = w / 2.0, cy = h / 2.0, r = w / 2.0 - 14;
    circle(cr, cx, cy, r);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 4, cx, cy, r);
    addStop(g, 0, pal::magenta);
    addStop(g, 1, pal::purple);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_save(cr);
    circle(cr, cx, cy, r);
    cairo_clip(cr);
    for (int i = 0; i < 16; ++i) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, r, i * M_PI / 8, i * M_PI / 8 + M_PI / 16);
        cairo_close_path(cr);
    }
    setColour(cr, pal::pink, 0.25);
    cairo_fill(cr);
    Random rnd(12);
    const Rgb confetti[] = {pal::yellow, pal::teal, pal::orange, pal::cream};
    for (int i = 0; i < 40; ++i) {
        cairo_save(cr);
        cairo_translate(cr, rnd.uniform(20, w - 20), rnd.uniform(20, h - 20));
        cairo_rotate(cr, rnd.uniform(0, M_PI));
        cairo_rectangle(cr, -4, -1.5, 8, 3);
        cairo_restore(cr);
        setColour(cr, confetti[i % 4]);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    circle(cr, cx, cy, r);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
    useFace(cr, Face::GothicDemi, h * 0.55);
    textPathCentred(cr, "10", cx, cy);
    cairo_path_t* path = cairo_copy_path(cr);
    glowFill(cr, pal::yellow, 0.9, 6);
    cairo_append_path(cr, path);
    setColour(cr, pal::plum);
    cairo_set_line_width(cr, 8);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_append_path(cr, path);
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, cy - h * 0.2, 0, cy + h * 0.2);
    addStop(gold, 0, pal::cream);
    addStop(gold, 0.45, pal::gold);
    addStop(gold, 0.55, pal::deepGold);
    addStop(gold, 1, pal::yellow);
    cairo_set_source(cr, gold);
    cairo_fill(cr);
    cairo_pattern_destroy(gold);
    cairo_path_destroy(path);
    sparkle(cr, cx + w * 0.2, cy - h * 0.18, 14, pal::white);
    sparkle(cr, cx - w * 0.22, cy + h * 0.15, 10, pal::white);
}

// The background's quad (6.6 wide at distance 6) falls about two pixels short
// of each side of the view, where the dance floor's clear colour (1.0, 0.8,
// 0.0) stays on screen. The picture's own left and right edges are therefore
// a marquee of that yellow with a row of bulbs, so the two pixel columns read
// as the outside of the frame instead of a stray line.
constexpr Rgb kEndClearColour = hex(0xFFCC00);
constexpr int kMarqueeWidth = 12;

void marqueeSides(cairo_t* cr, int w, int h) {
    for (int side = 0; side < 2; ++side) {
        const double x0 = side == 0 ? 0 : w - kMarqueeWidth;
        cairo_rectangle(cr, x0, 0, kMarqueeWidth, h);
        setColour(cr, kEndClearColour);
        cairo_fill(cr);
        // a dark gold edge on the inner side
        cairo_rectangle(cr, side == 0 ? kMarqueeWidth - 2 : w - kMarqueeWidth, 0, 2, h);
        setColour(cr, pal::deepGold);
        cairo_fill(cr);
        for (double y = 10; y < h; y += 22) {
            circle(cr, side == 0 ? 6 : w - 6, y, 3.2);
            setColour(cr, pal::cream);
            cairo_fill_preserve(cr);
            setColour(cr, pal::orange);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
        }
    }
}

}  // namespace

void drawFrog(cairo_t* cr, int w, int h) {
    const int frames = 4;
    const double fw = static_cast<double>(w) / frames;
    for (int f = 0; f < frames; ++f) {
        cairo_reset_clip(cr);
        cairo_rectangle(cr, f * fw + 2, 2, fw - 4, h - 4);
        cairo_clip(cr);
        frogPose(cr, f * fw, fw, h, f);
    }
    cairo_reset_clip(cr);
}

void drawBcn(cairo_t* cr, int w, int h) { skyline(cr, w, h); }
void drawParty(cairo_t* cr, int w, int h) { crowd(cr, w, h); }
void drawTen(cairo_t* cr, int w, int h) { bigTen(cr, w, h); }
void drawBcnBlur(cairo_t* cr, int w, int h) { blurred(cr, w, h, skyline); }
void drawPartyBlur(cairo_t* cr, int w, int h) { blurred(cr, w, h, crowd); }
void drawTenBlur(cairo_t* cr, int w, int h) { blurred(cr, w, h, bigTen); }

void drawBckEnd(cairo_t* cr, int w, int h) {
    // sunset sky: orange at the horizon to purple at the top, a striped sun,
    // rays, and a floor of stripes; opaque
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, h);
    addStop(sky, 0, pal::plum);
    addStop(sky, 0.45, pal::magenta);
    addStop(sky, 0.75, pal::orange);
    addStop(sky, 1, pal::yellow);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    const double cx = w / 2.0, cy = h * 0.78;
    for (int i = 0; i < 24; i += 2) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, w, M_PI + i * M_PI / 24, M_PI + (i + 1) * M_PI / 24);
        cairo_close_path(cr);
    }
    setColour(cr, pal::yellow, 0.14);
    cairo_fill(cr);
    Random rnd(17);
    for (int i = 0; i < 40; ++i)
        sparkle(cr, rnd.uniform(0, w), rnd.uniform(0, h * 0.45), rnd.uniform(2, 7), pal::cream, 0.9);
    circle(cr, cx, cy, w * 0.2);
    cairo_pattern_t* sun = cairo_pattern_create_linear(0, cy - w * 0.2, 0, cy);
    addStop(sun, 0, pal::yellow);
    addStop(sun, 1, pal::orange);
    cairo_set_source(cr, sun);
    cairo_fill(cr);
    cairo_pattern_destroy(sun);
    for (int i = 0; i < 6; ++i) {
        cairo_rectangle(cr, 0, cy - w * 0.2 + w * 0.08 + i * 9, w, 2 + i);
        setColour(cr, pal::magenta);
        cairo_fill(cr);
    }
    // floor with perspective stripes
    cairo_rectangle(cr, 0, cy, w, h - cy);
    setColour(cr, pal::plum);
    cairo_fill(cr);
    for (int i = -12; i <= 12; ++i) {
        cairo_move_to(cr, cx + i * 8, cy);
        cairo_line_to(cr, cx + i * 70, h);
    }
    for (int j = 1; j < 8; ++j) {
        const double y = cy + (h - cy) * (j * j) / 49.0;
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, w, y);
    }
    setColour(cr, pal::pink, 0.7);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    marqueeSides(cr, w, h);
}

}  // namespace art
