// Dance floor scene: the lit floor (4 frames), the mirror ball (3 frames),
// the two dancers (14 and 10 frames), the glow behind the ball and the beam.
#include <cmath>

#include "Drawings.h"
#include "Paint.h"

namespace art {

namespace {

// Each frame is drawn into its own cell with a transparent rim, so linear
// filtering never pulls in the neighbouring frame.
void frameClip(cairo_t* cr, double x0, double fw, double h, double inset = 2) {
    cairo_reset_clip(cr);
    cairo_rectangle(cr, x0 + inset, inset, fw - 2 * inset, h - 2 * inset);
    cairo_clip(cr);
}

struct P {
    double x, y;
};
// angle 0 points down, positive angles swing towards +x
P limb(P from, double angle, double length) {
    return P{from.x + length * std::sin(angle), from.y + length * std::cos(angle)};
}

void strokeChain(cairo_t* cr, std::initializer_list<P> pts, double width, Rgb c) {
    bool first = true;
    for (const P& p : pts) {
        if (first)
            cairo_move_to(cr, p.x, p.y);
        else
            cairo_line_to(cr, p.x, p.y);
        first = false;
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, width);
    setColour(cr, c);
    cairo_stroke(cr);
}

// A leg of flared trousers: quad from hip to knee, flaring from knee to foot.
void flaredLeg(cairo_t* cr, P hip, P knee, P foot, Rgb c, Rgb outline) {
    auto side = [](P a, P b, double half, int s) {
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        return P{s * -dy / len * half, s * dx / len * half};
    };
    const P h1 = side(hip, knee, 7, 1), h2 = side(hip, knee, 7, -1);
    const P k1 = side(knee, foot, 5.5, 1), k2 = side(knee, foot, 5.5, -1);
    const P f1 = side(knee, foot, 11, 1), f2 = side(knee, foot, 11, -1);
    cairo_move_to(cr, hip.x + h1.x, hip.y + h1.y);
    cairo_line_to(cr, knee.x + k1.x, knee.y + k1.y);
    cairo_line_to(cr, foot.x + f1.x, foot.y + f1.y);
    cairo_line_to(cr, foot.x + f2.x, foot.y + f2.y);
    cairo_line_to(cr, knee.x + k2.x, knee.y + k2.y);
    cairo_line_to(cr, hip.x + h2.x, hip.y + h2.y);
    cairo_close_path(cr);
    setColour(cr, c);
    cairo_fill_preserve(cr);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

// Dancer 1: a man in a white suit doing the point, hand on hip.
void dancerOne(cairo_t* cr, double x0, double fw, double fh, double phase) {
    const double s = std::sin(phase), c = std::cos(phase);
    const double u = fh / 160.0;  // drawn on a 112 x 160 grid
    cairo_save(cr);
    cairo_translate(cr, x0, 0);
    cairo_scale(cr, u, u);
    (void)fw;
    // The pointing arm reaches about 67 units right of the frame's centre
    // line when it is level, the elbow of the arm on the hip about 41 left:
    // drawn at 0.88 and centred on that reach, the whole man (the hand of
    // the level arm too) stays inside the 112-unit frame, feet on the pool.
    cairo_translate(cr, 56, 150);
    cairo_scale(cr, 0.88, 0.88);
    cairo_translate(cr, -69, -152);
    const Rgb suit = hex(0xF7F3EA), suitShade = hex(0xC9C2D6), outline = pal::plum;
    const Rgb skin = hex(0xE0A57A);
    const P hip{56 + 5 * s, 84 + 2 * std::cos(2 * phase)};
    const double lean = -0.1 * s;
    const P neck = limb(hip, M_PI + lean, 38);
    // legs: the weight shifts from one to the other
    const P hipL{hip.x - 6, hip.y}, hipR{hip.x + 6, hip.y};
    const P kneeL = limb(hipL, -0.12 + 0.18 * s, 34), kneeR = limb(hipR, 0.18 + 0.18 * s, 34);
    const P footL = limb(kneeL, -0.05 - 0.2 * std::max(0.0, s), 34);
    const P footR = limb(kneeR, 0.05 + 0.2 * std::max(0.0, -s) - 0.15 * s, 34);
    flaredLeg(cr, hipL, kneeL, footL, suitShade, outline);
    flaredLeg(cr, hipR, kneeR, footR, suit, outline);
    for (const P& f : {footL, footR}) {  // platform shoes
        cairo_rectangle(cr, f.x - 9, f.y - 1, 18, 6);
        setColour(cr, pal::deepGold);
        cairo_fill(cr);
    }
    // jacket
    const P shL{neck.x - 14, neck.y + 3}, shR{neck.x + 14, neck.y + 3};
    cairo_move_to(cr, shL.x, shL.y);
    cairo_line_to(cr, shR.x, shR.y);
    cairo_line_to(cr, hip.x + 11, hip.y + 4);
    cairo_line_to(cr, hip.x - 11, hip.y + 4);
    cairo_close_path(cr);
    setColour(cr, suit);
    cairo_fill_preserve(cr);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // open shirt with a gold chain
    cairo_move_to(cr, neck.x - 6, neck.y + 2);
    cairo_line_to(cr, neck.x + 6, neck.y + 2);
    cairo_line_to(cr, neck.x + 0.5 * (hip.x - neck.x), neck.y + 22);
    cairo_close_path(cr);
    setColour(cr, hex(0x1E1024));
    cairo_fill(cr);
    cairo_arc(cr, neck.x + 1, neck.y + 6, 5, 0.2, M_PI - 0.2);
    setColour(cr, pal::gold);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // hand-on-hip arm (left), pointing arm (right) sweeping up and down
    const P elbowL = limb(shL, -0.7, 20);
    const P handL = P{hip.x - 10, hip.y - 2};
    strokeChain(cr, {shL, elbowL, handL}, 10, outline);
    strokeChain(cr, {shL, elbowL, handL}, 7, suitShade);
    const double reach = (1 - c) / 2;  // 0: up high, 1: down across
    const double upper = 2.6 * (1 - reach) + (-0.25) * reach;
    const P elbowR = limb(shR, upper, 21);
    const P handR = limb(elbowR, upper - 0.1, 20);
    strokeChain(cr, {shR, elbowR, handR}, 10, outline);
    strokeChain(cr, {shR, elbowR, handR}, 7, suit);
    circle(cr, handR.x, handR.y, 3.5);
    setColour(cr, skin);
    cairo_fill(cr);
    // head with sideburns and a pompadour
    const P head = limb(neck, M_PI + lean * 0.5, 13);
    circle(cr, head.x, head.y, 10);
    setColour(cr, skin);
    cairo_fill_preserve(cr);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, head.x - 11, head.y + 2);
    cairo_curve_to(cr, head.x - 14, head.y - 16, head.x + 8, head.y - 20, head.x + 12, head.y - 6);
    cairo_curve_to(cr, head.x + 4, head.y - 9, head.x - 4, head.y - 8, head.x - 7, head.y + 4);
    cairo_close_path(cr);
    setColour(cr, hex(0x2A140C));
    cairo_fill(cr);
    circle(cr, head.x + 4, head.y + 1, 1.3);
    circle(cr, head.x - 3, head.y + 1, 1.3);
    setColour(cr, pal::night);
    cairo_fill(cr);
    cairo_arc(cr, head.x + 0.5, head.y + 4, 3.5, 0.3, M_PI - 0.3);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Dancer 2: a woman with an afro in a flaring dress, arms swinging overhead.
void dancerTwo(cairo_t* cr, double x0, double fw, double fh, double phase) {
    const double s = std::sin(phase), c = std::cos(phase);
    const double u = fh / 160.0;
    cairo_save(cr);
    cairo_translate(cr, x0, 0);
    cairo_scale(cr, u, u);
    (void)fw;
    // Drawn at 0.92 towards the pool, so the platform soles stand clear of
    // the frame's lower edge instead of being sliced by it.
    cairo_translate(cr, 56, 150);
    cairo_scale(cr, 0.92, 0.92);
    cairo_translate(cr, -56, -153);
    const Rgb outline = pal::plum, skin = hex(0x8A5234);
    const P hip{56 + 6 * s, 86 + 2 * std::cos(2 * phase)};
    const double lean = 0.12 * s;
    const P neck = limb(hip, M_PI + lean, 36);
    // legs under the dress
    const P kneeL = limb(P{hip.x - 5, hip.y}, -0.15 + 0.2 * s, 34), kneeR = limb(P{hip.x + 5, hip.y}, 0.15 + 0.2 * s, 34);
    const P footL = limb(kneeL, -0.05 + 0.1 * c, 32), footR = limb(kneeR, 0.05 + 0.1 * c, 32);
    for (const auto& leg : {std::pair<P, P>{kneeL, footL}, std::pair<P, P>{kneeR, footR}}) {
        strokeChain(cr, {P{hip.x, hip.y}, leg.first, leg.second}, 8, outline);
        strokeChain(cr, {P{hip.x, hip.y}, leg.first, leg.second}, 5, skin);
        cairo_rectangle(cr, leg.second.x - 7, leg.second.y - 2, 14, 7);
        setColour(cr, pal::gold);
        cairo_fill(cr);
    }
    // dress: bodice, then a skirt that swings with the hips
    const double swing = 10 * s;
    cairo_move_to(cr, neck.x - 12, neck.y + 4);
    cairo_line_to(cr, neck.x + 12, neck.y + 4);
    cairo_line_to(cr, hip.x + 9, hip.y - 6);
    cairo_curve_to(cr, hip.x + 20 + swing, hip.y + 10, hip.x + 26 + swing, hip.y + 26, hip.x + 24 + swing * 1.4,
                   hip.y + 38);
    cairo_curve_to(cr, hip.x + 8, hip.y + 42, hip.x - 8, hip.y + 42, hip.x - 24 + swing * 1.4, hip.y + 38);
    cairo_curve_to(cr, hip.x - 26 + swing, hip.y + 26, hip.x - 20 + swing, hip.y + 10, hip.x - 9, hip.y - 6);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, neck.y, 0, hip.y + 40);
    addStop(g, 0, pal::magenta);
    addStop(g, 0.6, pal::pink);
    addStop(g, 1, pal::orange);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    setColour(cr, outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    for (int i = 0; i < 3; ++i) {  // sequin stripes
        cairo_move_to(cr, hip.x - 18 + swing + i * 2, hip.y + 14 + i * 8);
        cairo_line_to(cr, hip.x + 18 + swing + i * 2, hip.y + 14 + i * 8);
    }
    setColour(cr, pal::yellow, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // arms: both up, waving in turn
    const P shL{neck.x - 11, neck.y + 4}, shR{neck.x + 11, neck.y + 4};
    const P elL = limb(shL, -2.3 + 0.35 * s, 20), elR = limb(shR, 2.3 + 0.35 * s, 20);
    const P haL = limb(elL, -2.9 + 0.5 * s, 19), haR = limb(elR, 2.9 + 0.5 * s, 19);
    strokeChain(cr, {shL, elL, haL}, 8, outline);
    strokeChain(cr, {shL, elL, haL}, 5, skin);
    strokeChain(cr, {shR, elR, haR}, 8, outline);
    strokeChain(cr, {shR, elR, haR}, 5, skin);
    for (const P& e : {elL, elR}) {  // gold bangles
        circle(cr, e.x, e.y, 3);
        setColour(cr, pal::gold);
        cairo_fill(cr);
    }
    // afro and face
    const P head = limb(neck, M_PI + lean * 0.5, 12);
    circle(cr, head.x, head.y - 3, 17);
    setColour(cr, hex(0x1E0E08));
    cairo_fill(cr);
    circle(cr, head.x, head.y + 1, 9);
    setColour(cr, skin);
    cairo_fill_preserve(cr);
    setColour(cr, outline);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    circle(cr, head.x - 3, head.y, 1.2);
    circle(cr, head.x + 3, head.y, 1.2);
    setColour(cr, pal::night);
    cairo_fill(cr);
    circle(cr, head.x, head.y + 5, 2);
    setColour(cr, hex(0xE0245E));
    cairo_fill(cr);
    for (int side = -1; side <= 1; side += 2) {
        circle(cr, head.x + side * 9, head.y + 6, 2.8);
        setColour(cr, pal::gold);
        cairo_set_line_width(cr, 1.3);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void drawDancerStrip(cairo_t* cr, int w, int h, int frames, void (*dancer)(cairo_t*, double, double, double, double)) {
    const double fw = static_cast<double>(w) / frames;
    for (int k = 0; k < frames; ++k) {
        frameClip(cr, k * fw, fw, h);
        // soft spotlight pool under the feet
        cairo_save(cr);
        cairo_translate(cr, k * fw + fw / 2, h - 10);
        cairo_scale(cr, fw * 0.42, 6);
        circle(cr, 0, 0, 1);
        cairo_restore(cr);
        setColour(cr, pal::night, 0.35);
        cairo_fill(cr);
        dancer(cr, k * fw, fw, h, 2 * M_PI * k / frames);
    }
    cairo_reset_clip(cr);
}

}  // namespace

void drawFloor(cairo_t* cr, int w, int h) {
    const int frames = 4, n = 6;
    const double fw = static_cast<double>(w) / frames, tile = fw / n;
    const Rgb lit[] = {pal::magenta, pal::yellow, pal::teal, pal::orange, pal::purple};
    for (int f = 0; f < frames; ++f) {
        cairo_reset_clip(cr);
        cairo_rectangle(cr, f * fw, 0, fw, h);
        cairo_clip(cr);
        setColour(cr, hex(0x14081C));
        cairo_paint(cr);
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                // which tiles shine: checker, diagonals, rings, cross
                bool on = false;
                const int ring = std::max(std::abs(2 * i - (n - 1)), std::abs(2 * j - (n - 1))) / 2;
                switch (f) {
                case 0: on = (i + j) % 2 == 0; break;
                case 1: on = (i - j + n) % 3 == 0; break;
                case 2: on = ring % 2 == 0; break;
                case 3: on = (i + j) % 2 == 1 || ring == 0; break;
                }
                const Rgb c = lit[(i * 3 + j * 2 + f) % 5];
                const double x = f * fw + i * tile + 2, y = j * (static_cast<double>(h) / n) + 2;
                const double tw = tile - 4, th = static_cast<double>(h) / n - 4;
                roundedRect(cr, x, y, tw, th, 4);
                cairo_pattern_t* g =
                    cairo_pattern_create_radial(x + tw / 2, y + th / 2, 1, x + tw / 2, y + th / 2, tw * 0.75);
                if (on) {
                    addStop(g, 0, pal::white);
                    addStop(g, 0.35, mix(c, pal::white, 0.3));
                    addStop(g, 1, c);
                } else {
                    addStop(g, 0, mix(c, pal::night, 0.55));
                    addStop(g, 1, mix(c, pal::night, 0.78));
                }
                cairo_set_source(cr, g);
                cairo_fill(cr);
                cairo_pattern_destroy(g);
            }
    }
    cairo_reset_clip(cr);
}

void drawBola(cairo_t* cr, int w, int h) {
    const int frames = 3;
    const double fw = static_cast<double>(w) / frames;
    const int bands = 14, cells = 28;
    for (int f = 0; f < frames; ++f) {
        // The quad shows 0.33 of s per frame: the ball and its halo, blur
        // included, end inside that, so no edge of the halo is cut straight.
        frameClip(cr, f * fw, fw * 0.985, h);
        const double cx = f * fw + fw * 0.485, cy = h * 0.52, r = fw * 0.35;
        // wire
        cairo_move_to(cr, cx, 0);
        cairo_line_to(cr, cx, cy - r);
        setColour(cr, pal::steel);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        circle(cr, cx, cy, r + 4);
        glowFill(cr, pal::pink, 0.7, 4);
        cairo_save(cr);
        circle(cr, cx, cy, r);
        cairo_clip(cr);
        setColour(cr, hex(0x3A3A48));
        cairo_paint(cr);
        const double turn = (2 * M_PI / cells) * f / frames;  // one third of a facet per frame
        for (int b = 0; b < bands; ++b) {
            const double la0 = -M_PI / 2 + M_PI * b / bands, la1 = la0 + M_PI / bands;
            for (int k = 0; k < cells; ++k) {
                const double lo0 = 2 * M_PI * k / cells + turn, lo1 = lo0 + 2 * M_PI / cells;
                const double mid = (lo0 + lo1) / 2;
                if (std::cos(mid) <= -0.05) continue;
                auto pt = [&](double la, double lo) {
                    return P{cx + r * std::cos(la) * std::sin(lo), cy - r * std::sin(la)};
                };
                const P a = pt(la0, lo0), b2 = pt(la0, lo1), c2 = pt(la1, lo1), d = pt(la1, lo0);
                cairo_move_to(cr, a.x, a.y);
                cairo_line_to(cr, b2.x, b2.y);
                cairo_line_to(cr, c2.x, c2.y);
                cairo_line_to(cr, d.x, d.y);
                cairo_close_path(cr);
                // light from the upper left, each facet with its own tint
                const double la = (la0 + la1) / 2;
                const double nx = std::cos(la) * std::sin(mid), ny = std::sin(la), nz = std::cos(la) * std::cos(mid);
                const double light = std::max(0.0, -0.45 * nx + 0.55 * ny + 0.7 * nz);
                Random rnd(static_cast<uint32_t>(b * 131 + k * 7 + 1));
                const double jitter = rnd.uniform(-0.18, 0.18);
                Rgb col = mix(hex(0x4A4A5C), pal::silver, std::min(1.0, light + jitter));
                const uint32_t tint = rnd.next() % 9;
                if (tint == 0) col = mix(col, pal::magenta, 0.55);
                if (tint == 1) col = mix(col, pal::orange, 0.55);
                if (tint == 2) col = mix(col, pal::yellow, 0.45);
                setColour(cr, col);
                cairo_fill_preserve(cr);
                setColour(cr, hex(0x1A1A22), 0.8);
                cairo_set_line_width(cr, 0.8);
                cairo_stroke(cr);
            }
        }
        cairo_pattern_t* shade = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.35, r * 0.1, cx, cy, r);
        addStop(shade, 0, pal::white, 0.25);
        addStop(shade, 0.7, pal::white, 0);
        addStop(shade, 1, pal::night, 0.6);
        cairo_set_source(cr, shade);
        cairo_paint(cr);
        cairo_pattern_destroy(shade);
        cairo_restore(cr);
        frameClip(cr, f * fw, fw * 0.985, h);
        // sparkles that wander from frame to frame
        Random rnd(static_cast<uint32_t>(40 + f));
        for (int i = 0; i < 4; ++i) {
            const double a = rnd.uniform(0, 2 * M_PI), rr = r * std::sqrt(rnd.uniform(0.05, 0.8));
            sparkle(cr, cx + rr * std::cos(a), cy + rr * std::sin(a), rnd.uniform(7, 14), pal::cream);
        }
    }
    cairo_reset_clip(cr);
}

void drawBaile1(cairo_t* cr, int w, int h) { drawDancerStrip(cr, w, h, 14, dancerOne); }
void drawBaile2(cairo_t* cr, int w, int h) { drawDancerStrip(cr, w, h, 10, dancerTwo); }

void drawLightball(cairo_t* cr, int w, int h) {
    // Blended as src * (1 - src) + dst: a channel adds at most 0.25, at 0.5.
    // The glow therefore stays at or below 0.5, brightest in the middle.
    setColour(cr, pal::black);
    cairo_paint(cr);
    const double cx = w / 2.0, cy = h / 2.0, r = w / 2.0 - 4;
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    addStop(g, 0, Rgb{0.5, 0.46, 0.5});
    addStop(g, 0.3, Rgb{0.48, 0.3, 0.42});
    addStop(g, 0.65, Rgb{0.3, 0.1, 0.28});
    addStop(g, 1, Rgb{0, 0, 0});
    cairo_set_source(cr, g);
    circle(cr, cx, cy, r);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6 + 0.2;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + r * std::cos(a - 0.05), cy + r * std::sin(a - 0.05));
        cairo_line_to(cr, cx + r * std::cos(a + 0.05), cy + r * std::sin(a + 0.05));
        cairo_close_path(cr);
    }
    glowFill(cr, Rgb{0.5, 0.3, 0.1}, 0.35, 4);
}

void drawLight(cairo_t* cr, int w, int h) {
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_clip(cr);
    cairo_move_to(cr, w * 0.42, 4);
    cairo_line_to(cr, w * 0.58, 4);
    cairo_line_to(cr, w * 0.95, h - 4);
    cairo_line_to(cr, w * 0.05, h - 4);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    addStop(g, 0, pal::white, 0.95);
    addStop(g, 0.3, pal::yellow, 0.6);
    addStop(g, 1, pal::amber, 0);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    circle(cr, w / 2.0, 10, 8);
    glowFill(cr, pal::white, 1.0, 4);
}

}  // namespace art
