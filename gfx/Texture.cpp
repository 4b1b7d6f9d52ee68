#include "gfx/Texture.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "gfx/TextureFit.h"

namespace {

void exchangeRedBlue(uint32_t* pixels, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

}  // namespace

void Texture::bind() const { glBindTexture(GL_TEXTURE_2D, glName); }

void Texture::upload(const PixelBuffer& picture, RedBlueExchange exchange) {
    const uint64_t pictureWords = uint64_t(picture.width) * picture.height;
    uint64_t exchanged = 0;
    switch (exchange) {
    case RedBlueExchange::BySize: exchanged = std::min(uint64_t(width) * height, pictureWords); break;
    case RedBlueExchange::WholeBuffer: exchanged = pictureWords; break;
    case RedBlueExchange::None: break;
    }
    exchangeRedBlue(picture.words, exchanged);
    width = picture.width;
    height = picture.height;
    send(picture.words, picture.readable);
}

bool Texture::uploadFitted(const FittedPicture& picture, RedBlueExchange exchange) {
    const uint64_t pictureWords = uint64_t(picture.width) * picture.height;
    GLenum order = GL_BGRA;
    switch (exchange) {
    case RedBlueExchange::BySize:
        if (uint64_t(width) * height < pictureWords) return false;
        break;
    case RedBlueExchange::WholeBuffer: break;
    case RedBlueExchange::None: order = GL_RGBA; break;
    }
    const FitSize fit = gluFitSize(int(picture.width), int(picture.height), maxTextureSize());
    if (uint32_t(fit.width) != picture.fitWidth || uint32_t(fit.height) != picture.fitHeight) return false;
    width = picture.width;
    height = picture.height;
    beginLevel0();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fit.width, fit.height, 0, order, GL_UNSIGNED_BYTE, picture.words);
    glPopClientAttrib();
    return true;
}

void Texture::uploadEmpty() {
    const std::vector<uint32_t> black(size_t(width) * height, 0u);
    send(black.data(), black.size());
}

int Texture::maxTextureSize() {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    return maxSize;
}

void Texture::beginLevel0() {
    if (glName == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glName = name;
    }
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
}

void Texture::send(const uint32_t* words, size_t readable) {
    beginLevel0();
    const GLsizei w = static_cast<GLsizei>(width);
    const GLsizei h = static_cast<GLsizei>(height);
    const FitSize fit = gluFitSize(w, h, maxTextureSize());
    if (fit.width == w && fit.height == h) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, words);
    } else {
        std::vector<uint8_t> scaled(static_cast<size_t>(fit.width) * fit.height * 4);
        gluBoxScaleRgba(reinterpret_cast<const uint8_t*>(words), w, h, readable * 4, scaled.data(), fit.width,
                        fit.height);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fit.width, fit.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, scaled.data());
    }
    glPopClientAttrib();
}
