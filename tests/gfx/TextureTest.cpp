// Texture and the pictures made into textures: what reaches OpenGL, read
// back from the texture object.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <functional>

#include "common/GlContext.h"
#include "common/TgaFiles.h"
#include "base/DataPath.h"
#include "gfx/Pictures.h"
#include "gfx/Texture.h"

using namespace tgatest;

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

// A decoded picture made in memory, with zeros after it.
struct Picture {
    Picture(int w, int h, const std::function<uint32_t(int, int)>& word = fileWord)
        : width(uint32_t(w)), height(uint32_t(h)), words(size_t(w) * h + 16, 0u) {
        for (int i = 0; i < w * h; ++i) words[size_t(i)] = word(i % w, i / w);
    }
    PixelBuffer buffer() { return {words.data(), width, height, words.size()}; }
    uint32_t width, height;
    std::vector<uint32_t> words;
};

// Texel (x, y) shows the file's colour with red and blue exchanged back, or not.
void expectTexel(const TexImage& tex, int x, int y, bool exchanged) {
    const uint32_t w = fileWord(x, y);
    const uint8_t* t = tex.at(x, y);
    const uint32_t seen = t[0] | t[1] << 8 | t[2] << 16 | uint32_t(t[3]) << 24;
    const uint32_t swapped = (w & 0xFF00FF00u) | (w >> 16 & 0xFF) | (w & 0xFF) << 16;
    ASSERT_EQ(seen, exchanged ? swapped : w) << "texel " << x << "," << y;
}

TEST(Texture, EmptyTextureUploads256TransparentBlackAsLevel0Only) {
    testGL();
    Texture texture, other;
    EXPECT_EQ(texture.glName, 0u);  // no GL call before the first upload
    texture.uploadEmpty();
    other.uploadEmpty();
    EXPECT_NE(texture.glName, 0u);
    EXPECT_NE(texture.glName, other.glName);
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

TEST(Texture, UploadExchangesAsTold) {
    testGL();
    Picture big(512, 512), big2(512, 512);
    Texture bySize, whole, none;
    // By size counts the new texture's 256x256: the first 128 rows of 512.
    bySize.upload(big.buffer(), RedBlueExchange::BySize);
    EXPECT_EQ(bySize.width, 512u);
    const TexImage a = readTexture(bySize);
    ASSERT_EQ(a.width, 512);
    for (int y : {0, 127}) expectTexel(a, 511, y, true);
    for (int y : {128, 511}) expectTexel(a, 0, y, false);

    whole.upload(big2.buffer(), RedBlueExchange::WholeBuffer);
    const TexImage b = readTexture(whole);
    for (int y : {0, 128, 511}) expectTexel(b, 77, y, true);

    Picture red(2, 2, [](int, int) { return 0xFFFF0000u; });  // file red
    none.upload(red.buffer(), RedBlueExchange::None);
    const TexImage c = readTexture(none);
    EXPECT_EQ(c.at(1, 1)[0], 0);
    EXPECT_EQ(c.at(1, 1)[2], 255);  // uploaded as blue
}

TEST(Texture, PicturesUpTo256x256LookTheSameBySizeAndWholeBuffer) {
    testGL();
    for (auto [w, h] : {std::pair{256, 256}, std::pair{16, 256}, std::pair{200, 100}}) {  // GLU rescales 200x100
        Picture one(w, h), two(w, h);
        Texture bySize, whole;
        bySize.upload(one.buffer(), RedBlueExchange::BySize);
        whole.upload(two.buffer(), RedBlueExchange::WholeBuffer);
        EXPECT_EQ(bySize.height, uint32_t(h));
        const TexImage a = readTexture(bySize), b = readTexture(whole);
        EXPECT_TRUE(a.width == b.width && a.height == b.height && a.rgba == b.rgba) << w << "x" << h;
        if (a.width == w) expectTexel(a, w - 1, h - 1, true);
    }
}

TEST(Texture, UnusablePicturesAreNamedOnStandardErrorAndLeaveTheTexture256TransparentBlack) {
    testGL();
    TempDir dir("texture-unusable");
    TgaSpec tooLarge, empty;
    tooLarge.width = tooLarge.height = 600;
    empty.width = 0;
    dir.write("large.tga", tgaBytes(tooLarge));
    dir.write("empty.tga", tgaBytes(empty));
    const std::vector<uint8_t> cut = tgaBytes(TgaSpec{});
    dir.write("cut.tga", std::vector<uint8_t>(cut.begin(), cut.end() - 1));
    setDataDirectory(dir.path().string());
    const std::pair<const char*, std::string> cases[] = {
        {"missing.tga", ""},
        {"large.tga", "600x600 is 360000 pixels, more than the 262144 a texture holds"},
        {"empty.tga", "the picture is empty (0x3)"},
        {"cut.tga", "the file ends inside its pixels: 4x3 at 32 bits needs 66 bytes, the file has 65"},
    };
    for (const auto& [file, reason] : cases) {
        Texture texture;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadPicture(texture, file, RedBlueExchange::BySize));
        testing::internal::GetCapturedStdout();  // the reader's own message, tested with the reader
        // A file that is not there is left to the show's summary of the
        // missing ones; the others are named with their reason.
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  reason.empty() ? "" : "glowmotion: " + dir.file(file) + " not used: " + reason + "\n");
        EXPECT_EQ(texture.width, 256u);
        // Uploaded anyway, so quads using it sample transparent black.
        const TexImage tex = readTexture(texture);
        EXPECT_EQ(tex.width, 256);
        EXPECT_EQ(tex.rgba, std::vector<uint8_t>(256 * 256 * 4, 0));
    }
    EXPECT_EQ(dataFilesMissing(), std::vector<std::string>{"missing.tga"});
    setDataDirectory("data");
}

TEST(Texture, GeneratedPictureIsLayerZeroAt256ExchangedBySize) {
    testGL();
    // Checker 256x256, one cell each way: four 128-pixel squares, #102030
    // at the top left and bottom right, #405060 in the others.
    const uint8_t program[] = {10, 0, 0, 0, 0x00, 0xE0, 0x11, 0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    Texture texture;
    loadGeneratedPicture(texture, program, sizeof program);
    const TexImage tex = readTexture(texture);
    ASSERT_EQ(tex.width, 256);
    ASSERT_EQ(tex.height, 256);
    const uint8_t first[4] = {0x10, 0x20, 0x30, 0}, second[4] = {0x40, 0x50, 0x60, 0};
    EXPECT_EQ(std::memcmp(tex.at(0, 0), first, 4), 0);
    EXPECT_EQ(std::memcmp(tex.at(255, 255), first, 4), 0);
    EXPECT_EQ(std::memcmp(tex.at(200, 10), second, 4), 0);
    EXPECT_EQ(std::memcmp(tex.at(10, 200), second, 4), 0);
}

}  // namespace
