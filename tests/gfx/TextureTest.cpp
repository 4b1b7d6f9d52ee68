// Texture: what reaches OpenGL, read back from the texture object.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <functional>

#include "GlTestContext.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"

namespace {

struct TexImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // texture row t = 0 first
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

TexImage readTexture(const Texture& texture, int level = 0) {
    texture.bind();
    TexImage image;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &image.height);
    image.rgba.resize(size_t(image.width) * image.height * 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    return image;
}

// File colour of pixel (x, y) as the reader delivers it: bytes B, G, R, A.
uint32_t fileWord(int x, int y) {
    const uint32_t r = (x * 3) & 255, g = (y * 7) & 255, b = ((x + y) & 255) ^ 0x5A, a = (x ^ y) & 255;
    return b | g << 8 | r << 16 | a << 24;
}

// A decoded picture made in memory.
struct Picture {
    Picture(int w, int h, const std::function<uint32_t(int, int)>& word = fileWord) {
        image.pixels.width = uint16_t(w), image.pixels.height = uint16_t(h);
        image.pixels.data.reset(new uint32_t[size_t(w) * h + 1]);
        for (int i = 0; i < w * h; ++i) image.pixels.data[i] = word(i % w, i / w);
    }
    TgaImage image;
};

// Texel (x, y) shows the file's colour with red and blue exchanged back, or not.
void expectTexel(const TexImage& tex, int x, int y, bool exchanged) {
    const uint32_t w = fileWord(x, y);
    const uint8_t* t = tex.at(x, y);
    const uint32_t seen = t[0] | t[1] << 8 | t[2] << 16 | uint32_t(t[3]) << 24;
    const uint32_t swapped = (w & 0xFF00FF00u) | (w >> 16 & 0xFF) | (w & 0xFF) << 16;
    ASSERT_EQ(seen, exchanged ? swapped : w) << "texel " << x << "," << y;
}

TEST(Texture, UnfilledTextureUploads256TransparentBlackAsLevel0Only) {
    testGL();
    Texture texture, other;
    EXPECT_NE(texture.glName, other.glName);
    texture.upload();
    const TexImage tex = readTexture(texture);
    ASSERT_EQ(tex.width, 256);
    ASSERT_EQ(tex.height, 256);
    EXPECT_EQ(tex.rgba, std::vector<uint8_t>(256 * 256 * 4, 0));
    EXPECT_EQ(readTexture(texture, 1).width, 0);  // no chain: it would never be sampled
    GLint wrap = 0, minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(minFilter, GL_LINEAR);  // level 0 only is sampled
}

TEST(Texture, SetImageExchangesAsTold) {
    testGL();
    Picture big(512, 512);
    Texture bySize, whole, none;
    // By size counts the new texture's 256x256: the first 128 rows of 512.
    EXPECT_TRUE(bySize.setImage(&big.image, RedBlueExchange::BySize));
    EXPECT_EQ(bySize.width, 512u);
    const TexImage a = readTexture(bySize);
    ASSERT_EQ(a.width, 512);
    for (int y : {0, 127}) expectTexel(a, 511, y, true);
    for (int y : {128, 511}) expectTexel(a, 0, y, false);

    whole.setImage(&big.image, RedBlueExchange::WholeBuffer);
    const TexImage b = readTexture(whole);
    for (int y : {0, 128, 511}) expectTexel(b, 77, y, true);

    Picture red(2, 2, [](int, int) { return 0xFFFF0000u; });  // file red
    none.setImage(&red.image, RedBlueExchange::None);
    const TexImage c = readTexture(none);
    EXPECT_EQ(c.at(1, 1)[0], 0);
    EXPECT_EQ(c.at(1, 1)[2], 255);  // uploaded as blue
}

TEST(Texture, PicturesUpTo256x256LookTheSameBySizeAndWholeBuffer) {
    testGL();
    for (auto [w, h] : {std::pair{256, 256}, std::pair{16, 256}, std::pair{200, 100}}) {  // GLU rescales 200x100
        Picture picture(w, h);
        Texture bySize, whole;
        bySize.setImage(&picture.image, RedBlueExchange::BySize);
        whole.setImage(&picture.image, RedBlueExchange::WholeBuffer);
        EXPECT_EQ(bySize.height, uint32_t(h));
        const TexImage a = readTexture(bySize), b = readTexture(whole);
        EXPECT_TRUE(a.width == b.width && a.height == b.height && a.rgba == b.rgba) << w << "x" << h;
        if (a.width == w) expectTexel(a, w - 1, h - 1, true);
    }
}

TEST(Texture, UnusablePicturesLeaveTheTextureAsConstructed) {
    testGL();
    Picture tooLarge(600, 600), empty(0, 0), noPixels(4, 4);
    noPixels.image.pixels.data.reset();
    for (const TgaImage* image : {static_cast<TgaImage*>(nullptr), &tooLarge.image, &empty.image, &noPixels.image}) {
        Texture texture;
        EXPECT_FALSE(texture.setImage(image, RedBlueExchange::BySize));
        EXPECT_EQ(texture.width, 256u);
        EXPECT_EQ(texture.images[0][Texture::kImagePixels - 1], 0u);
        // Uploaded anyway, so quads using it sample transparent black.
        const TexImage tex = readTexture(texture);
        EXPECT_EQ(tex.width, 256);
        EXPECT_EQ(tex.rgba, std::vector<uint8_t>(256 * 256 * 4, 0));
    }
}

TEST(Texture, GenerateRunsTheProgramThenUploads256) {
    testGL();
    Texture texture;
    std::fill_n(texture.images[0], Texture::kImagePixels, 0x00123456u);
    const uint8_t emptyProgram[4] = {0, 0, 0, 0};
    texture.setProgram(emptyProgram);
    texture.generate();
    const TexImage tex = readTexture(texture);
    EXPECT_EQ(tex.width, 256);
    EXPECT_EQ(tex.rgba, std::vector<uint8_t>(256 * 256 * 4, 0));  // run() started from cleared images
}

}  // namespace
