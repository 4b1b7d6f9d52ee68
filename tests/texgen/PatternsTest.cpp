// Pattern generators: Checker, RadialGradient, Noise, Bitmap, SineWaves.
#include <gtest/gtest.h>

#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;
using namespace texgen;

namespace {
Operands checkerOperands(int w, int h, int nx, int ny) {
    Operands in = sized(w, h);
    in.countX = nx;
    in.countY = ny;
    in.colour[0] = 0xFFFFFF;
    in.colour[1] = 0x000000;
    return in;
}
Operands rampOperands(int w, int h, uint8_t b0) {
    Operands in = sized(w, h);
    in.ramp = whiteToBlack();
    in.byte[0] = b0;
    return in;
}
}  // namespace

TEST(TexgenChecker, OneCellIsFourQuadrants) {
    auto layer = std::make_unique<Layer>();
    apply(checker, *layer, checkerOperands(256, 256, 1, 1));
    EXPECT_EQ(0xFFFFFFu, at(*layer, 0, 0));
    EXPECT_EQ(0xFFFFFFu, at(*layer, 127, 127));
    EXPECT_EQ(0x000000u, at(*layer, 128, 0));
    EXPECT_EQ(0x000000u, at(*layer, 0, 128));
    EXPECT_EQ(0xFFFFFFu, at(*layer, 255, 255));
    EXPECT_EQ(0xFFFFFFu, at(*layer, 128, 128));
}

TEST(TexgenChecker, TwoByTwoCellsMakeSixtyFourPixelSquares) {
    auto layer = std::make_unique<Layer>();
    apply(checker, *layer, checkerOperands(256, 256, 2, 2));
    for (int y = 0; y < 256; y += 17)
        for (int x = 0; x < 256; x += 13)
            ASSERT_EQ(((x / 64 + y / 64) % 2 == 0) ? 0xFFFFFFu : 0u, at(*layer, x, y)) << x << "," << y;
}

TEST(TexgenChecker, UnevenCellsUseSingleWidths) {
    auto layer = std::make_unique<Layer>();
    apply(checker, *layer, checkerOperands(256, 1, 3, 1));  // cw = 85.333336 as single
    EXPECT_EQ(0xFFFFFFu, at(*layer, 42, 0));  // 42 / cw = 0.49218...
    EXPECT_EQ(0x000000u, at(*layer, 43, 0));  // 0.50390...
    EXPECT_EQ(0xFFFFFFu, at(*layer, 86, 0));  // 86 / cw = 1.0078: next cell
    EXPECT_EQ(0x000000u, at(*layer, 85, 0));  // 85 / cw = 0.99609
}

TEST(TexgenRadialGradient, WhiteCentreAndBlackCornerZero) {
    for (int spread : {1, 64, 128, 255}) {
        auto layer = std::make_unique<Layer>();
        apply(radialGradient, *layer, rampOperands(64, 64, static_cast<uint8_t>(spread)));
        EXPECT_EQ(0xFFFFFFu, at(*layer, 32, 32)) << spread;
        // Corner (0, 0) is at distance² = area * 2 from the integer centre: v >= 1 for every spread.
        EXPECT_EQ(ColourRamp(whiteToBlack()).colourAt(0.99999f), at(*layer, 0, 0)) << spread;
    }
    // The opposite corner is one pixel closer to the centre (32, 32): not black with a wide spread.
    auto layer = std::make_unique<Layer>();
    apply(radialGradient, *layer, rampOperands(64, 64, 255));
    EXPECT_NE(at(*layer, 0, 0), at(*layer, 63, 63));
}

TEST(TexgenNoise, SameSeedSameLayerOtherSeedDiffers) {
    auto a = std::make_unique<Layer>(), b = std::make_unique<Layer>();
    apply(noise, *a, rampOperands(32, 32, 5));
    apply(noise, *b, rampOperands(32, 32, 5));
    EXPECT_EQ(pixelsOf(*a), pixelsOf(*b));
    apply(noise, *b, rampOperands(32, 32, 6));
    EXPECT_NE(pixelsOf(*a), pixelsOf(*b));
    // First draw of seed 5: (5 * 214013 + 2531011) >> 16 & 0x7FFF = 54.
    EXPECT_EQ(ColourRamp(whiteToBlack()).colourAt(static_cast<float>(54 * static_cast<double>(1.0f / 32767.0f))),
              a->pixels[0]);
}

TEST(TexgenBitmap, SixteenByTwo) {
    auto layer = std::make_unique<Layer>();
    const uint8_t bits[] = {0x80, 0x00, 0x00, 0x01};
    Operands in = sized(16, 2);
    in.colour[0] = 0xABCDEF;
    in.colour[1] = 0x010203;
    in.bits = bits;
    apply(bitmap, *layer, in);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool one = (x == 0 && y == 0) || (x == 15 && y == 1);
            EXPECT_EQ(one ? 0xABCDEFu : 0x010203u, at(*layer, x, y)) << x << "," << y;
        }
}

TEST(TexgenSineWaves, AllZeroBytesGiveTheRampAtZero) {
    auto layer = std::make_unique<Layer>();
    Operands in = rampOperands(32, 16, 0);
    in.countX = 3;
    in.countY = 2;
    apply(sineWaves, *layer, in);
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(0xFFFFFFu, p);
}

TEST(TexgenSineWaves, WholeFrequenciesTile) {
    auto layer = std::make_unique<Layer>();
    Operands in = rampOperands(64, 64, 40);
    in.countX = 2;
    in.countY = 2;
    in.byte[1] = 50;
    in.byte[2] = 30;
    in.byte[3] = 60;
    apply(sineWaves, *layer, in);
    // Two periods across: the left and right halves agree up to rounding of single angles.
    int differ = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x) differ += at(*layer, x, y) != at(*layer, x + 32, y);
    EXPECT_LT(differ, 64 * 32 / 20);
    EXPECT_NE(at(*layer, 0, 0), at(*layer, 16, 0));
}

TEST(TexgenPatterns, SetTheLayerSize) {
    auto layer = std::make_unique<Layer>();
    layer->width = 512;
    layer->height = 512;
    apply(noise, *layer, rampOperands(8, 256, 1));
    EXPECT_EQ(8, layer->width);
    EXPECT_EQ(256, layer->height);
}
