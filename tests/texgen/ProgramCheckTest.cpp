// The program checker: every refusal names the offending byte and its reason,
// and a refused program never runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TexgenTestSupport.h"

using namespace texgen_test;

namespace {

const std::vector<uint8_t> kChecker = {0x00, 0xE0, 0x11, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};

ProgramCheck checkOf(const std::vector<uint8_t>& prog) { return checkTextureProgram(prog.data(), prog.size()); }

void expectRefused(const std::vector<uint8_t>& prog, uint32_t offset, const std::string& reasonPart) {
    const ProgramCheck check = checkOf(prog);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(offset, check.offset) << check.describe();
    EXPECT_NE(std::string::npos, check.reason.find(reasonPart)) << check.describe();
    EXPECT_NE(std::string::npos, check.describe().find("byte " + std::to_string(offset) + ":")) << check.describe();
}

}  // namespace

TEST(TexgenProgramCheck, AcceptsWithASummary) {
    const ProgramCheck check = checkOf(program({kChecker, {0x0B, 0xE0, 0x00}}));
    ASSERT_TRUE(check.ok) << check.describe();
    EXPECT_EQ("ok: 2 instructions in 13 bytes, layer 0 ends 256x256", check.describe());
}

TEST(TexgenProgramCheck, OpcodeAbove34) { expectRefused(program({kChecker, {35, 0xE0}}), 14, "opcode 35 is above 34"); }

TEST(TexgenProgramCheck, DestinationAbove5) { expectRefused(program({{0x14, 0xE6}}), 5, "destination layer 6"); }

TEST(TexgenProgramCheck, SourceAbove5) { expectRefused(program({{0x17, 0xE0, 0x06}}), 6, "source layer 6"); }

TEST(TexgenProgramCheck, SizeCodeAbove9) {
    expectRefused(program({{0x00, 0xE0, 0xA1, 0x00, 1, 2, 3, 4, 5, 6}}), 6, "size code 10");
    expectRefused(program({{0x00, 0xE0, 0x1F, 0x00, 1, 2, 3, 4, 5, 6}}), 6, "size code 15");
}

TEST(TexgenProgramCheck, RampCountZeroOrAbove16OrPositionsDecreasing) {
    expectRefused(program({{0x03, 0xE0, 0x11, 0x00, 0x07}}), 7, "ramp count 0");
    std::vector<uint8_t> big = {0x03, 0xE0, 0x11, 17};
    big.resize(big.size() + 17 * 4 + 1, 0);
    expectRefused(program({big}), 7, "ramp count 17");
    // colourAt takes the first stop at or above a value: a stop below the
    // one before it would hide stops. Equal positions make a hard edge.
    std::vector<uint8_t> noise = {0x03, 0xE0, 0x11, 0x03, 0, 1, 1, 1, 200, 2, 2, 2, 100, 3, 3, 3, 0x07};
    expectRefused(program({noise}), 16, "ramp stop 3 at position 100 is below the 200 before it");
    noise[12] = 200;
    EXPECT_TRUE(checkOf(program({noise})).ok);
}

TEST(TexgenProgramCheck, InstructionRunningPastTheEnd) {
    expectRefused(program({kChecker, {0x00, 0xE0, 0x11}}), 14, "Checker instruction runs past the end");
    expectRefused(program({{0x20}}), 4, "past the end");
    std::vector<uint8_t> ramp = {0x03, 0xE0, 0x11, 0x02, 0, 0, 0, 0};  // second stop missing
    expectRefused(program({ramp}), 4, "Noise instruction runs");
}

TEST(TexgenProgramCheck, LengthWordDisagreesWithTheFile) {
    auto prog = program({kChecker});
    prog.pop_back();
    expectRefused(prog, 0, "says 10 instruction bytes but only 9 follow");
    prog = program({kChecker});
    prog.push_back(0);
    expectRefused(prog, 14, "1 bytes follow the end");
    expectRefused({1, 0}, 0, "shorter than its 4-byte length word");
}

TEST(TexgenProgramCheck, PlasmaTileCounts) {
    std::vector<uint8_t> plasma = {0x01, 0xE0, 0x11, 0x20, 0x01, 0, 0, 0, 0, 32, 61};  // 3 across
    expectRefused(program({plasma}), 7, "Plasma tile count 3 across is not a power of two");
    plasma[3] = 0x03;  // 4 down on a 2-high layer
    plasma[2] = 0x18;
    expectRefused(program({plasma}), 7, "Plasma tile count 4 exceeds the size 2");
    plasma[3] = 0x01;
    EXPECT_TRUE(checkOf(program({plasma})).ok);
}

TEST(TexgenProgramCheck, PixelateBlockLargerThanTheLayer) {
    const std::vector<uint8_t> small = {0x00, 0xE0, 0x67, 0x00, 1, 2, 3, 4, 5, 6};  // 8 x 4
    expectRefused(program({small, {0x09, 0xE0, 0x03}}), 16, "Pixelate block 8 is larger than the 8x4 layer");
    EXPECT_TRUE(checkOf(program({small, {0x09, 0xE0, 0x02}})).ok);
    // Sizes are followed through Rotate90 (4 x 8 after a quarter turn) and Copy.
    expectRefused(program({small, {0x0B, 0xE0, 0x00}, {0x18, 0xE2, 0x00}, {0x09, 0xE2, 0x03}}), 22,
                  "larger than the 4x8 layer");
}

TEST(TexgenProgramCheck, PixelateOfAnEmptyLayerSamplesNothingAndPasses) {
    EXPECT_TRUE(checkOf(program({{0x09, 0xE0, 0x05}})).ok);
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({{0x09, 0xE0, 0x05}}).data()));
    gen->run();
    EXPECT_EQ(0, gen->layers[0].width);
    EXPECT_EQ(0u, gen->images[0][0]);
}

TEST(TexgenProgramCheck, ZeroBlurLengths) {
    expectRefused(program({kChecker, {0x21, 0xE0, 0x00}}), 16, "BlurHorizontal length 0");
    expectRefused(program({kChecker, {0x22, 0xE0, 0x00}}), 16, "BlurVertical length 0");
    expectRefused(program({kChecker, {0x19, 0xE0, 0x00, 0x00}}), 17, "DirectionalBlur length 0");
    EXPECT_TRUE(checkOf(program({kChecker, {0x20, 0xE0, 0x00}})).ok);  // Blur with 0 passes is fine
}

TEST(TexgenProgramCheck, BitmapNarrowerThan8) {
    expectRefused(program({{0x04, 0xE0, 0x77, 1, 1, 1, 0, 0, 0, 0xFF, 0xFF}}), 6, "Bitmap width 4");
}

TEST(TexgenProgramCheck, OperandsWithoutAMeaning) {
    expectRefused(program({{0x02, 0xE0, 0x11, 0x01, 0, 0, 0, 0, 0x00}}), 12, "RadialGradient spread 0");
    expectRefused(program({kChecker, {0x15, 0xE0, 0x09}}), 16, "Posterize bits 9");
}

TEST(TexgenProgramCheck, RefusedProgramChangesNoLayer) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({kChecker}).data()));
    gen->run();
    const uint32_t before = gen->images[0][0];
    // Valid first instruction, bad second: nothing of it may run, not even the reset.
    EXPECT_FALSE(gen->setProgram(program({{0x14, 0xE0}, {0x12, 0xE0, 0x09}}).data()));
    EXPECT_EQ(8u, gen->programCheck().offset);
    gen->run();
    EXPECT_FALSE(gen->step());
    EXPECT_EQ(before, gen->images[0][0]);
    EXPECT_EQ(0xFFFFFFu, before);
    EXPECT_EQ(256, gen->layers[0].width);
}
