// Pattern generators: each sets the layer to W x H and writes every pixel,
// row by row, x fastest, without reading the layer.
#include <cmath>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"

namespace texgen {

namespace {
const float kTwoPi = 6.2831850f;
const float kTwoPiBy256 = 0.024543691f;  // one phase byte step
const float kTop = 0.99999f;

void setSize(Layer& dst, const Operands& in) {
    dst.width = in.width;
    dst.height = in.height;
}
}  // namespace

// Board of 2*nx by 2*ny squares, colour A at (0, 0). Cell sizes are singles,
// so uneven divisions put square edges where the fractions cross 0.5.
void checker(Layer& dst, const Layer&, const Operands& in) {
    setSize(dst, in);
    const double cw = static_cast<float>(static_cast<double>(in.width) / in.countX);
    const double ch = static_cast<float>(static_cast<double>(in.height) / in.countY);
    for (int y = 0; y < dst.height; ++y) {
        const double qy = y / ch;
        const bool topHalf = qy - std::trunc(qy) < 0.5;
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * dst.width;
        for (int x = 0; x < dst.width; ++x) {
            const double qx = x / cw;
            const bool leftHalf = qx - std::trunc(qx) < 0.5;
            out[x] = leftHalf == topHalf ? in.colour[0] : in.colour[1];
        }
    }
}

// v = squared distance from the centre (W/2, H/2) over (W/2 * H/2), times
// 128/spread, capped at 0.99999.
void radialGradient(Layer& dst, const Layer&, const Operands& in) {
    setSize(dst, in);
    const ScaledRamp ramp(in.ramp);
    const double halfW = in.width * 0.5;
    const double halfH = in.height * 0.5;
    const double area = static_cast<float>(halfH * halfW);
    const double scale = static_cast<float>(128.0 / in.byte[0]);  // spread 1..255
    for (int y = 0; y < dst.height; ++y) {
        const double dy2 = static_cast<float>((y - halfH) * (y - halfH));
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * dst.width;
        for (int x = 0; x < dst.width; ++x) {
            float v = static_cast<float>(((x - halfW) * (x - halfW) + dy2) / area * scale);
            if (v >= kTop) v = kTop;
            out[x] = ramp.colourAt(v);
        }
    }
}

// One random draw per pixel, 0..1, through the ramp.
void noise(Layer& dst, const Layer&, const Operands& in) {
    setSize(dst, in);
    const ScaledRamp ramp(in.ramp);
    RandomSource random(in.byte[0]);
    const double scale = 1.0f / 32767.0f;
    const size_t n = pixelCount(dst);
    for (size_t i = 0; i < n; ++i) dst.pixels[i] = ramp.colourAt(static_cast<float>(random.next() * scale));
}

// W*H bits, row y from bit y*W, most significant bit leftmost (W >= 8).
void bitmap(Layer& dst, const Layer&, const Operands& in) {
    setSize(dst, in);
    const int rowBytes = in.width / 8;
    for (int y = 0; y < dst.height; ++y) {
        const uint8_t* bits = in.bits + static_cast<size_t>(y) * in.width / 8;
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * dst.width;
        for (int x = 0; x < rowBytes * 8; ++x)
            out[x] = (bits[x >> 3] >> (7 - (x & 7))) & 1 ? in.colour[0] : in.colour[1];
    }
}

// v = A1 sin(A0 sin(vx) + P4 + vy) + A3 sin(vx + P5 + S2), with
// vx = fx x 2π / W, vy = fy y 2π / H and S2 = A2 sin(vy); tiles for whole
// frequencies.
void sineWaves(Layer& dst, const Layer&, const Operands& in) {
    setSize(dst, in);
    const ScaledRamp ramp(in.ramp);
    const double a0 = static_cast<float>(in.byte[0] / 64.0);
    const double a1 = static_cast<float>(in.byte[1] / 64.0);
    const double a2 = static_cast<float>(in.byte[2] / 64.0);
    const double a3 = static_cast<float>(in.byte[3] / 64.0);
    const double p4 = static_cast<float>(in.byte[4] * static_cast<double>(kTwoPiBy256));
    const double p5 = static_cast<float>(in.byte[5] * static_cast<double>(kTwoPiBy256));
    const double w = static_cast<float>(in.width);
    for (int y = 0; y < dst.height; ++y) {
        const double vyExact = static_cast<double>(in.countY * y) * kTwoPi / in.height;
        const double vy = static_cast<float>(vyExact);
        const double s2 = static_cast<float>(a2 * std::sin(vyExact));
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * dst.width;
        for (int x = 0; x < dst.width; ++x) {
            const double vx = static_cast<double>(in.countX * x) * kTwoPi / w;
            const float v = static_cast<float>(a1 * std::sin(a0 * std::sin(vx) + p4 + vy) + a3 * std::sin(vx + p5 + s2));
            out[x] = ramp.colourAt(v);
        }
    }
}

}  // namespace texgen
