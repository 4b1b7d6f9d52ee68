#pragma once
// Writing pictures as PNG files, for captured frames and tool output.
#include <cstdint>
#include <string>

// Writes an 8-bit RGBA (or RGB when withAlpha is false) PNG.
// rgba: width*height pixels, 4 bytes each in memory order R, G, B, A,
// first row in memory = top row of the picture. Returns false and fills
// *error (when given) with "<path>: <reason>" (the system's errno text) if
// the file cannot be written; a regular file left half-written is removed.
bool writePngRgba(const std::string& path, int width, int height, const uint8_t* rgba,
                  bool withAlpha = true, std::string* error = nullptr);
