#pragma once
// Colour ramps: up to 16 stops that turn a number into a colour.
#include <cstdint>

// One stop: position 0..255 (read as position/255), then the colour.
struct RampStop {
    uint8_t position = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

struct ColourRamp {
    static constexpr int kMaxStops = 16;

    uint8_t count = 2;  // stops in use, 1..16, listed by increasing position
    RampStop stops[kMaxStops];

    // Colour 0x00RRGGBB at t. Only the fractional part of |t| counts, so t,
    // -t and t + 1 give the same colour. Below the first stop: the first
    // stop's colour; above the last stop (or t not a number): the last one's.
    uint32_t colourAt(float t) const;
};
