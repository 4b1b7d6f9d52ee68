#pragma once
// Texture programs: byte format, opcodes, the checker and the one program
// stored in the show.
//
// Format: a 4-byte little-endian length L, then L bytes of instructions back
// to back. Each instruction is
//   byte 0  opcode 0..34 (TextureOp)
//   byte 1  flags: bit 7 write red, bit 6 green, bit 5 blue, bit 4 unused,
//           bits 0-3 destination layer 0..5
//   byte 2… operands, laid out per opcode (see the table in texgen/Operations.cpp).
// Byte offsets below always count from the start of the program, length word
// included, so the first instruction is at offset 4.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TextureOp : uint8_t {
    Checker, Plasma, RadialGradient, Noise, Bitmap, SineWaves,
    Mirror, SineWarp, Scroll, Pixelate, Jitter, Rotate90, Twirl,
    Brightness, EdgeDarken, EdgeShade, Contrast, EdgeDetect, Emboss,
    Greyscale, Invert, Posterize, Sharpen,
    Add, Copy, DirectionalBlur, DisplaceAdd, Blend, Multiply, Scatter, HardLight, Subtract,
    Blur, BlurHorizontal, BlurVertical,
};
constexpr int kTextureOpCount = 35;

// Name of an opcode ("Plasma"), or nullptr above 34.
const char* textureOpName(uint8_t opcode);

// A program the checker accepts may still do what is almost surely not meant:
// read a layer nothing has written, combine layers of sizes that do not
// match, leave the result empty.
struct ProgramWarning {
    uint32_t offset = 0;   // the instruction's first byte; 0 for the program as a whole
    int instruction = -1;  // which instruction, from 0; -1 for the program as a whole
    std::string text;      // e.g. "Add reads layer 2, which nothing has written yet"
};

// Outcome of checking a program before it runs.
struct ProgramCheck {
    bool ok = false;
    uint32_t offset = 0;           // refused: byte offset of the offending byte
    std::string reason;            // refused: why, e.g. "size code 10 is above 9"
    int instructions = 0;          // accepted: number of instructions
    uint32_t length = 0;           // the length word L
    int32_t finalWidth[6] = {};    // accepted: layer sizes at the end of a run
    int32_t finalHeight[6] = {};
    std::vector<ProgramWarning> warnings;  // accepted: in program order, the program as a whole last

    // "byte 21: ramp count 0 is outside 1..16" or the one-line summary.
    std::string describe() const;
};

// Walks a whole program (length word + instructions, size bytes available)
// and refuses anything outside the format. Layer sizes are followed from the
// state after reset, so size-dependent limits (Pixelate) are checked too.
ProgramCheck checkTextureProgram(const uint8_t* bytes, size_t size);

// The program stored in the show (52 bytes): clouds with golden rims, 256x256.
const uint8_t* storedTextureProgram();
size_t storedTextureProgramSize();
