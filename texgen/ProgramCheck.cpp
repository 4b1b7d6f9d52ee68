// Checking a texture program before it runs; every refusal message is here.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/TextureGenerator.h"

namespace texgen {

namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

// A token of the text form as quoted in a message: long ones are cut.
std::string quoted(const std::string& token) {
    return "'" + (token.size() > 40 ? token.substr(0, 37) + "..." : token) + "'";
}

const OperandInfo& operandOf(int opcode, int index) { return kOps[opcode].operands[index]; }

}  // namespace

std::string operandRange(const OperandInfo& operand) {
    switch (operand.kind) {
    case 's': return "WxH, each a power of two 1..512";
    case 'n': return "AxB, each 1..16";
    case 'c': return "#rrggbb";
    case 'r': return "position:#rrggbb,... with 1..16 stops, positions 0..255, none below the one before";
    case 'x': return "hexadecimal, width*height/8 bytes";
    default:
        if (operand.hex) return format("0x%X..0x%X", operand.min, operand.max);
        return format("%d..%d", operand.min, operand.max);
    }
}

std::string faultMessage(const FaultInfo& f) {
    const char* op = textureOpName(static_cast<uint8_t>(f.a));
    const char* opB = textureOpName(static_cast<uint8_t>(f.b));
    switch (f.fault) {
    case Fault::None:
        return "no fault";
    case Fault::ShortProgram:
        return "the program is shorter than its 4-byte length word";
    case Fault::LengthTooLong:
        return format("the length word says %d instruction bytes but only %d follow", f.a, f.b);
    case Fault::TrailingBytes:
        return format("%d bytes follow the end of the program given by its length word", f.a);
    case Fault::BadOpcode:
        return format("opcode %d is above 34", f.a);
    case Fault::BadDestination:
        return format("destination layer %d is above 5", f.a);
    case Fault::BadSource:
        return format("source layer %d is above 5", f.a);
    case Fault::BadSizeCode:
        return format("size code %d is above 9", f.a);
    case Fault::BadRampCount:
        return format("ramp count %d is outside 1..16", f.a);
    case Fault::RampOutOfOrder:
        return format("ramp stop %d at position %d is below the %d before it: ramp positions may not decrease", f.c,
                      f.a, f.b);
    case Fault::PastEnd:
        if (op) return format("%s instruction runs past the end of the program", op);
        return "instruction runs past the end of the program";
    case Fault::PlasmaTilesNotPow2:
        return format("Plasma tile count %d %s is not a power of two", f.a, f.b ? "down" : "across");
    case Fault::PlasmaTilesTooMany:
        return format("Plasma tile count %d exceeds the size %d", f.a, f.b);
    case Fault::PixelateTooLarge:
        return format("Pixelate block %d is larger than the %dx%d layer", f.a, f.b, f.c);
    case Fault::BitmapTooNarrow:
        return format("Bitmap width %d is narrower than 8", f.a);
    case Fault::OutOfRange: {
        const OperandInfo& operand = operandOf(f.b, f.c);
        if (operand.hex)
            return format("%s %s 0x%X is outside %s", opB, operand.name, static_cast<unsigned>(f.a),
                          operandRange(operand).c_str());
        return format("%s %s %d is outside %s", opB, operand.name, f.a, operandRange(operand).c_str());
    }
    case Fault::UnknownOperation:
        return format("unknown operation %s", quoted(f.text).c_str());
    case Fault::MissingLayer:
        return format("%s needs a destination layer 0..5", f.text.c_str());
    case Fault::BadLayer:
        return format("destination layer %s is not 0..5", quoted(f.text).c_str());
    case Fault::MissingMask:
        return format("%s needs a channel mask (rgb, r, gb... or - for none)", f.text.c_str());
    case Fault::BadMask:
        return format("channel mask %s is not r, g, b (each at most once, x for the unused bit) or -",
                      quoted(f.text).c_str());
    case Fault::NotAnOperand:
        return format("%s is not name=value", quoted(f.text).c_str());
    case Fault::UnknownOperand: {
        std::string names;
        for (int k = 0; k < kOps[f.a].operandCount(); ++k) names += std::string(names.empty() ? "" : " ") + kOps[f.a].operands[k].name;
        if (names.empty()) return format("%s takes no operands, %s is one too many", op, quoted(f.text).c_str());
        return format("%s has no operand %s (its operands: %s)", op, quoted(f.text).c_str(), names.c_str());
    }
    case Fault::RepeatedOperand:
        return format("operand %s is given twice", quoted(f.text).c_str());
    case Fault::MissingOperand: {
        const OperandInfo& operand = operandOf(f.a, f.b);
        return format("%s needs %s= (%s)", op, operand.name, operandRange(operand).c_str());
    }
    case Fault::BadNumber: {
        const OperandInfo& operand = operandOf(f.a, f.b);
        return format("%s %s %s is not a number %s", op, operand.name, quoted(f.text).c_str(),
                      operandRange(operand).c_str());
    }
    case Fault::BadSize:
        return format("size %s is not WxH, each a power of two 1..512", quoted(f.text).c_str());
    case Fault::BadCount: {
        const OperandInfo& operand = operandOf(f.a, f.b);
        return format("%s %s %s is not AxB, each 1..16", op, operand.name, quoted(f.text).c_str());
    }
    case Fault::BadColour:
        return format("colour %s is not #rrggbb", quoted(f.text).c_str());
    case Fault::BadRamp:
        return "ramp: " + f.text;
    case Fault::BadBits:
        return format("bits %s: the size needs %d hexadecimal digits", quoted(f.text).c_str(), f.a);
    }
    return "unknown fault";
}

namespace {

ProgramCheck refuse(const FaultInfo& fault, uint32_t length, FaultInfo* out) {
    ProgramCheck check;
    check.ok = false;
    check.offset = fault.offset;
    check.reason = faultMessage(fault);
    check.length = length;
    if (out) *out = fault;
    return check;
}

bool makesItsPicture(TextureOp op) {
    switch (op) {
    case TextureOp::Checker: case TextureOp::Plasma: case TextureOp::RadialGradient: case TextureOp::Noise:
    case TextureOp::Bitmap: case TextureOp::SineWaves: case TextureOp::Scatter: case TextureOp::Copy:
        return true;
    default:
        return false;
    }
}

// Operations that pair the source's pixels with the destination's by their
// index in the layer, whatever the two sizes.
bool pairsPixelsByIndex(TextureOp op) {
    switch (op) {
    case TextureOp::Add: case TextureOp::Subtract: case TextureOp::Multiply: case TextureOp::Blend:
    case TextureOp::HardLight: case TextureOp::DirectionalBlur:
        return true;
    default:
        return false;
    }
}

// What an instruction the checker accepts almost surely does not mean: it
// reads a layer nothing has written, or pairs pixels of layers whose sizes
// do not match. Layer sizes are those before the instruction.
void warnAbout(const Instruction& ins, uint32_t offset, int index, const int32_t* width, const int32_t* height,
               std::vector<ProgramWarning>* warnings) {
    const TextureOp op = static_cast<TextureOp>(ins.opcode);
    const char* name = textureOpName(ins.opcode);
    const int d = ins.destination, s = ins.in.source;
    const bool readsSource = kOps[ins.opcode].readsSource();
    auto empty = [&](int k) { return width[k] == 0 || height[k] == 0; };
    auto warn = [&](const std::string& text) { warnings->push_back(ProgramWarning{offset, index, text}); };
    if (readsSource && empty(s)) warn(format("%s reads layer %d, which nothing has written yet", name, s));
    if (!makesItsPicture(op) && empty(d) && !(readsSource && s == d))
        warn(format("%s works on layer %d, which nothing has written yet", name, d));
    if (!pairsPixelsByIndex(op) || empty(s) || empty(d)) return;
    const int64_t sourcePixels = int64_t(width[s]) * height[s], pixels = int64_t(width[d]) * height[d];
    if (sourcePixels < pixels) {
        const long long first = sourcePixels, all = pixels;
        const std::string what = op == TextureOp::DirectionalBlur
                                     ? format("past its first %lld pixels the angle is 0", first)
                                     : format("only the first %lld of %lld pixels change", first, all);
        warn(format("%s reads layer %d (%dx%d), smaller than layer %d (%dx%d): %s", name, s, width[s], height[s], d,
                    width[d], height[d], what.c_str()));
    } else if (width[s] != width[d]) {
        warn(format("%s reads layer %d (%dx%d) into layer %d (%dx%d) pixel by pixel in order: the rows do not line up",
                    name, s, width[s], height[s], d, width[d], height[d]));
    }
}

}  // namespace

ProgramCheck checkProgram(const uint8_t* bytes, size_t size, FaultInfo* faultOut) {
    if (faultOut) *faultOut = FaultInfo{};
    if (size < 4) return refuse(FaultInfo{Fault::ShortProgram, 0}, 0, faultOut);
    const uint32_t length = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    const uint64_t available = size - 4;
    if (length > available)
        return refuse(FaultInfo{Fault::LengthTooLong, 0, static_cast<int>(std::min<uint64_t>(length, INT32_MAX)),
                                static_cast<int>(std::min<uint64_t>(available, INT32_MAX))},
                      length, faultOut);
    if (length < available)
        return refuse(FaultInfo{Fault::TrailingBytes, 4 + length, static_cast<int>(available - length)}, length, faultOut);

    // Follow every layer's size from the state after reset (0 x 0).
    int32_t width[TextureGenerator::kLayerCount] = {}, height[TextureGenerator::kLayerCount] = {};
    std::vector<ProgramWarning> warnings;
    const uint32_t end = 4 + length;
    uint32_t offset = 4;
    int count = 0;
    while (offset < end) {
        Instruction ins;
        FaultInfo fault;
        if (!decodeInstruction(bytes, offset, end, &ins, &fault)) return refuse(fault, length, faultOut);
        const int d = ins.destination;
        warnAbout(ins, offset, count, width, height, &warnings);
        if (kOps[ins.opcode].ownSize) {
            width[d] = ins.in.width;
            height[d] = ins.in.height;
        }
        switch (static_cast<TextureOp>(ins.opcode)) {
        case TextureOp::Rotate90:
            if ((ins.in.byte[0] & 1) == 0) std::swap(width[d], height[d]);  // t + 1 turns, odd
            break;
        case TextureOp::Copy:
            width[d] = width[ins.in.source];
            height[d] = height[ins.in.source];
            break;
        case TextureOp::Pixelate: {
            // An empty layer samples nothing; otherwise the block must fit.
            const int exponent = ins.in.byte[0];
            const bool empty = width[d] == 0 || height[d] == 0;
            if (!empty && (exponent > 9 || (1 << exponent) > width[d] || (1 << exponent) > height[d]))
                return refuse(FaultInfo{Fault::PixelateTooLarge, offset + 2, exponent > 30 ? INT32_MAX : 1 << exponent,
                                        width[d], height[d]},
                              length, faultOut);
            break;
        }
        default:
            break;
        }
        offset += ins.length;
        ++count;
    }
    ProgramCheck check;
    check.ok = true;
    check.instructions = count;
    check.length = length;
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        check.finalWidth[k] = width[k];
        check.finalHeight[k] = height[k];
    }
    if (count == 0)
        warnings.push_back(ProgramWarning{0, -1, "the program has no instructions: layer 0, the result, stays empty"});
    else if (width[0] == 0 || height[0] == 0)
        warnings.push_back(ProgramWarning{0, -1, "layer 0, the result, ends empty (0x0)"});
    check.warnings = std::move(warnings);
    return check;
}

}  // namespace texgen

ProgramCheck checkTextureProgram(const uint8_t* bytes, size_t size) { return texgen::checkProgram(bytes, size, nullptr); }

std::string ProgramCheck::describe() const {
    char text[160];
    if (ok)
        std::snprintf(text, sizeof text, "ok: %d instruction%s in %u bytes, layer 0 ends %dx%d", instructions,
                      instructions == 1 ? "" : "s", length, finalWidth[0], finalHeight[0]);
    else
        std::snprintf(text, sizeof text, "byte %u: %s", offset, reason.c_str());
    return text;
}

namespace {

// The show's one texture program: two plasma clouds from seed 61, the grey one
// displacing and brightening the blue one, inverted to golden rims on brown.
const uint8_t kStoredProgram[52] = {
    0x30, 0x00, 0x00, 0x00,  // 48 instruction bytes
    0x01, 0xE0, 0x11, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x20, 0x3D,  // Plasma 0: white..black, rough 32
    0x20, 0xE0, 0x32,                                                                    // Blur 0, 50 passes
    0x01, 0xE1, 0x11, 0x00, 0x02, 0x00, 0x33, 0x66, 0xCC, 0xFF, 0x00, 0x00, 0x00, 0x32, 0x3D,  // Plasma 1: blue..black, rough 50
    0x20, 0xE1, 0x1E,                                                                    // Blur 1, 30 passes
    0x1A, 0xE1, 0x00, 0x04,                                                              // DisplaceAdd 1 from 0, strength 4
    0x14, 0xE1,                                                                          // Invert 1
    0x16, 0xE1, 0x01,                                                                    // Sharpen 1, one pass
    0x18, 0xE0, 0x01,                                                                    // Copy 1 into 0
};

}  // namespace

const uint8_t* storedTextureProgram() { return kStoredProgram; }
size_t storedTextureProgramSize() { return sizeof kStoredProgram; }
