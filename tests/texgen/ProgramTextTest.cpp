// The text form: round trips for every operation and the stored program,
// refusals with line, column and which failure, comments and blank lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TexgenTestSupport.h"
#include "texgen/ProgramText.h"

using namespace texgen_test;
using texgen::Fault;
using texgen::kOps;

namespace {

// Random operand bytes that the checker accepts, built from the table.
std::vector<uint8_t> randomInstruction(int opcode, std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const texgen::OpInfo& info = kOps[opcode];
    // Flags: any channels, the unused bit too, a destination 0..5.
    std::vector<uint8_t> ins = {static_cast<uint8_t>(opcode), static_cast<uint8_t>((pick(0, 15) << 4) | pick(0, 5))};
    int width = 0, height = 0;
    for (int k = 0; k < info.operandCount(); ++k) {
        const texgen::OperandInfo& operand = info.operands[k];
        switch (operand.kind) {
        case 's': {
            // Bitmaps at least 8 wide; everything small enough to keep the bits short.
            const int wCode = pick(opcode == static_cast<int>(TextureOp::Bitmap) ? 4 : 3, 6 + 3 * (opcode != 4));
            const int hCode = pick(3, 9);
            width = 512 >> wCode;
            height = 512 >> hCode;
            ins.push_back(static_cast<uint8_t>(wCode << 4 | hCode));
            break;
        }
        case 'n':
            if (opcode == static_cast<int>(TextureOp::Plasma)) {
                // Powers of two no larger than the size.
                int a = 1 << pick(0, 4), b = 1 << pick(0, 4);
                while (a > width) a /= 2;
                while (b > height) b /= 2;
                ins.push_back(static_cast<uint8_t>((a - 1) << 4 | (b - 1)));
            } else {
                ins.push_back(static_cast<uint8_t>(pick(0, 255)));
            }
            break;
        case 'c':
            for (int i = 0; i < 3; ++i) ins.push_back(static_cast<uint8_t>(pick(0, 255)));
            break;
        case 'r': {  // positions never decreasing, equal ones too
            const int stops = pick(1, 16);
            ins.push_back(static_cast<uint8_t>(stops));
            for (int i = 0, position = 0; i < stops; ++i) {
                position = pick(position, std::min(255, position + 40));
                ins.push_back(static_cast<uint8_t>(position));
                for (int c = 0; c < 3; ++c) ins.push_back(static_cast<uint8_t>(pick(0, 255)));
            }
            break;
        }
        case 'x':
            for (int i = 0; i < width * height / 8; ++i) ins.push_back(static_cast<uint8_t>(pick(0, 255)));
            break;
        case 'w': {
            const int v = pick(operand.min, operand.max) - operand.bias;
            ins.push_back(static_cast<uint8_t>(v));
            ins.push_back(static_cast<uint8_t>(v >> 8));
            break;
        }
        default:  // b, l
            ins.push_back(static_cast<uint8_t>(pick(operand.min, operand.max) - operand.bias));
            break;
        }
    }
    return ins;
}

// Every layer 512 x 512 first, so that size-dependent limits (Pixelate) hold.
std::vector<uint8_t> withSizedLayers(const std::vector<uint8_t>& ins) {
    std::vector<std::vector<uint8_t>> parts;
    for (uint8_t k = 0; k < 6; ++k) parts.push_back({0x00, static_cast<uint8_t>(0xE0 | k), 0x00, 0x00, 1, 2, 3, 4, 5, 6});
    parts.push_back(ins);
    std::vector<uint8_t> body;
    for (const auto& part : parts) body.insert(body.end(), part.begin(), part.end());
    return program({body});
}

std::string disassemble(const std::vector<uint8_t>& bytes) {
    std::string text;
    ProgramCheck check;
    EXPECT_TRUE(disassembleTextureProgram(bytes.data(), bytes.size(), &text, &check)) << check.describe();
    return text;
}

struct Refusal {
    const char* text;
    Fault fault;
    int line, column;
    const char* reason;  // a part of the message
};

}  // namespace

TEST(TexgenProgramText, EveryOperationRoundTripsWithRandomOperands) {
    std::mt19937 rng(20240613);
    for (int opcode = 0; opcode < kTextureOpCount; ++opcode) {
        for (int n = 0; n < 40; ++n) {
            const auto bytes = withSizedLayers(randomInstruction(opcode, rng));
            ASSERT_TRUE(checkTextureProgram(bytes.data(), bytes.size()).ok)
                << kOps[opcode].name << ": " << checkTextureProgram(bytes.data(), bytes.size()).describe();
            const std::string text = disassemble(bytes);
            const TextProgram back = assembleTextureProgram(text);
            ASSERT_TRUE(back.ok) << back.describe() << "\n" << text;
            ASSERT_EQ(bytes, back.bytes) << text;
            EXPECT_EQ(7u, back.lines.size());
        }
    }
}

TEST(TexgenProgramText, StoredProgramReadsAsWritten) {
    const std::vector<uint8_t> stored(storedTextureProgram(), storedTextureProgram() + storedTextureProgramSize());
    const std::string text = disassemble(stored);
    EXPECT_EQ("Plasma 0 rgb size=256x256 tiles=1x1 ramp=0:#ffffff,255:#000000 roughness=32 seed=61\n"
              "Blur 0 rgb passes=50\n"
              "Plasma 1 rgb size=256x256 tiles=1x1 ramp=0:#3366cc,255:#000000 roughness=50 seed=61\n"
              "Blur 1 rgb passes=30\n"
              "DisplaceAdd 1 rgb source=0 strength=4\n"
              "Invert 1 rgb\n"
              "Sharpen 1 rgb passes=1\n"
              "Copy 0 rgb source=1\n",
              text);
    EXPECT_EQ(stored, assembleTextureProgram(text).bytes);
}

TEST(TexgenProgramText, NumbersMasksAndFlagsInEveryForm) {
    // Hexadecimal numbers, operands in any order, masks in any order, the
    // unused flag bit, no channel at all, Rotate90 counted in quarter turns.
    const TextProgram p = assembleTextureProgram(
        "Checker 2 bgr colour2=#0A0b0C size=8x4 cells=2x1 colour1=#010203\n"
        "Mirror 2 x mode=0x11\n"
        "Scroll 2 - shift=0x8003\n"
        "Rotate90 2 rx quarters=4\n"
        "Twirl 2 g twist=300\n");
    ASSERT_TRUE(p.ok) << p.describe();
    EXPECT_EQ(program({{0x00, 0xE2, 0x67, 0x10, 1, 2, 3, 0x0A, 0x0B, 0x0C},
                       {0x06, 0x12, 0x11},
                       {0x08, 0x02, 0x03, 0x80},
                       {0x0B, 0x92, 0x03},
                       {0x0C, 0x42, 0x2C, 0x01}}),
              p.bytes);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), p.lines);
    EXPECT_EQ("Checker 2 rgb size=8x4 cells=2x1 colour1=#010203 colour2=#0a0b0c\n"
              "Mirror 2 x mode=0x11\n"
              "Scroll 2 - shift=0x8003\n"
              "Rotate90 2 rx quarters=4\n"
              "Twirl 2 g twist=300\n",
              disassemble(p.bytes));
}

TEST(TexgenProgramText, CommentsAndBlankLines) {
    const TextProgram p = assembleTextureProgram(
        "# clouds\n"
        "\n"
        "   \t\n"
        "Checker 0 rgb size=16x16 cells=1x1 colour1=#ffffff colour2=#000000  # a # after a blank\n"
        "\t# indented comment\r\n"
        "Invert 0 rgb\r\n");
    ASSERT_TRUE(p.ok) << p.describe();
    EXPECT_EQ((std::vector<int>{4, 6}), p.lines);
    // A UTF-8 byte-order mark in front is no character of the program.
    const TextProgram marked = assembleTextureProgram("\xEF\xBB\xBFInvert 0 rgb\n");
    ASSERT_TRUE(marked.ok) << marked.describe();
    EXPECT_EQ(program({{0x14, 0xE0}}), marked.bytes);
    // Only comments: the empty program.
    const TextProgram empty = assembleTextureProgram("# nothing yet\n");
    ASSERT_TRUE(empty.ok);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), empty.bytes);
    // '#' glued to a word is not a comment.
    const TextProgram glued = assembleTextureProgram("Invert 0 rgb#x\n");
    EXPECT_EQ(Fault::BadMask, glued.fault.fault);
}

TEST(TexgenProgramText, RefusalsNameLineColumnAndWhichFailure) {
    const Refusal cases[] = {
        {"Invert 0 rgb\nPlasmo 0 rgb\n", Fault::UnknownOperation, 2, 1, "unknown operation 'Plasmo'"},
        {"Blur 0 rgb\n", Fault::MissingOperand, 1, 11, "Blur needs passes= (0..255)"},
        {"Noise 0 rgb size=8x8 seed=1\n", Fault::MissingOperand, 1, 28, "Noise needs ramp="},
        {"Invert 0 rgb passes=1\n", Fault::UnknownOperand, 1, 14, "Invert takes no operands"},
        {"Blur 0 rgb passes=1 radius=3\n", Fault::UnknownOperand, 1, 21, "Blur has no operand 'radius' (its operands: passes)"},
        {"Blur 0 rgb passes=1 passes=2\n", Fault::RepeatedOperand, 1, 21, "given twice"},
        {"Emboss 0 rgb direction=8\n", Fault::OutOfRange, 1, 24, "Emboss direction 8 is outside 0..7"},
        {"BlurVertical 3 g length=0\n", Fault::OutOfRange, 1, 25, "BlurVertical length 0 is outside 1..255"},
        {"Rotate90 0 rgb quarters=0\n", Fault::OutOfRange, 1, 25, "Rotate90 quarters 0 is outside 1..256"},
        {"Add 0 rgb source=6\n", Fault::OutOfRange, 1, 18, "Add source 6 is outside 0..5"},
        {"Blur 0 rgb passes=1e\n", Fault::BadNumber, 1, 19, "Blur passes '1e' is not a number"},
        {"Checker 0 rgb size=8x8 cells=1x1 colour1=#12345 colour2=#000000\n", Fault::BadColour, 1, 42,
         "colour '#12345' is not #rrggbb"},
        {"Checker 0 rgb size=8x8 cells=1x1 colour1=#123456 colour2=#00000g\n", Fault::BadColour, 1, 58, "#00000g"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,255:ffffff seed=1\n", Fault::BadColour, 1, 41, "'ffffff'"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,256:#ffffff seed=1\n", Fault::BadRamp, 1, 37, "position 0..255"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,255:#ffffff,128:#ff0000 seed=1\n", Fault::RampOutOfOrder, 1, 49,
         "ramp stop 3 at position 128 is below the 255 before it: ramp positions may not decrease"},
        // A byte-order mark in front: columns count from after it.
        {"\xEF\xBB\xBF" "Emboss 0 rgb direction=8\n", Fault::OutOfRange, 1, 24, "Emboss direction 8"},
        {"Checker 0 rgb size=8x6 cells=1x1 colour1=#123456 colour2=#000000\n", Fault::BadSize, 1, 20, "'8x6'"},
        {"Checker 0 rgb size=8x8 cells=0x1 colour1=#123456 colour2=#000000\n", Fault::BadCount, 1, 30,
         "Checker cells '0x1' is not AxB, each 1..16"},
        {"Invert 6 rgb\n", Fault::BadLayer, 1, 8, "destination layer '6'"},
        {"Invert 0 rgbr\n", Fault::BadMask, 1, 10, "channel mask 'rgbr'"},
        {"Invert\n", Fault::MissingLayer, 1, 7, "Invert needs a destination layer"},
        {"Invert 0\n", Fault::MissingMask, 1, 9, "Invert needs a channel mask"},
        {"Blur 0 rgb 50\n", Fault::NotAnOperand, 1, 12, "'50' is not name=value"},
        {"Bitmap 0 rgb size=16x2 ones=#ffffff zeros=#000000 bits=800001\n", Fault::BadBits, 1, 56, "8 hexadecimal digits"},
        // What only the whole program shows points at the operand that made it.
        {"Checker 0 rgb size=8x4 cells=1x1 colour1=#123456 colour2=#000000\nPixelate 0 rgb exponent=3\n",
         Fault::PixelateTooLarge, 2, 16, "Pixelate block 8 is larger than the 8x4 layer"},
        {"Plasma 0 rgb size=64x64 tiles=3x1 ramp=0:#000000 roughness=1 seed=2\n", Fault::PlasmaTilesNotPow2, 1, 25,
         "Plasma tile count 3 across is not a power of two"},
        {"Bitmap 0 rgb size=4x8 ones=#ffffff zeros=#000000 bits=ffff0000\n", Fault::BitmapTooNarrow, 1, 14,
         "Bitmap width 4 is narrower than 8"},
    };
    for (const Refusal& c : cases) {
        const TextProgram p = assembleTextureProgram(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(c.fault, p.fault.fault) << c.text << p.describe();
        EXPECT_EQ(c.line, p.line) << c.text << p.describe();
        EXPECT_EQ(c.column, p.column) << c.text << p.describe();
        EXPECT_NE(std::string::npos, p.reason.find(c.reason)) << c.text << p.describe();
        EXPECT_EQ(0u, p.describe().find("line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": "))
            << p.describe();
        EXPECT_TRUE(p.bytes.empty());
    }
}

TEST(TexgenProgramText, DisassemblyRefusesWhatTheCheckerRefuses) {
    const auto bad = program({{0x12, 0xE0, 0x09}});
    std::string text = "untouched";
    ProgramCheck check;
    EXPECT_FALSE(disassembleTextureProgram(bad.data(), bad.size(), &text, &check));
    EXPECT_EQ("untouched", text);
    EXPECT_EQ("byte 6: Emboss direction 9 is outside 0..7", check.describe());
}

TEST(TexgenProgramText, FormsAreToldApartByContent) {
    EXPECT_FALSE(isTextProgram(storedTextureProgram(), storedTextureProgramSize()));
    const std::string text = "Invert 0 rgb # \xC3\xA9t\xC3\xA9\n";
    EXPECT_TRUE(isTextProgram(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    EXPECT_TRUE(isTextProgram(nullptr, 0));
}
