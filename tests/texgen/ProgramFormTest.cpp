// Texture programs in both forms: the checker's refusals (the offending byte
// and the reason) and warnings, and the text form as it is written and read
// back, refused with the line, the column and the failure.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/ProgramText.h"

using texgen::Fault;

namespace {

// Instruction bytes -> program bytes with the length word in front.
std::vector<uint8_t> program(const std::vector<uint8_t>& instructions) {
    std::vector<uint8_t> out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(instructions.size() >> (8 * i)));
    out.insert(out.end(), instructions.begin(), instructions.end());
    return out;
}

std::string disassemble(const std::vector<uint8_t>& bytes) {
    std::string text;
    ProgramCheck check;
    EXPECT_TRUE(disassembleTextureProgram(bytes.data(), bytes.size(), &text, &check)) << check.describe();
    return text;
}

}  // namespace

TEST(TexgenProgramCheck, RefusalsNameTheByteAndTheReasonWarningsTheInstruction) {
    const std::vector<uint8_t> board = {0x00, 0xE0, 0x11, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};  // 256x256
    auto after = [&](std::vector<uint8_t> rest) {
        rest.insert(rest.begin(), board.begin(), board.end());
        return program(rest);
    };
    const std::tuple<std::vector<uint8_t>, uint32_t, const char*> cases[] = {
        {{1, 0}, 0, "the program is shorter than its 4-byte length word"},
        {{11, 0, 0, 0, 0x14, 0xE0}, 0, "the length word says 11 instruction bytes but only 2 follow"},
        {{10, 0, 0, 0, 0x00, 0xE0, 0x11, 0x00, 1, 2, 3, 4, 5, 6, 0}, 14, "1 bytes follow the end of the program"},
        {after({35, 0xE0}), 14, "opcode 35 is above 34"},
        {program({0x14, 0xE6}), 5, "destination layer 6 is above 5"},
        {after({0x17, 0xE0, 0x06}), 16, "source layer 6 is above 5"},
        {program({0x00, 0xE0, 0xA1, 0x00, 1, 2, 3, 4, 5, 6}), 6, "size code 10 is above 9"},
        {program({0x00, 0xE0, 0x1F, 0x00, 1, 2, 3, 4, 5, 6}), 6, "size code 15 is above 9"},
        {program({0x03, 0xE0, 0x11, 0x00, 0x07}), 7, "ramp count 0 is outside 1..16"},
        {program({0x03, 0xE0, 0x11, 17}), 7, "ramp count 17 is outside 1..16"},
        {program({0x03, 0xE0, 0x11, 3, 0, 1, 1, 1, 200, 2, 2, 2, 100, 3, 3, 3, 7}), 16,
         "ramp stop 3 at position 100 is below the 200 before it"},
        {after({0x00, 0xE0, 0x11}), 14, "Checker instruction runs past the end of the program"},
        {program({0x01, 0xE0, 0x11, 0x20, 1, 0, 0, 0, 0, 32, 61}), 7, "Plasma tile count 3 across is not a power"},
        {program({0x01, 0xE0, 0x11, 0x02, 1, 0, 0, 0, 0, 32, 61}), 7, "Plasma tile count 3 down is not a power of two"},
        {program({0x01, 0xE0, 0x18, 0x03, 1, 0, 0, 0, 0, 32, 61}), 7, "Plasma tile count 4 exceeds the size 2"},
        {after({0x09, 0xE0, 0x0A}), 16, "Pixelate exponent 10 is outside 0..9"},
        {program({0x00, 0xE0, 0x67, 0x00, 1, 2, 3, 4, 5, 6, 0x09, 0xE0, 0x03}), 16,
         "Pixelate block 8 is larger than the 8x4 layer"},
        // Layer sizes are followed through Rotate90 and Copy: 8x4 turned is 4x8.
        {program({0x00, 0xE0, 0x67, 0x00, 1, 2, 3, 4, 5, 6, 0x0B, 0xE0, 0x00, 0x18, 0xE2, 0x00, 0x09, 0xE2, 0x03}), 22,
         "Pixelate block 8 is larger than the 4x8 layer"},
        {after({0x21, 0xE0, 0x00}), 16, "BlurHorizontal length 0 is outside 1..255"},
        {after({0x19, 0xE0, 0x00, 0x00}), 17, "DirectionalBlur length 0 is outside 1..255"},
        {program({0x04, 0xE0, 0x77, 1, 1, 1, 0, 0, 0, 0xFF, 0xFF}), 6, "Bitmap width 4 is narrower than 8"},
        {program({0x02, 0xE0, 0x11, 0x01, 0, 0, 0, 0, 0x00}), 12, "RadialGradient spread 0 is outside 1..255"},
        {after({0x15, 0xE0, 0x09}), 16, "Posterize bits 9 is outside 0..8"},
        {after({0x06, 0xE0, 0x09, 0x12, 0xE0, 0x09}), 19, "Emboss direction 9 is outside 0..7"},
    };
    for (const auto& [bytes, offset, reason] : cases) {
        const ProgramCheck check = checkTextureProgram(bytes.data(), bytes.size());
        EXPECT_FALSE(check.ok) << reason;
        EXPECT_EQ(0u, check.reason.find(reason)) << check.reason;
        EXPECT_EQ("byte " + std::to_string(offset) + ": " + check.reason, check.describe());
    }
    // Accepted at the limits: no instruction, Pixelate of an empty layer and of a
    // block as high as the layer, Blur with no pass, equal ramp positions.
    for (const std::vector<uint8_t>& bytes : {program({}), program({0x09, 0xE0, 0x05}), after({0x20, 0xE0, 0x00}),
                                              program({0x03, 0xE0, 0x11, 2, 9, 1, 1, 1, 9, 2, 2, 2, 7}),
                                              program({0x00, 0xE0, 0x67, 0x00, 1, 2, 3, 4, 5, 6, 0x09, 0xE0, 0x02})})
        EXPECT_EQ("ok:", checkTextureProgram(bytes.data(), bytes.size()).describe().substr(0, 3));
    // Accepted with warnings, as "instruction: text" (-1 for the program as a whole).
    const std::string c16 = "Checker 0 rgb size=16x16 cells=2x2 colour1=#ffffff colour2=#000000\n";
    const std::string c8 = "Checker 1 rgb size=8x8 cells=2x2 colour1=#ff0000 colour2=#0000ff\n";
    const std::pair<std::string, std::string> warned[] = {
        {c16 + "Add 0 rgb source=2", "1: Add reads layer 2, which nothing has written yet\n"},
        {c16 + c8 + "Multiply 0 rgb source=1",
         "2: Multiply reads layer 1 (8x8), smaller than layer 0 (16x16): only the first 64 of 256 pixels change\n"},
        {c16 + "Checker 1 rgb size=8x32 cells=1x1 colour1=#000000 colour2=#000000\nAdd 0 rgb source=1",
         "2: Add reads layer 1 (8x32) into layer 0 (16x16) pixel by pixel in order: the rows do not line up\n"},
        {c16 + "Add 1 rgb source=0", "1: Add works on layer 1, which nothing has written yet\n"},
        {"Subtract 2 rgb source=2\n" + c16, "0: Subtract reads layer 2, which nothing has written yet\n"},
        {"Blur 4 rgb passes=2",
         "0: Blur works on layer 4, which nothing has written yet\n-1: layer 0, the result, ends empty (0x0)\n"},
    };
    for (const auto& [text, expected] : warned) {
        const TextProgram assembled = assembleTextureProgram(text);
        ASSERT_TRUE(assembled.ok) << assembled.describe();
        std::string warnings;
        for (const ProgramWarning& warning :
             checkTextureProgram(assembled.bytes.data(), assembled.bytes.size()).warnings)
            warnings += std::to_string(warning.instruction) + ": " + warning.text + "\n";
        EXPECT_EQ(expected, warnings) << text;
    }
}

TEST(TexgenProgramText, WrittenFormsCommentsAndTheFormOfAFile) {
    // Hexadecimal numbers, operands and mask letters in any order, the unused
    // flag bit, no channel, Rotate90 counted in turns; written back canonically.
    const TextProgram p = assembleTextureProgram(
        "Checker 2 bgr colour2=#0A0b0C size=8x4 cells=2x1 colour1=#010203\nMirror 2 x mode=0x11\n"
        "Scroll 2 - shift=0x8003\nRotate90 2 rx quarters=4\nTwirl 2 g twist=300\n");
    ASSERT_TRUE(p.ok) << p.describe();
    EXPECT_EQ(program({0x00, 0xE2, 0x67, 0x10, 1,    2,    3,    0x0A, 0x0B, 0x0C, 0x06, 0x12,
                       0x11, 0x08, 0x02, 0x03, 0x80, 0x0B, 0x92, 0x03, 0x0C, 0x42, 0x2C, 0x01}),
              p.bytes);
    EXPECT_EQ(
        "Checker 2 rgb size=8x4 cells=2x1 colour1=#010203 colour2=#0a0b0c\nMirror 2 x mode=0x11\n"
        "Scroll 2 - shift=0x8003\nRotate90 2 rx quarters=4\nTwirl 2 g twist=300\n",
        disassemble(p.bytes));
    // Comments at a line's start or after a blank, blank lines, CR LF, a byte-order mark.
    const TextProgram commented = assembleTextureProgram(
        "\xEF\xBB\xBF# clouds\n\n   \t\nInvert 0 rgb  # a # after a blank\n\t# indented\r\nInvert 0 rgb\r\n");
    ASSERT_TRUE(commented.ok) << commented.describe();
    EXPECT_EQ((std::vector<int>{4, 6}), commented.lines);
    EXPECT_EQ(program({0x14, 0xE0, 0x14, 0xE0}), commented.bytes);
    EXPECT_EQ(Fault::BadMask, assembleTextureProgram("Invert 0 rgb#x\n").fault.fault);  // '#' glued to a word
}

TEST(TexgenProgramText, RefusalsNameLineColumnAndWhichFailure) {
    const std::tuple<const char*, Fault, int, int, const char*> cases[] = {
        {"Invert 0 rgb\nPlasmo 0 rgb\n", Fault::UnknownOperation, 2, 1, "unknown operation 'Plasmo'"},
        {"Invert\n", Fault::MissingLayer, 1, 7, "Invert needs a destination layer 0..5"},
        {"Invert 6 rgb\n", Fault::BadLayer, 1, 8, "destination layer '6' is not 0..5"},
        {"Invert 0\n", Fault::MissingMask, 1, 9, "Invert needs a channel mask"},
        {"Invert 0 rgbr\n", Fault::BadMask, 1, 10, "channel mask 'rgbr' is not r, g, b"},
        {"Blur 0 rgb 50\n", Fault::NotAnOperand, 1, 12, "'50' is not name=value"},
        {"Blur 0 rgb passes=1 radius=3\n", Fault::UnknownOperand, 1, 21, "no operand 'radius' (its operands: passes)"},
        {"Blur 0 rgb passes=1 passes=2\n", Fault::RepeatedOperand, 1, 21, "operand 'passes' is given twice"},
        {"Blur 0 rgb\n", Fault::MissingOperand, 1, 11, "Blur needs passes= (0..255)"},
        {"\xEF\xBB\xBF"
         "Emboss 0 rgb direction=8\n",
         Fault::OutOfRange, 1, 24, "Emboss direction 8 is outside 0..7"},
        {"Blur 0 rgb passes=1e\n", Fault::BadNumber, 1, 19, "Blur passes '1e' is not a number"},
        {"Blur 0 rgb passes=16777216\n", Fault::BadNumber, 1, 19, "Blur passes '16777216' is not a number 0..255"},
        {"Checker 0 rgb size=8x6 cells=1x1 colour1=#123456 colour2=#000000\n", Fault::BadSize, 1, 20, "size '8x6'"},
        {"Checker 0 rgb size=8x8 cells=0x1 colour1=#123456 colour2=#000000\n", Fault::BadCount, 1, 30,
         "cells '0x1' is not AxB"},
        {"Checker 0 rgb size=8x8 cells=1x1 colour1=#12345 colour2=#000000\n", Fault::BadColour, 1, 42,
         "'#12345' is not #rrggbb"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,255:ffffff seed=1\n", Fault::BadColour, 1, 41, "colour 'ffffff'"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,256:#ffffff seed=1\n", Fault::BadRamp, 1, 37, "position 0..255"},
        {"Noise 0 rgb size=8x8 ramp=0:#000000,255:#ffffff,128:#ff0000 seed=1\n", Fault::RampOutOfOrder, 1, 49,
         "stop 3 at position 128 is below the 255"},
        {"Bitmap 0 rgb size=16x2 ones=#ffffff zeros=#000000 bits=800001\n", Fault::BadBits, 1, 56,
         "8 hexadecimal digits"},
        // What only the whole program shows points at the operand that made it.
        {"Checker 0 rgb size=8x4 cells=1x1 colour1=#123456 colour2=#000000\nPixelate 0 rgb exponent=3\n",
         Fault::PixelateTooLarge, 2, 16, "Pixelate block 8 is larger than the 8x4 layer"},
        {"Plasma 0 rgb size=64x64 tiles=1x3 ramp=0:#000000 roughness=1 seed=2\n", Fault::PlasmaTilesNotPow2, 1, 25,
         "Plasma tile count 3 down is not a power of two"},
    };
    for (const auto& [text, fault, line, column, reason] : cases) {
        const TextProgram p = assembleTextureProgram(text);
        SCOPED_TRACE(text);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(fault, p.fault.fault) << p.describe();
        EXPECT_NE(std::string::npos, p.reason.find(reason)) << p.describe();
        EXPECT_EQ("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + p.reason,
                  p.describe());
        EXPECT_TRUE(p.bytes.empty());
    }
}
