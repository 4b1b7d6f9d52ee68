#pragma once
// Writing TGA files: the one writer of the tools that make the show's
// pictures (tools/art, glowmotion-texgen) and of the tests that make
// pictures for the reader. It writes what it is told, also files the reader
// refuses (other types, depths, colour maps), so tests can make those too.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TgaFileHeader {
    uint16_t width = 0;
    uint16_t height = 0;
    // Bits per pixel; each pixel takes (depth + 7) / 8 bytes, the word's
    // lowest bytes first (32: blue, green, red, alpha; 24: blue, green, red).
    uint8_t depth = 32;
    // Bit 5: the top row is stored first; bit 4: rows run right to left;
    // bits 0-3: alpha bits (8 for a 32-bit picture).
    uint8_t descriptor = 0x28;
    uint8_t imageType = 2;  // uncompressed true colour
    std::string imageId;    // written after the header; its length is header byte 0
    // The colour-map fields as they go into the header, and the bytes
    // written between the image ID and the pixels (whatever their number).
    uint8_t colourMapType = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
    std::vector<uint8_t> colourMap;
};

// The whole file. pixelAt(x, y) gives the word of the pixel the reader will
// deliver at (x, y), x from the left, y from the top (bytes blue, green, red,
// alpha from the lowest); the pixels are stored in the row and column order
// the descriptor declares.
std::vector<uint8_t> tgaFileBytes(const TgaFileHeader& header, const std::function<uint32_t(int x, int y)>& pixelAt);
