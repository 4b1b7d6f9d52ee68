#pragma once
// A deliberately small, separate reading of the generated files for the
// tests: header fields, and the pixels placed in memory as the show's reader
// places them (top row first, as descriptor bit 5 declares), bytes blue,
// green, red, alpha. It shares no code with the art tool's own encoder.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct ArtFileData {
    bool ok = false;
    int imageType = 0, width = 0, height = 0, depth = 0, descriptor = 0;
    std::vector<uint8_t> bytes;   // the whole file
    std::vector<uint8_t> memory;  // width*height*4, bytes as in the file (alpha 0 for 24-bit)

    const uint8_t* pixel(int x, int y) const { return &memory[(static_cast<size_t>(y) * width + x) * 4]; }
};

inline ArtFileData readArtFile(const std::string& path) {
    ArtFileData d;
    std::ifstream in(path, std::ios::binary);
    d.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (d.bytes.size() < 18) return d;
    const auto& b = d.bytes;
    d.imageType = b[2];
    d.width = b[12] | b[13] << 8;
    d.height = b[14] | b[15] << 8;
    d.depth = b[16];
    d.descriptor = b[17];
    const int bpp = d.depth / 8;
    const size_t start = 18 + b[0];
    if (d.imageType != 2 || (bpp != 3 && bpp != 4) ||
        b.size() != start + static_cast<size_t>(d.width) * d.height * bpp)
        return d;
    d.memory.assign(static_cast<size_t>(d.width) * d.height * 4, 0);
    size_t at = start;
    for (int i = 0; i < d.height; ++i) {
        const int row = (d.descriptor & 0x20) ? i : d.height - 1 - i;
        for (int x = 0; x < d.width; ++x, at += bpp)
            for (int c = 0; c < bpp; ++c) d.memory[(static_cast<size_t>(row) * d.width + x) * 4 + c] = b[at + c];
    }
    d.ok = true;
    return d;
}
