#pragma once
// The TGA reader: uncompressed true-colour TGA files (image type 2) of 24 or
// 32 bits per pixel, decoded to top-row-first 32-bit pixels whose bytes in
// memory are blue, green, red, alpha (the file's own order; 24-bit files give
// alpha 0). Every picture of the show and the font sheet go through it.
//
// Ownership: the caller creates a TgaImage with new, calls tgaInit, then
// tgaLoad; when tgaLoad returns false the caller calls tgaFree, deletes the
// record and keeps a null pointer. A loaded record belongs to its caller until
// teardown (tgaFree, then delete). Only tgaLoad writes the record.
//
// Refusals are printed to standard output, one line each, in Spanish (the
// show's own wording; Latin-1 bytes), and tgaLoad returns false:
//   - the file cannot be opened, or is no regular file (a folder, a device, a
//     pipe: refused at once, never read) (names the path);
//   - image type other than 2 (colour-mapped, grey, run-length encoded...);
//   - depth other than 24 or 32 bits (names the depth);
//   - more than TgaImage::kMaxPixels pixels, more than a Texture holds (names
//     the path and size; refused before any pixel memory is allocated);
//   - the file ends early, in the header, the image ID, the colour map or the
//     pixels (names the path);
//   - no memory for the image ID or the pixels (names the path).
// After a refusal the record holds no allocation (imageId and pixels.data
// are null), so nothing half-read can be used; tgaFree is still safe.
// A width or height of 0 loads as an empty picture (pixels.data null).
#include <cstdint>

struct TgaPixels {
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t* data = nullptr;  // width*height words, top row first, left to right
};

struct TgaImage {
    static constexpr uint32_t kMaxPixels = 262144;  // what a Texture can hold

    uint8_t idLength;            // header byte 0
    uint8_t colourMapType;       // 1: a colour map follows the image ID
    uint8_t imageType;           // must be 2
    uint16_t colourMapFirst;     // not used
    uint16_t colourMapLength;    // entries in the colour map (skipped)
    uint8_t colourMapEntrySize;  // bits per colour-map entry
    uint16_t xOrigin;            // not used
    uint16_t yOrigin;            // not used
    uint16_t width;
    uint16_t height;
    uint8_t pixelDepth;          // 24 or 32
    uint8_t descriptor;          // bit 5: first file row is the top; bit 4: rows run right to left
    uint8_t* imageId;            // idLength bytes after the header, null when idLength is 0
    TgaPixels pixels;
};

// Empties a fresh record: imageId and pixels.data null.
void tgaInit(TgaImage* image);
// Reads path into image (see above). True when the picture was decoded.
bool tgaLoad(const char* path, TgaImage* image);
// Frees pixels.data and imageId (when not null). Does not delete the record.
void tgaFree(TgaImage* image);
