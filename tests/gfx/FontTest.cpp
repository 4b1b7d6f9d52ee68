// The bitmap font drawn with a sheet written here: every 16x16 cell one
// colour per quarter (red = the glyph's number, green = upper half, blue =
// left half), so each pixel of a caption tells which glyph, which way up and
// where it came from.
#include <GL/gl.h>

#include "base/DataPath.h"
#include "common/GlContext.h"
#include "common/TgaFiles.h"
#include "gfx/Font.h"
#include "gfx/PngFile.h"

using namespace tgatest;

namespace {

// The colour of a glyph at (u, v) in its 16x16 units, v up.
Rgba glyphColour(int glyph, int u, int v) {
    return Rgba{uint8_t(glyph), uint8_t(v >= 8 ? 255 : 0), uint8_t(u < 8 ? 255 : 0), 255};
}

TEST(Font, CaptionsShowTheirGlyphsUprightAtTheirPlaceAndLeaveTheirState) {
    testGL();
    TempDir dir("font");
    // Stored bottom row first, as sheets are drawn. Texture row t = 0 is the
    // sheet's bottom: glyph row 0 is its top.
    writeTga(dir, "font.fnt", [](TgaSpec& s) {
        s.width = s.height = 256, s.descriptor = 0x08;
        s.colour = [](int x, int y) { return glyphColour((15 - y / 16) * 16 + x / 16, x % 16, y % 16); };
    });
    setDataDirectory(dir.path().string());
    Font font;
    font.build();
    setDataDirectory("data");

    glClearColor(0, 0, 0, 1), glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D), glColor4f(1, 1, 1, 1);
    // Characters are signed bytes: glyph c - 32 + 128 * set, the set taken
    // to 0..1; a character off the sheet draws nothing and takes no room.
    struct Line {
        double x, y;
        float scale;
        int set;
        const char* text;
        std::vector<int> glyphs;
    };
    const Line lines[] = {
        {50, 20, 3, 0, "GLOW\x01\xc8MOTION", {39, 44, 47, 55, 45, 47, 52, 41, 47, 46}},
        {50, 480.5, 3, 0, "GLOW", {}},  // wholly above or below the 640x480 space
        {50, 200, 2, 1, "\xa0\xff!\x01N\x80", {0, 95, 129, 97, 174}},
        {50, -48.5, 3, 0, "GLOW", {}},
        {50, 300, 2, 5, "A", {161}},
        {300, 300, 2, -3, "A", {33}},
    };
    // Every line leaves the same state, drawn or not; with the depth test on
    // before it, a line's overlapping quads still do not hide each other.
    for (const Line& line : lines) {
        (&line - lines) % 2 ? glDisable(GL_DEPTH_TEST) : glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_TEXTURE), glBindTexture(GL_TEXTURE_2D, 0);
        font.print(line.x, line.y, line.scale, line.text, line.set);
        GLint bound = 0, mode = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound), glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && GLuint(bound) == font.texture.glName && mode == GL_MODELVIEW)
            << line.y;
    }
    glDisable(GL_TEXTURE_2D);
    std::vector<uint8_t> rgba;
    testGL().readPixels(rgba);
    ASSERT_TRUE(writePngRgba(std::string(GLOWMOTION_BUILD_DIR) + "/tests/font-captions.png", 640, 480, rgba.data()));
    auto pixel = [&](double x, double y) {  // y up, as 0xRRGGBB
        const uint8_t* p = &rgba[(size_t(479 - int(y)) * 640 + size_t(x)) * 4];
        return uint32_t(p[2] | p[1] << 8 | p[0] << 16);
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.text);
        // Each glyph 16 units a side, 10 apart: the lower and upper left
        // quarter of each, the right ones of the last.
        const int n = int(line.glyphs.size());
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < (i == n - 1 ? 4 : 2); ++k) {
                const int u = k < 2 ? 4 : 12, v = k % 2 ? 12 : 4;
                EXPECT_EQ(pixel(line.x + line.scale * (10 * i + u), line.y + line.scale * v),
                          readerWord(glyphColour(line.glyphs[i], u, v)) & 0xFFFFFF)
                    << "glyph " << i << " at " << u << "," << v;
            }
        }
        // Nothing around a line.
        const double right = line.x + line.scale * (10 * (n - 1) + 16), top = line.y + line.scale * 16;
        if (n == 0) continue;
        EXPECT_EQ(pixel(line.x - 1, line.y + 10) | pixel(right, line.y + 10) | pixel(line.x + 10, line.y - 1) |
                      pixel(line.x + 10, top),
                  0u);
        EXPECT_NE(pixel(right - 1, top - 1), 0u);
    }
    // An empty picture is never written.
    std::string error;
    EXPECT_FALSE(writePngRgba(dir.file("empty.png"), 0, 5, rgba.data(), true, &error));
    EXPECT_EQ(error, dir.file("empty.png") + ": empty picture");
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.png")));
}

}  // namespace
