#include "Paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace art {

Rgb mix(Rgb a, Rgb b, double t) {
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
    cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

namespace {

constexpr int kFaceCount = 5;

const char* const kFacePaths[kFaceCount] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",         // fonts-dejavu-core
    "/usr/share/fonts/opentype/urw-base35/URWGothic-Demi.otf",      // fonts-urw-base35
    "/usr/share/fonts/opentype/urw-base35/URWBookman-DemiItalic.otf",
    "/usr/share/fonts/opentype/lobster/lobster.otf",                // fonts-lobster
    "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",       // fonts-comfortaa
};

FT_Library library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) {
            std::fprintf(stderr, "glowmotion-art: FreeType cannot start\n");
            std::exit(1);
        }
        return l;
    }();
    return lib;
}

cairo_font_face_t* face(Face f) {
    static cairo_font_face_t* faces[kFaceCount] = {};
    const int i = static_cast<int>(f);
    if (!faces[i]) {
        FT_Face ft = nullptr;
        if (FT_New_Face(library(), kFacePaths[i], 0, &ft) != 0) {
            std::fprintf(stderr,
                         "glowmotion-art: font file %s is missing or unreadable; "
                         "install the packages listed in scripts/packages-build.txt\n",
                         kFacePaths[i]);
            std::exit(1);
        }
        // The FreeType face lives as long as the program: the cairo face keeps it.
        faces[i] = cairo_ft_font_face_create_for_ft_face(ft, 0);
    }
    return faces[i];
}

}  // namespace

void useFace(cairo_t* cr, Face f, double size) {
    cairo_set_font_face(cr, face(f));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

cairo_text_extents_t inkOf(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e;
}

double textPathCentred(cairo_t* cr, const std::string& text, double cx, double cy) {
    const cairo_text_extents_t e = inkOf(cr, text);
    cairo_move_to(cr, cx - e.x_bearing - e.width / 2, cy - e.y_bearing - e.height / 2);
    cairo_text_path(cr, text.c_str());
    return e.width;
}

void starPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn) {
    for (int i = 0; i < points * 2; ++i) {
        const double a = turn - M_PI / 2 + i * M_PI / points;
        const double r = (i % 2 == 0) ? outer : inner;
        if (i == 0)
            cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        else
            cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_close_path(cr);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void circle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_close_path(cr);
}

void fillGold(cairo_t* cr, double cx, double cy, double r, double core) {
    cairo_pattern_t* gold = cairo_pattern_create_radial(cx - r * 0.2, cy - r * 0.3, core, cx, cy, r);
    addStop(gold, 0, pal::white);
    addStop(gold, 0.35, pal::yellow);
    addStop(gold, 1, pal::deepGold);
    cairo_set_source(cr, gold);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gold);
    setColour(cr, hex(0x8A5A00));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

void recordLabel(cairo_t* cr, double cx, double cy, double r) {
    circle(cr, cx, cy, r);
    cairo_pattern_t* label = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.3, 0, cx, cy, r);
    addStop(label, 0, pal::yellow);
    addStop(label, 1, pal::orange);
    cairo_set_source(cr, label);
    cairo_fill(cr);
    cairo_pattern_destroy(label);
}

namespace {

// One horizontal and one vertical box pass over premultiplied ARGB words.
void boxPass(std::vector<double>& v, int w, int h, int r, bool horizontal) {
    std::vector<double> out(v.size());
    const int len = horizontal ? w : h;
    const int lines = horizontal ? h : w;
    for (int line = 0; line < lines; ++line) {
        for (int c = 0; c < 4; ++c) {
            auto at = [&](int i) -> double& {
                const int x = horizontal ? i : line;
                const int y = horizontal ? line : i;
                return v[(static_cast<size_t>(y) * w + x) * 4 + c];
            };
            double sum = 0;
            for (int i = -r; i <= r; ++i)
                if (i >= 0 && i < len) sum += at(i);
            for (int i = 0; i < len; ++i) {
                const int x = horizontal ? i : line;
                const int y = horizontal ? line : i;
                out[(static_cast<size_t>(y) * w + x) * 4 + c] = sum / (2 * r + 1);
                const int add = i + r + 1, drop = i - r;
                if (add < len) sum += at(add);
                if (drop >= 0) sum -= at(drop);
            }
        }
    }
    v.swap(out);
}

}  // namespace

void blurSurface(cairo_surface_t* surface, int radius) {
    if (radius <= 0) return;
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<double> v(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p;
            std::memcpy(&p, data + y * stride + x * 4, 4);
            for (int c = 0; c < 4; ++c) v[(static_cast<size_t>(y) * w + x) * 4 + c] = (p >> (8 * c)) & 0xFF;
        }
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(v, w, h, radius, true);
        boxPass(v, w, h, radius, false);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = 0;
            for (int c = 0; c < 4; ++c) {
                const long q = std::lround(v[(static_cast<size_t>(y) * w + x) * 4 + c]);
                p |= static_cast<uint32_t>(q < 0 ? 0 : q > 255 ? 255 : q) << (8 * c);
            }
            std::memcpy(data + y * stride + x * 4, &p, 4);
        }
    cairo_surface_mark_dirty(surface);
}

void glowFill(cairo_t* cr, Rgb colour, double alpha, double radius) {
    cairo_surface_t* target = cairo_get_target(cr);
    const int w = cairo_image_surface_get_width(target);
    const int h = cairo_image_surface_get_height(target);
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* s = cairo_create(scratch);
    cairo_path_t* path = cairo_copy_path(cr);  // in user space of cr
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_set_matrix(s, &m);
    cairo_append_path(s, path);
    cairo_path_destroy(path);
    setColour(s, colour, alpha);
    cairo_fill(s);
    cairo_destroy(s);
    blurSurface(scratch, static_cast<int>(std::lround(radius)));
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, scratch, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(scratch);
}

void sparkle(cairo_t* cr, double cx, double cy, double size, Rgb colour, double alpha) {
    cairo_save(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, size * 0.45);
    addStop(g, 0, pal::white, alpha);
    addStop(g, 0.35, colour, alpha * 0.6);
    addStop(g, 1, colour, 0);
    cairo_set_source(cr, g);
    circle(cr, cx, cy, size * 0.45);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // four thin rays
    cairo_move_to(cr, cx, cy - size);
    cairo_curve_to(cr, cx + size * 0.06, cy - size * 0.06, cx + size * 0.06, cy - size * 0.06, cx + size, cy);
    cairo_curve_to(cr, cx + size * 0.06, cy + size * 0.06, cx + size * 0.06, cy + size * 0.06, cx, cy + size);
    cairo_curve_to(cr, cx - size * 0.06, cy + size * 0.06, cx - size * 0.06, cy + size * 0.06, cx - size, cy);
    cairo_curve_to(cr, cx - size * 0.06, cy - size * 0.06, cx - size * 0.06, cy - size * 0.06, cx, cy - size);
    cairo_close_path(cr);
    setColour(cr, mix(colour, pal::white, 0.6), alpha);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace art
