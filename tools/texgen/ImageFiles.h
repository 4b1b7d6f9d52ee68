#pragma once
// Pictures glowmotion-texgen writes: layers of 0x00RRGGBB words as .raw
// (exact), .png (to look at) or .tga (32-bit, what the show's reader loads).
#include <cstdint>
#include <string>
#include <vector>

struct LayerImage {
    const uint32_t* pixels = nullptr;  // width*height words 0x00RRGGBB, top row first
    int width = 0, height = 0;
};

// .raw: the layout of base/RawImage.h, one image after the other (the
// layers have no alpha: the top byte of every word is 0).
std::vector<uint8_t> rawBytes(const std::vector<LayerImage>& images);
// .tga: uncompressed true colour, 32 bits (B, G, R, 255), top row first.
std::vector<uint8_t> tgaBytes(const LayerImage& image);
// .png: 8-bit RGB. False with *error "<path>: <reason>" when it cannot be written.
bool writePngImage(const std::string& path, const LayerImage& image, std::string* error);
