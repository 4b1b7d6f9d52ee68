#include "ImageFiles.h"

#include "base/RawImage.h"
#include "gfx/PngFile.h"

namespace {

size_t pixelCount(const LayerImage& image) { return static_cast<size_t>(image.width) * image.height; }

}  // namespace

std::vector<uint8_t> rawBytes(const std::vector<LayerImage>& images) {
    std::vector<uint8_t> out;
    for (const LayerImage& image : images)
        appendRawImage(&out, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), image.pixels);
    return out;
}

std::vector<uint8_t> tgaBytes(const LayerImage& image) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = static_cast<uint8_t>(image.width);
    out[13] = static_cast<uint8_t>(image.width >> 8);
    out[14] = static_cast<uint8_t>(image.height);
    out[15] = static_cast<uint8_t>(image.height >> 8);
    out[16] = 32;
    out[17] = 0x20 | 8;  // top row first, 8 alpha bits
    out.reserve(18 + 4 * pixelCount(image));
    for (size_t i = 0; i < pixelCount(image); ++i) {
        const uint32_t p = image.pixels[i];
        out.push_back(static_cast<uint8_t>(p));
        out.push_back(static_cast<uint8_t>(p >> 8));
        out.push_back(static_cast<uint8_t>(p >> 16));
        out.push_back(255);
    }
    return out;
}

bool writePngImage(const std::string& path, const LayerImage& image, std::string* error) {
    std::vector<uint8_t> rgba(4 * pixelCount(image));
    for (size_t i = 0; i < pixelCount(image); ++i) {
        rgba[4 * i] = static_cast<uint8_t>(image.pixels[i] >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(image.pixels[i] >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(image.pixels[i]);
        rgba[4 * i + 3] = 255;
    }
    std::string reason;
    if (writePngRgba(path, image.width, image.height, rgba.data(), false, &reason)) return true;
    *error = reason;
    return false;
}
