#include "gfx/Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <vector>

#include "gfx/TextureFit.h"
#include "gfx/Tga.h"

namespace {

void exchangeRedBlue(uint32_t* pixels, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

// The same exchange, but a stretch of 4 KiB in which no pixel would change
// (byte 0 equal to byte 2 everywhere, as in the zero pages nobody has
// written) is only read, never written: writing it would give each such page
// of the 1 MiB buffer real memory for nothing.
void exchangeRedBlueWhereItChanges(uint32_t* pixels, uint32_t count) {
    constexpr uint32_t kStretch = 1024;  // pixels, 4 KiB
    for (uint32_t start = 0; start < count; start += kStretch) {
        const uint32_t n = count - start < kStretch ? count - start : kStretch;
        uint32_t* p = pixels + start;
        uint32_t differs = 0;
        for (uint32_t i = 0; i < n; ++i) differs |= (p[i] ^ (p[i] >> 16)) & 0xFFu;
        if (differs) exchangeRedBlue(p, n);
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
    FitSize fit{w, h};
    if (mipmaps) {
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        fit = gluFitSize(w, h, maxSize);
    }
    if (fit.width == w && fit.height == h) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, images[0]);
    } else {
        std::vector<uint8_t> scaled(static_cast<size_t>(fit.width) * fit.height * 4);
        gluBoxScaleRgba(reinterpret_cast<const uint8_t*>(images[0]), w, h, size_t(kImagePixels) * 4, scaled.data(),
                        fit.width, fit.height);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fit.width, fit.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, scaled.data());
    }
    glPopClientAttrib();
}

void Texture::swapRedBlue() {
    const uint64_t count = uint64_t(width) * height;
    exchangeRedBlue(images[0], count < kImagePixels ? uint32_t(count) : kImagePixels);
}

void Texture::swapRedBlueWholeBuffer() { exchangeRedBlueWhereItChanges(images[0], kImagePixels); }

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
    std::memcpy(images[0], image->pixels.data.get(), count * 4);
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
