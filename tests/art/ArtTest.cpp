// The pictures and the font sheet the build wrote into data/, each read back
// through the show's reader and a Texture made with its scene's exchange:
// what OpenGL receives must be the picture the art tool draws, upright on
// its quad, and fit for the way its scene draws it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Art.h"
#include "common/GlContext.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"

namespace {

// A file as OpenGL receives it: RGBA, texture row t = 0 first.
struct Seen {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

Seen seen(const char* name) {
    testGL();
    const art::ArtFile& f = *art::findArt(name);
    TgaImage image;
    if (!tgaLoad((std::string(GLOWMOTION_DATA_DIR) + "/" + name).c_str(), &image)) return {};
    TgaPixels& p = image.pixels;
    Texture texture;
    texture.upload({p.data.get(), p.width, p.height, size_t(p.width) * p.height + TgaPixels::kZeroTailWords},
                   f.exchange);
    const auto* bytes = reinterpret_cast<const uint8_t*>(p.data.get());  // exchanged in place by the upload
    Seen s{p.width, p.height, {bytes, bytes + size_t(p.width) * p.height * 4}};
    // A picture of power-of-two sides reaches GL unscaled: its level 0 is these bytes.
    if (!(p.width & (p.width - 1)) && !(p.height & (p.height - 1))) {
        std::vector<uint8_t> level0(s.rgba.size());
        texture.bind();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
        EXPECT_TRUE(level0 == s.rgba) << "the texture's level 0 is not the picture";
    }
    return s;
}

TEST(ArtFiles, EveryFileReachesOpenGlAsDrawnAndSuitsItsScene) {
    for (const art::ArtFile& f : art::artCatalogue()) {
        SCOPED_TRACE(f.name);
        const Seen s = seen(f.name);
        ASSERT_TRUE(s.width == f.width && s.height == f.height) << "missing, unreadable or of another size";
        cairo_surface_t* surface = art::renderArt(f);
        const std::vector<uint8_t> want = art::intendedPixels(f, surface);
        long wrong = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                // on-screen row y is texture row t = y/h on a quad, 1 - y/h on the font sheet and the rim
                const uint8_t* g = s.at(x, f.orientation == art::Orientation::TopAtT0 ? y : f.height - 1 - y);
                const uint8_t* w = &want[(static_cast<size_t>(y) * f.width + x) * 4];
                const bool alpha = f.depth == 32;
                wrong += alpha && w[3] == 0 ? g[3] != 0 : std::memcmp(g, w, alpha ? 4 : 3) != 0;
            }
        cairo_surface_destroy(surface);
        EXPECT_EQ(wrong, 0) << "pixels OpenGL receives unlike the drawing";
        // Frames of a strip: each a picture, and (on a blended quad) clear at
        // the edges, where repeat wrapping and linear filtering reach.
        const int fw = f.width / f.frames;
        for (int k = 0; k < f.frames; ++k) {
            std::vector<uint8_t> bytes;
            for (int y = 0; y < f.height; ++y) bytes.insert(bytes.end(), s.at(k * fw, y), s.at(k * fw, y) + 4 * fw);
            long ink = 0, edge = 0;
            for (size_t i = 0; i < bytes.size() / 4; ++i) {
                const int x = int(i) % fw, y = int(i) / fw;
                ink += bytes[4 * i + 3] > 128;
                edge += bytes[4 * i + 3] && (x == 0 || x == fw - 1 || y == 0 || y == f.height - 1);
            }
            EXPECT_TRUE(f.frames == 1 || ink > fw * f.height / 20) << "frame " << k << " nearly empty";
            EXPECT_FALSE(f.blended && f.orientation == art::Orientation::TopAtT0 && edge) << "frame " << k << " cut";
        }
    }
}

// Glyph g lies in columns 16 (g % 16) .. +15, texture rows 240 - 16 (g / 16)
// .. +15, the highest row at the top of the glyph on screen.
TEST(FontSheet, GlyphsSitUprightInTheirCells) {
    const Seen font = seen("font.fnt");
    ASSERT_EQ(font.width, 256);
    const auto alpha = [&](int g, int x, int up) { return font.at(16 * (g % 16) + x, 240 - 16 * (g / 16) + up)[3]; };
    const auto height = [&](int g) {  // mean height of the ink, 0 bottom .. 15 top
        double sum = 0, weight = 0;
        for (int i = 0; i < 256; ++i) sum += (i / 16) * alpha(g, i % 16, i / 16), weight += alpha(g, i % 16, i / 16);
        return sum / weight;
    };
    for (int g = 0; g < 256; ++g) {
        long ink = 0;
        for (int i = 0; i < 256; ++i) {
            const int x = i % 16, y = i / 16;
            ink += alpha(g, x, y) > 0;
            EXPECT_FALSE((x % 15 == 0 || y % 15 == 0) && alpha(g, x, y)) << "glyph " << g << " leaves its cell";
        }
        // Codes 33..126 from glyph 1 on, in both sets; space and past 126 blank.
        EXPECT_TRUE(g % 128 >= 1 && g % 128 <= 94 ? ink > 3 : ink == 0) << "glyph " << g << ": " << ink;
    }
    for (int set : {-32, 96}) EXPECT_TRUE(height('_' + set) < 5 && height('^' + set) > 9) << "upside down";
}

}  // namespace
