// The TGA reader on one file: whatever the bytes, a load either succeeds
// with exactly what the file holds or is refused with nothing left
// allocated.
#include "FuzzInputs.h"

#include "gfx/Tga.h"

namespace fuzzinputs {

namespace {

uint16_t word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// What a correct reader must have decoded from a file it accepted.
void checkLoaded(const TgaImage& image, const uint8_t* data, size_t size) {
    require(size >= 18, "a file shorter than its header loaded");
    require(image.imageType == 2 && (image.pixelDepth == 24 || image.pixelDepth == 32),
            "a type other than 2 or a depth other than 24 or 32 loaded");
    require(image.idLength == data[0] && image.width == word(data + 12) && image.height == word(data + 14) &&
                image.descriptor == data[17],
            "header fields differ from the file");
    require(image.pixels.width == image.width && image.pixels.height == image.height,
            "picture size differs from the header");
    const size_t count = size_t(image.width) * image.height;
    require(count <= TgaImage::kMaxPixels, "a picture larger than a texture loaded");
    require((count == 0) == !image.pixels.data && (image.idLength == 0) == !image.imageId,
            "pixel or image ID memory does not match the size or the ID's length");

    for (size_t i = 0; i < image.idLength; ++i) require(image.imageId[i] == data[18 + i], "image ID differs from the file");
    size_t at = 18 + image.idLength;
    if (data[1] == 1) at += size_t(word(data + 5)) * ((data[7] + 7u) / 8u);
    const size_t bytesPerPixel = image.pixelDepth / 8;
    require(size >= at + count * bytesPerPixel, "a file that ends early loaded");

    // Every pixel from where the descriptor says it is in the file.
    for (int i = 0; i < image.height; ++i) {
        for (int k = 0; k < image.width; ++k) {
            const uint8_t* p = data + at + (size_t(i) * image.width + k) * bytesPerPixel;
            const uint32_t expected = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                      (bytesPerPixel == 4 ? uint32_t(p[3]) << 24 : 0u);
            const int y = image.descriptor & 0x20 ? i : image.height - 1 - i;  // top row first
            const int x = image.descriptor & 0x10 ? image.width - 1 - k : k;   // right to left
            require(image.pixels.data[size_t(y) * image.width + x] == expected, "a pixel differs from the file");
        }
    }
}

}  // namespace

std::string runTgaInput(const uint8_t* data, size_t size) {
    const std::string path = inputFile("picture.tga", data, size);
    TgaImage image;
    std::string why;
    if (!tgaLoad(path.c_str(), &image, &why)) {
        require(image.pixels.data == nullptr && image.imageId == nullptr, "a refused load kept memory");
        require(!why.empty(), "a refusal without a reason");
        return "refused";
    }
    checkLoaded(image, data, size);
    return "loaded " + std::to_string(image.width) + "x" + std::to_string(image.height);
}

}  // namespace fuzzinputs
