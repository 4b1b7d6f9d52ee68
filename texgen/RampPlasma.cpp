// Colour ramps and the plasma fractal.
#include <cmath>
#include <cstring>
#include <memory>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
const float kS255 = 1.0f / 255.0f;  // scales a stop position to 0..1 (255 * kS255 is just above 1)
}

namespace texgen {

ScaledRamp::ScaledRamp(const ColourRamp& ramp)
    : n_(ramp.count < 1 ? 1 : (ramp.count > ColourRamp::kMaxStops ? ColourRamp::kMaxStops : ramp.count)) {
    for (int i = 0; i < n_; ++i) {
        const RampStop& stop = ramp.stops[i];
        at_[i] = stop.position * static_cast<double>(kS255);
        rgb_[i] = rgb(stop.red, stop.green, stop.blue);
        channels_[i][0] = stop.red;
        channels_[i][1] = stop.green;
        channels_[i][2] = stop.blue;
    }
    for (int i = 1; i < n_; ++i) span_[i] = at_[i] - at_[i - 1];
}

void ScaledRamp::colourRow(const float* t, uint32_t* out, int count) const {
    int k = 0;
#ifdef __SSE2__
    for (; k + 2 <= count; k += 2) {
        const double u0 = position(t[k]), u1 = position(t[k + 1]);
        const int i0 = stopAbove(u0), i1 = stopAbove(u1);
        if (i0 == 0 || i0 == n_ || i1 == 0 || i1 == n_) {
            out[k] = colourAt(t[k]);
            out[k + 1] = colourAt(t[k + 1]);
            continue;
        }
        const __m128d f = _mm_div_pd(_mm_sub_pd(_mm_set_pd(u1, u0), _mm_set_pd(at_[i1 - 1], at_[i0 - 1])),
                                     _mm_set_pd(span_[i1], span_[i0]));
        const __m128d g = _mm_sub_pd(_mm_set1_pd(1.0), f);
        auto mix = [&](int c) {
            const __m128d from = _mm_set_pd(channels_[i1 - 1][c], channels_[i0 - 1][c]);
            const __m128d to = _mm_set_pd(channels_[i1][c], channels_[i0][c]);
            return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(from, g), _mm_mul_pd(to, f)));
        };
        const __m128i pixels =
            _mm_or_si128(_mm_or_si128(_mm_slli_epi32(mix(0), 16), _mm_slli_epi32(mix(1), 8)), mix(2));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), pixels);
    }
#endif
    for (; k < count; ++k) out[k] = colourAt(t[k]);
}

}  // namespace texgen

uint32_t ColourRamp::colourAt(float t) const { return texgen::ScaledRamp(*this).colourAt(t); }

namespace texgen {

// Midpoint displacement on a gx x gy grid (one tile), values 0..0.99999,
// wrapped at the grid's edges so the tile repeats without seams.
void plasma(Layer& dst, const Layer&, const Operands& in) {
    const int gx = in.width / in.countX;  // powers of two: the program check makes sure
    const int gy = in.height / in.countY;
    // Every cell is written before it is read, so the grid is not cleared.
    const std::unique_ptr<float[]> grid(new float[static_cast<size_t>(gx) * gy]);
    float* g = grid.get();

    RandomSource random(in.byte[1]);
    g[0] = static_cast<float>(random.next() * static_cast<double>(1.0f / 32767.0f));

    const double r4 = static_cast<float>(in.byte[0] * 0.25);
    const double k = 1.0f / 16383.0f;
    const float top = 0.99999f;
    auto disp = [&](double avg, double scale) -> float {
        const double v = avg + (16383 - random.next()) * r4 * scale * k;
        if (v >= 1.0) return top;
        if (v < 0) return 0.0f;
        return static_cast<float>(v);
    };

    int sx = gx, sy = gy;
    for (;;) {
        const int hx = sx / 2;
        if (sx > 1) {  // row midpoints
            const double scaleX = static_cast<float>(static_cast<double>(sx) / gx);
            for (int y = 0; y < gy; y += sy) {
                float* row = g + static_cast<size_t>(y) * gx;
                for (int x = hx; x < gx; x += sx) {
                    const double avg = static_cast<float>((static_cast<double>(row[x - hx]) + row[(x + hx) & (gx - 1)]) * 0.5);
                    row[x] = disp(avg, scaleX);
                }
            }
        }
        if (sy > 1) {  // column midpoints, then centres, row by row
            const int hy = sy / 2;
            const double scaleY = static_cast<float>(static_cast<double>(sy) / gy);
            const double scaleC = static_cast<float>(static_cast<double>(sx + sy) / (gx + gy));
            for (int y = hy; y < gy; y += sy) {
                const float* up = g + static_cast<size_t>(y - hy) * gx;
                const float* down = g + static_cast<size_t>((y + hy) & (gy - 1)) * gx;
                float* row = g + static_cast<size_t>(y) * gx;
                for (int x = 0; x < gx; x += sx)
                    row[x] = disp((static_cast<double>(up[x]) + down[x]) * 0.5, scaleY);
                if (hx < gx) {
                    for (int x = hx; x < gx; x += sx) {
                        const int right = (x + hx) & (gx - 1);
                        const double sum = static_cast<double>(down[right]) + up[right] + down[x - hx] + up[x - hx];
                        row[x] = disp(sum * 0.25, scaleC);
                    }
                }
            }
        }
        if (sx <= 2 && sy <= 2) break;
        if (sx <= 2) {
            sy /= 2;
            sx = 2;
        } else if (sy <= 2) {
            sx /= 2;
            sy = 2;
        } else {
            sx /= 2;
            sy /= 2;
        }
    }

    // Colour each cell once into the first tile, then repeat it across and
    // down the layer.
    const ScaledRamp ramp(in.ramp);
    const int w = in.width, h = in.height;
    dst.width = w;
    dst.height = h;
    for (int y = 0; y < h; ++y) {
        uint32_t* out = dst.pixels + static_cast<size_t>(y) * w;
        if (y < gy) {
            const float* cells = g + static_cast<size_t>(y) * gx;
            ramp.colourRow(cells, out, gx);
            for (int x = gx; x < w; ++x) out[x] = out[x & (gx - 1)];
        } else {
            std::memcpy(out, dst.pixels + static_cast<size_t>(y & (gy - 1)) * w, static_cast<size_t>(w) * 4);
        }
    }
}

}  // namespace texgen
