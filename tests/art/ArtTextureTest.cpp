// Every generated file through the show's reader and a Texture made with its
// scene's exchange: the pixels OpenGL receives (bytes red, green, blue,
// alpha; texture row t = 0 first) are the picture as drawn, upright on its
// quad, in its intended colours.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Art.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"
#include "common/GlContext.h"

namespace art {
void PrintTo(const ArtFile& f, std::ostream* os) { *os << f.name; }
}  // namespace art

namespace {

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

class ArtTextureTest : public ::testing::TestWithParam<art::ArtFile> {};

TEST_P(ArtTextureTest, TextureHoldsThePictureAsDrawn) {
    const art::ArtFile& f = GetParam();
    const std::string path = std::string(GLOWMOTION_DATA_DIR) + "/" + f.name;
    TgaImage image;
    ASSERT_TRUE(tgaLoad(path.c_str(), &image)) << path;
    const TgaPixels& p = image.pixels;
    Texture texture;
    texture.upload({p.data.get(), p.width, p.height, size_t(p.width) * p.height + TgaPixels::kZeroTailWords},
                   f.exchange);
    EXPECT_EQ(texture.width, static_cast<uint32_t>(f.width));
    EXPECT_EQ(texture.height, static_cast<uint32_t>(f.height));

    cairo_surface_t* s = art::renderArt(f);
    const std::vector<uint8_t> want = art::intendedPixels(f, s);
    cairo_surface_destroy(s);
    const uint8_t* got = reinterpret_cast<const uint8_t*>(p.data.get());  // as exchanged by the upload
    long wrong = 0;
    for (int y = 0; y < f.height; ++y) {
        // on-screen row y is texture row t = y/h on a quad, t = 1 - y/h on the sheet and the rim
        const int row = f.orientation == art::Orientation::TopAtT0 ? y : f.height - 1 - y;
        for (int x = 0; x < f.width; ++x) {
            const uint8_t* g = got + (static_cast<size_t>(row) * f.width + x) * 4;
            const uint8_t* w = &want[(static_cast<size_t>(y) * f.width + x) * 4];
            if (f.depth == 32 && w[3] == 0) {
                wrong += g[3] != 0;
                continue;
            }
            wrong += g[0] != w[0] || g[1] != w[1] || g[2] != w[2] || (f.depth == 32 && g[3] != w[3]);
        }
    }
    EXPECT_EQ(wrong, 0) << f.name;

    // Pictures of power-of-two size reach GL unscaled: level 0 is the buffer.
    if (powerOfTwo(f.width) && powerOfTwo(f.height)) {
        std::vector<uint8_t> level0(static_cast<size_t>(f.width) * f.height * 4);
        texture.bind();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
        EXPECT_EQ(std::memcmp(level0.data(), got, level0.size()), 0) << f.name;
    }
}

std::string entryName(const ::testing::TestParamInfo<art::ArtFile>& info) {
    std::string n = info.param.name;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Data, ArtTextureTest, ::testing::ValuesIn(art::artCatalogue()), entryName);

}  // namespace
