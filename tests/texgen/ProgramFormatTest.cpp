// The interpreter: instruction lengths, the channel-mask merge, step and run,
// the stored program and the memory its buffers cost.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "TexgenTestSupport.h"

using namespace texgen_test;

namespace {

// A 2-stop white-to-black ramp operand.
const std::vector<uint8_t> kRamp2 = {0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};

std::vector<uint8_t> plasma(uint8_t flags, uint8_t size, uint8_t roughness, uint8_t seed) {
    std::vector<uint8_t> ins = {0x01, flags, size, 0x00};
    ins.insert(ins.end(), kRamp2.begin(), kRamp2.end());
    ins.push_back(roughness);
    ins.push_back(seed);
    return ins;
}

std::vector<uint8_t> checker(uint8_t flags, uint8_t size, uint32_t a, uint32_t b) {
    return {0x00, flags, size, 0x00, uint8_t(a >> 16), uint8_t(a >> 8), uint8_t(a), uint8_t(b >> 16), uint8_t(b >> 8),
            uint8_t(b)};
}

uint32_t instructionLength(const std::vector<uint8_t>& prog) {
    texgen::Instruction ins;
    texgen::FaultInfo fault;
    EXPECT_TRUE(texgen::decodeInstruction(prog.data(), 4, static_cast<uint32_t>(prog.size()), &ins, &fault))
        << texgen::faultMessage(fault);
    return ins.length;
}

size_t residentPages(const void* p, size_t bytes) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> v((bytes + page - 1) / page);
    EXPECT_EQ(0, mincore(const_cast<void*>(p), bytes, v.data()));
    size_t n = 0;
    for (unsigned char c : v) n += c & 1;
    return n;
}

}  // namespace

TEST(TexgenInstructionLength, RampOperandsPlaceTheNextInstructionAfterTheRamp) {
    EXPECT_EQ(15u, instructionLength(program({plasma(0xE0, 0x11, 32, 61)})));
    std::vector<uint8_t> radial = {0x02, 0xE0, 0x11};
    radial.insert(radial.end(), kRamp2.begin(), kRamp2.end());
    radial.push_back(128);
    EXPECT_EQ(13u, instructionLength(program({radial})));  // 5 + 4c
    std::vector<uint8_t> waves = {0x05, 0xE0, 0x11, 0x00};
    waves.insert(waves.end(), kRamp2.begin(), kRamp2.end());
    waves.insert(waves.end(), {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(19u, instructionLength(program({waves})));  // 11 + 4c
}

TEST(TexgenInstructionLength, BitmapCarriesWidthTimesHeightBits) {
    std::vector<uint8_t> bits = {0x04, 0xE0, 0x55, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};  // 16 x 16
    bits.resize(bits.size() + 32, 0xAA);
    EXPECT_EQ(41u, instructionLength(program({bits})));
}

TEST(TexgenInstructionLength, FixedLayoutsMatchTheOpcodeTable) {
    const int expected[] = {10, -1, -1, -1, -1, -1,           // patterns: lengths depend on operands
                            3,  9,  4,  3,  4,  3,  4,        // transforms
                            3,  2,  2,  3,  2,  3,            // Brightness .. Emboss
                            2,  2,  3,  3,                    // Greyscale .. Sharpen
                            3,  3,  4,  4,  4,  3,  6,  3, 3, // combiners
                            3,  3,  3};                       // blurs
    static_assert(sizeof expected / sizeof expected[0] == kTextureOpCount);
    for (int op = 0; op < kTextureOpCount; ++op) {
        if (expected[op] < 0) continue;
        std::vector<uint8_t> ins(static_cast<size_t>(expected[op]), 0x01);
        ins[0] = static_cast<uint8_t>(op);
        ins[1] = 0xE0;
        if (op == 0 || op == 29) ins[op == 0 ? 2 : 3] = 0x11;  // valid size bytes
        EXPECT_EQ(static_cast<uint32_t>(expected[op]), instructionLength(program({ins}))) << textureOpName(op);
    }
}

TEST(TexgenMerge, AllChannelsOfLayerZero) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({checker(0xE0, 0x77, 0x123456, 0x654321)}).data()));
    gen->run();
    EXPECT_EQ(0x123456u, gen->images[0][0]);
    EXPECT_EQ(0x654321u, gen->images[0][2]);
    EXPECT_EQ(0u, gen->images[0][16]);  // only the 4 x 4 range is merged
}

TEST(TexgenMerge, RedOnlyOfLayerOneKeepsStoredGreenAndBlue) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(
        program({checker(0xE1, 0x77, 0x102030, 0x102030), checker(0x81, 0x77, 0xAABBCC, 0xAABBCC)}).data()));
    gen->run();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(0xAA2030u, gen->images[1][i]);
        EXPECT_EQ(0xAA2030u, gen->layers[1].pixels[i]);  // working copy follows the stored image
    }
    EXPECT_EQ(0u, gen->images[0][0]);
}

TEST(TexgenMerge, NoChannelChangesNoPixelButKeepsTheNewSize) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({checker(0xE0, 0x77, 0x111111, 0x111111), checker(0x00, 0x88, 0x999999, 0x999999),
                                         {0x14, 0xE0}})  // Invert over the 2 x 2 range only
                                    .data()));
    gen->run();
    EXPECT_EQ(2, gen->layers[0].width);
    EXPECT_EQ(2, gen->layers[0].height);
    // The invert saw the working copy, which the masked merge reset to the stored 0x111111.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(0xEEEEEEu, gen->images[0][i]);
    for (int i = 4; i < 16; ++i) EXPECT_EQ(0x111111u, gen->images[0][i]);
}

TEST(TexgenMerge, BitsAboveColourAreCleared) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({checker(0xE0, 0x99, 0, 0), {0x14, 0xE0}}).data()));
    gen->run();
    EXPECT_EQ(0x00FFFFFFu, gen->images[0][0]);
    EXPECT_EQ(0x00FFFFFFu, gen->layers[0].pixels[0]);
}

TEST(TexgenInterpreter, EmptyProgramOnlyResets) {
    auto gen = std::make_unique<TextureGenerator>();
    gen->images[0][1000] = 7;
    gen->images[0][TextureGenerator::kImagePixels - 1] = 9;
    ASSERT_TRUE(gen->setProgram(program({}).data()));
    gen->run();
    EXPECT_EQ(0u, gen->images[0][1000]);
    EXPECT_EQ(0u, gen->images[0][TextureGenerator::kImagePixels - 1]);
    EXPECT_EQ(4u, gen->cursor());
}

TEST(TexgenInterpreter, StepAfterTheEndChangesNothing) {
    auto gen = std::make_unique<TextureGenerator>();
    const auto prog = program({checker(0xE0, 0x77, 1, 2), {0x14, 0xE0}});
    ASSERT_TRUE(gen->setProgram(prog.data()));
    gen->reset();
    EXPECT_TRUE(gen->step());
    EXPECT_EQ(14u, gen->cursor());
    EXPECT_FALSE(gen->step());
    EXPECT_EQ(16u, gen->cursor());
    const uint32_t before = gen->images[0][0];
    EXPECT_FALSE(gen->step());
    EXPECT_EQ(16u, gen->cursor());
    EXPECT_EQ(before, gen->images[0][0]);
}

TEST(TexgenInterpreter, ResetClearsStoredImagesOfEarlierRuns) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(program({checker(0xE3, 0x11, 0xFFFFFF, 0xFFFFFF)}).data()));
    gen->run();
    EXPECT_EQ(0xFFFFFFu, gen->images[3][256 * 256 - 1]);
    ASSERT_TRUE(gen->setProgram(program({}).data()));
    gen->run();
    EXPECT_EQ(0u, gen->images[3][0]);
    EXPECT_EQ(0u, gen->images[3][256 * 256 - 1]);
    EXPECT_EQ(0, gen->layers[3].width);
}

TEST(TexgenStoredProgram, RunsToIdenticalLayersZeroAndOne) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(storedTextureProgram()));
    gen->run();
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(256, gen->layers[k].width);
        EXPECT_EQ(256, gen->layers[k].height);
    }
    EXPECT_EQ(0, std::memcmp(gen->images[0], gen->images[1], 256 * 256 * 4));
    EXPECT_EQ(0u, gen->images[2][0]);
}

// The picture is committed as tests/texgen/golden/stored-program.png.
TEST(TexgenStoredProgram, GoldenPicture) {
    auto gen = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(gen->setProgram(storedTextureProgram()));
    gen->run();
    EXPECT_EQ(0x0e05cc52db98cdffull, fnv1a(gen->images[0], 256 * 256));
}

TEST(TexgenMemory, UnusedBuffersCostNoPages) {
    auto gen = std::make_unique<TextureGenerator>();
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        EXPECT_EQ(0u, residentPages(gen->images[k], 1 << 20)) << "image " << k;
        EXPECT_EQ(0u, residentPages(gen->layers[k].pixels, 1 << 20)) << "layer " << k;
    }
    // A picture written into images[0] touches only images[0].
    for (uint32_t i = 0; i < TextureGenerator::kImagePixels; ++i) gen->images[0][i] = i;
    for (int k = 1; k < TextureGenerator::kLayerCount; ++k) EXPECT_EQ(0u, residentPages(gen->images[k], 1 << 20));
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) EXPECT_EQ(0u, residentPages(gen->layers[k].pixels, 1 << 20));
}
