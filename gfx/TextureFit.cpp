#include "gfx/TextureFit.h"

#include <cmath>
#include <cstring>
#include <vector>

uint32_t gluNearestPower(uint32_t v) {
    if (v == 0) return 0;
    uint32_t power = 1;
    for (;;) {
        if (v == 1) return power;
        if (v == 3) return power * 4;
        v >>= 1;
        power *= 2;
    }
}

FitSize gluFitSize(int width, int height, int maxTextureSize) {
    int w = static_cast<int>(gluNearestPower(static_cast<uint32_t>(width)));
    int h = static_cast<int>(gluNearestPower(static_cast<uint32_t>(height)));
    // GLU asks a proxy texture whether level 1 and its chain fit and halves
    // both sides until they do; the driver's answer is the largest side.
    while ((w > maxTextureSize || h > maxTextureSize) && (w > 1 || h > 1)) {
        if (w > 1) w >>= 1;
        if (h > 1) h >>= 1;
    }
    return {w, h};
}

namespace {

constexpr int kChannels = 4;

// Exactly half each way: the rounded mean of each 2 x 2 block.
void halve(const uint8_t* in, int width, int height, uint8_t* out) {
    const size_t row = static_cast<size_t>(width) * kChannels;
    if (width == 1 || height == 1) {  // one row or one column: truncated mean of pairs
        const size_t step = height == 1 ? kChannels : row;
        const int pairs = (height == 1 ? width : height) / 2;
        for (int i = 0; i < pairs; ++i, in += 2 * step)
            for (int k = 0; k < kChannels; ++k) *out++ = static_cast<uint8_t>((in[k] + in[k + step]) / 2);
        return;
    }
    for (int y = 0; y < height / 2; ++y) {
        const uint8_t* t = in + 2 * static_cast<size_t>(y) * row;
        for (int x = 0; x < width / 2; ++x, t += 2 * kChannels)
            for (int k = 0; k < kChannels; ++k)
                *out++ = static_cast<uint8_t>((t[k] + t[k + kChannels] + t[k + row] + t[k + row + kChannels] + 2) / 4);
    }
}

// The four channels of a pixel side by side: each lane gets exactly the
// single-precision operations, in the same order, that GLU gives that
// channel alone, four at a time.
using Lanes = float __attribute__((vector_size(16)));

inline Lanes lanes(const uint8_t* p) {
    return Lanes{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]), static_cast<float>(p[3])};
}

// The box filter proper: each output pixel averages the input rectangle it
// covers, the partly covered border pixels weighted by their share. All
// arithmetic is single precision in GLU's order of operations.
void boxScale(const uint8_t* data, int widthIn, int heightIn, uint8_t* out, int widthOut, int heightOut) {
    const size_t ysize = static_cast<size_t>(widthIn) * kChannels;
    const float convy = static_cast<float>(heightIn) / static_cast<float>(heightOut);
    const float convx = static_cast<float>(widthIn) / static_cast<float>(widthOut);
    const int convyInt = static_cast<int>(std::floor(static_cast<double>(convy)));
    const float convyFloat = convy - static_cast<float>(convyInt);
    const int convxInt = static_cast<int>(std::floor(static_cast<double>(convx)));
    const float convxFloat = convx - static_cast<float>(convxInt);
    const float area = convx * convy;

    int lowyInt = 0, highyInt = convyInt;
    float lowyFloat = 0.0f, highyFloat = convyFloat;
    for (int i = 0; i < heightOut; ++i) {
        if (highyInt >= heightIn) highyInt = heightIn - 1;
        int lowxInt = 0, highxInt = convxInt;
        float lowxFloat = 0.0f, highxFloat = convxFloat;
        for (int j = 0; j < widthOut; ++j) {
            Lanes totals = {0.0f, 0.0f, 0.0f, 0.0f};
            auto add = [&totals](const uint8_t* p, float weight) { totals += lanes(p) * weight; };
            const size_t xindex = static_cast<size_t>(lowxInt) * kChannels;
            if (highyInt > lowyInt && highxInt > lowxInt) {
                // First row: left part, whole middle pixels, right part.
                float yPercent = 1.0f - lowyFloat;
                const uint8_t* temp = data + xindex + static_cast<size_t>(lowyInt) * ysize;
                add(temp, yPercent * (1.0f - lowxFloat));
                const uint8_t* left = temp;
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += kChannels;
                    add(temp, yPercent);
                }
                temp += kChannels;
                const uint8_t* right = temp;
                add(temp, yPercent * highxFloat);
                // Last row likewise.
                yPercent = highyFloat;
                temp = data + xindex + static_cast<size_t>(highyInt) * ysize;
                add(temp, yPercent * (1.0f - lowxFloat));
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += kChannels;
                    add(temp, yPercent);
                }
                temp += kChannels;
                add(temp, yPercent * highxFloat);
                // First and last column of the rows between. GLU's column
                // pointers also move on by one pixel per row (they step
                // through the channels and are never stepped back), so row m
                // reads the column m - lowy - 1 pixels further right; the
                // result must be GLU's, so this is kept.
                const float leftShare = 1.0f - lowxFloat;
                for (int m = lowyInt + 1; m < highyInt; ++m) {
                    left += ysize;
                    right += ysize;
                    const Lanes both = lanes(left) * leftShare + lanes(right) * highxFloat;
                    totals += both;
                    left += kChannels;
                    right += kChannels;
                }
            } else if (highyInt > lowyInt) {  // within one column
                const float xPercent = highxFloat - lowxFloat;
                const uint8_t* temp = data + xindex + static_cast<size_t>(lowyInt) * ysize;
                add(temp, (1.0f - lowyFloat) * xPercent);
                for (int m = lowyInt + 1; m < highyInt; ++m) {
                    temp += ysize;
                    add(temp, xPercent);
                }
                temp += ysize;
                add(temp, xPercent * highyFloat);
            } else if (highxInt > lowxInt) {  // within one row
                const float yPercent = highyFloat - lowyFloat;
                const uint8_t* temp = data + xindex + static_cast<size_t>(lowyInt) * ysize;
                add(temp, (1.0f - lowxFloat) * yPercent);
                for (int l = lowxInt + 1; l < highxInt; ++l) {
                    temp += kChannels;
                    add(temp, yPercent);
                }
                temp += kChannels;
                add(temp, yPercent * highxFloat);
            } else {  // within one input pixel
                add(data + xindex + static_cast<size_t>(lowyInt) * ysize,
                    (highyFloat - lowyFloat) * (highxFloat - lowxFloat));
            }

            // Whole pixels inside the box.
            const uint8_t* rowStart = data + xindex + kChannels + static_cast<size_t>(lowyInt + 1) * ysize;
            for (int m = lowyInt + 1; m < highyInt; ++m, rowStart += ysize) {
                const uint8_t* temp = rowStart;
                for (int l = lowxInt + 1; l < highxInt; ++l, temp += kChannels) totals += lanes(temp);
            }

            const Lanes mean = totals / area;
            uint8_t* o = out + (static_cast<size_t>(i) * widthOut + j) * kChannels;
            for (int k = 0; k < kChannels; ++k) o[k] = static_cast<uint8_t>(static_cast<int>(mean[k]));

            lowxInt = highxInt;
            lowxFloat = highxFloat;
            highxInt += convxInt;
            highxFloat += convxFloat;
            if (highxFloat > 1.0f) {
                highxFloat -= 1.0f;
                ++highxInt;
            }
        }
        lowyInt = highyInt;
        lowyFloat = highyFloat;
        highyInt += convyInt;
        highyFloat += convyFloat;
        if (highyFloat > 1.0f) {
            highyFloat -= 1.0f;
            ++highyInt;
        }
    }
}

}  // namespace

void gluBoxScaleRgba(const uint8_t* in, int width, int height, size_t inBytes, uint8_t* out, int outWidth,
                     int outHeight) {
    if (width == outWidth * 2 && height == outHeight * 2) {
        halve(in, width, height, out);
        return;
    }
    // The filter reads a pixel or two past the last row's end (where the
    // accumulated steps land, plus the column drift of up to one pixel per
    // row of a box); give those reads zeros if the caller's memory ends there.
    const size_t picture = static_cast<size_t>(width) * height * kChannels;
    const size_t needed = picture + static_cast<size_t>(height / outHeight + 3) * kChannels;
    if (inBytes >= needed) {
        boxScale(in, width, height, out, outWidth, outHeight);
        return;
    }
    std::vector<uint8_t> padded(needed, 0);
    std::memcpy(padded.data(), in, inBytes < picture ? inBytes : picture);
    boxScale(padded.data(), width, height, out, outWidth, outHeight);
}
