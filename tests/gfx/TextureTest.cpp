// Texture: what reaches OpenGL, read back from the texture object itself.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "GlTestContext.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"

namespace {

struct TexImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // bottom... as stored: texture row t = 0 first
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

TexImage readTexture(const Texture& texture, int level = 0) {
    testGL();
    texture.bind();
    TexImage image;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &image.height);
    image.rgba.resize(size_t(image.width) * image.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!image.rgba.empty()) glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return image;
}

// A decoded picture made in memory, as the reader would deliver it: word
// bytes blue, green, red, alpha.
struct Picture {
    Picture(int w, int h, const std::function<uint32_t(int, int)>& word) {
        tgaInit(&image);
        image.width = image.pixels.width = uint16_t(w);
        image.height = image.pixels.height = uint16_t(h);
        image.pixelDepth = 32;
        image.imageType = 2;
        image.pixels.data = static_cast<uint32_t*>(std::malloc(size_t(w) * h * 4));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.pixels.data[size_t(y) * w + x] = word(x, y);
    }
    ~Picture() { tgaFree(&image); }
    TgaImage image;
};

// File colour (r, g, b, a) of pixel (x, y) of the test pictures.
uint32_t fileWord(int x, int y) {
    const uint32_t r = (x * 3) & 255, g = (y * 7) & 255, b = ((x + y) & 255) ^ 0x5A, a = (x ^ y) & 255;
    return b | (g << 8) | (r << 16) | (a << 24);
}

// Expects texel (x, y) to show the file's colour, with red and blue
// exchanged back (exchanged == true) or left in file order.
void expectTexel(const TexImage& tex, int x, int y, bool exchanged) {
    const uint32_t w = fileWord(x, y);
    const uint8_t fileB = uint8_t(w), fileG = uint8_t(w >> 8), fileR = uint8_t(w >> 16), fileA = uint8_t(w >> 24);
    const uint8_t* t = tex.at(x, y);
    ASSERT_EQ(t[0], exchanged ? fileR : fileB) << x << "," << y;
    ASSERT_EQ(t[1], fileG) << x << "," << y;
    ASSERT_EQ(t[2], exchanged ? fileB : fileR) << x << "," << y;
    ASSERT_EQ(t[3], fileA) << x << "," << y;
}

TEST(Texture, NewTextureUploadsTransparentBlack256WithMipmaps) {
    testGL();
    auto texture = std::make_unique<Texture>();
    auto other = std::make_unique<Texture>();
    EXPECT_NE(texture->glName, 0u);
    EXPECT_NE(texture->glName, other->glName);
    EXPECT_EQ(texture->width, 256u);
    EXPECT_EQ(texture->height, 256u);
    EXPECT_TRUE(texture->mipmaps);

    texture->upload();
    const TexImage tex = readTexture(*texture);
    ASSERT_EQ(tex.width, 256);
    ASSERT_EQ(tex.height, 256);
    for (uint8_t byte : tex.rgba) ASSERT_EQ(byte, 0);
    EXPECT_EQ(readTexture(*texture, 1).width, 128);  // mipmap chain built
    EXPECT_EQ(readTexture(*texture, 8).width, 1);

    GLint wrapS = 0, wrapT = 0, minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST(Texture, ExchangesRunOverTheRightPixels) {
    testGL();
    Texture texture;
    for (uint32_t i = 0; i < Texture::kImagePixels; ++i) texture.images[0][i] = 0x44332211u + i;
    texture.width = 3;
    texture.height = 2;
    texture.swapRedBlue();
    EXPECT_EQ(texture.images[0][0], 0x44112233u);
    EXPECT_EQ(texture.images[0][5], 0x44112233u + (5u << 16));
    EXPECT_EQ(texture.images[0][6], 0x44332211u + 6);  // beyond 3x2: untouched
    texture.swapRedBlue();
    EXPECT_EQ(texture.images[0][0], 0x44332211u);  // twice restores

    texture.swapRedBlueWholeBuffer();
    EXPECT_EQ(texture.images[0][6], 0x44112233u + (6u << 16));
    const uint32_t last = 0x44332211u + (Texture::kImagePixels - 1);
    EXPECT_EQ(texture.images[0][Texture::kImagePixels - 1],
              (last & 0xFF00FF00u) | ((last >> 16) & 0xFF) | ((last & 0xFF) << 16));
}

TEST(Texture, SetImageExchangesAsTold) {
    testGL();
    {
        // 512x512 by size: only the first 256*256 pixels (128 rows) are exchanged.
        Picture picture(512, 512, fileWord);
        Texture texture;
        EXPECT_TRUE(texture.setImage(&picture.image, RedBlueExchange::BySize));
        EXPECT_EQ(texture.width, 512u);
        EXPECT_EQ(texture.height, 512u);
        const TexImage tex = readTexture(texture);
        ASSERT_EQ(tex.width, 512);
        ASSERT_EQ(tex.height, 512);
        for (int y : {0, 64, 127}) expectTexel(tex, 300, y, true);
        for (int y : {128, 300, 511}) expectTexel(tex, 300, y, false);
        expectTexel(tex, 511, 127, true);
        expectTexel(tex, 0, 128, false);
    }
    {
        Picture picture(512, 512, fileWord);
        Texture texture;
        texture.setImage(&picture.image, RedBlueExchange::WholeBuffer);
        const TexImage tex = readTexture(texture);
        for (int y : {0, 127, 128, 511}) expectTexel(tex, 77, y, true);
        expectTexel(tex, 511, 511, true);
    }
    {
        // None: a pure red file pixel arrives as blue.
        Picture picture(2, 2, [](int, int) { return 0xFFFF0000u; });
        Texture texture;
        texture.setImage(&picture.image, RedBlueExchange::None);
        const TexImage tex = readTexture(texture);
        ASSERT_EQ(tex.width, 2);
        EXPECT_EQ(tex.at(1, 1)[0], 0);
        EXPECT_EQ(tex.at(1, 1)[2], 255);
        EXPECT_EQ(tex.at(1, 1)[3], 255);
    }
}

TEST(Texture, SmallPicturesLookTheSameBySizeAndWholeBuffer) {
    testGL();
    // GLU rescales sizes that are not powers of two (200x100 here).
    for (auto [w, h] : {std::pair{256, 256}, std::pair{200, 100}, std::pair{16, 256}, std::pair{128, 64}}) {
        Picture picture(w, h, fileWord);
        Texture bySize, whole;
        bySize.setImage(&picture.image, RedBlueExchange::BySize);
        whole.setImage(&picture.image, RedBlueExchange::WholeBuffer);
        EXPECT_EQ(bySize.width, uint32_t(w));
        EXPECT_EQ(bySize.height, uint32_t(h));
        const TexImage a = readTexture(bySize), b = readTexture(whole);
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        EXPECT_TRUE(a.rgba == b.rgba) << w << "x" << h;
        if (a.width == w && a.height == h) {
            expectTexel(a, 0, 0, true);
            expectTexel(a, w - 1, h - 1, true);
        }
    }
}

TEST(Texture, UnusablePicturesLeaveTheTextureAsConstructed) {
    testGL();
    Picture tooLarge(600, 600, fileWord);  // 360,000 pixels, more than the buffer holds
    Picture empty(0, 0, fileWord);
    Picture noPixels(4, 4, fileWord);
    std::free(noPixels.image.pixels.data);
    noPixels.image.pixels.data = nullptr;

    const TgaImage* const unusable[] = {nullptr, &tooLarge.image, &empty.image, &noPixels.image};
    for (const TgaImage* image : unusable) {
        Texture texture;
        EXPECT_FALSE(texture.setImage(image, RedBlueExchange::BySize));
        EXPECT_EQ(texture.width, 256u);
        EXPECT_EQ(texture.height, 256u);
        for (uint32_t i = 0; i < Texture::kImagePixels; ++i) ASSERT_EQ(texture.images[0][i], 0u);
        // Still uploaded, so quads using it sample transparent black.
        const TexImage tex = readTexture(texture);
        ASSERT_EQ(tex.width, 256);
        ASSERT_EQ(tex.height, 256);
        for (uint8_t byte : tex.rgba) ASSERT_EQ(byte, 0);
    }
}

TEST(Texture, GenerateRunsTheProgramAndUploads256) {
    testGL();
    Texture texture;
    for (uint32_t i = 0; i < Texture::kImagePixels; ++i) texture.images[0][i] = 0x00123456u;
    const uint8_t emptyProgram[4] = {0, 0, 0, 0};
    texture.setProgram(emptyProgram);
    texture.generate();
    EXPECT_EQ(texture.width, 256u);
    const TexImage tex = readTexture(texture);
    ASSERT_EQ(tex.width, 256);
    ASSERT_EQ(tex.height, 256);
    for (uint8_t byte : tex.rgba) ASSERT_EQ(byte, 0);  // run() starts from cleared images
    EXPECT_EQ(readTexture(texture, 1).width, 128);
}

}  // namespace
