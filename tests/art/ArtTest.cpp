// The pictures and the font sheet the build wrote into data/, each read back
// through the show's reader and a Texture made with its scene's exchange:
// what OpenGL receives must be the picture the art tool draws, upright on
// its quad, and fit for the way its scene draws it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Art.h"
#include "common/GlContext.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"

namespace {

// A file as OpenGL receives it: RGBA, texture row t = 0 first.
struct Seen {
    int width = 0, height = 0, depth = 0, descriptor = 0;
    bool level0 = true;  // a picture of power-of-two sides reaches GL unscaled: its level 0 is these bytes
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
    Seen s{p.width,          p.height, image.pixelDepth,
           image.descriptor, true,     {bytes, bytes + size_t(p.width) * p.height * 4}};
    if (!(p.width & (p.width - 1)) && !(p.height & (p.height - 1))) {
        std::vector<uint8_t> level0(s.rgba.size());
        texture.bind();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
        s.level0 = level0 == s.rgba;
    }
    return s;
}

// Whether frame k of `frames` has pixels of alpha above `over` closer than
// `margin` to its edges (`shown` columns wide, and the top when `top`).
bool cut(const Seen& s, int k, int frames, int over, int margin, int shown, bool top) {
    const int fw = s.width / frames;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < fw; ++x)
            if (s.at(k * fw + x, y)[3] > over &&
                (x < margin || x >= shown - margin || (top && y < margin) || y >= s.height - margin))
                return true;
    return false;
}

TEST(ArtFiles, EveryFileReachesOpenGlAsDrawnAndSuitsItsScene) {
    for (const art::ArtFile& f : art::artCatalogue()) {
        SCOPED_TRACE(f.name);
        const Seen s = seen(f.name);
        ASSERT_TRUE(s.width == f.width && s.height == f.height) << "missing, unreadable or of another size";
        EXPECT_EQ(s.depth, f.depth);
        EXPECT_EQ(s.descriptor & 0x0F, f.depth == 32 ? 8 : 0) << "alpha bits";
        EXPECT_TRUE(s.level0) << "the texture's level 0 is not the picture";
        cairo_surface_t* surface = art::renderArt(f);
        const std::vector<uint8_t> want = art::intendedPixels(f, surface);
        const unsigned char* drawn = cairo_image_surface_get_data(surface);
        long wrong = 0, holes = 0, clear = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                // on-screen row y is texture row t = y/h on a quad, 1 - y/h on the font sheet and the rim
                const uint8_t* g = s.at(x, f.orientation == art::Orientation::TopAtT0 ? y : f.height - 1 - y);
                const uint8_t* w = &want[(static_cast<size_t>(y) * f.width + x) * 4];
                const bool alpha = f.depth == 32;
                wrong += alpha && w[3] == 0 ? g[3] != 0 : std::memcmp(g, w, alpha ? 4 : 3) != 0;
                holes += drawn[y * cairo_image_surface_get_stride(surface) + x * 4 + 3] != 255;
                clear += alpha && g[3] == 0;
            }
        cairo_surface_destroy(surface);
        EXPECT_EQ(wrong, 0) << "pixels OpenGL receives unlike the drawing";
        EXPECT_TRUE(f.blended ? clear > f.width * f.height / 20 : holes == 0)
            << "blended without a transparent surround, or opaque and relying on alpha";
        // Frames of a strip: distinct, each a picture, and (on a blended quad)
        // clear at the edges, where repeat wrapping and linear filtering reach.
        std::set<std::vector<uint8_t>> frames;
        const int fw = f.width / f.frames;
        for (int k = 0; k < f.frames; ++k) {
            std::vector<uint8_t> bytes;
            for (int y = 0; y < f.height; ++y) bytes.insert(bytes.end(), s.at(k * fw, y), s.at(k * fw, y) + 4 * fw);
            long ink = 0;
            for (size_t i = 3; i < bytes.size(); i += 4) ink += bytes[i] > 128;
            EXPECT_TRUE(f.frames == 1 || ink > fw * f.height / 20) << "frame " << k << " nearly empty";
            EXPECT_FALSE(f.blended && f.orientation == art::Orientation::TopAtT0 &&
                         cut(s, k, f.frames, 0, 1, fw, true));
            frames.insert(bytes);
        }
        EXPECT_EQ(frames.size() * fw, size_t(f.width)) << "frames repeat or are of unequal width";
    }
}

TEST(ArtFiles, PicturesMeetTheirScenesNeeds) {
    // A figure stands whole inside what its quad shows (frames are drawn
    // clipped 2 pixels inside): the ball's quad shows 0.33 of the strip, a
    // little less than its third, and its wire runs out at the top.
    for (const char* name : {"baile1.tga", "baile2.tga", "bola.tga"}) {
        const Seen s = seen(name);
        const int frames = art::findArt(name)->frames;
        const bool ball = name == std::string("bola.tga");
        for (int k = 0; k < frames; ++k)
            EXPECT_FALSE(cut(s, k, frames, 16, 3, ball ? int(0.33 * s.width) : s.width / frames, !ball))
                << name << " frame " << k;
    }
    // The glow is added as c * (1 - c): above half a channel gives less light.
    const Seen glow = seen("lightball.tga");
    for (size_t i = 0; i < glow.rgba.size(); ++i) ASSERT_LE(i % 4 == 3 ? 0 : glow.rgba[i], 130) << i / 4;
    // The end background's outer columns are the clear colour beside them.
    const Seen end = seen("bck_end.tga");
    for (int x : {0, 1, end.width - 2, end.width - 1})
        for (int y = 0; y < end.height; ++y) ASSERT_EQ(std::memcmp(end.at(x, y), "\xFF\xCC\x00", 3), 0) << x;
    // The rim's gold line is drawn on the band's upper half; t = 0 is the
    // cylinder's lower edge, so it lies in the texture rows above the middle.
    const Seen rim = seen("technics.tga");
    int gold = -1;
    for (int y = 0; y < rim.height; ++y) gold = rim.at(3, y)[0] > rim.at(3, y)[2] + 60 ? y : gold;
    EXPECT_GT(gold, rim.height / 2);
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
    long differing = 0;
    for (int g = 0; g < 256; ++g) {
        long ink = 0;
        for (int i = 0; i < 256; ++i) {
            const int x = i % 16, y = i / 16;
            ink += alpha(g, x, y) > 0;
            differing += g < 128 && alpha(g, x, y) != alpha(g + 128, x, y);
            EXPECT_FALSE((x % 15 == 0 || y % 15 == 0) && alpha(g, x, y)) << "glyph " << g << " leaves its cell";
        }
        // Codes 33..126 from glyph 1 on, in both sets; space and past 126 blank.
        EXPECT_TRUE(g % 128 >= 1 && g % 128 <= 94 ? ink > 3 : ink == 0) << "glyph " << g << ": " << ink;
    }
    EXPECT_GT(differing, 2000) << "the two sets look alike";
    for (int set : {-32, 96}) {
        EXPECT_LT(height('_' + set), 5);
        EXPECT_GT(height('^' + set), 9);
        EXPECT_LT(height('p' + set), height('b' + set)) << "descender below the ascender";
    }
}

}  // namespace
