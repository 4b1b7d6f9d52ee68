// Level 0 of every texture is byte for byte what gluBuild2DMipmaps makes of
// the same pixels: read back through glGetTexImage from a Texture and from a
// texture GLU built, for the size of every shipped picture, for every picture
// file in the shipped data folder, and for odd sizes.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/GlContext.h"
#include "gfx/Texture.h"
#include "gfx/TextureFit.h"
#include "gfx/Tga.h"

namespace {

struct Level0 {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

Level0 readLevel0(GLuint name) {
    glBindTexture(GL_TEXTURE_2D, name);
    Level0 level;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &level.height);
    level.rgba.resize(size_t(level.width) * level.height * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.rgba.data());
    glPopClientAttrib();
    return level;
}

// What the GLU path made of the pixels the texture was given (exchanged by
// the upload): a fresh texture name, the same wrap and filter settings,
// gluBuild2DMipmaps with packed rows.
Level0 gluLevel0(const Texture& texture, const uint32_t* pixels) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    const GLint status = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, GLsizei(texture.width), GLsizei(texture.height),
                                           GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glPopClientAttrib();
    EXPECT_EQ(status, 0);
    Level0 level = readLevel0(name);
    glDeleteTextures(1, &name);
    return level;
}

// Noise: every byte value in every channel, alpha included, so each weight
// of the filter shows in the result. Blocks: patches of one colour, where a
// box's weights must add up exactly as GLU's do for the mean to come out on
// the same side of a whole number.
enum class Pattern { Noise, Blocks };

// GLU's filter may read a few pixels past a picture's end: zeros there.
constexpr size_t kZeroTail = 64;

struct Picture {
    Picture(int w, int h, uint32_t seed, Pattern pattern = Pattern::Noise)
        : width(uint32_t(w)), height(uint32_t(h)), words(size_t(w) * h + kZeroTail, 0u) {
        uint32_t state = seed;
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            state = state * 1664525u + 1013904223u;
            const uint32_t block = uint32_t(i % size_t(w) / 7 * 31 + i / size_t(w) / 5 * 17) * 2654435761u;
            words[i] = pattern == Pattern::Noise ? state : block ^ seed;
        }
    }
    PixelBuffer buffer() { return {words.data(), width, height, words.size()}; }
    uint32_t width, height;
    std::vector<uint32_t> words;
};

// Makes a texture from the picture and compares level 0 with GLU's.
void expectLevel0LikeGlu(const PixelBuffer& picture, RedBlueExchange exchange, const std::string& what) {
    Texture texture;
    texture.upload(picture, exchange);
    const Level0 ours = readLevel0(texture.glName);
    const Level0 glu = gluLevel0(texture, picture.words);
    ASSERT_EQ(ours.width, glu.width) << what;
    ASSERT_EQ(ours.height, glu.height) << what;
    ASSERT_GT(ours.width, 0) << what;
    size_t firstDifference = 0;
    while (firstDifference < ours.rgba.size() && ours.rgba[firstDifference] == glu.rgba[firstDifference])
        ++firstDifference;
    EXPECT_EQ(firstDifference, ours.rgba.size())
        << what << ": level 0 differs from GLU's at texel " << firstDifference / 4 % size_t(ours.width) << ","
        << firstDifference / 4 / size_t(ours.width) << " channel " << firstDifference % 4;
}

TEST(TextureFit, NearestPowerIsGlus) {
    EXPECT_EQ(gluNearestPower(1), 1u);
    EXPECT_EQ(gluNearestPower(2), 2u);
    EXPECT_EQ(gluNearestPower(3), 4u);
    EXPECT_EQ(gluNearestPower(5), 4u);
    EXPECT_EQ(gluNearestPower(6), 8u);
    EXPECT_EQ(gluNearestPower(160), 128u);
    EXPECT_EQ(gluNearestPower(400), 512u);
    EXPECT_EQ(gluNearestPower(1568), 2048u);
    EXPECT_EQ(gluNearestPower(1120), 1024u);
    EXPECT_EQ(gluFitSize(32768, 8, 16384).width, 16384);
    EXPECT_EQ(gluFitSize(32768, 8, 16384).height, 4);  // both sides halved together
}

TEST(TextureFit, Level0OfEveryShippedPictureSizeIsGlus) {
    testGL();
    // Each size a picture of the show has (font sheet and generated texture
    // are 256 x 256), powers of two and the rescaled ones alike.
    const std::pair<int, int> sizes[] = {
        {256, 256}, {1568, 160}, {1120, 160}, {512, 512}, {512, 400}, {384, 128}, {1024, 256}, {512, 128},
        {400, 144}, {384, 144}, {128, 256}, {480, 132}, {512, 192}, {128, 128}, {2048, 64}, {256, 512},
    };
    uint32_t seed = 1;
    for (auto [w, h] : sizes) {
        for (Pattern pattern : {Pattern::Noise, Pattern::Blocks}) {
            Picture picture(w, h, seed++, pattern);
            expectLevel0LikeGlu(picture.buffer(), RedBlueExchange::WholeBuffer,
                                std::to_string(w) + "x" + std::to_string(h));
        }
    }
}

TEST(TextureFit, Level0OfOddSizesIsGlus) {
    testGL();
    // Enlarging and shrinking on either side, one-pixel lines, the largest
    // pictures a texture holds, and long ones whose fitted size passes the
    // largest texture GL allows: halved both ways, they shrink by 2 (GLU's
    // 2 x 2 mean) or by 4 and 5 rows to one (boxes many rows deep).
    const std::pair<int, int> sizes[] = {
        {1, 1},     {3, 3},     {1, 7},     {7, 1},    {5, 3},    {200, 100}, {255, 257}, {333, 3},
        {3, 333},   {97, 601},  {511, 513}, {1000, 262}, {6000, 43}, {32768, 8}, {65535, 4}, {50000, 5},
    };
    uint32_t seed = 100;
    for (auto [w, h] : sizes) {
        Picture noise(w, h, seed++, Pattern::Noise), blocks(w, h, seed++, Pattern::Blocks);
        expectLevel0LikeGlu(noise.buffer(), RedBlueExchange::BySize, std::to_string(w) + "x" + std::to_string(h));
        expectLevel0LikeGlu(blocks.buffer(), RedBlueExchange::None, std::to_string(w) + "x" + std::to_string(h));
    }
}

TEST(TextureFit, Level0OfEveryShippedPictureFileIsGlus) {
    testGL();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GLOWMOTION_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tga" && name != "font.fnt") continue;
        TgaImage image;
        ASSERT_TRUE(tgaLoad(entry.path().c_str(), &image)) << name;
        const TgaPixels& p = image.pixels;
        expectLevel0LikeGlu({p.data.get(), p.width, p.height, size_t(p.width) * p.height + TgaPixels::kZeroTailWords},
                            RedBlueExchange::WholeBuffer, name);
        ++files;
    }
    EXPECT_GE(files, 30);  // the show's pictures and its font sheet
}

TEST(TextureFit, OnlyLevel0IsMade) {
    testGL();
    Picture picture(400, 144, 7);
    Texture texture;
    texture.upload(picture.buffer(), RedBlueExchange::WholeBuffer);
    texture.bind();
    GLint width1 = -1, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width1);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(width1, 0);
    EXPECT_EQ(minFilter, GL_LINEAR);  // complete with level 0 alone
}

}  // namespace
