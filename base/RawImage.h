#pragma once
// The .raw picture layout both command-line tools write (glowmotion-tga
// --raw, glowmotion-texgen run OUT.raw), so one reader takes either:
//   uint32 width, uint32 height, then width*height uint32 pixel words
//   0xAARRGGBB, top row first, left to right; all little-endian, so each
//   pixel's bytes are blue, green, red, alpha.
// Several pictures (glowmotion-texgen run --all-layers) follow one another.
#include <cstdint>
#include <vector>

// Appends one picture of width*height words in that layout to *out.
void appendRawImage(std::vector<uint8_t>* out, uint32_t width, uint32_t height, const uint32_t* pixels);
