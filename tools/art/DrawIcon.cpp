// The program's icon for desktops: the show's record on a warm glow with
// its golden star, drawn at each size rather than scaled, so that the small
// sizes keep clean edges and leave out what they could not show.
#include <cmath>

#include "Art.h"
#include "Paint.h"

namespace art {

namespace {

void drawIcon(cairo_t* cr, int size) {
    const double s = size;
    const bool glowing = size >= 32;   // glows and the label's ring
    const bool detailed = size >= 48;  // grooves, sheen and sparkle
    // The glows (three box blurs, about three radii wide) end inside the
    // square; the smallest size uses the room for the record instead.
    const double cx = s * 0.46, cy = s * 0.46, r = s * (glowing ? 0.38 : 0.44);

    // the glow behind the record
    if (glowing) {
        circle(cr, cx, cy, r * 1.03);
        glowFill(cr, pal::magenta, 0.85, s * 0.018);
    }

    // the record
    circle(cr, cx, cy, r);
    cairo_pattern_t* base = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    addStop(base, 0, hex(0x2A2630));
    addStop(base, 1, hex(0x0B0A0E));
    cairo_set_source(cr, base);
    cairo_fill(cr);
    cairo_pattern_destroy(base);
    if (detailed) {
        cairo_save(cr);
        circle(cr, cx, cy, r);
        cairo_clip(cr);
        for (double rr = r * 0.45; rr < r * 0.97; rr += s / 96.0) {
            circle(cr, cx, cy, rr);
            cairo_set_source_rgba(cr, 0.2, 0.19, 0.24, 0.8);
            cairo_set_line_width(cr, s / 256.0);
            cairo_stroke(cr);
        }
        for (double a0 : {-2.3, 0.84}) {
            cairo_move_to(cr, cx, cy);
            cairo_arc(cr, cx, cy, r, a0, a0 + 0.5);
            cairo_close_path(cr);
            glowFill(cr, hex(0xE8D8FF), 0.25, s / 40.0);
        }
        cairo_restore(cr);
    }
    if (glowing) {
        circle(cr, cx, cy, r - s / 128.0);
        setColour(cr, hex(0x5A5266));
        cairo_set_line_width(cr, s / 96.0);
        cairo_stroke(cr);
    }

    // the label: orange to yellow with a magenta ring, and the spindle hole
    const double lr = r * 0.36;
    recordLabel(cr, cx, cy, lr);
    if (glowing) {
        circle(cr, cx, cy, lr * 0.88);
        setColour(cr, pal::magenta);
        cairo_set_line_width(cr, lr * 0.12);
        cairo_stroke(cr);
    }
    circle(cr, cx, cy, std::max(0.6, lr * 0.14));
    setColour(cr, hex(0x111111));
    cairo_fill(cr);

    // the star, over the record's lower right edge
    const double sx = s * 0.72, sy = s * 0.72, sr = s * 0.24;
    if (glowing) {
        starPath(cr, sx, sy, sr * 1.05, sr * 0.47, 5);
        glowFill(cr, pal::orange, 1.0, s * 0.012);
    }
    starPath(cr, sx, sy, sr, sr * 0.45, 5);
    fillGold(cr, sx, sy, sr, 0);
    cairo_set_line_width(cr, std::max(0.75, s / 96.0));
    cairo_stroke(cr);
    if (detailed) sparkle(cr, s * 0.22, s * 0.2, s * 0.1, pal::cream);
}

}  // namespace

bool writeIcon(int size, const std::string& pngPath, std::string* error) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    drawIcon(cr, size);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, pngPath.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        *error = "cannot write " + pngPath + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace art
