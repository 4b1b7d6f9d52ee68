#pragma once
// The way every scene makes a texture from a picture file.
//
// A scene reads all its pictures first, in its own order (readPicture),
// then makes each texture (makeTexture). A picture the reader refuses has
// already had its message printed; readPicture frees and drops it, and
// makeTexture then leaves that texture 256x256 transparent black, so the
// scene draws everything else as usual. Neither makes any other message.
#include "gfx/Tga.h"
#include "gfx/Texture.h"

#include <memory>

// A decoded picture owned by its scene until teardown.
using PicturePtr = std::unique_ptr<TgaImage>;
using TexturePtr = std::unique_ptr<Texture>;

// tgaLoad of dataPath(fileName); null when the reader refused it.
PicturePtr readPicture(const char* fileName);

// texture->setImage(picture, exchange); with a null picture, uploads what
// the texture holds (transparent black for a new texture). Then the
// texture's own pixel memory is handed back (releasePages): the GL texture
// holds the picture, and nothing is uploaded again after loading.
void makeTexture(Texture& texture, const TgaImage* picture, RedBlueExchange exchange);
