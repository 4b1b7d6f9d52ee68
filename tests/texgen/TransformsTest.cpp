// Geometric transforms: Mirror, SineWarp, Scroll, Pixelate, Jitter, Rotate90, Twirl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;
using namespace texgen;

namespace {
// 0..w*h-1 as pixel values, so every pixel says where it came from.
void numbered(Layer& layer, int w, int h) {
    layer.width = w;
    layer.height = h;
    for (int i = 0; i < w * h; ++i) layer.pixels[i] = static_cast<uint32_t>(i);
}
Operands word(uint16_t v) {
    Operands in;
    in.word = v;
    return in;
}
}  // namespace

TEST(TexgenScroll, DirectionZeroBringsTheNextRowUpAndWraps) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 4, 4);
    apply(scroll, *layer, word(0x0001));
    EXPECT_EQ((std::vector<uint32_t>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3}), pixelsOf(*layer));
}

TEST(TexgenScroll, EachDirection) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 4, 1);
    apply(scroll, *layer, word(0x8000));  // direction 2, n = 0
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3}), pixelsOf(*layer));
    apply(scroll, *layer, word(0x8001));  // +x
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 0}), pixelsOf(*layer));
    apply(scroll, *layer, word(0xC002));  // -x by 2
    EXPECT_EQ((std::vector<uint32_t>{3, 0, 1, 2}), pixelsOf(*layer));
    numbered(*layer, 1, 4);
    apply(scroll, *layer, word(0x4001));  // -y
    EXPECT_EQ((std::vector<uint32_t>{3, 0, 1, 2}), pixelsOf(*layer));
}

TEST(TexgenMirror, RowsThenRowOrder) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 4, 1);
    apply(mirror, *layer, bytes({0x10}));
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 0}), pixelsOf(*layer));
    apply(mirror, *layer, bytes({0x00}));
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 0}), pixelsOf(*layer));
    numbered(*layer, 2, 2);
    apply(mirror, *layer, bytes({0x11}));
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 0}), pixelsOf(*layer));
}

TEST(TexgenRotate90, OneTurnOfFourByTwo) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 4, 2);  // rows 0 1 2 3 / 4 5 6 7
    apply(rotate90, *layer, bytes({0}));
    EXPECT_EQ(2, layer->width);
    EXPECT_EQ(4, layer->height);
    EXPECT_EQ((std::vector<uint32_t>{3, 7, 2, 6, 1, 5, 0, 4}), pixelsOf(*layer));
}

TEST(TexgenRotate90, FourTurnsAndTwoHundredFiftySix) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 4, 2);
    apply(rotate90, *layer, bytes({3}));
    EXPECT_EQ(4, layer->width);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}), pixelsOf(*layer));
    apply(rotate90, *layer, bytes({255}));  // 256 turns
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}), pixelsOf(*layer));
    apply(rotate90, *layer, bytes({4}));  // 5 turns = 1
    EXPECT_EQ((std::vector<uint32_t>{3, 7, 2, 6, 1, 5, 0, 4}), pixelsOf(*layer));
}

TEST(TexgenPixelate, BlockTakesItsCentre) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 2, 2);
    apply(pixelate, *layer, bytes({1}));
    EXPECT_EQ((std::vector<uint32_t>{3, 3, 3, 3}), pixelsOf(*layer));
    numbered(*layer, 8, 4);
    apply(pixelate, *layer, bytes({2}));
    EXPECT_EQ(18u, at(*layer, 0, 0));  // (2, 2)
    EXPECT_EQ(22u, at(*layer, 7, 3));  // (6, 2)
    numbered(*layer, 4, 4);
    apply(pixelate, *layer, bytes({0}));
    EXPECT_EQ(5u, at(*layer, 1, 1));
}

TEST(TexgenPixelate, BlockLargerThanTheLayerLeavesIt) {
    auto layer = std::make_unique<Layer>();
    numbered(*layer, 8, 2);
    apply(pixelate, *layer, bytes({2}));
    EXPECT_EQ(9u, at(*layer, 1, 1));
    apply(pixelate, *layer, bytes({200}));
    EXPECT_EQ(9u, at(*layer, 1, 1));
}

TEST(TexgenJitter, RepeatableAndZeroAmountIsIdentity) {
    auto a = std::make_unique<Layer>(), b = std::make_unique<Layer>();
    numbered(*a, 16, 16);
    numbered(*b, 16, 16);
    apply(jitter, *a, bytes({9, 3}));
    apply(jitter, *b, bytes({9, 3}));
    EXPECT_EQ(pixelsOf(*a), pixelsOf(*b));
    // Each pixel came from within 3 pixels (wrapped) of its place.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int from = static_cast<int>(at(*a, x, y));
            const int dx = ((from % 16 - x + 8) & 15) - 8, dy = ((from / 16 - y + 8) & 15) - 8;
            ASSERT_LE(std::abs(dx), 3);
            ASSERT_LE(std::abs(dy), 3);
        }
    numbered(*a, 16, 16);
    apply(jitter, *a, bytes({9, 0}));
    numbered(*b, 16, 16);
    EXPECT_EQ(pixelsOf(*b), pixelsOf(*a));
}

TEST(TexgenTwirl, OutsideTheDiscStaysAndCentreAverages) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 16, 16, 0);
    for (int i = 0; i < 256; ++i) layer->pixels[i] = rgb(i, 255 - i, i / 2);
    const auto before = pixelsOf(*layer);
    apply(twirl, *layer, word(128));
    EXPECT_EQ(before[0], at(*layer, 0, 0));     // corner, outside the disc
    EXPECT_EQ(before[8], at(*layer, 8, 0));     // r = 8 = cx: on the edge
    // Centre (8, 8): φ = 0, 2x2 average of (8,8), (9,8), (8,9), (9,9).
    const int r = (136 + 137 + 152 + 153) >> 2, g = (119 + 118 + 103 + 102) >> 2, b = (68 + 68 + 76 + 76) >> 2;
    EXPECT_EQ(rgb(r, g, b), at(*layer, 8, 8));
}

TEST(TexgenSineWarp, ZeroDisplacementAveragesRightAndBelow) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 2, 2, {rgb(0, 0, 0), rgb(100, 0, 0), rgb(0, 40, 0), rgb(0, 0, 8)});
    apply(sineWarp, *layer, bytes({64, 64, 64, 64, 10, 20, 0}));
    for (uint32_t p : pixelsOf(*layer)) EXPECT_EQ(rgb(25, 10, 2), p);
}

TEST(TexgenSineWarp, FlatAmplitudesMoveEveryPixelByG) {
    // A = B = C = D = 0: s = 0, θ = 0, so each pixel averages the 2x2 block G pixels to the right.
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 8, 1, 0);
    layer->pixels[5] = rgb(200, 0, 0);
    apply(sineWarp, *layer, bytes({0, 0, 0, 0, 0, 0, 3}));
    EXPECT_EQ(rgb(100, 0, 0), at(*layer, 2, 0));  // samples 5, 6 (twice: rows wrap on a 1-high layer)
    EXPECT_EQ(rgb(100, 0, 0), at(*layer, 1, 0));  // samples 4, 5
    EXPECT_EQ(0u, at(*layer, 5, 0));
}
