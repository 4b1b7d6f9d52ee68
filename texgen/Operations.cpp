// The opcode table and the instruction decoder.
#include "texgen/Operations.h"

namespace texgen {

// Opcode -> name, operand layout (letters as in Operations.h), operation.
// Instruction lengths follow from the layout: 2 bytes of opcode and flags
// plus the operands; c is a ramp's stop count, W and H the decoded size.
constexpr OpInfo kOps[kTextureOpCount] = {
    {TextureOp::Checker,         "Checker",         "sncc",    checker},          // 10
    {TextureOp::Plasma,          "Plasma",          "snrbb",   plasma},           // 7 + 4c
    {TextureOp::RadialGradient,  "RadialGradient",  "srb",     radialGradient},   // 5 + 4c
    {TextureOp::Noise,           "Noise",           "srb",     noise},            // 5 + 4c
    {TextureOp::Bitmap,          "Bitmap",          "sccx",    bitmap},           // 9 + W*H/8
    {TextureOp::SineWaves,       "SineWaves",       "snrbbbbbb", sineWaves},      // 11 + 4c
    {TextureOp::Mirror,          "Mirror",          "b",       mirror},           // 3
    {TextureOp::SineWarp,        "SineWarp",        "bbbbbbb", sineWarp},         // 9
    {TextureOp::Scroll,          "Scroll",          "w",       scroll},           // 4
    {TextureOp::Pixelate,        "Pixelate",        "b",       pixelate},         // 3
    {TextureOp::Jitter,          "Jitter",          "bb",      jitter},           // 4
    {TextureOp::Rotate90,        "Rotate90",        "b",       rotate90},         // 3
    {TextureOp::Twirl,           "Twirl",           "w",       twirl},            // 4
    {TextureOp::Brightness,      "Brightness",      "b",       brightness},       // 3
    {TextureOp::EdgeDarken,      "EdgeDarken",      "",        edgeDarken},       // 2
    {TextureOp::EdgeShade,       "EdgeShade",       "",        edgeShade},        // 2
    {TextureOp::Contrast,        "Contrast",        "b",       contrast},         // 3
    {TextureOp::EdgeDetect,      "EdgeDetect",      "",        edgeDetect},       // 2
    {TextureOp::Emboss,          "Emboss",          "b",       emboss},           // 3
    {TextureOp::Greyscale,       "Greyscale",       "",        greyscale},        // 2
    {TextureOp::Invert,          "Invert",          "",        invert},           // 2
    {TextureOp::Posterize,       "Posterize",       "b",       posterize},        // 3
    {TextureOp::Sharpen,         "Sharpen",         "b",       sharpen},          // 3
    {TextureOp::Add,             "Add",             "l",       add},              // 3
    {TextureOp::Copy,            "Copy",            "l",       copy},             // 3
    {TextureOp::DirectionalBlur, "DirectionalBlur", "lb",      directionalBlur},  // 4
    {TextureOp::DisplaceAdd,     "DisplaceAdd",     "lb",      displaceAdd},      // 4
    {TextureOp::Blend,           "Blend",           "lb",      blend},            // 4
    {TextureOp::Multiply,        "Multiply",        "l",       multiply},         // 3
    {TextureOp::Scatter,         "Scatter",         "lsbb",    scatter},          // 6
    {TextureOp::HardLight,       "HardLight",       "l",       hardLight},        // 3
    {TextureOp::Subtract,        "Subtract",        "l",       subtract},         // 3
    {TextureOp::Blur,            "Blur",            "b",       blur},             // 3
    {TextureOp::BlurHorizontal,  "BlurHorizontal",  "b",       blurHorizontal},   // 3
    {TextureOp::BlurVertical,    "BlurVertical",    "b",       blurVertical},     // 3
};
static_assert(sizeof(kOps) / sizeof(kOps[0]) == 35, "one table row per opcode 0..34");

namespace {

constexpr bool tableInOpcodeOrder() {
    for (int i = 0; i < kTextureOpCount; ++i)
        if (static_cast<int>(kOps[i].op) != i) return false;
    return true;
}

// Reads operand bytes of one instruction; never at or past `end`.
class OperandReader {
public:
    OperandReader(const uint8_t* program, uint32_t offset, uint32_t end)
        : program_(program), offset_(offset), end_(end) {}

    uint32_t offset() const { return offset_; }
    uint32_t remaining() const { return offset_ < end_ ? end_ - offset_ : 0; }
    bool has(uint32_t n) const { return remaining() >= n; }
    uint8_t byte() { return program_[offset_++]; }  // callers check has() first
    const uint8_t* take(uint32_t n) {
        const uint8_t* p = program_ + offset_;
        offset_ += n;
        return p;
    }

private:
    const uint8_t* program_;
    uint32_t offset_;
    uint32_t end_;
};

bool fail(FaultInfo* fault, Fault kind, uint32_t offset, int a = 0, int b = 0, int c = 0) {
    if (fault) *fault = FaultInfo{kind, offset, a, b, c};
    return false;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Limits that depend only on the instruction's own operands.
bool checkOperands(uint8_t opcode, const Operands& in, uint32_t start, FaultInfo* fault) {
    const uint32_t operands = start + 2;
    switch (static_cast<TextureOp>(opcode)) {
    case TextureOp::Plasma:
        if (!isPowerOfTwo(in.countX)) return fail(fault, Fault::PlasmaTilesNotPow2, operands + 1, in.countX, 0);
        if (!isPowerOfTwo(in.countY)) return fail(fault, Fault::PlasmaTilesNotPow2, operands + 1, in.countY, 1);
        if (in.countX > in.width) return fail(fault, Fault::PlasmaTilesTooMany, operands + 1, in.countX, in.width);
        if (in.countY > in.height) return fail(fault, Fault::PlasmaTilesTooMany, operands + 1, in.countY, in.height);
        return true;
    case TextureOp::RadialGradient:
        if (in.byte[0] == 0) return fail(fault, Fault::ZeroSpread, start + 4 + 4 * in.ramp.count);
        return true;
    case TextureOp::Bitmap:
        if (in.width < 8) return fail(fault, Fault::BitmapTooNarrow, operands, in.width);
        return true;
    case TextureOp::Emboss:
        if (in.byte[0] > 7) return fail(fault, Fault::BadEmbossDirection, operands, in.byte[0]);
        return true;
    case TextureOp::Posterize:
        if (in.byte[0] > 8) return fail(fault, Fault::BadPosterizeBits, operands, in.byte[0]);
        return true;
    case TextureOp::BlurHorizontal:
    case TextureOp::BlurVertical:
        if (in.byte[0] == 0) return fail(fault, Fault::ZeroLength, operands, opcode);
        return true;
    case TextureOp::DirectionalBlur:
        if (in.byte[0] == 0) return fail(fault, Fault::ZeroLength, operands + 1, opcode);
        return true;
    default:
        return true;
    }
}

}  // namespace

static_assert(tableInOpcodeOrder(), "row k of the table describes opcode k");

bool decodeInstruction(const uint8_t* program, uint32_t offset, uint32_t end, Instruction* out,
                       FaultInfo* fault) {
    OperandReader in(program, offset, end);
    if (!in.has(1)) return fail(fault, Fault::PastEnd, offset, -1);
    const uint8_t opcode = in.byte();
    if (opcode >= kTextureOpCount) return fail(fault, Fault::BadOpcode, offset, opcode);
    if (!in.has(1)) return fail(fault, Fault::PastEnd, offset, opcode);
    const uint8_t flags = in.byte();
    if ((flags & 15) >= TextureGenerator::kLayerCount)
        return fail(fault, Fault::BadDestination, offset + 1, flags & 15);

    Instruction ins;
    ins.opcode = opcode;
    ins.destination = flags & 15;
    ins.channelMask = ((flags & 0x80) ? 0xFF0000u : 0u) | ((flags & 0x40) ? 0x00FF00u : 0u) |
                      ((flags & 0x20) ? 0x0000FFu : 0u);
    Operands& ops = ins.in;
    int colours = 0, bytes = 0;
    auto missing = [&]() { return fail(fault, Fault::PastEnd, offset, opcode); };
    for (const char* kind = kOps[opcode].operands; *kind; ++kind) {
        const uint32_t at = in.offset();
        switch (*kind) {
        case 's': {
            if (!in.has(1)) return missing();
            const uint8_t size = in.byte();
            const int wCode = size >> 4, hCode = size & 15;
            if (wCode > 9) return fail(fault, Fault::BadSizeCode, at, wCode);
            if (hCode > 9) return fail(fault, Fault::BadSizeCode, at, hCode);
            ops.width = 512 >> wCode;
            ops.height = 512 >> hCode;
            break;
        }
        case 'n': {
            if (!in.has(1)) return missing();
            const uint8_t count = in.byte();
            ops.countX = (count >> 4) + 1;
            ops.countY = (count & 15) + 1;
            break;
        }
        case 'c': {
            if (!in.has(3)) return missing();
            const uint8_t* c = in.take(3);
            ops.colour[colours++] = rgb(c[0], c[1], c[2]);
            break;
        }
        case 'r': {
            if (!in.has(1)) return missing();
            const uint8_t count = in.byte();
            if (count == 0 || count > ColourRamp::kMaxStops) return fail(fault, Fault::BadRampCount, at, count);
            if (!in.has(4u * count)) return missing();
            ops.ramp.count = count;
            const uint8_t* s = in.take(4u * count);
            for (int i = 0; i < count; ++i)
                ops.ramp.stops[i] = RampStop{s[4 * i], s[4 * i + 1], s[4 * i + 2], s[4 * i + 3]};
            break;
        }
        case 'b':
            if (!in.has(1)) return missing();
            ops.byte[bytes++] = in.byte();
            break;
        case 'w': {
            if (!in.has(2)) return missing();
            const uint8_t* w = in.take(2);
            ops.word = static_cast<uint16_t>(w[0] | (w[1] << 8));
            break;
        }
        case 'l': {
            if (!in.has(1)) return missing();
            const uint8_t source = in.byte();
            if (source >= TextureGenerator::kLayerCount) return fail(fault, Fault::BadSource, at, source);
            ops.source = source;
            break;
        }
        case 'x': {
            const uint32_t n = static_cast<uint32_t>(ops.width) * static_cast<uint32_t>(ops.height) / 8;
            if (!in.has(n)) return missing();
            ops.bits = in.take(n);
            break;
        }
        }
    }
    if (!checkOperands(opcode, ops, offset, fault)) return false;
    ins.length = in.offset() - offset;
    if (out) *out = ins;
    if (fault) *fault = FaultInfo{};
    return true;
}

}  // namespace texgen

const char* textureOpName(uint8_t opcode) {
    return opcode < kTextureOpCount ? texgen::kOps[opcode].name : nullptr;
}
