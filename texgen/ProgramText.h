#pragma once
// The text form of texture programs: what people write and read.
//
//   # comment (at line start, or after a blank anywhere in a line)
//   Plasma 0 rgb size=256x256 tiles=1x1 ramp=0:#ffffff,255:#000000 roughness=32 seed=61
//   Blur 0 rgb passes=50
//
// One instruction a line: the operation's name, the destination layer 0..5,
// the channel mask (letters r, g, b each at most once, x for the flag bit
// that carries nothing, or - for none), then every operand of the operation
// as name=value in any order. Operand names, layouts and ranges come from the
// opcode table (kOps): sizes WxH, counts AxB, colours #rrggbb, ramps
// position:#rrggbb,... (positions never decreasing), numbers in decimal or 0x hexadecimal, Bitmap bits in
// hexadecimal. Blank lines are allowed, and so is a UTF-8 byte-order mark at
// the very start (columns count from after it).
//
// disassemble then assemble gives back the same bytes for every program the
// checker accepts; text that would make a refused program is refused with the
// line, the column and the reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "texgen/ProgramFault.h"
#include "texgen/TextureProgram.h"

struct TextProgram {
    bool ok = false;
    std::vector<uint8_t> bytes;  // accepted: length word + instructions
    std::vector<int> lines;      // accepted: the line of each instruction
    texgen::FaultInfo fault;     // refused: which failure (its offset means nothing here)
    int line = 0, column = 0;    // refused: where, both counted from 1
    std::string reason;          // refused: faultMessage(fault)

    // "line 3, column 14: Emboss direction 9 is outside 0..7", or for an
    // accepted program the checker's one-line summary.
    std::string describe() const;
};

TextProgram assembleTextureProgram(const std::string& text);

// The text form of a program the checker accepts, one instruction a line.
// A refused program gives false, and *check (when given) says why.
bool disassembleTextureProgram(const uint8_t* bytes, size_t size, std::string* text,
                               ProgramCheck* check = nullptr);

// Text or bytes? A byte program's length word has a zero byte for every
// program below 16 MiB; the text form never holds one.
bool isTextProgram(const uint8_t* bytes, size_t size);
