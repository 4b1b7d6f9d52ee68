#include "gfx/Pictures.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "base/DataPath.h"
#include "gfx/PicturePreload.h"
#include "gfx/Tga.h"
#include "texgen/TextureGenerator.h"

bool loadPicture(Texture& texture, const char* fileName, RedBlueExchange exchange) {
    const std::string path = dataPath(fileName);
    if (PicturePreload* preload = PicturePreload::active()) {
        const FittedPicture* ahead = preload->picture(path);
        if (ahead && texture.uploadFitted(*ahead, exchange)) return true;
    }
    std::string why;
    TgaImage picture;
    if (!tgaLoad(path.c_str(), &picture, &why)) {
        // The reader's own message is on standard output; for a wrong type
        // or depth it does not say which file it was. A file that is not
        // there at all is named with the others missing, once the show has
        // loaded.
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 || errno != ENOENT)
            std::fprintf(stderr, "glowmotion: %s not used: %s\n", path.c_str(), why.c_str());
        texture.uploadEmpty();
        return false;
    }
    const TgaPixels& pixels = picture.pixels;
    const size_t count = size_t(pixels.width) * pixels.height;
    if (count == 0) {
        std::fprintf(stderr, "glowmotion: %s not used: the picture is empty (%ux%u)\n", path.c_str(),
                     unsigned(pixels.width), unsigned(pixels.height));
        texture.uploadEmpty();
        return false;
    }
    texture.upload({pixels.data.get(), pixels.width, pixels.height, count + TgaPixels::kZeroTailWords}, exchange);
    return true;
}  // the decoded picture is released here

void loadGeneratedPicture(Texture& texture, const uint8_t* program, size_t size) {
    if (PicturePreload* preload = PicturePreload::active()) {
        const FittedPicture* ahead = preload->generated(program, size);
        if (ahead && texture.uploadFitted(*ahead, RedBlueExchange::BySize)) return;
    }
    TextureGenerator generator;
    generator.setProgram(program, size);
    generator.run();
    // The picture is the first 256 x 256 words of layer 0's stored image,
    // whatever size the program left the layer at, as a new texture holds.
    texture.upload({generator.images[0], 256, 256, TextureGenerator::kImagePixels}, RedBlueExchange::BySize);
}
