#pragma once
// Level 0 of a texture the way GLU's gluBuild2DMipmaps makes it, without the
// rest of the mipmap chain: the size is taken to a power of two (each side to
// its nearest power, 3·2^k rounding up to 4·2^k, both halved together while
// the driver's largest texture is smaller), and a picture of another size is
// resampled with GLU's box filter for unsigned bytes: the same single-
// precision operations in the same order, so every byte is the one GLU would
// upload (tests/gfx/TextureFitTest.cpp compares them through glGetTexImage).
//
// The floating-point code is built without contraction into fused
// multiply-add and without fast-math, like the library it matches.
#include <cstddef>
#include <cstdint>

// GLU's "nearest power": the highest power of two not above v, doubled when
// the next lower bit is also set (3 -> 4, 5 -> 4, 6 -> 8, 400 -> 512,
// 160 -> 128). 0 for 0.
uint32_t gluNearestPower(uint32_t v);

struct FitSize {
    int width;
    int height;
};

// The size gluBuild2DMipmaps gives level 0 of a width x height picture when
// textures of at most maxTextureSize pixels a side are possible.
FitSize gluFitSize(int width, int height, int maxTextureSize);

// Resamples a width x height RGBA picture (4 bytes a pixel, rows packed,
// `inBytes` readable bytes from `in`) to outWidth x outHeight into `out`.
// Like GLU's filter it may read up to a pixel past the end of a row (the
// first pixel of the next row) when enlarging; bytes past inBytes read as 0.
void gluBoxScaleRgba(const uint8_t* in, int width, int height, size_t inBytes, uint8_t* out, int outWidth,
                     int outHeight);
