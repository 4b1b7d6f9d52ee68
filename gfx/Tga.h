#pragma once
// The TGA reader: uncompressed true-colour TGA files (image type 2) of 24 or
// 32 bits per pixel, decoded to top-row-first 32-bit pixels whose bytes in
// memory are blue, green, red, alpha (the file's own order; 24-bit files give
// alpha 0). Every picture of the show and the font sheet go through it.
//
// Ownership: a TgaImage owns its image ID and its pixels and frees them
// itself; it can be moved, not copied. tgaLoad fills a record (emptying it
// first), and only tgaLoad writes one.
//
// Refusals are printed to standard output, one line each, in Spanish (the
// show's own wording; Latin-1 bytes), and tgaLoad returns false:
//   - the file cannot be opened, or is no regular file (a folder, a device, a
//     pipe: refused at once, never read) (names the path);
//   - image type other than 2 (colour-mapped, grey, run-length encoded...);
//   - depth other than 24 or 32 bits (names the depth);
//   - more than TgaImage::kMaxPixels pixels (names the path and size;
//     refused before any pixel memory is allocated);
//   - the file ends early, in the header, the image ID, the colour map or the
//     pixels (names the path);
//   - no memory for the image ID or the pixels (names the path).
// The type and depth messages do not say which file it was; callers that
// report a dropped picture name it themselves, with the English reason
// tgaLoad gives in *why: what was found and, where it helps, what to do
// ("image type 10 (true colour, run-length encoded); only type 2,
// uncompressed true colour, is read (save without RLE compression)", "the
// file ends inside its pixels: 2x1 at 32 bits needs 26 bytes, the file has
// 25").
// After a refusal the record holds no allocation (imageId and pixels.data
// are null), so nothing half-read can be used.
// A width or height of 0 loads as an empty picture (pixels.data null).
#include <cstdint>
#include <memory>
#include <string>

struct TgaPixels {
    // Words allocated after the last pixel, all zero: a resampling filter
    // that reads a little past the picture's end (as GLU's does) finds
    // zeros there without a padded copy of the picture.
    static constexpr uint32_t kZeroTailWords = 16;

    uint16_t width = 0;
    uint16_t height = 0;
    // width*height words, top row first, left to right, then kZeroTailWords
    // zeros; null for an empty picture.
    std::unique_ptr<uint32_t[]> data;
};

struct TgaImage {
    static constexpr uint32_t kMaxPixels = 262144;  // 512 x 512, the largest picture the show takes

    uint8_t idLength = 0;            // header byte 0
    uint8_t colourMapType = 0;       // 1: a colour map follows the image ID
    uint8_t imageType = 0;           // must be 2
    uint16_t colourMapFirst = 0;     // not used
    uint16_t colourMapLength = 0;    // entries in the colour map (skipped)
    uint8_t colourMapEntrySize = 0;  // bits per colour-map entry
    uint16_t xOrigin = 0;            // not used
    uint16_t yOrigin = 0;            // not used
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;          // 24 or 32
    uint8_t descriptor = 0;          // bit 5: first file row is the top; bit 4: rows run right to left
    std::unique_ptr<uint8_t[]> imageId;  // idLength bytes after the header, null when idLength is 0
    TgaPixels pixels;
};

// Reads path into *image (see above). True when the picture was decoded;
// otherwise the reader's message has been printed and, when why is given,
// *why says in English what was wrong (see above).
bool tgaLoad(const char* path, TgaImage* image, std::string* why = nullptr);
// The same reading, printing nothing (for reading ahead on another thread:
// whoever uses the picture reads a refused file again with tgaLoad, which
// then says why).
bool tgaLoadQuietly(const char* path, TgaImage* image);

