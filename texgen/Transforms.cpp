// Geometric transforms: every output pixel is taken from some position of the
// layer as it was before the operation (computed into a temporary, then
// copied back). Only Rotate90 changes the size.
#include <algorithm>
#include <cmath>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"

namespace texgen {

namespace {

const float kTwoPi = 6.2831850f;

// out(x, y) = in(source(x, y)) over the whole layer, through a temporary.
template <typename Source>
void remap(Layer& layer, Source source) {
    const int w = layer.width, h = layer.height;
    std::vector<uint32_t> out(pixelCount(layer));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out[static_cast<size_t>(y) * w + x] = source(x, y);
    std::copy(out.begin(), out.end(), layer.pixels);
}

// Per channel (p(x,y) + p(x+1,y) + p(x,y+1) + p(x+1,y+1)) >> 2, wrapped.
uint32_t average2x2(const Layer& layer, int x, int y) {
    const int mx = layer.width - 1, my = layer.height - 1;
    const uint32_t* p = layer.pixels;
    const uint32_t a = p[(x & mx) + static_cast<size_t>(y & my) * layer.width];
    const uint32_t b = p[((x + 1) & mx) + static_cast<size_t>(y & my) * layer.width];
    const uint32_t c = p[(x & mx) + static_cast<size_t>((y + 1) & my) * layer.width];
    const uint32_t d = p[((x + 1) & mx) + static_cast<size_t>((y + 1) & my) * layer.width];
    return rgb((red(a) + red(b) + red(c) + red(d)) >> 2, (green(a) + green(b) + green(c) + green(d)) >> 2,
               (blue(a) + blue(b) + blue(c) + blue(d)) >> 2);
}

}  // namespace

// Mode 0x10 reverses every row, then 0x01 reverses the row order.
void mirror(Layer& layer, const Layer&, const Operands& in) {
    const bool flipX = in.byte[0] & 0x10, flipY = in.byte[0] & 0x01;
    const int w = layer.width, h = layer.height;
    const uint32_t* p = layer.pixels;
    remap(layer, [&](int x, int y) {
        const int sx = flipX ? w - 1 - x : x;
        const int sy = flipY ? h - 1 - y : y;
        return p[static_cast<size_t>(sy) * w + sx];
    });
}

// s = B sin(A sin(vx) + vy + E) + D sin(vx + Cs + F) is an angle in turns;
// the pixel is the 2x2 average at (x, y) + G (cos 2πs, sin 2πs).
void sineWarp(Layer& layer, const Layer&, const Operands& in) {
    const double a = static_cast<float>(in.byte[0] / 64.0);
    const double b = static_cast<float>(in.byte[1] / 64.0);
    const double c = static_cast<float>(in.byte[2] / 64.0);
    const double d = static_cast<float>(in.byte[3] / 64.0);
    const double e = in.byte[4] * static_cast<double>(kTwoPi) / 256.0;
    const double f = in.byte[5] * static_cast<double>(kTwoPi) / 256.0;
    const double g = static_cast<float>(in.byte[6]);
    const int w = layer.width, h = layer.height;
    const double wf = static_cast<float>(w);
    std::vector<uint32_t> out(pixelCount(layer));
    for (int y = 0; y < h; ++y) {
        const double vy = static_cast<float>(static_cast<double>(kTwoPi) * y / h);
        const double yf = static_cast<float>(y);
        const double cs = static_cast<float>(c * std::sin(vy));
        for (int x = 0; x < w; ++x) {
            const double vx = static_cast<double>(kTwoPi) * x / wf;
            const float s = static_cast<float>(b * std::sin(a * std::sin(vx) + vy + e) + d * std::sin(vx + cs + f));
            const double theta = static_cast<double>(kTwoPi) * s;
            const int px = static_cast<int>(x + g * std::cos(theta)) & (w - 1);
            const int py = static_cast<int>(yf + g * std::sin(static_cast<double>(static_cast<float>(theta)))) & (h - 1);
            out[static_cast<size_t>(y) * w + x] = average2x2(layer, px, py);
        }
    }
    std::copy(out.begin(), out.end(), layer.pixels);
}

// Word: n = bits 0-13, direction = bits 14-15 (0: +y, 1: -y, 2: +x, 3: -x);
// out(x, y) = in(x + dx, y + dy), wrapped.
void scroll(Layer& layer, const Layer&, const Operands& in) {
    const int n = in.word & 0x3FFF;
    int dx = 0, dy = 0;
    switch (in.word >> 14) {
    case 0: dy = n; break;
    case 1: dy = -n; break;
    case 2: dx = n; break;
    default: dx = -n; break;
    }
    const int w = layer.width, h = layer.height;
    const uint32_t* p = layer.pixels;
    remap(layer, [&](int x, int y) { return p[static_cast<size_t>((y + dy) & (h - 1)) * w + ((x + dx) & (w - 1))]; });
}

// Blocks of B = 1 << e take the colour at their centre (the lower-right of the
// four middle pixels). A block larger than the layer leaves it unchanged.
void pixelate(Layer& layer, const Layer&, const Operands& in) {
    const int e = in.byte[0];
    if (e == 0 || e > 9) return;
    const int block = 1 << e;
    if (block > layer.width || block > layer.height) return;
    const int mask = ~(block - 1) & 0xFFFF;
    const int o = block / 2;
    const int w = layer.width;
    const uint32_t* p = layer.pixels;
    remap(layer, [&](int x, int y) { return p[static_cast<size_t>((y & mask) + o) * w + ((x & mask) + o)]; });
}

// Each pixel from a random offset of up to the amount a in x and y
// (dy drawn first), wrapped.
void jitter(Layer& layer, const Layer&, const Operands& in) {
    RandomSource random(in.byte[0]);
    const int amount = in.byte[1];
    const int w = layer.width, h = layer.height;
    const uint32_t* p = layer.pixels;
    remap(layer, [&](int x, int y) {
        const int dy = (16383 - random.next()) * amount / 16383;
        const int dx = (16383 - random.next()) * amount / 16383;
        return p[static_cast<size_t>((y + dy) & (h - 1)) * w + ((x + dx) & (w - 1))];
    });
}

// t + 1 quarter turns; each takes W x H to H x W with out(x, y) = in(W-1-y, x).
// Four turns are the identity, so only (t + 1) mod 4 of them are carried out.
void rotate90(Layer& layer, const Layer&, const Operands& in) {
    const int turns = (in.byte[0] + 1) & 3;
    std::vector<uint32_t> out(pixelCount(layer));
    for (int turn = 0; turn < turns; ++turn) {
        const int w = layer.width, h = layer.height;
        for (int y = 0; y < w; ++y)
            for (int x = 0; x < h; ++x) out[static_cast<size_t>(y) * h + x] = layer.pixels[static_cast<size_t>(x) * w + (w - 1 - y)];
        std::copy(out.begin(), out.end(), layer.pixels);
        layer.width = h;
        layer.height = w;
    }
}

// Inside the inscribed disc, rotate the sampling position by
// φ = (128 - r)/128 (v - 128)/(2π) radians and take the 2x2 average there.
void twirl(Layer& layer, const Layer&, const Operands& in) {
    const int w = layer.width, h = layer.height;
    const int cx = w >> 1, cy = h >> 1;
    const double amount = in.word - 128;
    std::vector<uint32_t> out(pixelCount(layer));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int dx = x - cx, dy = y - cy;
            const double r = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            uint32_t value;
            if (r < cx && static_cast<float>(r) < cy) {
                const float phi = static_cast<float>((128.0 - r) * 0.0078125 * amount * static_cast<double>(0.15915495f));
                const double cosPhi = std::cos(static_cast<double>(phi)), sinPhi = std::sin(static_cast<double>(phi));
                const int sx = static_cast<int>(dx * cosPhi + dy * sinPhi + cx) & (w - 1);
                const int sy = static_cast<int>(dy * cosPhi - dx * sinPhi + cy) & (h - 1);
                value = average2x2(layer, sx, sy);
            } else {
                value = layer.pixels[static_cast<size_t>(y) * w + x];
            }
            out[static_cast<size_t>(y) * w + x] = value;
        }
    }
    std::copy(out.begin(), out.end(), layer.pixels);
}

}  // namespace texgen
