// The offscreen context, and textures as OpenGL holds them: read back from
// the texture object, level 0 compared with what gluBuild2DMipmaps makes.
#include <GL/gl.h>
#include <GL/glu.h>

#include "base/DataPath.h"
#include "common/GlContext.h"
#include "common/TgaFiles.h"
#include "gfx/PicturePreload.h"
#include "gfx/Pictures.h"
#include "gfx/Texture.h"
#include "gfx/TextureFit.h"
#include "texgen/TextureProgram.h"

#include <climits>
#include <optional>

using namespace tgatest;

namespace {

// Level `level` of a texture as RGBA bytes, row t = 0 first.
std::vector<uint8_t> readLevel(GLuint name, int* width = nullptr, int level = 0) {
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (width) *width = w;
    return rgba;
}

// Noise: every byte value in every channel. Blocks: patches of one colour,
// where a box's weights must add up as GLU's do. Zeros after the picture:
// GLU's filter may read a few words past its end.
struct Picture {
    Picture(int w, int h, uint32_t seed, bool blocks = false) : width(w), height(h), words(size_t(w) * h + 64, 0u) {
        for (size_t i = 0, state = seed; i < size_t(w) * h; ++i) {
            state = uint32_t(state * 1664525u + 1013904223u);
            words[i] = blocks ? uint32_t(i % w / 7 * 31 + i / w / 5 * 17) * 2654435761u ^ seed : uint32_t(state);
        }
    }
    // Uploaded with unpack state another part of the show may leave behind.
    void upload(Texture& texture, RedBlueExchange exchange) {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 13), glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 1), glPixelStorei(GL_UNPACK_SKIP_PIXELS, 2);
        texture.upload({words.data(), uint32_t(width), uint32_t(height), words.size()}, exchange);
        glPopClientAttrib();
    }
    int width, height;
    std::vector<uint32_t> words;
};

// Its pictures, read top row first at 640x480: FontTest.
TEST(OffscreenGL, ReadsWithoutDisturbingPackState) {
    glPixelStorei(GL_PACK_ALIGNMENT, 8), glPixelStorei(GL_PACK_ROW_LENGTH, 13);
    std::vector<uint8_t> rgba;
    testGL().readPixels(rgba);
    GLint alignment = 0, rowLength = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment), glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    glPixelStorei(GL_PACK_ALIGNMENT, 4), glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    EXPECT_TRUE(rgba.size() == 640u * 480 * 4 && alignment == 8 && rowLength == 13) << alignment << " " << rowLength;
}

// Level 0 of every size is byte for byte what gluBuild2DMipmaps makes of
// the pixels exchanged as told (by size: as many as a new texture's
// 256x256): each size a picture of the show has, then odd ones (enlarging
// and shrinking either way, lines, the largest pictures, long ones halved
// both ways, a line only along, to the largest texture GL allows).
TEST(Texture, ExchangesAndFitsEverySizeAsGluDoes) {
    testGL();
    const std::pair<int, int> sizes[] = {
        {256, 256}, {1568, 160}, {1120, 160}, {512, 512}, {512, 400}, {384, 128}, {1024, 256}, {512, 128}, {400, 144},
        {384, 144}, {128, 256},  {480, 132},  {512, 192}, {128, 128}, {2048, 64}, {256, 512},  {1, 1},     {3, 3},
        {1, 7},     {7, 1},      {5, 6},      {200, 100}, {255, 257}, {333, 3},   {65535, 1},  {3, 333},   {97, 601},
        {511, 513}, {1000, 262}, {6000, 43},  {32768, 8}, {65535, 4}, {50000, 5}};
    const std::pair<RedBlueExchange, size_t> exchanges[] = {
        {RedBlueExchange::WholeBuffer, SIZE_MAX}, {RedBlueExchange::BySize, 256 * 256}, {RedBlueExchange::None, 0}};
    uint32_t seed = 1;
    for (auto [w, h] : sizes) {
        for (auto [exchange, exchanged] : exchanges) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " exchange " << int(exchange));
            Picture picture(w, h, seed++, exchange != RedBlueExchange::WholeBuffer);
            std::vector<uint32_t> expected = picture.words;
            for (size_t i = 0; i < std::min(exchanged, size_t(w) * h); ++i)
                expected[i] = (expected[i] & 0xFF00FF00u) | (expected[i] >> 16 & 0xFF) | (expected[i] & 0xFF) << 16;
            // Fitted ahead for a texture of any size and uploaded naming the
            // byte order (gfx/PicturePreload.h): the same texels as below, or
            // refused, untouched, where it cannot give them.
            const FitSize anySize = gluFitSize(w, h, INT_MAX);
            std::vector<uint32_t> fitted(size_t(anySize.width) * anySize.height);
            if (anySize.width == w && anySize.height == h) std::copy_n(picture.words.begin(), fitted.size(), fitted.begin());
            else gluBoxScaleRgba(reinterpret_cast<const uint8_t*>(picture.words.data()), w, h, picture.words.size() * 4,
                                 reinterpret_cast<uint8_t*>(fitted.data()), anySize.width, anySize.height);
            GLint maxSize = 0;
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
            const FitSize driverSize = gluFitSize(w, h, maxSize);
            const bool refused = (exchange == RedBlueExchange::BySize && size_t(w) * h > 256 * 256) ||
                                 driverSize.width != anySize.width || driverSize.height != anySize.height;
            Texture ahead;
            EXPECT_EQ(ahead.uploadFitted({uint32_t(w), uint32_t(h), uint32_t(anySize.width), uint32_t(anySize.height),
                                          fitted.data()},
                                         exchange),
                      !refused);
            EXPECT_EQ(ahead.glName == 0, refused);
            Texture texture;
            picture.upload(texture, exchange);
            ASSERT_TRUE(texture.width == uint32_t(w) && texture.height == uint32_t(h));
            GLuint glu = 0;
            glGenTextures(1, &glu), glBindTexture(GL_TEXTURE_2D, glu);
            ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_RGBA, GL_UNSIGNED_BYTE, expected.data()), 0);
            int ourWidth = 0, gluWidth = 0;
            const std::vector<uint8_t> ours = readLevel(texture.glName, &ourWidth), theirs = readLevel(glu, &gluWidth);
            glDeleteTextures(1, &glu);
            ASSERT_TRUE(!ours.empty() && ourWidth == gluWidth && ours.size() == theirs.size()) << ourWidth;
            const size_t diff = std::mismatch(ours.begin(), ours.end(), theirs.begin()).first - ours.begin();
            EXPECT_EQ(diff, ours.size()) << "differs at texel " << diff / 4 % ourWidth << "," << diff / 4 / ourWidth;
            if (!refused) {
                EXPECT_EQ(readLevel(ahead.glName), theirs);
            }
            EXPECT_TRUE(readLevel(texture.glName, nullptr, 1).empty());  // only level 0 is ever sampled
        }
    }
}

TEST(Texture, PictureFilesAndProgramsBecomeTextures) {
    testGL();
    TempDir dir("texture-files");
    writeTga(dir, "large.tga", [](TgaSpec& s) { s.width = s.height = 600; });
    writeTga(dir, "empty.tga", [](TgaSpec& s) { s.width = 0; });
    writeTga(dir, "cut.tga", {}, 65);
    // Pictures that load: as stored, stored bottom
    // row first, fitted to powers of two.
    writeTga(dir, "top.tga", [](TgaSpec& s) { s.width = 8, s.height = 4; });
    writeTga(dir, "bottom.tga", [](TgaSpec& s) { s.width = 8, s.height = 4, s.descriptor = 0x08; });
    writeTga(dir, "fitted.tga", [](TgaSpec& s) { s.width = 6, s.height = 5; });
    setDataDirectory(dir.path().string());
    // Each is loaded on its own, then with the pictures read ahead
    // (gfx/PicturePreload.h): the same textures and the same lines.
    std::vector<std::vector<uint8_t>> loaded[2];
    for (int ahead = 0; ahead < 2; ++ahead) {
        SCOPED_TRACE(ahead ? "read ahead" : "read when asked");
        std::optional<PicturePreload> preload;
        if (ahead) preload.emplace(dir.path().string());
        testing::internal::CaptureStdout();  // the reader's own lines (TgaTest); a picture that loads: FontTest
        // A file that is not there is left to the show's summary of the missing
        // ones; the others are named with their reason. Each leaves a texture of
        // transparent black.
        const std::pair<const char*, std::string> unusable[] = {
            {"missing.tga", ""},
            {"large.tga", "600x600 is 360000 pixels, more than the 262144 a texture holds"},
            {"empty.tga", "the picture is empty (0x3)"},
            {"cut.tga", "the file ends inside its pixels: 4x3 at 32 bits needs 66 bytes, the file has 65"}};
        for (const auto& [file, reason] : unusable) {
            Texture unused;
            testing::internal::CaptureStderr();
            EXPECT_FALSE(loadPicture(unused, file, RedBlueExchange::BySize));
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                      reason.empty() ? "" : "glowmotion: " + dir.file(file) + " not used: " + reason + "\n");
            EXPECT_EQ(readLevel(unused.glName), std::vector<uint8_t>(256 * 256 * 4, 0)) << file;
        }
        const std::string lines = testing::internal::GetCapturedStdout();
        EXPECT_NE(lines.find("TGA: El fichero " + dir.file("cut.tga") + " termina antes de tiempo\n"), std::string::npos);
        for (const char* file : {"top.tga", "bottom.tga", "fitted.tga"})
            for (RedBlueExchange exchange : {RedBlueExchange::WholeBuffer, RedBlueExchange::None}) {
                Texture texture;
                EXPECT_TRUE(loadPicture(texture, file, exchange)) << file;
                loaded[ahead].push_back(readLevel(texture.glName));
            }
        Texture generated;
        loadGeneratedPicture(generated, storedTextureProgram(), storedTextureProgramSize());
        loaded[ahead].push_back(readLevel(generated.glName));
    }
    EXPECT_TRUE(loaded[0] == loaded[1]);
    EXPECT_NE(loaded[0][0], loaded[0][1]);  // the exchange was made, or not
    for (GLenum name : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        EXPECT_EQ(value, name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T ? GL_REPEAT : GL_LINEAR);
    }
    EXPECT_EQ(dataFilesMissing(), std::vector<std::string>{"missing.tga"});
    setDataDirectory("data");

    // Checker 256x256, one cell each way: #102030 at the top left and bottom
    // right, #405060 in the others; layer 0 at 256x256, exchanged by size.
    const uint8_t program[] = {10, 0, 0, 0, 0x00, 0xE0, 0x11, 0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    GLuint name = 0;
    {
        Texture generated;
        loadGeneratedPicture(generated, program, sizeof program);
        name = generated.glName;
    }  // a Texture going makes no GL call
    const std::vector<uint8_t> made = readLevel(name);
    ASSERT_EQ(made.size(), 256u * 256 * 4);
    for (auto [texel, rgb] : {std::pair{0, 0x102030}, std::pair{200, 0x405060}, std::pair{200 * 256, 0x405060}})
        EXPECT_EQ(made[4 * texel] << 16 | made[4 * texel + 1] << 8 | made[4 * texel + 2], rgb) << texel;
}

}  // namespace
