// The bitmap font with a sheet written here: a few 5x7 capitals, doubled to
// 10x14, in the cells of their characters (white in set 0, red in set 1),
// drawn the usual way and saved bottom-row-first.
#include <GL/gl.h>

#include <algorithm>
#include <map>

#include "common/GlContext.h"
#include "common/TgaFiles.h"
#include "base/DataPath.h"
#include "gfx/Font.h"
#include "gfx/PngFile.h"
#include "gfx/Texture.h"

using namespace tgatest;

namespace {

// The sheet as drawn, y = 0 at the top of glyph row 0. A letter fills cell
// columns 0..9 and rows 2..15, standing on the cell's bottom edge.
Rgba drawnSheet(int x, int y) {
    static const std::map<char, std::vector<const char*>> shapes = {
        {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}}};
    const int g = (y / 16) * 16 + x / 16, cx = x % 16, cy = y % 16;
    const auto shape = shapes.find(char(g % 128 + 32));
    if (shape == shapes.end() || cx >= 10 || cy < 2 || shape->second[(cy - 2) / 2][cx / 2] != '#') return {0, 0, 0, 0};
    return g < 128 ? Rgba{255, 255, 255, 255} : Rgba{255, 0, 0, 255};
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        testGL();
        TgaSpec sheet;
        sheet.width = sheet.height = 256;
        sheet.descriptor = 0x08;  // declared bottom row first, rows stored as drawn
        sheet.colour = [](int x, int y) { return drawnSheet(x, 255 - y); };
        dir.write("font.fnt", tgaBytes(sheet));
        setDataDirectory(dir.path().string());
    }
    void TearDown() override { setDataDirectory("data"); }

    // Clears and prints as the scenes do (texturing and alpha blending on),
    // then reads the frame.
    static std::vector<uint8_t> render(Font& font, double x, double y, float scale, const char* text, int set) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
        font.print(x, y, scale, text, set);
        std::vector<uint8_t> rgba;
        testGL().readPixels(rgba);
        return rgba;
    }

    TempDir dir{"font"};
};

// Window bounds and texture-coordinate bounds of what one print sends,
// captured in feedback mode.
struct Bounds {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f, s0 = 1e9f, s1 = -1e9f, t0 = 1e9f, t1 = -1e9f;
};

Bounds feedback(Font& font, float scale, const char* text, int set) {
    std::vector<GLfloat> buffer(1 << 14);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    font.print(50, 20, scale, text, set);
    const GLint n = glRenderMode(GL_RENDER);
    Bounds b;
    for (GLint i = 0; i < n;) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        if (buffer[i] != GL_POLYGON_TOKEN) break;
        const int vertices = int(buffer[i + 1]);
        i += 2;
        for (int v = 0; v < vertices; ++v, i += 12) {
            const GLfloat* p = &buffer[i];
            b.x0 = std::min(b.x0, p[0]), b.x1 = std::max(b.x1, p[0]), b.y0 = std::min(b.y0, p[1]);
            b.y1 = std::max(b.y1, p[1]), b.s0 = std::min(b.s0, p[8]), b.s1 = std::max(b.s1, p[8]);
            b.t0 = std::min(b.t0, p[9]), b.t1 = std::max(b.t1, p[9]);
        }
    }
    return b;
}

// Pixel (x, y) with y up, in a frame read top row first.
const uint8_t* pixelUp(const std::vector<uint8_t>& rgba, int x, int y) { return &rgba[(size_t(479 - y) * 640 + x) * 4]; }

// Bounds of the pixels brighter than threshold, x right and y up.
struct Lit {
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
    long count = 0;
};
Lit litArea(const std::vector<uint8_t>& rgba, int threshold) {
    Lit lit;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint8_t* p = pixelUp(rgba, x, y);
            if (std::max({p[0], p[1], p[2]}) <= threshold) continue;
            lit.x0 = std::min(lit.x0, x), lit.x1 = std::max(lit.x1, x);
            lit.y0 = std::min(lit.y0, y), lit.y1 = std::max(lit.y1, y);
            ++lit.count;
        }
    }
    return lit;
}

TEST_F(FontTest, GlyphCellsTextureCoordinatesAndAdvance) {
    Font font;
    font.build();
    struct Case {
        char c;
        int set, column, row;  // cell of glyph c - 32 + 128 * set, the set clamped to 0..1
    };
    // Bytes read as signed: in set 1, 0xA0 is glyph 0 and 0xFF glyph 95.
    for (const Case& k : {Case{' ', 0, 0, 0}, Case{'!', 0, 1, 0}, Case{'~', 0, 14, 5}, Case{'\x7f', 0, 15, 5},
                          Case{'!', 1, 1, 8}, Case{' ', 1, 0, 8}, Case{'\x01', 1, 1, 6}, Case{'\x7f', 1, 15, 13},
                          Case{'\xa0', 1, 0, 0}, Case{'\xff', 1, 15, 5}, Case{'N', 1, 14, 10}, Case{'N', 5, 14, 10},
                          Case{'A', 7, 1, 10}, Case{'A', -3, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << "'" << k.c << "' set " << k.set);
        const char text[2] = {k.c, 0};
        const Bounds b = feedback(font, 3, text, k.set);
        EXPECT_FLOAT_EQ(b.x0, 50);
        EXPECT_FLOAT_EQ(b.x1, 50 + 48);
        EXPECT_FLOAT_EQ(b.y0, 20);
        EXPECT_FLOAT_EQ(b.y1, 20 + 48);
        EXPECT_FLOAT_EQ(b.s0, k.column / 16.0f);
        EXPECT_FLOAT_EQ(b.s1, k.column / 16.0f + 0.0625f);
        EXPECT_FLOAT_EQ(b.t0, 1 - k.row / 16.0f - 0.0625f);
        EXPECT_FLOAT_EQ(b.t1, 1 - k.row / 16.0f);
    }
    EXPECT_FLOAT_EQ(feedback(font, 3, "GLOWMOTION", 0).x1, 50 + 9 * 30 + 48);  // 30 units a character
}

TEST_F(FontTest, CaptionAtScale3At50x20) {
    Font font;
    font.build();
    const std::vector<uint8_t> rgba = render(font, 50, 20, 3, "GLOWMOTION", 0);
    ASSERT_TRUE(writePngRgba(std::string(GLOWMOTION_BUILD_DIR) + "/tests/font-caption.png", 640, 480, rgba.data()));

    // Linear filtering lends each glyph's edge a third of the neighbouring
    // cell's texel (about 28 after blending); lit means brighter than that.
    const Lit lit = litArea(rgba, 64);
    EXPECT_EQ(litArea(rgba, 0).x0, 50);  // nothing left of 50/640 of the width
    EXPECT_EQ(lit.x0, 50);
    EXPECT_EQ(lit.y0, 20);
    EXPECT_EQ(lit.x1, 50 + 9 * 30 + 29);  // the last letter's 10 columns, scaled
    EXPECT_EQ(lit.y1, 20 + 14 * 3 - 1);   // 14 rows tall, scaled
    // Upright: the L (from x = 80) has its bar at the bottom. White stays white.
    EXPECT_GT(pixelUp(rgba, 100, 22)[0], 200);
    EXPECT_EQ(pixelUp(rgba, 100, 50)[0], 0);
    EXPECT_EQ(pixelUp(rgba, 82, 50)[0], pixelUp(rgba, 82, 50)[2]);
}

TEST_F(FontTest, SetAboveOneDrawsSetOneInItsOwnColours) {
    Font font;
    font.build();
    const std::vector<uint8_t> one = render(font, 50, 200, 2, "MOTION", 1);
    EXPECT_TRUE(one == render(font, 50, 200, 2, "MOTION", 2));
    EXPECT_FALSE(one == render(font, 50, 200, 2, "MOTION", 0));
    EXPECT_GT(pixelUp(one, 51, 201)[0], 200);  // red in the file, red on screen
    EXPECT_EQ(pixelUp(one, 51, 201)[2], 0);
}

TEST_F(FontTest, MissingSheetLeavesCaptionsInvisible) {
    setDataDirectory(dir.file("nowhere"));
    Font font;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    font.build();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "TGA: No se ha podido abrir " + dir.file("nowhere/font.fnt") + "\n");
    // Named on standard error with the show's other missing files, once.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(dataFilesMissing(), std::vector<std::string>{"font.fnt"});
    EXPECT_EQ(litArea(render(font, 50, 20, 3, "GLOWMOTION", 0), 0).count, 0);  // not white squares
}

// Polygons one print sends, counted in feedback mode.
int polygonsPrinted(Font& font, const char* text, int set, double y = 20, float scale = 2) {
    std::vector<GLfloat> buffer(1 << 14);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    font.print(50, y, scale, text, set);
    const GLint n = glRenderMode(GL_RENDER);
    int polygons = 0;
    for (GLint i = 0; i < n; i += 2 + int(buffer[i + 1]) * 2) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        if (buffer[i] != GL_POLYGON_TOKEN) break;
        ++polygons;
    }
    return polygons;
}

TEST_F(FontTest, CharactersOffTheSheetDrawNothing) {
    Font font;
    font.build();
    for (const char* text : {"\x01", "\x1f", "\x80", "\xc8", "\xff", "\x01\x80\xff\x1f\x9f"}) {
        SCOPED_TRACE(testing::Message() << "first byte " << int(static_cast<unsigned char>(text[0])));
        EXPECT_EQ(polygonsPrinted(font, text, 0), 0);
        EXPECT_EQ(litArea(render(font, 50, 20, 3, text, 0), 0).count, 0);
    }
    // Among printable characters they take no room: the pen does not move.
    const int oneGlyph = polygonsPrinted(font, "G", 0);  // a quad, perhaps sent as two triangles
    ASSERT_GT(oneGlyph, 0);
    EXPECT_EQ(polygonsPrinted(font, "G\x01\xc8L", 0), 2 * oneGlyph);
    EXPECT_TRUE(render(font, 50, 20, 3, "G\x01\xc8L", 0) == render(font, 50, 20, 3, "GL", 0));
    // In set 1 a low code is a glyph of the sheet's upper half, a byte from
    // 128 to 159 is not.
    EXPECT_EQ(polygonsPrinted(font, "\x01", 1), oneGlyph);
    EXPECT_EQ(polygonsPrinted(font, "\x80\x9f", 1), 0);
}

TEST_F(FontTest, UndrawnLinesLeaveTheStateOfADrawnOne) {
    Font font;
    font.build();
    // An empty text, and lines just above and just below the 640x480 space.
    const struct {
        double y;
        const char* text;
    } lines[] = {{10, ""}, {480.5, "GLOW"}, {-48.5, "GLOW"}};
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::Message() << "y " << line.y << " '" << line.text << "'");
        glDisable(GL_DEPTH_TEST);
        glBindTexture(GL_TEXTURE_2D, 0);
        glMatrixMode(GL_TEXTURE);
        EXPECT_EQ(polygonsPrinted(font, line.text, 0, line.y, 3), 0);
        glMatrixMode(GL_TEXTURE);
        glDisable(GL_DEPTH_TEST);
        font.print(50, line.y, 3, line.text, 0);
        GLint bound = 0, mode = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(GLuint(bound), font.texture.glName);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
    // A line with one pixel row inside the space is drawn.
    EXPECT_GT(polygonsPrinted(font, "GLOW", 0, 479.5, 3), 0);
    EXPECT_GT(polygonsPrinted(font, "GLOW", 0, -47.5, 3), 0);
}

TEST_F(FontTest, TeardownMakesNoGlCalls) {
    auto* font = new Font;
    font->build();
    const GLuint sheet = font->texture.glName;
    delete font;  // frees memory only: the sheet lives on with the context
    delete new Font;  // unbuilt
    EXPECT_TRUE(glIsTexture(sheet));
}

}  // namespace
