// Colour ramps, Plasma and the operations of the stored program.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;
using namespace texgen;

TEST(TexgenColourRamp, WhiteToBlack) {
    const ColourRamp ramp = whiteToBlack();
    EXPECT_EQ(0xFFFFFFu, ramp.colourAt(0.0f));
    EXPECT_EQ(0x7F7F7Fu, ramp.colourAt(0.5f));  // 255 stop lies just above 1.0: f < 0.5
    EXPECT_EQ(ramp.colourAt(0.5f), ramp.colourAt(1.5f));
    EXPECT_EQ(ramp.colourAt(0.5f), ramp.colourAt(-0.5f));
    EXPECT_EQ(ramp.colourAt(0.25f), ramp.colourAt(1.25f));
    EXPECT_EQ(0x000000u, ramp.colourAt(0.99999f) & 0xFEFEFE);  // nearly black
}

TEST(TexgenColourRamp, BeforeTheFirstStopGivesItsColour) {
    ColourRamp ramp;
    ramp.count = 2;
    ramp.stops[0] = RampStop{128, 10, 20, 30};
    ramp.stops[1] = RampStop{255, 200, 200, 200};
    EXPECT_EQ(0x0A141Eu, ramp.colourAt(0.0f));
    EXPECT_EQ(0x0A141Eu, ramp.colourAt(0.5f));
    EXPECT_NE(0x0A141Eu, ramp.colourAt(0.75f));
}

TEST(TexgenColourRamp, PastTheLastStopHoldsItsColour) {
    ColourRamp ramp;
    ramp.count = 2;
    ramp.stops[0] = RampStop{0, 0, 0, 0};
    ramp.stops[1] = RampStop{100, 50, 60, 70};
    ramp.stops[2] = RampStop{255, 255, 255, 255};  // not in use: must never be read
    EXPECT_EQ(0x323C46u, ramp.colourAt(0.9f));
    EXPECT_EQ(0x323C46u, ramp.colourAt(std::numeric_limits<float>::quiet_NaN()));
}

TEST(TexgenColourRamp, InterpolatesBetweenStops) {
    ColourRamp ramp;
    ramp.count = 3;
    ramp.stops[0] = RampStop{0, 0, 0, 0};
    ramp.stops[1] = RampStop{51, 100, 0, 200};
    ramp.stops[2] = RampStop{255, 0, 255, 0};
    // Stop 1 sits at 51 * (1/255 as single), a hair above 0.2: 0.1 is just short of halfway.
    EXPECT_EQ(rgb(49, 0, 99), ramp.colourAt(0.1f));
    EXPECT_EQ(rgb(50, 127, 100), ramp.colourAt(0.6f));  // halfway from 0.2 to 1.0
}

namespace {
Operands plasmaOperands(int w, int h, int nx, int ny, uint8_t roughness, uint8_t seed) {
    Operands in = sized(w, h);
    in.countX = nx;
    in.countY = ny;
    in.ramp = whiteToBlack();
    in.byte[0] = roughness;
    in.byte[1] = seed;
    return in;
}
}  // namespace

TEST(TexgenPlasma, RoughnessZeroIsOneColour) {
    auto layer = std::make_unique<Layer>();
    apply(plasma, *layer, plasmaOperands(64, 32, 1, 1, 0, 61));
    ASSERT_EQ(64, layer->width);
    ASSERT_EQ(32, layer->height);
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(layer->pixels[0], p);
}

TEST(TexgenPlasma, SameSeedSameLayerAndTilesRepeat) {
    auto a = std::make_unique<Layer>(), b = std::make_unique<Layer>();
    apply(plasma, *a, plasmaOperands(64, 64, 2, 4, 40, 7));
    apply(plasma, *b, plasmaOperands(64, 64, 2, 4, 40, 7));
    EXPECT_EQ(pixelsOf(*a), pixelsOf(*b));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(at(*a, x & 31, y & 15), at(*a, x, y));
    apply(plasma, *b, plasmaOperands(64, 64, 2, 4, 40, 8));
    EXPECT_NE(pixelsOf(*a), pixelsOf(*b));
}

TEST(TexgenBlur, OneColourStaysAndZeroPassesChangeNothing) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 8, 4, 0x3A7FC1);
    apply(blur, *layer, bytes({5}));
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(0x3A7FC1u, p);
    fill(*layer, 2, 2, {1, 2, 3, 4});
    apply(blur, *layer, bytes({0}));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4}), pixelsOf(*layer));
}

TEST(TexgenBlur, OnePassWeighsCentreFourAndWraps) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 4, 4, 0);
    layer->pixels[0] = 0xFF8040;
    apply(blur, *layer, bytes({1}));
    EXPECT_EQ(rgb(127, 64, 32), at(*layer, 0, 0));     // 4C >> 3
    EXPECT_EQ(rgb(31, 16, 8), at(*layer, 3, 0));       // wrapped left neighbour
    EXPECT_EQ(rgb(31, 16, 8), at(*layer, 0, 3));
    EXPECT_EQ(0u, at(*layer, 1, 1));
}

TEST(TexgenSharpen, OneColourGainsItsRemainderModFour) {
    auto layer = std::make_unique<Layer>();
    fillFlat(*layer, 4, 4, rgb(100, 101, 254));
    apply(sharpen, *layer, bytes({1}));
    for (uint32_t p : pixelsOf(*layer)) ASSERT_EQ(rgb(100, 102, 255), p);
}

TEST(TexgenPointOps, GreyscaleAndInvert) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 2, 1, {rgb(10, 20, 32), rgb(255, 255, 254)});
    apply(greyscale, *layer, {});
    EXPECT_EQ(0x141414u, layer->pixels[0]);
    EXPECT_EQ(0xFEFEFEu, layer->pixels[1]);
    apply(invert, *layer, {});
    EXPECT_EQ(0xFFEBEBEBu, layer->pixels[0]);
    apply(invert, *layer, {});
    EXPECT_EQ(0x141414u, layer->pixels[0]);
}

TEST(TexgenCopy, TakesSizeAndPixels) {
    auto dst = std::make_unique<Layer>(), src = std::make_unique<Layer>();
    fill(*dst, 4, 4, {9, 9, 9, 9, 9});
    fill(*src, 2, 2, {1, 2, 3, 4});
    apply(copy, *dst, {}, src.get());
    EXPECT_EQ(2, dst->width);
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4}), pixelsOf(*dst));
    apply(copy, *dst, {}, dst.get());
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4}), pixelsOf(*dst));
}

TEST(TexgenDisplaceAdd, StrengthZeroIsASaturatingAdd) {
    auto dst = std::make_unique<Layer>(), src = std::make_unique<Layer>();
    fill(*dst, 2, 2, {rgb(0, 0, 0), rgb(250, 10, 0), rgb(5, 5, 5), rgb(255, 0, 128)});
    fill(*src, 2, 2, {rgb(1, 2, 3), rgb(10, 10, 10), rgb(0, 0, 0), rgb(1, 255, 127)});
    apply(displaceAdd, *dst, bytes({0}), src.get());
    EXPECT_EQ((std::vector<uint32_t>{rgb(1, 2, 3), rgb(255, 20, 10), rgb(5, 5, 5), rgb(255, 255, 255)}), pixelsOf(*dst));
}

TEST(TexgenDisplaceAdd, GradientOffsetsTheLookupWithFloorShifts) {
    auto dst = std::make_unique<Layer>(), src = std::make_unique<Layer>();
    // Grey row 0, 0, 0, 1: at x = 2, dx = ((0 - 1) * 1) >> 2 = -1 (a floor, not a truncation to 0).
    fill(*dst, 4, 1, {0, 0, 0, 0x010101});
    fill(*src, 4, 1, {rgb(10, 0, 0), rgb(20, 0, 0), rgb(30, 0, 0), rgb(40, 0, 0)});
    apply(displaceAdd, *dst, bytes({1}), src.get());
    EXPECT_EQ((std::vector<uint32_t>{rgb(10, 0, 0), rgb(20, 0, 0), rgb(20, 0, 0), rgb(41, 1, 1)}), pixelsOf(*dst));
}

TEST(TexgenDisplaceAdd, EmptySourceAddsNothing) {
    auto dst = std::make_unique<Layer>(), src = std::make_unique<Layer>();
    fill(*dst, 2, 2, {1, 2, 3, 4});
    src->pixels[5] = 0xFFFFFF;  // stale data of a layer that has no picture
    apply(displaceAdd, *dst, bytes({4}), src.get());
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4}), pixelsOf(*dst));
}
