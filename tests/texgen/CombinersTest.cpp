// Layer combiners: pixel-by-pixel ones, DirectionalBlur and Scatter.
#include <gtest/gtest.h>

#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;
using namespace texgen;

namespace {
struct Pair {
    std::unique_ptr<Layer> dst = std::make_unique<Layer>();
    std::unique_ptr<Layer> src = std::make_unique<Layer>();
};
}  // namespace

TEST(TexgenCombiners, SmallerSourceTouchesOnlyItsRange) {
    for (Operation op : {add, blend, multiply, hardLight, subtract}) {
        Pair p;
        fillFlat(*p.dst, 256, 256, rgb(100, 150, 200));
        fillFlat(*p.src, 128, 128, rgb(200, 10, 128));
        apply(op, *p.dst, bytes({77}), p.src.get());
        EXPECT_NE(rgb(100, 150, 200), p.dst->pixels[0]);
        EXPECT_NE(rgb(100, 150, 200), p.dst->pixels[16383]);
        EXPECT_EQ(rgb(100, 150, 200), p.dst->pixels[16384]);
        EXPECT_EQ(rgb(100, 150, 200), p.dst->pixels[256 * 256 - 1]);
        EXPECT_EQ(256, p.dst->width);
    }
}

TEST(TexgenCombiners, ChannelRules) {
    Pair p;
    auto run = [&](Operation op, uint32_t d, uint32_t s, uint8_t weight = 0) {
        fill(*p.dst, 1, 1, {d});
        fill(*p.src, 1, 1, {s});
        apply(op, *p.dst, bytes({weight}), p.src.get());
        return p.dst->pixels[0];
    };
    EXPECT_EQ(rgb(255, 30, 0), run(add, rgb(200, 10, 0), rgb(100, 20, 0)));
    EXPECT_EQ(rgb(100, 0, 5), run(subtract, rgb(200, 10, 5), rgb(100, 20, 0)));
    EXPECT_EQ(rgb(200, 10, 5), run(blend, rgb(200, 10, 5), rgb(1, 2, 3), 0));
    EXPECT_EQ(rgb(1, 2, 3), run(blend, rgb(200, 10, 5), rgb(1, 2, 3), 255));
    EXPECT_EQ(rgb(99, 4, 2), run(blend, rgb(200, 10, 5), rgb(0, 0, 1), 128));  // (s·128 + d·127)/255
    EXPECT_EQ(rgb(200, 10, 5), run(multiply, rgb(200, 10, 5), 0xFFFFFF));
    EXPECT_EQ(0u, run(multiply, rgb(200, 10, 5), 0));
    EXPECT_EQ(rgb(200, 10, 5), run(hardLight, rgb(200, 10, 5), 0x808080));
    EXPECT_EQ(0u, run(hardLight, rgb(200, 10, 5), 0));
    EXPECT_EQ(rgb(200 + 55 * 254 / 255, 10 + 245 * 254 / 255, 5 + 250 * 254 / 255),
              run(hardLight, rgb(200, 10, 5), 0xFFFFFF));
    EXPECT_EQ(rgb(100 * 64 >> 7, 0, 0), run(hardLight, rgb(100, 0, 0), rgb(64, 0, 0)));
}

TEST(TexgenCombiners, SubtractFromItselfIsBlack) {
    auto layer = std::make_unique<Layer>();
    fill(*layer, 2, 1, {0x123456, 0xFFFFFF});
    apply(subtract, *layer, {}, layer.get());
    EXPECT_EQ((std::vector<uint32_t>{0, 0}), pixelsOf(*layer));
}

TEST(TexgenDirectionalBlur, LengthOneLeavesTheLayer) {
    Pair p;
    fill(*p.dst, 2, 2, {1, 2, 3, 4});
    fill(*p.src, 2, 2, {0x102030, 0xFFFFFF, 0, 0x808080});
    apply(directionalBlur, *p.dst, bytes({1}), p.src.get());
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4}), pixelsOf(*p.dst));
}

TEST(TexgenDirectionalBlur, BlackSourceBlursAlongX) {
    Pair p;
    fill(*p.dst, 4, 1, {rgb(40, 0, 0), rgb(80, 0, 0), 0, 0});
    fillFlat(*p.src, 4, 1, 0);
    apply(directionalBlur, *p.dst, bytes({2}), p.src.get());
    EXPECT_EQ((std::vector<uint32_t>{rgb(60, 0, 0), rgb(40, 0, 0), 0, rgb(20, 0, 0)}), pixelsOf(*p.dst));
}

TEST(TexgenDirectionalBlur, SourcePixelsBeyondTheSourceCountAsBlack) {
    Pair p, q;
    for (Pair* pair : {&p, &q}) fill(*pair->dst, 4, 1, {rgb(40, 0, 0), rgb(80, 0, 0), 0, 0});
    // q's 1 x 1 source covers index 0 only; its stale buffer must not steer indices 1..3.
    fill(*q.src, 1, 1, {0});
    q.src->pixels[1] = q.src->pixels[2] = q.src->pixels[3] = 0x7F7F7F;
    fillFlat(*p.src, 4, 1, 0);
    apply(directionalBlur, *p.dst, bytes({2}), p.src.get());
    apply(directionalBlur, *q.dst, bytes({2}), q.src.get());
    EXPECT_EQ(pixelsOf(*p.dst), pixelsOf(*q.dst));
}

TEST(TexgenScatter, OneStampShiftsTheSourceWithWrap) {
    Pair p;
    p.src->width = 16;
    p.src->height = 8;
    for (int i = 0; i < 128; ++i) p.src->pixels[i] = static_cast<uint32_t>(i);
    Operands in = sized(16, 8);
    in.byte[0] = 3;  // seed
    in.byte[1] = 1;  // one stamp
    apply(scatter, *p.dst, in, p.src.get());
    ASSERT_EQ(16, p.dst->width);
    ASSERT_EQ(8, p.dst->height);
    RandomSource random(3);
    const int ox = random.next() * 15 / 32767, oy = random.next() * 7 / 32767;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(static_cast<uint32_t>(y * 16 + x), at(*p.dst, (x + ox) & 15, (y + oy) & 7));
}

TEST(TexgenScatter, NoStampIsBlackAndOverlapsSaturate) {
    Pair p;
    fillFlat(*p.dst, 4, 4, 0x123456);
    fillFlat(*p.src, 4, 4, rgb(100, 1, 0));
    Operands in = sized(8, 8);
    in.byte[1] = 0;
    apply(scatter, *p.dst, in, p.src.get());
    for (uint32_t px : pixelsOf(*p.dst)) ASSERT_EQ(0u, px);
    fillFlat(*p.src, 8, 8, rgb(100, 1, 0));
    in.byte[1] = 3;
    apply(scatter, *p.dst, in, p.src.get());
    for (uint32_t px : pixelsOf(*p.dst)) ASSERT_EQ(rgb(255, 3, 0), px);
}

TEST(TexgenScatter, FromItsOwnLayerStampsThePictureItHeldNotStaleMemory) {
    // A 2x2 picture in a layer whose buffer still holds white from an
    // earlier, larger picture: scattered into itself at 8x8, only the 2x2
    // picture is stamped, so the result is the same in a fresh generator.
    Layer layer;
    fillFlat(layer, 8, 8, 0xFFFFFF);
    fill(layer, 2, 2, {0x010000, 0x000100, 0x000001, 0x020202});
    Operands in = sized(8, 8);
    in.byte[0] = 5;  // seed
    in.byte[1] = 1;  // one stamp
    apply(scatter, layer, in);
    ASSERT_EQ(8, layer.width);
    ASSERT_EQ(8, layer.height);
    RandomSource random(5);
    const int ox = random.next() * 7 / 32767, oy = random.next() * 7 / 32767;
    int lit = 0;
    for (uint32_t px : pixelsOf(layer)) lit += px != 0;
    EXPECT_EQ(4, lit);
    EXPECT_EQ(0x010000u, at(layer, ox & 7, oy & 7));
    EXPECT_EQ(0x020202u, at(layer, (ox + 1) & 7, (oy + 1) & 7));

    // The same through the generator: one program, in a generator that ran
    // another program first and in a fresh one.
    const std::vector<uint8_t> white = program({{0x00, 0xE1, 0x33, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
    const std::vector<uint8_t> selfScatter =
        program({{0x00, 0xE1, 0x88, 0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60},  // Checker 1, 2x2
                 {0x1D, 0xE1, 0x01, 0x66, 0x05, 0x01}});                          // Scatter 1 from 1, 8x8
    TextureGenerator used, fresh;
    ASSERT_TRUE(used.setProgram(white.data(), white.size()));
    used.run();
    ASSERT_TRUE(used.setProgram(selfScatter.data(), selfScatter.size()));
    ASSERT_TRUE(fresh.setProgram(selfScatter.data(), selfScatter.size()));
    used.run();
    fresh.run();
    EXPECT_EQ(std::vector<uint32_t>(used.images[1], used.images[1] + 64),
              std::vector<uint32_t>(fresh.images[1], fresh.images[1] + 64));
}
