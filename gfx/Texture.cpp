#include "gfx/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "gfx/Tga.h"

namespace {

void exchangeRedBlue(uint32_t* pixels, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

}  // namespace

Texture::Texture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glName = name;
}

void Texture::bind() const { glBindTexture(GL_TEXTURE_2D, glName); }

void Texture::upload() {
    glBindTexture(GL_TEXTURE_2D, glName);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    // Rows are packed without gaps; the uploads must not depend on whatever
    // unpack state is left from elsewhere.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    const GLsizei w = static_cast<GLsizei>(width);
    const GLsizei h = static_cast<GLsizei>(height);
    if (mipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_RGBA, GL_UNSIGNED_BYTE, images[0]);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, images[0]);
    }
    glPopClientAttrib();
}

void Texture::swapRedBlue() {
    const uint64_t count = uint64_t(width) * height;
    exchangeRedBlue(images[0], count < kImagePixels ? uint32_t(count) : kImagePixels);
}

void Texture::swapRedBlueWholeBuffer() { exchangeRedBlue(images[0], kImagePixels); }

void Texture::generate() {
    run();
    swapRedBlue();
    upload();
}

bool Texture::setImage(const TgaImage* image, RedBlueExchange exchange) {
    const uint64_t count = image ? uint64_t(image->pixels.width) * image->pixels.height : 0;
    if (count == 0 || count > kImagePixels || !image->pixels.data) {
        upload();
        return false;
    }
    std::memcpy(images[0], image->pixels.data, count * 4);
    switch (exchange) {
        case RedBlueExchange::BySize: swapRedBlue(); break;
        case RedBlueExchange::WholeBuffer: swapRedBlueWholeBuffer(); break;
        case RedBlueExchange::None: break;
    }
    width = image->pixels.width;
    height = image->pixels.height;
    upload();
    return true;
}
