// The font sheet as the font reads it: glyph g in pixel columns
// 16*(g%16) .. +15 and memory rows 240-16*(g/16) .. 255-16*(g/16), the
// highest-numbered row of the cell drawn at the top of the glyph on screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ArtFileReader.h"

namespace {

const ArtFileData& sheet() {
    static const ArtFileData d = readArtFile(std::string(GLOWMOTION_DATA_DIR) + "/font.fnt");
    return d;
}

// Alpha of glyph g at (x, yUp): x from the glyph's left, yUp from its
// bottom edge on screen (0) to its top (15).
int alphaAt(int g, int x, int yUp) {
    const int column = 16 * (g % 16) + x;
    const int row = 240 - 16 * (g / 16) + yUp;
    return sheet().pixel(column, row)[3];
}

long inkOf(int g) {
    long ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ink += alphaAt(g, x, y) > 0;
    return ink;
}

// Mean height (0 bottom .. 15 top) of a glyph's ink, weighted by alpha.
double inkHeight(int g) {
    double sum = 0, weight = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            sum += y * alphaAt(g, x, y);
            weight += alphaAt(g, x, y);
        }
    return weight > 0 ? sum / weight : -1;
}

TEST(FontSheet, Is256Square32BitWithAlpha) {
    ASSERT_TRUE(sheet().ok);
    EXPECT_EQ(sheet().width, 256);
    EXPECT_EQ(sheet().height, 256);
    EXPECT_EQ(sheet().depth, 32);
    EXPECT_EQ(sheet().descriptor & 0x0F, 8);
}

TEST(FontSheet, EveryPrintableCharacterHasAGlyphInBothSets) {
    ASSERT_TRUE(sheet().ok);
    for (int set = 0; set < 2; ++set)
        for (int c = 33; c <= 126; ++c) EXPECT_GT(inkOf(c - 32 + 128 * set), 3) << "set " << set << " char " << c;
}

TEST(FontSheet, SpaceAndCodesWithoutCharactersAreBlank) {
    ASSERT_TRUE(sheet().ok);
    for (int set = 0; set < 2; ++set) {
        EXPECT_EQ(inkOf(128 * set), 0) << "space of set " << set;
        for (int g = 95; g < 128; ++g) EXPECT_EQ(inkOf(g + 128 * set), 0) << g + 128 * set;
    }
}

TEST(FontSheet, GlyphsStayInsideTheirCells) {
    ASSERT_TRUE(sheet().ok);
    for (int g = 0; g < 256; ++g)
        for (int i = 0; i < 16; ++i) {
            ASSERT_EQ(alphaAt(g, i, 0), 0) << g;
            ASSERT_EQ(alphaAt(g, i, 15), 0) << g;
            ASSERT_EQ(alphaAt(g, 0, i), 0) << g;
            ASSERT_EQ(alphaAt(g, 15, i), 0) << g;
        }
}

TEST(FontSheet, GlyphsReadUprightOnScreen) {
    ASSERT_TRUE(sheet().ok);
    for (int set = 0; set < 2; ++set) {
        const int base = -32 + 128 * set;
        EXPECT_LT(inkHeight('_' + base), 5) << "underscore sits at the bottom";
        EXPECT_LT(inkHeight('.' + base), 6) << "full stop sits on the baseline";
        EXPECT_GT(inkHeight('^' + base), 9) << "circumflex sits at the top";
        EXPECT_GT(inkHeight('\'' + base), 9) << "apostrophe sits at the top";
        // descender of p below the ink of b, ascender of b above
        EXPECT_LT(inkHeight('p' + base), inkHeight('b' + base));
    }
}

TEST(FontSheet, SetsDiffer) {
    ASSERT_TRUE(sheet().ok);
    long differing = 0;
    for (int g = 0; g < 128; ++g)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int c0 = 16 * (g % 16) + x, r0 = 240 - 16 * (g / 16) + y;
                const int r1 = 240 - 16 * ((g + 128) / 16) + y;
                differing += std::memcmp(sheet().pixel(c0, r0), sheet().pixel(c0, r1), 4) != 0;
            }
    EXPECT_GT(differing, 3000);
}

}  // namespace
