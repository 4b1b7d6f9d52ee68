// Layer combiners: the destination changes, reading the source layer named by
// the instruction. The pixel-by-pixel ones pair pixels by linear index over
// the source's range (the source's width * height), whatever the sizes.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace texgen {

namespace {

// Red, green and blue of d + s, each held at 255 (bits 24-31 of the result 0).
inline uint32_t addSaturated(uint32_t d, uint32_t s) {
    d &= 0xFFFFFFu;
    s &= 0xFFFFFFu;
    const uint32_t sum = ((d & 0x7F7F7Fu) + (s & 0x7F7F7Fu)) ^ ((d ^ s) & 0x808080u);
    const uint32_t carries = ((d & s) | ((d | s) & ~sum)) & 0x808080u;  // the top bit of each channel's sum
    return (sum | ((carries >> 7) * 0xFFu)) & 0xFFFFFFu;
}

// out[i] = addSaturated(out[i], s[i]) for i < count.
void addSaturatedRow(uint32_t* out, const uint32_t* s, int count) {
    int i = 0;
#ifdef __SSE2__
    const __m128i rgbMask = _mm_set1_epi32(0xFFFFFF);
    for (; i + 4 <= count; i += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(_mm_adds_epu8(d, v), rgbMask));
    }
#endif
    for (; i < count; ++i) out[i] = addSaturated(out[i], s[i]);
}

template <typename Rule>
void combine(Layer& dst, const Layer& src, Rule rule) {
    const size_t n = pixelCount(src);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = dst.pixels[i], s = src.pixels[i];
        dst.pixels[i] = rgb(rule(red(d), red(s)), rule(green(d), green(s)), rule(blue(d), blue(s)));
    }
}

}  // namespace

void add(Layer& dst, const Layer& src, const Operands&) {
    combine(dst, src, [](int d, int s) { return std::min(d + s, 255); });
}

void subtract(Layer& dst, const Layer& src, const Operands&) {
    combine(dst, src, [](int d, int s) { return std::max(d - s, 0); });
}

void multiply(Layer& dst, const Layer& src, const Operands&) {
    combine(dst, src, [](int d, int s) { return s * d / 255; });
}

void blend(Layer& dst, const Layer& src, const Operands& in) {
    const int a = in.byte[0];
    combine(dst, src, [a](int d, int s) { return (s * a + d * (255 - a)) / 255; });
}

void hardLight(Layer& dst, const Layer& src, const Operands&) {
    combine(dst, src, [](int d, int s) { return s >= 128 ? d + (255 - d) * (s - 128) * 2 / 255 : (s * d) >> 7; });
}

void copy(Layer& dst, const Layer& src, const Operands&) {
    if (&dst == &src) return;
    dst.width = src.width;
    dst.height = src.height;
    std::copy(src.pixels, src.pixels + pixelCount(src), dst.pixels);
}

// Each pixel: the mean of n samples of the destination from (x, y) along the
// angle (r + g + b) * 2π/765 of the source pixel with the same index. Source
// indices past the source's own pixels count as black (angle 0).
void directionalBlur(Layer& dst, const Layer& src, const Operands& in) {
    const int n = in.byte[0];
    if (n == 0) return;  // refused by the program check
    const int w = dst.width, h = dst.height;
    const size_t sourcePixels = pixelCount(src);
    const double kAngle = 0.008213313f;
    std::vector<uint32_t> out(pixelCount(dst), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            const uint32_t s = i < sourcePixels ? src.pixels[i] : 0;
            const float a = static_cast<float>((red(s) + green(s) + blue(s)) * kAngle);
            const double c = static_cast<float>(std::cos(static_cast<double>(a)));
            const double sn = static_cast<float>(std::sin(static_cast<double>(a)));
            double px = x, py = y;
            int r = 0, g = 0, b = 0;
            for (int k = 0; k < n; ++k) {
                const uint32_t p =
                    dst.pixels[static_cast<size_t>(static_cast<int>(py) & (h - 1)) * w + (static_cast<int>(px) & (w - 1))];
                r += red(p);
                g += green(p);
                b += blue(p);
                px += c;
                py += sn;
            }
            out[i] = rgb(r / n, g / n, b / n);
        }
    }
    std::copy(out.begin(), out.end(), dst.pixels);
}

// dx = ((T(x-1) - T(x+1)) k) >> 2 on the grey T of the destination (dy alike);
// d = min(d + S((x + dx), (y + dy)), 255), wrapped with the source's size.
// Updated in place: with the source equal to the destination, lookups may see
// pixels this operation already changed. An empty source adds nothing.
void displaceAdd(Layer& dst, const Layer& src, const Operands& in) {
    if (src.width == 0 || src.height == 0) return;
    const int k = in.byte[0];
    const int w = dst.width, h = dst.height;
    const size_t n = pixelCount(dst);
    if (n == 0) return;
    const std::unique_ptr<uint8_t[]> grey(new uint8_t[n]);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = dst.pixels[i];
        grey[i] = static_cast<uint8_t>((red(p) + green(p) + blue(p)) / 3);
    }
    const int sw = src.width - 1, sh = src.height - 1;
    uint32_t taken[512];  // the source pixels one row adds (w <= 512)
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = grey.get() + static_cast<size_t>(y) * w;
        const uint8_t* up = grey.get() + static_cast<size_t>((y - 1) & (h - 1)) * w;
        const uint8_t* down = grey.get() + static_cast<size_t>((y + 1) & (h - 1)) * w;
        for (int x = 0; x < w; ++x) {
            const int dx = floorDiv4((row[(x - 1) & (w - 1)] - row[(x + 1) & (w - 1)]) * k);
            const int dy = floorDiv4((up[x] - down[x]) * k);
            taken[x] = src.pixels[static_cast<size_t>((y + dy) & sh) * src.width + ((x + dx) & sw)];
        }
        addSaturatedRow(dst.pixels + static_cast<size_t>(y) * w, taken, w);
    }
}

// The destination becomes W x H, black, and gets m copies of the source
// stamped at random offsets (ox drawn first), wrapped, added with saturation.
// The source is the picture it holds before the call, at its own size, also
// when it is the destination: growing the layer first would stamp whatever
// stale data lies past its old size (left there by earlier programs).
void scatter(Layer& dst, const Layer& src, const Operands& in) {
    const int W = in.width, H = in.height;
    const int sw = src.width, sh = src.height;
    dst.width = W;
    dst.height = H;
    std::vector<uint32_t> out(static_cast<size_t>(W) * H, 0);
    RandomSource random(in.byte[0]);
    for (int stamp = 0; stamp < in.byte[1]; ++stamp) {
        const int ox = random.next() * (W - 1) / 32767;
        const int oy = random.next() * (H - 1) / 32767;
        for (int y = 0; y < sh; ++y) {
            uint32_t* row = out.data() + static_cast<size_t>((y + oy) & (H - 1)) * W;
            const uint32_t* from = src.pixels + static_cast<size_t>(y) * sw;
            for (int x = 0; x < sw; ++x) {
                uint32_t& d = row[(x + ox) & (W - 1)];
                const uint32_t s = from[x];
                d = rgb(std::min(red(d) + red(s), 255), std::min(green(d) + green(s), 255),
                        std::min(blue(d) + blue(s), 255));
            }
        }
    }
    std::copy(out.begin(), out.end(), dst.pixels);
}

}  // namespace texgen
