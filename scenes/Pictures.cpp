#include "scenes/Pictures.h"

#include "base/DataPath.h"

PicturePtr readPicture(const char* fileName) {
    PicturePtr picture(new TgaImage);
    if (!tgaLoad(dataPath(fileName).c_str(), picture.get())) return nullptr;
    return picture;
}

void makeTexture(Texture& texture, const TgaImage* picture, RedBlueExchange exchange) {
    texture.setImage(picture, exchange);
    texture.releasePages();  // the picture is on the graphics side now
}
