#pragma once
// The working record of one layer of the texture generator, handed to every
// operation (texgen/Operations.h) and held by the generator
// (texgen/TextureGenerator.h).
//
// Pixels are 32-bit words 0x00RRGGBB (bytes blue, green, red, 0 in memory);
// pixel (x, y) is word y*width + x, row 0 first. width and height are powers
// of two from 1 to 512 (or 0 before the layer's first picture), and
// width*height <= kPixels.
#include <cstdint>

struct Layer {
    static constexpr uint32_t kPixels = 262144;  // buffer capacity in words (1 MiB)

    Layer();   // allocates pixels (zero pages), size 0 x 0
    ~Layer();  // frees pixels
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    uint32_t* pixels;  // kPixels words; only the first width*height are meaningful
    int32_t width = 0;
    int32_t height = 0;
};
