// Pixel filters: colours change, the size never does. Point filters work in
// place; neighbour filters read the layer as it was before the operation.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "texgen/Operations.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace texgen {

namespace {

#ifdef __SSE2__
inline __m128i load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
#endif

// Channel gradient |U - D| + |L - R| at every pixel, handed to `use` with the
// pixel's index; neighbours wrapped.
template <typename Use>
void forEachGradient(const Layer& layer, Use use) {
    const int w = layer.width, h = layer.height;
    const uint32_t* p = layer.pixels;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = p + static_cast<size_t>(y) * w;
        const uint32_t* upRow = p + static_cast<size_t>((y - 1) & (h - 1)) * w;
        const uint32_t* downRow = p + static_cast<size_t>((y + 1) & (h - 1)) * w;
        for (int x = 0; x < w; ++x) {
            const uint32_t u = upRow[x], d = downRow[x];
            const uint32_t l = row[(x - 1) & (w - 1)], r = row[(x + 1) & (w - 1)];
            const int gr = std::abs(red(u) - red(d)) + std::abs(red(l) - red(r));
            const int gg = std::abs(green(u) - green(d)) + std::abs(green(l) - green(r));
            const int gb = std::abs(blue(u) - blue(d)) + std::abs(blue(l) - blue(r));
            use(static_cast<size_t>(y) * w + x, gr, gg, gb);
        }
    }
}

// A pixel spread into 16-bit lanes (red << 32 | green << 16 | blue), so that
// sums of up to 255 channel values add without carries between channels.
inline uint64_t spread(uint32_t p) {
    return (static_cast<uint64_t>(p & 0xFF0000) << 16) | (static_cast<uint64_t>(p & 0xFF00) << 8) | (p & 0xFF);
}
inline uint32_t pack(uint64_t lanes) {
    return static_cast<uint32_t>(((lanes >> 16) & 0xFF0000) | ((lanes >> 8) & 0xFF00) | (lanes & 0xFF));
}

}  // namespace

void brightness(Layer& layer, const Layer&, const Operands& in) {
    const int delta = in.byte[0] - 128;
    const size_t n = pixelCount(layer);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = layer.pixels[i];
        layer.pixels[i] = rgb(clampByte(red(p) + delta), clampByte(green(p) + delta), clampByte(blue(p) + delta));
    }
}

void edgeDarken(Layer& layer, const Layer&, const Operands&) {
    std::vector<uint8_t> factor(pixelCount(layer));
    forEachGradient(layer, [&](size_t i, int gr, int gg, int gb) {
        factor[i] = static_cast<uint8_t>((765 - (gr >> 1) - (gg >> 1) - (gb >> 1)) / 3);
    });
    for (size_t i = 0; i < factor.size(); ++i) {
        const uint32_t p = layer.pixels[i];
        const int t = factor[i];
        layer.pixels[i] = rgb((red(p) * t) >> 8, (green(p) * t) >> 8, (blue(p) * t) >> 8);
    }
}

// The factor is held at 0 where the summed differences pass 382, so the
// strongest edges stay black.
void edgeShade(Layer& layer, const Layer&, const Operands&) {
    std::vector<uint8_t> factor(pixelCount(layer));
    forEachGradient(layer, [&](size_t i, int gr, int gg, int gb) {
        factor[i] = static_cast<uint8_t>(std::max(0, (765 - 2 * (gr + gg + gb)) / 3));
    });
    for (size_t i = 0; i < factor.size(); ++i) {
        const uint32_t p = layer.pixels[i];
        const int t = factor[i];
        layer.pixels[i] = rgb(std::min(red(p) * t / 192, 255), std::min(green(p) * t / 192, 255),
                              std::min(blue(p) * t / 192, 255));
    }
}

// f = 128 / (2 (192 - n)) up to n = 128, then (2n - 128) / 128: 1/3 .. 1 .. 382/128.
void contrast(Layer& layer, const Layer&, const Operands& in) {
    const int level = in.byte[0];
    const double f = level <= 128 ? 128.0 / (2 * (192 - level)) : (2 * level - 128) * (1.0 / 128);
    int map[256];
    for (int c = 0; c < 256; ++c) map[c] = clampByte(static_cast<int>((c - 128) * f) + 128);
    const size_t n = pixelCount(layer);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = layer.pixels[i];
        layer.pixels[i] = rgb(map[red(p)], map[green(p)], map[blue(p)]);
    }
}

void edgeDetect(Layer& layer, const Layer&, const Operands&) {
    std::vector<uint32_t> out(pixelCount(layer));
    forEachGradient(layer, [&](size_t i, int gr, int gg, int gb) { out[i] = rgb(gr >> 1, gg >> 1, gb >> 1); });
    std::copy(out.begin(), out.end(), layer.pixels);
}

// Three pixels ahead along d minus three behind, side by side along p.
void emboss(Layer& layer, const Layer&, const Operands& in) {
    static const int kSteps[8][4] = {  // dx, dy, px, py
        {1, 1, 1, 0}, {0, 1, 1, 0}, {-1, 1, 1, 0}, {1, 0, 0, 1},
        {-1, 0, 0, 1}, {1, -1, 1, 0}, {0, -1, 1, 0}, {-1, -1, 1, 0},
    };
    const int* s = kSteps[in.byte[0] & 7];  // directions above 7 are refused by the program check
    const int dx = s[0], dy = s[1], px = s[2], py = s[3];
    const int w = layer.width, h = layer.height;
    const uint32_t* p = layer.pixels;
    auto at = [&](int x, int y) { return p[static_cast<size_t>(y & (h - 1)) * w + (x & (w - 1))]; };
    std::vector<uint32_t> out(pixelCount(layer));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int r = 128, g = 128, b = 128;
            for (int k = -1; k <= 1; ++k) {
                const uint32_t ahead = at(x + dx + k * px, y + dy + k * py);
                const uint32_t behind = at(x - dx + k * px, y - dy + k * py);
                r += red(ahead) - red(behind);
                g += green(ahead) - green(behind);
                b += blue(ahead) - blue(behind);
            }
            out[static_cast<size_t>(y) * w + x] = rgb(clampByte(r), clampByte(g), clampByte(b));
        }
    }
    std::copy(out.begin(), out.end(), layer.pixels);
}

void greyscale(Layer& layer, const Layer&, const Operands&) {
    const size_t n = pixelCount(layer);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = layer.pixels[i];
        layer.pixels[i] = static_cast<uint32_t>((red(p) + green(p) + blue(p)) / 3) * 0x010101u;
    }
}

void invert(Layer& layer, const Layer&, const Operands&) {
    const size_t n = pixelCount(layer);
    for (size_t i = 0; i < n; ++i) layer.pixels[i] = ~layer.pixels[i];
}

void posterize(Layer& layer, const Layer&, const Operands& in) {
    const uint32_t m = 256u - (1u << std::min<int>(in.byte[0], 8));
    const uint32_t mask = m | (m << 8) | (m << 16);
    const size_t n = pixelCount(layer);
    for (size_t i = 0; i < n; ++i) layer.pixels[i] &= mask;
}

namespace {

// Runs `passes` passes of a 3 x 3 cross filter over the layer in place.
// Each pass reads the layer as it was before the pass: the old copies of the
// row above and of the row itself are kept aside (and of row 0, the one
// below the last row), so no picture-sized temporary is needed and the rows
// stay in the first-level cache. `row(out, c, l, r, u, d, count)` computes
// `count` pixels from the centre, left, right, up and down pixels.
template <typename Row>
void crossFilter(Layer& layer, int passes, Row row) {
    const int w = layer.width, h = layer.height;
    if (passes == 0 || w == 0 || h == 0) return;
    constexpr int kMaxWidth = 512;
    uint32_t top[kMaxWidth], rowA[kMaxWidth], rowB[kMaxWidth];
    uint32_t edges[4];  // left, right neighbours of the first and last pixel
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    for (int pass = 0; pass < passes; ++pass) {
        uint32_t* above = rowA;
        uint32_t* here = rowB;
        std::memcpy(top, layer.pixels, rowBytes);
        std::memcpy(above, layer.pixels + static_cast<size_t>(h - 1) * w, rowBytes);
        for (int y = 0; y < h; ++y) {
            uint32_t* out = layer.pixels + static_cast<size_t>(y) * w;
            std::memcpy(here, out, rowBytes);
            const uint32_t* below = y + 1 < h ? out + w : top;
            if (w == 1) {
                row(out, here, here, here, above, below, 1);
            } else {
                edges[0] = here[w - 1];
                edges[1] = here[1];
                edges[2] = here[w - 2];
                edges[3] = here[0];
                row(out, here, edges, edges + 1, above, below, 1);
                row(out + 1, here + 1, here, here + 2, above + 1, below + 1, w - 2);
                row(out + w - 1, here + w - 1, edges + 2, edges + 3, above + w - 1, below + w - 1, 1);
            }
            std::swap(above, here);  // this row's old copy is the next one's row above
        }
    }
}

}  // namespace

void sharpen(Layer& layer, const Layer&, const Operands& in) {
    crossFilter(layer, in.byte[0],
                [](uint32_t* __restrict out, const uint32_t* c, const uint32_t* l, const uint32_t* r,
                   const uint32_t* u, const uint32_t* d, int count) {
                    int x = 0;
#ifdef __SSE2__
                    // Four pixels at a time in 16-bit lanes; packing with
                    // unsigned saturation clamps to 0..255.
                    const __m128i zero = _mm_setzero_si128(), rgbMask = _mm_set1_epi32(0xFFFFFF);
                    auto half = [&](bool low, __m128i vc, __m128i vl, __m128i vr, __m128i vu, __m128i vd) {
                        auto wide = [&](__m128i v) { return low ? _mm_unpacklo_epi8(v, zero) : _mm_unpackhi_epi8(v, zero); };
                        auto quarter = [&](__m128i v) { return _mm_srli_epi16(wide(v), 2); };
                        const __m128i around = _mm_add_epi16(_mm_add_epi16(quarter(vu), quarter(vd)),
                                                             _mm_add_epi16(quarter(vl), quarter(vr)));
                        return _mm_sub_epi16(_mm_slli_epi16(wide(vc), 1), around);
                    };
                    for (; x + 4 <= count; x += 4) {
                        const __m128i vc = load(c + x), vl = load(l + x), vr = load(r + x);
                        const __m128i vu = load(u + x), vd = load(d + x);
                        const __m128i lo = half(true, vc, vl, vr, vu, vd), hi = half(false, vc, vl, vr, vu, vd);
                        store(out + x, _mm_and_si128(_mm_packus_epi16(lo, hi), rgbMask));
                    }
#endif
                    for (; x < count; ++x) {
                        auto channel = [&](int (*ch)(uint32_t)) {
                            return clampByte(2 * ch(c[x]) - (ch(u[x]) >> 2) - (ch(d[x]) >> 2) - (ch(l[x]) >> 2) -
                                             (ch(r[x]) >> 2));
                        };
                        out[x] = rgb(channel(red), channel(green), channel(blue));
                    }
                });
}

namespace {

// Blur runs its passes on a copy of the picture with every channel in a
// 16-bit value, each row split into its blue, green and red values. Each
// channel's w values are framed by a copy of its last value on the left and
// of its first on the right (its wrapped neighbours), so a row is 3(w + 2)
// values in which every value's left and right neighbours are the values
// beside it. 4C + L + R + U + D is at most 2040, so eight channel values add
// in one 128-bit register, and the sum shifted right by 3 is the channel the
// 8-bit rule gives; the values stay 0..255 from pass to pass. Each pass reads
// one copy and writes the other.

// Sets the frame values of a row from the values they copy.
void frameRow(uint16_t* values, int w) {
    for (int c = 0; c < 3; ++c) {
        uint16_t* channel = values + c * (w + 2);
        channel[0] = channel[w];
        channel[w + 1] = channel[1];
    }
}

// Row of w pixels -> its framed blue, green and red values.
void splitRow(const uint32_t* pixels, uint16_t* values, int w) {
    uint16_t* blue = values + 1;
    uint16_t* green = blue + w + 2;
    uint16_t* red = green + w + 2;
    int x = 0;
#ifdef __SSE2__
    const __m128i m = _mm_set1_epi32(0xFF);
    for (; x + 8 <= w; x += 8) {
        const __m128i a = load(pixels + x), b = load(pixels + x + 4);
        auto channel = [&](int shift) {
            return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(a, shift), m), _mm_and_si128(_mm_srli_epi32(b, shift), m));
        };
        store(blue + x, channel(0));
        store(green + x, channel(8));
        store(red + x, channel(16));
    }
#endif
    for (; x < w; ++x) {
        const uint32_t p = pixels[x];
        blue[x] = static_cast<uint16_t>(p & 0xFF);
        green[x] = static_cast<uint16_t>((p >> 8) & 0xFF);
        red[x] = static_cast<uint16_t>((p >> 16) & 0xFF);
    }
    frameRow(values, w);
}

void joinRow(const uint16_t* values, uint32_t* pixels, int w) {
    const uint16_t* blue = values + 1;
    const uint16_t* green = blue + w + 2;
    const uint16_t* red = green + w + 2;
    int x = 0;
#ifdef __SSE2__
    for (; x + 8 <= w; x += 8) {
        const __m128i blueGreen = _mm_or_si128(load(blue + x), _mm_slli_epi16(load(green + x), 8));
        const __m128i r = load(red + x);
        store(pixels + x, _mm_unpacklo_epi16(blueGreen, r));
        store(pixels + x + 4, _mm_unpackhi_epi16(blueGreen, r));
    }
#endif
    for (; x < w; ++x)
        pixels[x] = (static_cast<uint32_t>(red[x]) << 16) | (static_cast<uint32_t>(green[x]) << 8) | blue[x];
}

// Rows of n = 3(w + 2) framed values, wrapping from the last to the first.
struct PassRows {
    const uint16_t* from;
    uint16_t* to;
    int w, h, n;
    const uint16_t* row(int y) const { return from + static_cast<size_t>(y & (h - 1)) * n; }
    uint16_t* out(int y) const { return to + static_cast<size_t>(y) * n; }
};

// One pass, value by value.
void plainPass(const PassRows& r) {
    for (int y = 0; y < r.h; ++y) {
        const uint16_t *u = r.row(y - 1), *c = r.row(y), *d = r.row(y + 1);
        uint16_t* o = r.out(y);
        for (int base = 1; base < r.n; base += r.w + 2)
            for (int j = base; j < base + r.w; ++j)
                o[j] = static_cast<uint16_t>((4 * c[j] + c[j - 1] + c[j + 1] + u[j] + d[j]) >> 3);
        frameRow(o, r.w);
    }
}

#ifdef __SSE2__
// The same pass eight values at a time from value 1 on, the last eight moved
// back to end at n - 1 (recomputing some values: the same ones, from the
// same copy); the frames, computed too, are set again after. Four rows at a
// time when there are four: each row is loaded once as the centre and as the
// neighbour of the others. Needs n >= 10: eight values after value 0.
void sse2Pass(const PassRows& r) {
    const int n = r.n;
    auto one = [&](const uint16_t* c, uint16_t* o, __m128i up, __m128i centre, __m128i down) {
        const __m128i s = _mm_add_epi16(_mm_add_epi16(load(c - 1), load(c + 1)), _mm_add_epi16(up, down));
        store(o, _mm_srli_epi16(_mm_add_epi16(s, _mm_slli_epi16(centre, 2)), 3));
    };
    if (r.h < 4) {
        for (int y = 0; y < r.h; ++y) {
            const uint16_t *u = r.row(y - 1), *c = r.row(y), *d = r.row(y + 1);
            uint16_t* o = r.out(y);
            auto eight = [&](int j) { one(c + j, o + j, load(u + j), load(c + j), load(d + j)); };
            int j = 1;
            for (; j + 8 <= n - 1; j += 8) eight(j);
            if (j < n - 1) eight(n - 9);
            frameRow(o, r.w);
        }
        return;
    }
    for (int y = 0; y < r.h; y += 4) {
        const uint16_t *r0 = r.row(y - 1), *r1 = r.row(y), *r2 = r.row(y + 1);
        const uint16_t *r3 = r.row(y + 2), *r4 = r.row(y + 3), *r5 = r.row(y + 4);
        uint16_t* o = r.out(y);
        // (the inliner would leave this one a call)
        auto eight = [&](int j) __attribute__((always_inline)) {
            const __m128i v0 = load(r0 + j), v1 = load(r1 + j), v2 = load(r2 + j);
            const __m128i v3 = load(r3 + j), v4 = load(r4 + j), v5 = load(r5 + j);
            one(r1 + j, o + j, v0, v1, v2);
            one(r2 + j, o + n + j, v1, v2, v3);
            one(r3 + j, o + 2 * n + j, v2, v3, v4);
            one(r4 + j, o + 3 * n + j, v3, v4, v5);
        };
        int j = 1;
        for (; j + 8 <= n - 1; j += 8) eight(j);
        if (j < n - 1) eight(n - 9);
        for (int k = 0; k < 4; ++k) frameRow(r.out(y + k), r.w);
    }
}
#endif

// One pass over rows of n = 3(w + 2) framed values. A layer one pixel wide
// (n = 9) has fewer than eight values after value 0: it goes value by value.
void blurPass(const uint16_t* from, uint16_t* to, int w, int h) {
    const PassRows rows{from, to, w, h, 3 * (w + 2)};
#ifdef __SSE2__
    if (rows.n >= 10) {
        sse2Pass(rows);
        return;
    }
#endif
    plainPass(rows);
}

}  // namespace

void blur(Layer& layer, const Layer&, const Operands& in) {
    const int passes = in.byte[0];
    const int w = layer.width, h = layer.height;
    if (passes == 0 || w == 0 || h == 0) return;
    const size_t n = static_cast<size_t>(3) * (w + 2);
    const std::unique_ptr<uint16_t[]> copies(new uint16_t[n * h * 2]);
    uint16_t* a = copies.get();
    uint16_t* b = a + n * h;
    for (int y = 0; y < h; ++y) splitRow(layer.pixels + static_cast<size_t>(y) * w, a + y * n, w);
    for (int pass = 0; pass < passes; ++pass) {
        blurPass(a, b, w, h);
        std::swap(a, b);
    }
    for (int y = 0; y < h; ++y) joinRow(a + y * n, layer.pixels + static_cast<size_t>(y) * w, w);
}

namespace {

// Box of n samples from -(n >> 1) to n - (n >> 1) - 1 along one axis,
// wrapped, sliding over each line: `length` pixels `stride` apart.
void boxBlurLines(Layer& layer, int n, int lines, int length, size_t lineStride, size_t stride) {
    if (lines == 0 || length == 0) return;
    std::vector<uint32_t> out(pixelCount(layer));
    const int first = -(n >> 1);
    for (int line = 0; line < lines; ++line) {
        const uint32_t* p = layer.pixels + line * lineStride;
        auto at = [&](int k) { return spread(p[static_cast<size_t>(k & (length - 1)) * stride]); };
        uint64_t sum = 0;
        for (int k = first; k < first + n; ++k) sum += at(k);
        for (int i = 0; i < length; ++i) {
            const uint32_t r = static_cast<uint32_t>((sum >> 32) & 0xFFFF) / n;
            const uint32_t g = static_cast<uint32_t>((sum >> 16) & 0xFFFF) / n;
            const uint32_t b = static_cast<uint32_t>(sum & 0xFFFF) / n;
            out[line * lineStride + static_cast<size_t>(i) * stride] = rgb(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
            sum += at(i + first + n);
            sum -= at(i + first);
        }
    }
    std::copy(out.begin(), out.end(), layer.pixels);
}

}  // namespace

void blurHorizontal(Layer& layer, const Layer&, const Operands& in) {
    if (in.byte[0] == 0) return;  // refused by the program check
    boxBlurLines(layer, in.byte[0], layer.height, layer.width, static_cast<size_t>(layer.width), 1);
}

void blurVertical(Layer& layer, const Layer&, const Operands& in) {
    if (in.byte[0] == 0) return;
    boxBlurLines(layer, in.byte[0], layer.width, layer.height, 1, static_cast<size_t>(layer.width));
}

}  // namespace texgen
