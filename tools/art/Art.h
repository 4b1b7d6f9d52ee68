#pragma once
// The show's pictures and font sheet, drawn with Cairo at build time.
//
// Every file the scenes read is one entry of artCatalogue(): its name, size,
// depth, frame count, the red/blue exchange its scene applies, which way up
// its rows go into texture rows, and the function that draws it. The tool
// (glowmotion-art), the contact sheet and the tests all walk that one table.
//
// A drawing function paints the picture as the viewer is meant to see it:
// upright, in its intended colours, on an ARGB32 Cairo surface of the entry's
// size (premultiplied alpha, top row first). encodeTga() then turns that into
// the file's bytes, so that after the reader, the scene's exchange and the
// scene's texture coordinates the screen shows exactly that picture.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/RedBlueExchange.h"

namespace art {

// Where the picture's top row must land in the texture.
//   TopAtT0:    top row = texture row t = 0 (every quad of the show: t = 1 at
//               the bottom edge). Stored top row first, descriptor bit 5 set.
//   BottomAtT0: bottom row = t = 0 (the font sheet, and the platter rim,
//               whose cylinder runs t = 0 at its lower edge). The rows are
//               stored top row first but declared bottom row first
//               (descriptor bit 5 clear), so the reader turns them over.
enum class Orientation { TopAtT0, BottomAtT0 };

using DrawFunction = void (*)(cairo_t* cr, int width, int height);

struct ArtFile {
    const char* name;      // file name inside data/
    int width;
    int height;
    int depth;             // 24 or 32 bits per pixel
    int frames;            // pictures side by side (1 for a single picture)
    RedBlueExchange exchange;  // as the scene makes its texture
    bool blended;          // drawn with source-alpha blending: needs real alpha
    Orientation orientation;
    const char* use;       // scene and quad, for the docs and the contact sheet
    DrawFunction draw;
};

// The 32 files, in the order the tool writes them.
const std::vector<ArtFile>& artCatalogue();
// The entry with this file name, or with this name and an extension
// ("star" for star.tga), or null.
const ArtFile* findArt(const std::string& name);

// Draws the entry onto a fresh ARGB32 surface of its size (caller destroys).
cairo_surface_t* renderArt(const ArtFile& file);

// The complete file: 18-byte header, then the pixels in the byte order and
// row order the entry needs (see Orientation above, gfx/RedBlueExchange.h).
std::vector<uint8_t> encodeTga(const ArtFile& file, cairo_surface_t* picture);

// What the viewer sees of a file's bytes: simulates the reader (rows put top
// first as descriptor bit 5 says), the scene's exchange as a Texture does it
// (BySize counting a new texture's 256x256 pixels) and the texture-row
// orientation; returns width*height RGBA pixels, on-screen top row first.
std::vector<uint8_t> viewerPixels(const ArtFile& file, const std::vector<uint8_t>& tga);

// The picture as drawn, as straight (not premultiplied) RGBA, top row first.
// 24-bit entries have alpha 255.
std::vector<uint8_t> intendedPixels(const ArtFile& file, cairo_surface_t* picture);

// "vinyl.tga, technics.tga, ... font.fnt": every name, in catalogue order.
std::string artNames();

// Writes the surface as a PNG file. On failure *error is "cannot write PATH:
// <the system's reason>" and a regular file written part-way is removed.
bool writePng(cairo_surface_t* surface, const std::string& path, std::string* error);

// Writes every file into directory dir. Returns false and says why in *error.
bool writeAllArt(const std::string& dir, std::string* error);

// Builds the contact sheet from the files in dataDir and writes it as PNG.
bool writeContactSheet(const std::string& dataDir, const std::string& pngPath, std::string* error);

// Writes the program's desktop icon, size x size pixels, as PNG (not part of
// the show's media; the desktop entry names it).
bool writeIcon(int size, const std::string& pngPath, std::string* error);

}  // namespace art
