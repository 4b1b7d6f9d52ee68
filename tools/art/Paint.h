#pragma once
// Small drawing helpers shared by the pictures: colours of the palette, the
// fonts (loaded from fixed files through FreeType, never through fontconfig's
// choice), text paths, stars, soft glows and a seeded random sequence.
#include <cairo.h>

#include <cstdint>
#include <string>

namespace art {

struct Rgb {
    double r, g, b;
};

// 0xRRGGBB -> colour.
constexpr Rgb hex(uint32_t v) {
    return Rgb{((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

// The disco palette.
namespace pal {
constexpr Rgb orange = hex(0xFF8C1A);
constexpr Rgb amber = hex(0xFFB300);
constexpr Rgb yellow = hex(0xFFD93D);
constexpr Rgb cream = hex(0xFFF1C9);
constexpr Rgb magenta = hex(0xE4007C);
constexpr Rgb pink = hex(0xFF5FA8);
constexpr Rgb purple = hex(0x6A1B9A);
constexpr Rgb plum = hex(0x3B0A45);
constexpr Rgb night = hex(0x1A0526);
constexpr Rgb gold = hex(0xF5C542);
constexpr Rgb deepGold = hex(0xB8860B);
constexpr Rgb silver = hex(0xD9DEE6);
constexpr Rgb steel = hex(0x7B8594);
constexpr Rgb white = hex(0xFFFFFF);
constexpr Rgb black = hex(0x000000);
constexpr Rgb teal = hex(0x19B5A8);
}  // namespace pal

Rgb mix(Rgb a, Rgb b, double t);
void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

// The typefaces the pictures use, each one fixed font file of a Debian package.
enum class Face { SansBold, GothicDemi, BookmanDemiItalic, Lobster, ComfortaaBold };
// Selects the face at the given size, with fixed rendering options (grey
// anti-aliasing, no hinting). Exits with a message if the file is missing.
void useFace(cairo_t* cr, Face face, double size);

// Appends the outline of text to the path with its ink box centred on
// (cx, cy). Returns the ink width.
double textPathCentred(cairo_t* cr, const std::string& text, double cx, double cy);
// Ink extents of text with the current font.
cairo_text_extents_t inkOf(cairo_t* cr, const std::string& text);

// A star with `points` points centred on (cx, cy), first point straight up.
void starPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn = 0.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void circle(cairo_t* cr, double cx, double cy, double r);

// Fills the current path, and keeps it, in the show's star gold: white up
// and left of (cx, cy), yellow, deep gold at radius r (the gradient starts
// at `core`). Then sets the stars' brown outline with round joins; the
// caller sets the width and strokes.
void fillGold(cairo_t* cr, double cx, double cy, double r, double core);
// A record's label: a disc of radius r on (cx, cy), yellow up and left to
// orange at its edge.
void recordLabel(cairo_t* cr, double cx, double cy, double r);

// Fills the current path in a blurred, glowing way: the path is filled in
// colour on a scratch surface, blurred by `radius` pixels and painted under
// the target's current transform-independent device space. The path is cleared.
void glowFill(cairo_t* cr, Rgb colour, double alpha, double radius);

// Box blur (three passes, approximately Gaussian) of an ARGB32 surface, in place.
void blurSurface(cairo_surface_t* surface, int radius);

// A four-point twinkle (long cross with a soft core), for highlights.
void sparkle(cairo_t* cr, double cx, double cy, double size, Rgb colour, double alpha = 1.0);

// Deterministic pseudo-random sequence (a 32-bit LCG), so art never varies.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * (next() & 0xFFFFFF) / 16777216.0; }

private:
    uint32_t state_;
};

}  // namespace art
