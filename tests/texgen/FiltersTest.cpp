// Pixel filters: point filters and neighbour filters.
#include <gtest/gtest.h>

#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;
using namespace texgen;

TEST(TexgenEdgeDetect, OneWhitePixelLightsItsWrappedNeighbours) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 8, 4, 0);
    layer->pixels[0] = 0xFFFFFF;
    apply(edgeDetect, *layer, {});
    EXPECT_EQ(0u, at(*layer, 0, 0));
    for (auto [x, y] : {std::pair{1, 0}, {7, 0}, {0, 1}, {0, 3}}) EXPECT_EQ(0x7F7F7Fu, at(*layer, x, y)) << x << "," << y;
    EXPECT_EQ(0u, at(*layer, 1, 1));
    EXPECT_EQ(0u, at(*layer, 2, 0));
}

TEST(TexgenBlurHorizontal, WindowWraps) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 4, 1, {0, 0, 0xFFFFFF, 0});
    apply(blurHorizontal, *layer, bytes({3}));
    EXPECT_EQ((std::vector<uint32_t>{0, 0x555555, 0x555555, 0x555555}), pixelsOf(*layer));
}

TEST(TexgenBlurHorizontal, EvenLengthReachesFurtherLeftAndOneIsIdentity) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 8, 1, {0, 0, 0, 0, 80, 0, 0, 0});
    apply(blurHorizontal, *layer, bytes({1}));
    EXPECT_EQ(80u, layer->pixels[4]);
    apply(blurHorizontal, *layer, bytes({2}));  // k = -1, 0
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 0, 0, 40, 40, 0, 0}), pixelsOf(*layer));
    fill(*layer, 4, 1, {4, 8, 12, 16});
    apply(blurHorizontal, *layer, bytes({9}));  // k = -4..4 wraps twice around, then 4 once more
    EXPECT_EQ(static_cast<uint32_t>((4 + 8 + 12 + 16) * 2 + 4) / 9, layer->pixels[0]);
}

TEST(TexgenBlurVertical, WindowRunsAlongColumns) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 2, 4, {0, 9, 0, 0, 0xFFFFFF, 0, 0, 0});
    apply(blurVertical, *layer, bytes({3}));
    EXPECT_EQ((std::vector<uint32_t>{0, 3, 0x555555, 3, 0x555555, 0, 0x555555, 3}), pixelsOf(*layer));
}

TEST(TexgenContrast, LevelsZero128And255) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 4, 1, {rgb(0, 255, 128), rgb(10, 200, 127), rgb(1, 2, 3), rgb(250, 251, 252)});
    const auto before = pixelsOf(*layer);
    apply(contrast, *layer, bytes({128}));
    EXPECT_EQ(before, pixelsOf(*layer));
    apply(contrast, *layer, bytes({0}));
    EXPECT_EQ(rgb(86, 170, 128), layer->pixels[0]);
    fill(*layer, 1, 1, {rgb(0, 129, 200)});
    apply(contrast, *layer, bytes({255}));  // f = 382/128
    EXPECT_EQ(rgb(0, 130, 255), layer->pixels[0]);
}

TEST(TexgenBrightness, ShiftsAndSaturates) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 2, 1, {rgb(0, 100, 255), rgb(7, 8, 9)});
    apply(brightness, *layer, bytes({128}));
    EXPECT_EQ(rgb(0, 100, 255), layer->pixels[0]);
    apply(brightness, *layer, bytes({138}));
    EXPECT_EQ(rgb(10, 110, 255), layer->pixels[0]);
    apply(brightness, *layer, bytes({0}));
    EXPECT_EQ(rgb(0, 0, 127), layer->pixels[0]);
}

TEST(TexgenEdgeDarken, FlatTwoHundredGivesOneNinetyNine) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 4, 4, rgb(200, 200, 200));
    apply(edgeDarken, *layer, {});
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(rgb(199, 199, 199), p);
}

TEST(TexgenEdgeShade, FlatTwoHundredSaturates) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 4, 4, rgb(200, 200, 100));
    apply(edgeShade, *layer, {});
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(rgb(255, 255, 132), p);
}

TEST(TexgenEdgeShade, StrongestEdgesStayBlack) {
    // At (2, 1) the differences sum to 255 + 129 = 384: t = (765 - 768) / 3 = -1. Its low byte
    // would be 255 and brighten the pixel; the factor holds at 0 instead.
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 4, 4, 0);
    layer->pixels[1 * 4 + 1] = rgb(255, 129, 0);
    layer->pixels[1 * 4 + 2] = rgb(0, 0, 200);
    apply(edgeShade, *layer, {});
    EXPECT_EQ(0u, at(*layer, 2, 1));
}

TEST(TexgenEmboss, OneColourIsMidGreyInEveryDirection) {
    for (uint8_t d = 0; d < 8; ++d) {
        auto layer = std::make_unique<Layer>();
        fillFlat(*layer, 8, 8, rgb(17, 200, 90));
        apply(emboss, *layer, bytes({d}));
        for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(0x808080u, p) << int(d);
    }
}

TEST(TexgenEmboss, EdgeFacingTheDirectionTurnsLight) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 4, 4, {});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) layer->pixels[y * 4 + x] = x >= 2 ? 0x0A0A0A : 0;
    apply(emboss, *layer, bytes({3}));  // d = (1, 0): ahead minus behind, three rows
    EXPECT_EQ(rgb(158, 158, 158), at(*layer, 1, 1));  // 128 + 3 * 10
    EXPECT_EQ(rgb(98, 98, 98), at(*layer, 3, 1));     // ahead wraps to black
}

TEST(TexgenPosterize, ClearsLowBits) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 1, 1, {rgb(0xFF, 0x87, 0x0F)});
    apply(posterize, *layer, bytes({0}));
    EXPECT_EQ(rgb(0xFF, 0x87, 0x0F), layer->pixels[0]);
    apply(posterize, *layer, bytes({4}));
    EXPECT_EQ(rgb(0xF0, 0x80, 0x00), layer->pixels[0]);
    apply(posterize, *layer, bytes({8}));
    EXPECT_EQ(0u, layer->pixels[0]);
}
