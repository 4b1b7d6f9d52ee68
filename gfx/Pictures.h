#pragma once
// Textures made from the show's picture files and from its texture program.
//
// A scene lists its pictures in one table of PictureFile entries, in the
// order it reads them (that order decides the order of the reader's messages
// on standard output), and loads each with loadPicture; the font does the
// same for its sheet. Each picture is read, exchanged, uploaded and released
// before the next is read: nothing reads a decoded picture once it is on the
// graphics side. While a PicturePreload lives (gfx/PicturePreload.h), the
// pictures it has read ahead are uploaded from it instead, and it holds
// them until it goes.
//
// A picture that cannot be used (the reader refused it and printed its own
// message, or it has no pixels) is named once on standard error,
//   glowmotion: data/x.tga not used: the file ends inside its 18-byte header (0 bytes)
// with the path as given to the reader, and its texture is left 256 x 256
// transparent black, so the scene draws everything else as usual. A file
// that is not there at all gets no line of its own: the show names every
// missing file in one line once it has loaded (base/DataPath.h).
#include "gfx/RedBlueExchange.h"
#include "gfx/Texture.h"

#include <cstddef>
#include <cstdint>

struct PictureFile {
    const char* fileName;  // inside the data folder (base/DataPath.h)
    RedBlueExchange exchange;
    Texture* texture;
};

// Reads dataPath(fileName) and uploads it into texture with the exchange
// (see above). True when the picture was used.
bool loadPicture(Texture& texture, const char* fileName, RedBlueExchange exchange);

// Runs a texture program (texgen/TextureProgram.h) in a generator made for
// the purpose and uploads its picture into a new texture: the first 256 x 256
// words of layer 0, exchanged by size. The generator's buffers go with it.
void loadGeneratedPicture(Texture& texture, const uint8_t* program, size_t size);
