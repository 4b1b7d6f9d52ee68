// The opcode table and the instruction decoder.
#include "texgen/Operations.h"

#include "texgen/TextureGenerator.h"

namespace texgen {

namespace {

constexpr bool kOwnSize = true;

// Operand rows of the table, by kind (letters as in Operations.h).
constexpr OperandInfo size(const char* meaning = "width x height of the new picture") {
    return {'s', "size", 1, 512, 0, false, meaning};
}
constexpr OperandInfo count(const char* name, const char* meaning) { return {'n', name, 1, 16, 0, false, meaning}; }
constexpr OperandInfo colour(const char* name, const char* meaning) { return {'c', name, 0, 0, 0, false, meaning}; }
constexpr OperandInfo ramp() { return {'r', "ramp", 1, 16, 0, false, "colours the values 0..1 (1..16 stops)"}; }
constexpr OperandInfo byte(const char* name, const char* meaning, int32_t min = 0, int32_t max = 255) {
    return {'b', name, min, max, 0, false, meaning};
}
constexpr OperandInfo flagByte(const char* name, const char* meaning) { return {'b', name, 0, 255, 0, true, meaning}; }
constexpr OperandInfo word(const char* name, const char* meaning, bool hex) {
    return {'w', name, 0, 65535, 0, hex, meaning};
}
constexpr OperandInfo source() { return {'l', "source", 0, 5, 0, false, "the layer read"}; }
constexpr OperandInfo bits() { return {'x', "bits", 0, 0, 0, true, "width*height bits, rows top first, MSB leftmost"}; }

}  // namespace

// Opcode -> name, operands in byte order, operation, summary. Instruction
// lengths follow from the operands: 2 bytes of opcode and flags plus the
// operands; c is a ramp's stop count, W and H the decoded size.
constexpr OpInfo kOps[kTextureOpCount] = {
    {TextureOp::Checker, "Checker",
     {size(), count("cells", "board cells across x down, each 2x2 squares"), colour("colour1", "top-left square"),
      colour("colour2", "the other colour")},
     checker, "a board of 2*cells squares in two colours", kOwnSize},  // 10
    {TextureOp::Plasma, "Plasma",
     {size(), count("tiles", "repeats across x down (1, 2, 4, 8 or 16)"), ramp(),
      byte("roughness", "how much fine detail survives"), byte("seed", "random sequence")},
     plasma, "tileable fractal clouds", kOwnSize},  // 7 + 4c
    {TextureOp::RadialGradient, "RadialGradient",
     {size(), ramp(), byte("spread", "128: the ramp ends at half the width", 1, 255)},
     radialGradient, "ramp by squared distance from the centre", kOwnSize},  // 5 + 4c
    {TextureOp::Noise, "Noise", {size(), ramp(), byte("seed", "random sequence")}, noise,
     "a random ramp value per pixel", kOwnSize},  // 5 + 4c
    {TextureOp::Bitmap, "Bitmap",
     {size("width (8 or more) x height"), colour("ones", "colour of 1 bits"), colour("zeros", "colour of 0 bits"),
      bits()},
     bitmap, "a 1-bit picture in two colours", kOwnSize},  // 9 + W*H/8
    {TextureOp::SineWaves, "SineWaves",
     {size(), count("frequency", "waves across x down"), ramp(), byte("bend1", "first wave bent by sin x (/64)"),
      byte("amp1", "first wave amplitude (/64)"), byte("bend2", "second wave bent by sin y (/64)"),
      byte("amp2", "second wave amplitude (/64)"), byte("phase1", "first wave phase (/256 turn)"),
      byte("phase2", "second wave phase (/256 turn)")},
     sineWaves, "two bent sine waves through the ramp", kOwnSize},  // 11 + 4c
    {TextureOp::Mirror, "Mirror", {flagByte("mode", "0x10 flips left-right, 0x01 top-bottom")}, mirror,
     "flips the picture"},  // 3
    {TextureOp::SineWarp, "SineWarp",
     {byte("bend1", "first wave bent by sin x (/64)"), byte("amp1", "first wave amplitude (/64)"),
      byte("bend2", "second wave bent by sin y (/64)"), byte("amp2", "second wave amplitude (/64)"),
      byte("phase1", "first wave phase (/256 turn)"), byte("phase2", "second wave phase (/256 turn)"),
      byte("radius", "displacement in pixels")},
     sineWarp, "moves pixels along a direction from two sine waves"},  // 9
    {TextureOp::Scroll, "Scroll",
     {word("shift", "bits 15-14 direction (0 up, 1 down, 2 left, 3 right), bits 13-0 pixels", true)}, scroll,
     "shifts the picture with wrap-around"},  // 4
    {TextureOp::Pixelate, "Pixelate", {byte("exponent", "blocks of 2^exponent pixels", 0, 9)}, pixelate,
     "fills blocks with their centre pixel"},  // 3
    {TextureOp::Jitter, "Jitter", {byte("seed", "random sequence"), byte("amount", "largest offset in pixels")},
     jitter, "takes each pixel from a random nearby place"},  // 4
    {TextureOp::Rotate90, "Rotate90", {{'b', "quarters", 1, 256, 1, false, "quarter turns"}}, rotate90,
     "turns the picture by quarter turns"},  // 3
    {TextureOp::Twirl, "Twirl", {word("twist", "128: none; above turns one way, below the other", false)}, twirl,
     "swirls the inscribed disc"},  // 4
    {TextureOp::Brightness, "Brightness", {byte("level", "128: no change")}, brightness,
     "adds level - 128 to each channel"},  // 3
    {TextureOp::EdgeDarken, "EdgeDarken", {}, edgeDarken, "darkens along edges"},    // 2
    {TextureOp::EdgeShade, "EdgeShade", {}, edgeShade, "brightens flat areas, darkens edges"},  // 2
    {TextureOp::Contrast, "Contrast", {byte("level", "128: no change, 0: a third, 255: about 3x")}, contrast,
     "scales each channel around 128"},  // 3
    {TextureOp::EdgeDetect, "EdgeDetect", {}, edgeDetect, "bright edges on black"},  // 2
    {TextureOp::Emboss, "Emboss", {byte("direction", "0..7, the light's side", 0, 7)}, emboss,
     "relief on mid grey"},  // 3
    {TextureOp::Greyscale, "Greyscale", {}, greyscale, "average of the three channels"},  // 2
    {TextureOp::Invert, "Invert", {}, invert, "complements every channel"},  // 2
    {TextureOp::Posterize, "Posterize", {byte("bits", "low bits cleared in each channel", 0, 8)}, posterize,
     "fewer levels per channel"},  // 3
    {TextureOp::Sharpen, "Sharpen", {byte("passes", "times it is applied")}, sharpen,
     "sharpens against the four neighbours"},  // 3
    {TextureOp::Add, "Add", {source()}, add, "adds the source, saturating"},    // 3
    {TextureOp::Copy, "Copy", {source()}, copy, "takes the source's picture and size"},  // 3
    {TextureOp::DirectionalBlur, "DirectionalBlur",
     {source(), byte("length", "samples along the line", 1, 255)}, directionalBlur,
     "blurs along an angle given by the source's brightness"},  // 4
    {TextureOp::DisplaceAdd, "DisplaceAdd", {source(), byte("strength", "offset per grey step (/4)")}, displaceAdd,
     "adds the source, looked up by the picture's own gradient"},  // 4
    {TextureOp::Blend, "Blend", {source(), byte("weight", "0: the picture, 255: the source")}, blend,
     "mixes in the source"},  // 4
    {TextureOp::Multiply, "Multiply", {source()}, multiply, "multiplies by the source"},  // 3
    {TextureOp::Scatter, "Scatter",
     {source(), size("width x height of the new picture"), byte("seed", "random sequence"),
      byte("count", "stamps of the source")},
     scatter, "stamps the source at random places, adding up", kOwnSize},  // 6
    {TextureOp::HardLight, "HardLight", {source()}, hardLight, "hard-light blend with the source"},  // 3
    {TextureOp::Subtract, "Subtract", {source()}, subtract, "subtracts the source, down to 0"},  // 3
    {TextureOp::Blur, "Blur", {byte("passes", "times it is applied")}, blur, "soft blur, 5-pixel cross"},  // 3
    {TextureOp::BlurHorizontal, "BlurHorizontal", {byte("length", "pixels averaged", 1, 255)}, blurHorizontal,
     "box blur along rows"},  // 3
    {TextureOp::BlurVertical, "BlurVertical", {byte("length", "pixels averaged", 1, 255)}, blurVertical,
     "box blur along columns"},  // 3
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

bool inRange(const OperandInfo& operand, int stored) {
    const int value = stored + operand.bias;
    return value >= operand.min && value <= operand.max;
}

bool outOfRange(FaultInfo* fault, uint32_t at, const OperandInfo& operand, int stored, int opcode, int index) {
    return fail(fault, Fault::OutOfRange, at, stored + operand.bias, opcode, index);
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
    case TextureOp::Bitmap:
        if (in.width < 8) return fail(fault, Fault::BitmapTooNarrow, operands, in.width);
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
    const OpInfo& info = kOps[opcode];
    for (int k = 0; k < info.operandCount(); ++k) {
        const OperandInfo& operand = info.operands[k];
        const uint32_t at = in.offset();
        switch (operand.kind) {
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
            for (int i = 1; i < count; ++i)  // a lower position would hide stops from colourAt
                if (s[4 * i] < s[4 * (i - 1)])
                    return fail(fault, Fault::RampOutOfOrder, at + 1 + 4 * i, s[4 * i], s[4 * (i - 1)], i + 1);
            for (int i = 0; i < count; ++i)
                ops.ramp.stops[i] = RampStop{s[4 * i], s[4 * i + 1], s[4 * i + 2], s[4 * i + 3]};
            break;
        }
        case 'b': {
            if (!in.has(1)) return missing();
            const uint8_t value = in.byte();
            if (!inRange(operand, value)) return outOfRange(fault, at, operand, value, opcode, k);
            ops.byte[bytes++] = value;
            break;
        }
        case 'w': {
            if (!in.has(2)) return missing();
            const uint8_t* w = in.take(2);
            ops.word = static_cast<uint16_t>(w[0] | (w[1] << 8));
            if (!inRange(operand, ops.word)) return outOfRange(fault, at, operand, ops.word, opcode, k);
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
