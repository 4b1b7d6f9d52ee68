// Checking a texture program before it runs; every refusal message is here.
#include <cstdio>

#include "texgen/Operations.h"

namespace texgen {

std::string faultMessage(const FaultInfo& f) {
    char text[160];
    const char* op = textureOpName(static_cast<uint8_t>(f.a));
    switch (f.fault) {
    case Fault::None:
        return "no fault";
    case Fault::ShortProgram:
        return "the program is shorter than its 4-byte length word";
    case Fault::LengthTooLong:
        std::snprintf(text, sizeof text, "the length word says %d instruction bytes but only %d follow", f.a, f.b);
        break;
    case Fault::TrailingBytes:
        std::snprintf(text, sizeof text, "%d bytes follow the end of the program given by its length word", f.a);
        break;
    case Fault::BadOpcode:
        std::snprintf(text, sizeof text, "opcode %d is above 34", f.a);
        break;
    case Fault::BadDestination:
        std::snprintf(text, sizeof text, "destination layer %d is above 5", f.a);
        break;
    case Fault::BadSource:
        std::snprintf(text, sizeof text, "source layer %d is above 5", f.a);
        break;
    case Fault::BadSizeCode:
        std::snprintf(text, sizeof text, "size code %d is above 9", f.a);
        break;
    case Fault::BadRampCount:
        std::snprintf(text, sizeof text, "ramp count %d is outside 1..16", f.a);
        break;
    case Fault::PastEnd:
        if (op)
            std::snprintf(text, sizeof text, "%s instruction runs past the end of the program", op);
        else
            std::snprintf(text, sizeof text, "instruction runs past the end of the program");
        break;
    case Fault::PlasmaTilesNotPow2:
        std::snprintf(text, sizeof text, "Plasma tile count %d %s is not a power of two", f.a,
                      f.b ? "down" : "across");
        break;
    case Fault::PlasmaTilesTooMany:
        std::snprintf(text, sizeof text, "Plasma tile count %d exceeds the size %d", f.a, f.b);
        break;
    case Fault::PixelateTooLarge:
        std::snprintf(text, sizeof text, "Pixelate block %d is larger than the %dx%d layer", f.a, f.b, f.c);
        break;
    case Fault::ZeroLength:
        std::snprintf(text, sizeof text, "%s length 0", op ? op : "blur");
        break;
    case Fault::BadEmbossDirection:
        std::snprintf(text, sizeof text, "Emboss direction %d is above 7", f.a);
        break;
    case Fault::BitmapTooNarrow:
        std::snprintf(text, sizeof text, "Bitmap width %d is narrower than 8", f.a);
        break;
    case Fault::ZeroSpread:
        return "RadialGradient spread 0";
    case Fault::BadPosterizeBits:
        std::snprintf(text, sizeof text, "Posterize bits %d is above 8", f.a);
        break;
    }
    return text;
}

}  // namespace texgen

using namespace texgen;

namespace {

ProgramCheck refuse(const FaultInfo& fault, uint32_t length) {
    ProgramCheck check;
    check.ok = false;
    check.offset = fault.offset;
    check.reason = faultMessage(fault);
    check.length = length;
    return check;
}

}  // namespace

ProgramCheck checkTextureProgram(const uint8_t* bytes, size_t size) {
    if (size < 4) return refuse(FaultInfo{Fault::ShortProgram, 0}, 0);
    const uint32_t length = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    const uint64_t available = size - 4;
    if (length > available)
        return refuse(FaultInfo{Fault::LengthTooLong, 0, static_cast<int>(std::min<uint64_t>(length, INT32_MAX)),
                                static_cast<int>(std::min<uint64_t>(available, INT32_MAX))},
                      length);
    if (length < available)
        return refuse(FaultInfo{Fault::TrailingBytes, 4 + length, static_cast<int>(available - length)}, length);

    // Follow every layer's size from the state after reset (0 x 0).
    int32_t width[TextureGenerator::kLayerCount] = {}, height[TextureGenerator::kLayerCount] = {};
    const uint32_t end = 4 + length;
    uint32_t offset = 4;
    int count = 0;
    while (offset < end) {
        Instruction ins;
        FaultInfo fault;
        if (!decodeInstruction(bytes, offset, end, &ins, &fault)) return refuse(fault, length);
        const int d = ins.destination;
        switch (static_cast<TextureOp>(ins.opcode)) {
        case TextureOp::Checker:
        case TextureOp::Plasma:
        case TextureOp::RadialGradient:
        case TextureOp::Noise:
        case TextureOp::Bitmap:
        case TextureOp::SineWaves:
        case TextureOp::Scatter:
            width[d] = ins.in.width;
            height[d] = ins.in.height;
            break;
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
                              length);
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
    return check;
}

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
