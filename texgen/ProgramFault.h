#pragma once
// Why a texture program, or a line of its text form, is refused: the kind of
// fault with its values. The checker (texgen/TextureProgram.h) and the text
// form (texgen/ProgramText.h) report these; faultMessage turns one into the
// sentence they show.
#include <cstdint>
#include <string>

namespace texgen {

// Every message is made by faultMessage in ProgramCheck.cpp.
enum class Fault : uint8_t {
    None,
    // Byte programs
    ShortProgram,        // fewer than 4 bytes: no length word
    LengthTooLong,       // a = L, b = bytes after the length word
    TrailingBytes,       // a = bytes after the program's end
    BadOpcode,           // a = opcode
    BadDestination,      // a = index
    BadSource,           // a = index
    BadSizeCode,         // a = code
    BadRampCount,        // a = count
    RampOutOfOrder,      // a = position, b = the stop before's position, c = stop number from 1
    PastEnd,             // a = opcode (-1 when not even that is there)
    PlasmaTilesNotPow2,  // a = count, b = 0 across / 1 down
    PlasmaTilesTooMany,  // a = count, b = size
    PixelateTooLarge,    // a = block, b = width, c = height
    BitmapTooNarrow,     // a = width
    OutOfRange,          // a = value (text units), b = opcode, c = operand index
    // Text form; text = the offending token
    UnknownOperation,    // text = the word
    MissingLayer,        // text = operation
    BadLayer,            // text = the token
    MissingMask,         // text = operation
    BadMask,             // text = the token
    NotAnOperand,        // text = the token (no name=value)
    UnknownOperand,      // text = name, a = opcode
    RepeatedOperand,     // text = name
    MissingOperand,      // a = opcode, b = operand index
    BadNumber,           // text = value, a = opcode, b = operand index
    BadSize,             // text = value
    BadCount,            // text = value, a = opcode, b = operand index
    BadColour,           // text = value
    BadRamp,             // text = what is wrong in the ramp
    BadBits,             // text = value, a = hex digits expected
};

struct FaultInfo {
    Fault fault = Fault::None;
    uint32_t offset = 0;  // offending byte, from the start of the program
    int a = 0, b = 0, c = 0;
    std::string text = {};
};

std::string faultMessage(const FaultInfo& fault);

}  // namespace texgen
