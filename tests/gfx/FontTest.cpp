// The bitmap font with a sheet written here: a few 5x7 capitals (doubled to
// 10x14) in the cells of their characters, white in set 0 and red in set 1,
// laid out the usual way and saved bottom-row-first.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <map>

#include "GlTestContext.h"
#include "TgaFiles.h"
#include "gfx/DataPath.h"
#include "gfx/Font.h"
#include "gfx/PngFile.h"
#include "gfx/Texture.h"
#include "gfx/Tga.h"

using namespace tgatest;

namespace {

const std::map<char, std::vector<const char*>>& letters() {
    static const std::map<char, std::vector<const char*>> shapes = {
        {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    };
    return shapes;
}

// The sheet as drawn: (x, y) with y = 0 the top of glyph row 0. A letter
// fills cell columns 0..9 and cell rows 2..15 (its foot on the cell's bottom).
Rgba drawnSheet(int x, int y) {
    const int g = (y / 16) * 16 + x / 16;
    const int set = g / 128;
    const char c = char(g % 128 + 32);
    const int cx = x % 16, cy = y % 16;
    const auto shape = letters().find(c);
    if (shape == letters().end() || cx >= 10 || cy < 2) return Rgba{0, 0, 0, 0};
    if (shape->second[(cy - 2) / 2][cx / 2] != '#') return Rgba{0, 0, 0, 0};
    return set == 0 ? Rgba{255, 255, 255, 255} : Rgba{255, 0, 0, 255};
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        testGL();
        TgaSpec sheet;
        sheet.width = sheet.height = 256;
        sheet.depth = 32;
        sheet.descriptor = 0x08;  // bottom row first, but rows stored in drawing order
        sheet.colour = [](int x, int y) { return drawnSheet(x, 255 - y); };
        writeFile(dir.file("font.fnt"), tgaBytes(sheet));
        setDataDirectory(dir.path().string());
    }
    void TearDown() override { setDataDirectory("data"); }

    static void prepareCaptionState() {
        glViewport(0, 0, 640, 480);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
    }

    TempDir dir{"font"};
};

// Bounds in window units (x right, y up) and texture coordinates of all the
// polygons that a drawing call sends, captured in feedback mode.
struct Bounds {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    float s0 = 1e9f, s1 = -1e9f, t0 = 1e9f, t1 = -1e9f;
    int polygons = 0;
};

template <typename Draw>
Bounds feedback(Draw draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    Bounds b;
    for (GLint i = 0; i < n;) {
        const GLint token = GLint(buffer[i++]);
        EXPECT_EQ(token, GL_POLYGON_TOKEN);
        if (token != GL_POLYGON_TOKEN) break;
        const int vertices = int(buffer[i++]);
        ++b.polygons;
        for (int v = 0; v < vertices; ++v, i += 12) {
            const GLfloat* p = &buffer[i];
            b.x0 = std::min(b.x0, p[0]), b.x1 = std::max(b.x1, p[0]);
            b.y0 = std::min(b.y0, p[1]), b.y1 = std::max(b.y1, p[1]);
            b.s0 = std::min(b.s0, p[8]), b.s1 = std::max(b.s1, p[8]);
            b.t0 = std::min(b.t0, p[9]), b.t1 = std::max(b.t1, p[9]);
        }
    }
    return b;
}

TEST_F(FontTest, GlyphCellsAndPlacement) {
    Font font;
    font.build();
    ASSERT_NE(font.image, nullptr);
    prepareCaptionState();
    struct Case {
        char c;
        int set;
        int column, row;  // cell of glyph c - 32 + 128 * set
    };
    for (const Case& k : {Case{' ', 0, 0, 0}, Case{'!', 0, 1, 0}, Case{'G', 0, 7, 2}, Case{'~', 0, 14, 5},
                          Case{'!', 1, 1, 8}, Case{'N', 1, 14, 10}, Case{'N', 5, 14, 10}}) {
        SCOPED_TRACE(testing::Message() << "'" << k.c << "' set " << k.set);
        const char text[2] = {k.c, 0};
        const Bounds b = feedback([&] { font.print(50, 20, 3, text, k.set); });
        ASSERT_GT(b.polygons, 0);
        EXPECT_FLOAT_EQ(b.x0, 50);
        EXPECT_FLOAT_EQ(b.x1, 98);
        EXPECT_FLOAT_EQ(b.y0, 20);
        EXPECT_FLOAT_EQ(b.y1, 68);
        EXPECT_FLOAT_EQ(b.s0, k.column / 16.0f);
        EXPECT_FLOAT_EQ(b.s1, k.column / 16.0f + 0.0625f);
        EXPECT_FLOAT_EQ(b.t0, 1 - k.row / 16.0f - 0.0625f);
        EXPECT_FLOAT_EQ(b.t1, 1 - k.row / 16.0f);
    }
    // Pen advance: 10 units per character, times the scale.
    const Bounds two = feedback([&] { font.print(50, 20, 3, "GL", 0); });
    EXPECT_FLOAT_EQ(two.x1, 50 + 30 + 48);
    const Bounds one = feedback([&] { font.print(100.5, 7, 1, "GLOWMOTION", 0); });
    EXPECT_FLOAT_EQ(one.x0, 100.5f);
    EXPECT_FLOAT_EQ(one.x1, 100.5f + 90 + 16);
    EXPECT_FLOAT_EQ(one.y1, 7 + 16);
}

TEST_F(FontTest, PrintLeavesDepthTestOnSheetBoundAndModelview) {
    Font font;
    font.build();
    for (const char* text : {"", "GL"}) {
        glDisable(GL_DEPTH_TEST);
        glBindTexture(GL_TEXTURE_2D, 0);
        glMatrixMode(GL_TEXTURE);
        font.print(10, 10, 1, text, 0);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "'" << text << "'";
        GLint bound = 0, mode = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(GLuint(bound), font.texture->glName);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
    // Matrices come back as they were.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(2, 2, 2);
    font.print(10, 10, 1, "GL", 0);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_FLOAT_EQ(projection[12], 1);
    EXPECT_FLOAT_EQ(modelview[0], 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Lit pixels of a frame read top row first, as x right and y up. Linear
// filtering lets each glyph pick up a faint third of the neighbouring cell's
// edge texels (about 28 of 255 after blending); "lit" means brighter than that.
struct Lit {
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
    long count = 0;
};

Lit litArea(const std::vector<uint8_t>& rgba, int width, int height, int threshold = 64) {
    Lit lit;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgba[(size_t(row) * width + x) * 4];
            if (std::max({p[0], p[1], p[2]}) <= threshold) continue;
            const int y = height - 1 - row;
            lit.x0 = std::min(lit.x0, x), lit.x1 = std::max(lit.x1, x);
            lit.y0 = std::min(lit.y0, y), lit.y1 = std::max(lit.y1, y);
            ++lit.count;
        }
    }
    return lit;
}

const uint8_t* pixelUp(const std::vector<uint8_t>& rgba, int x, int y) {
    return &rgba[(size_t(479 - y) * 640 + x) * 4];
}

TEST_F(FontTest, CaptionRendersUprightWhereItWasPut) {
    Font font;
    font.build();
    prepareCaptionState();
    font.print(50, 20, 3, "GLOWMOTION", 0);
    std::vector<uint8_t> rgba;
    testGL().readPixels(rgba);
    ASSERT_TRUE(writePngRgba(std::string(GLOWMOTION_BUILD_DIR) + "/tests/font-caption.png", 640, 480, rgba.data()));

    const Lit lit = litArea(rgba, 640, 480);
    ASSERT_GT(lit.count, 0);
    EXPECT_EQ(litArea(rgba, 640, 480, 0).x0, 50);  // nothing at all left of x = 50
    EXPECT_EQ(lit.x0, 50);        // 50/640 of the width from the left
    EXPECT_EQ(lit.y0, 20);        // letters stand on the glyph's bottom edge
    EXPECT_EQ(lit.x1, 50 + 9 * 30 + 30 - 1);  // last letter's 10 columns, scaled
    EXPECT_EQ(lit.y1, 20 + 14 * 3 - 1);       // 14 rows tall, scaled

    // Upright: the L (second glyph, from x = 80) has its bar at the bottom.
    EXPECT_GT(pixelUp(rgba, 100, 22)[0], 200);
    EXPECT_EQ(pixelUp(rgba, 100, 50)[0], 0);
    EXPECT_GT(pixelUp(rgba, 82, 50)[0], 200);
    // Set 0 is white: red and blue arrive in the right places.
    const uint8_t* white = pixelUp(rgba, 82, 50);
    EXPECT_EQ(white[0], white[2]);
}

TEST_F(FontTest, SetAboveOneDrawsSetOne) {
    Font font;
    font.build();
    std::vector<uint8_t> setOne, setTwo, setZero;
    prepareCaptionState();
    font.print(50, 200, 2, "MOTION", 1);
    testGL().readPixels(setOne);
    prepareCaptionState();
    font.print(50, 200, 2, "MOTION", 2);
    testGL().readPixels(setTwo);
    prepareCaptionState();
    font.print(50, 200, 2, "MOTION", 0);
    testGL().readPixels(setZero);
    EXPECT_TRUE(setOne == setTwo);
    EXPECT_FALSE(setOne == setZero);

    // Set 1 glyphs are red in the sheet file: red on screen, not blue.
    const uint8_t* p = pixelUp(setOne, 51, 201);
    EXPECT_GT(p[0], 200);
    EXPECT_EQ(p[2], 0);
}

TEST_F(FontTest, MissingSheetGivesInvisibleCaptions) {
    setDataDirectory(dir.file("nowhere"));
    Font font;
    testing::internal::CaptureStdout();
    font.build();
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "TGA: No se ha podido abrir " + dir.file("nowhere") + "/font.fnt\n");
    EXPECT_EQ(font.image, nullptr);
    ASSERT_NE(font.texture, nullptr);

    prepareCaptionState();
    font.print(50, 20, 3, "GLOWMOTION", 0);
    std::vector<uint8_t> rgba;
    testGL().readPixels(rgba);
    EXPECT_EQ(litArea(rgba, 640, 480, 0).count, 0);  // transparent sheet, not white squares
}

TEST_F(FontTest, ListBaseIsSharedAndTeardownMakesNoGlCalls) {
    auto* first = new Font;
    first->build();
    const GLuint firstBase = Font::listBase;
    auto* second = new Font;
    second->build();
    EXPECT_NE(Font::listBase, firstBase);
    const GLuint sheet = second->texture->glName;
    const GLuint base = Font::listBase;

    delete second;  // owner teardown: frees memory only
    delete first;
    EXPECT_TRUE(glIsTexture(sheet));
    EXPECT_TRUE(glIsList(base));
    EXPECT_TRUE(glIsList(base + 255));
    EXPECT_TRUE(glIsList(firstBase));

    // An unbuilt font can be destroyed too.
    delete new Font;
}

}  // namespace
