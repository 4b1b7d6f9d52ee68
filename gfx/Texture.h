#pragma once
// One OpenGL 2-D texture and the pixel memory it is uploaded from: the stored
// image of layer 0 of its TextureGenerator base (images[0], 1 MiB, room for
// 262,144 pixels). It is filled either from a decoded TGA picture (setImage)
// or by running a texture program (setProgram, then generate), then uploaded
// once and bound while drawing.
//
// Ownership and state:
//   - The owner (a scene or a Font) creates it with new while a GL context is
//     current and destroys it with delete. Destruction makes no GL call, so it
//     may happen after the context is gone; the texture name lives until the
//     context ends.
//   - width and height (256 at construction) are changed only by setImage;
//     they say how many pixels upload() sends and swapRedBlue() touches.
//   - mipmaps is true: upload gives level 0 the size and pixels that
//     gluBuild2DMipmaps gives it (sides taken to powers of two, GLU's box
//     filter for other sizes; gfx/TextureFit.h). The levels above it are not
//     made: the filters are GL_LINEAR, so only level 0 is ever sampled and a
//     texture with just level 0 is complete. With mipmaps false the picture
//     goes up at its own size.
//   - Pixels are row after row, first row = texture row t = 0. Uploads send
//     bytes red, green, blue, alpha; the reader and the generator deliver
//     blue, green, red(, alpha), hence the red/blue exchanges.
#include <cstdint>

#include "gfx/RedBlueExchange.h"
#include "texgen/TextureGenerator.h"

struct TgaImage;

class Texture : public TextureGenerator {
public:
    Texture();  // needs a current GL context (glGenTextures)

    // glBindTexture(GL_TEXTURE_2D, glName).
    void bind() const;
    // Sends width x height pixels of images[0] as level 0 (repeat wrapping,
    // linear filters), fitted to powers of two as GLU would (see mipmaps).
    void upload();
    // Exchanges bytes 0 and 2 of the first width*height pixels.
    void swapRedBlue();
    // The same over all kImagePixels pixels, whatever width and height say.
    // Stretches where nothing would change (zero pages nobody wrote) are
    // only read, so they cost no memory.
    void swapRedBlueWholeBuffer();
    // Runs the program given with setProgram, exchanges by size, uploads.
    // The size stays as it is (256x256 for a new texture).
    void generate();
    // Copies the picture into images[0], exchanges as told, takes the
    // picture's size and uploads. A picture that cannot be used (null, empty,
    // no pixels, more than kImagePixels pixels) changes neither pixels nor
    // size: the texture uploads what it holds, which for a new texture is
    // 256x256 transparent black, and false is returned. A scene whose picture
    // was refused may thus pass null here: without any upload the texture
    // would be incomplete and GL would draw its quads untextured.
    bool setImage(const TgaImage* image, RedBlueExchange exchange);

    uint32_t glName;
    bool mipmaps = true;
    uint32_t width = 256;
    uint32_t height = 256;
};
