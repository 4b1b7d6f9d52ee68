#include "ImageFiles.h"

#include "base/RawImage.h"
#include "gfx/PngFile.h"
#include "gfx/TgaWriter.h"

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
    TgaFileHeader header;
    header.width = static_cast<uint16_t>(image.width);
    header.height = static_cast<uint16_t>(image.height);
    // 0x00RRGGBB is bytes blue, green, red, 0 in memory: alpha 255 on top.
    return tgaFileBytes(header, [&](int x, int y) {
        return image.pixels[static_cast<size_t>(y) * image.width + x] | 0xFF000000u;
    });
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
