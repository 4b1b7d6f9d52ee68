#pragma once
// Internals of the texture generator: decoded operands, the operation table,
// the instruction decoder and the helpers shared by the operation families.
//
// Conventions of every operation
// - Layers hold 0x00RRGGBB words; a channel rule applies to red, green and
//   blue separately, each an integer 0..255; results leave bits 24-31 at 0.
// - w, h are the destination's width and height (powers of two); to wrap x
//   means x & (w - 1), to wrap y means y & (h - 1), also for negative x, y.
// - Values called single are float and are stored as float between steps;
//   arithmetic on them is done in double. Float-to-int conversions truncate
//   toward zero, integer divisions too.
// - Operations that read neighbours compute into a temporary from the layer
//   as it was before the operation, then copy the result back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "texgen/ColourRamp.h"
#include "texgen/Layer.h"
#include "texgen/ProgramFault.h"
#include "texgen/TextureProgram.h"

namespace texgen {

// Operands of one instruction, decoded from its bytes.
struct Operands {
    int width = 0, height = 0;  // size byte: 512 >> code for each nibble
    int countX = 0, countY = 0; // count byte: each nibble + 1 (1..16)
    uint32_t colour[2] = {};    // colour operands in order, 0x00RRGGBB
    ColourRamp ramp;
    uint8_t byte[8] = {};       // plain byte operands in order
    uint16_t word = 0;          // little-endian word operand
    int source = 0;             // source layer index 0..5
    const uint8_t* bits = nullptr;  // Bitmap: width*height/8 bytes, row by row
};

// Every operation: destination layer, source layer (the destination itself
// for one-layer operations) and the decoded operands.
using Operation = void (*)(Layer& dst, const Layer& src, const Operands& in);

// One operand of an instruction: how it is laid out after the flag byte and
// how the text form names and writes it. `kind` letters:
//   s size byte (1): text WxH, each a power of two 1..512
//   n count byte (1): text AxB, each 1..16 (a nibble + 1)
//   c colour (3): text #rrggbb
//   r ramp (1 + 4 stops): text position:#rrggbb,... with 1..16 stops
//   b byte (1)   w word (2, little-endian)   l source layer (1, 0..5)
//   x bitmap bits (width*height/8 bytes, after the size byte): text in hex
// For b, w and l the value written in the text is the stored value plus
// `bias`, and must lie in min..max (in text units); the checker refuses a
// stored value outside that range too.
struct OperandInfo {
    char kind = 0;            // 0 ends the operand list
    const char* name = "";    // text form: name=value
    int32_t min = 0, max = 0; // allowed text values (b, w, l)
    int32_t bias = 0;         // text value = stored value + bias
    bool hex = false;         // the text form writes the value in hexadecimal
    const char* meaning = ""; // one line for the reference
};

constexpr int kMaxOperands = 9;  // SineWaves: size, frequency, ramp, six bytes

// One row of the opcode table: name, operands in byte order, operation.
struct OpInfo {
    TextureOp op;
    const char* name;
    OperandInfo operands[kMaxOperands];
    Operation run;
    const char* summary;  // what it does, one line for the reference
    // The operation makes a picture of its own size (its size operand's),
    // which the destination layer takes; the others keep the layer's size,
    // or take it from the source (Copy) or turn it (Rotate90).
    bool ownSize = false;

    int operandCount() const {
        int n = 0;
        while (n < kMaxOperands && operands[n].kind != 0) ++n;
        return n;
    }
    bool readsSource() const { return operands[0].kind == 'l'; }
};

extern const OpInfo kOps[kTextureOpCount];

// The values an operand takes in the text form: "0..255", "WxH, each...".
std::string operandRange(const OperandInfo& operand);

// checkTextureProgram with the fault itself (kind, offset, values).
ProgramCheck checkProgram(const uint8_t* bytes, size_t size, FaultInfo* fault);

// A decoded instruction.
struct Instruction {
    uint8_t opcode = 0;
    uint32_t channelMask = 0;  // 0x00RRGGBB bits to write
    int destination = 0;
    Operands in;
    uint32_t length = 0;       // bytes, opcode and flags included
};

// Decodes the instruction at `offset` of a program whose instructions end at
// `end` (an offset). Refuses what is outside the format and what can be
// judged from the instruction alone; reads no byte at or past `end`.
bool decodeInstruction(const uint8_t* program, uint32_t offset, uint32_t end, Instruction* out,
                       FaultInfo* fault);

// Pixel helpers.
inline int red(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int green(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
inline uint32_t rgb(int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}
inline int clampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
// Floor division by 4 of a possibly negative value (an arithmetic shift by 2).
inline int floorDiv4(int v) { return v >> 2; }  // GCC and Clang shift signed values arithmetically
inline size_t pixelCount(const Layer& layer) {
    return static_cast<size_t>(layer.width) * static_cast<size_t>(layer.height);
}

// A ramp prepared once for colouring many values (stop positions scaled,
// differences of neighbouring positions and stop colours as doubles taken
// ahead). colourAt gives exactly ColourRamp::colourAt: the same operations
// on the same doubles.
class ScaledRamp {
public:
    explicit ScaledRamp(const ColourRamp& ramp);

    uint32_t colourAt(float t) const {
        const double u = position(t);
        const int i = stopAbove(u);
        if (i == 0) return rgb_[0];
        // Past the last stop (only when it lies below 255, or u is not a
        // number): hold the last stop's colour.
        if (i == n_) return rgb_[n_ - 1];
        const double f = (u - at_[i - 1]) / span_[i];
        const double* p = channels_[i - 1];
        const double* q = channels_[i];
        auto mix = [f](double from, double to) { return static_cast<int>(from * (1.0 - f) + to * f); };
        return rgb(mix(p[0], q[0]), mix(p[1], q[1]), mix(p[2], q[2]));
    }

    // out[k] = colourAt(t[k]) for k < count; pairs of values that both lie
    // between two stops are mixed side by side (the same double operations).
    void colourRow(const float* t, uint32_t* out, int count) const;

private:
    // The fraction of |t| that picks the colour.
    static double position(float t) {
        const double a = std::fabs(static_cast<double>(t));
        // Below 1 the whole part is +0, and a - 0 is a (a float already).
        return a < 1.0 ? a : static_cast<float>(a - std::trunc(a));
    }
    // The first stop at or above u (n_ when none is).
    int stopAbove(double u) const {
        int i = 0;
        while (i < n_ && !(at_[i] >= u)) ++i;
        return i;
    }

    int n_;
    double at_[ColourRamp::kMaxStops];           // position * (1.0f / 255) of each stop
    double span_[ColourRamp::kMaxStops] = {};    // at_[i] - at_[i - 1]
    double channels_[ColourRamp::kMaxStops][3];  // red, green, blue of each stop
    uint32_t rgb_[ColourRamp::kMaxStops];        // each stop's colour as a pixel
};

// The operations, one line of maths each; families in their own sources.
// Ramp and plasma (RampPlasma.cpp)
void plasma(Layer&, const Layer&, const Operands&);          // midpoint-displacement fractal -> ramp
// Patterns (Patterns.cpp)
void checker(Layer&, const Layer&, const Operands&);         // A where (fx<.5)==(fy<.5), else B
void radialGradient(Layer&, const Layer&, const Operands&);  // ramp(min(r²/area·128/k, .99999))
void noise(Layer&, const Layer&, const Operands&);           // ramp(next()/32767) per pixel
void bitmap(Layer&, const Layer&, const Operands&);          // bit 1 -> colour 1, bit 0 -> colour 2
void sineWaves(Layer&, const Layer&, const Operands&);       // ramp(A1 sin(A0 sin vx+P4+vy) + A3 sin(vx+P5+S2))
// Transforms (Transforms.cpp)
void mirror(Layer&, const Layer&, const Operands&);          // flip x (0x10), then y (0x01)
void sineWarp(Layer&, const Layer&, const Operands&);        // 2x2 average at p + G(cos 2πs, sin 2πs)
void scroll(Layer&, const Layer&, const Operands&);          // out(x,y) = in(x+dx, y+dy)
void pixelate(Layer&, const Layer&, const Operands&);        // out(x,y) = in((x&~(B-1))+B/2, …)
void jitter(Layer&, const Layer&, const Operands&);          // out(x,y) = in(x+rand·a, y+rand·a)
void rotate90(Layer&, const Layer&, const Operands&);        // t+1 quarter turns: out(x,y) = in(W-1-y, x)
void twirl(Layer&, const Layer&, const Operands&);           // rotate by φ(r) inside the inscribed disc
// Filters (Filters.cpp)
void brightness(Layer&, const Layer&, const Operands&);      // c = sat(c + b - 128)
void edgeDarken(Layer&, const Layer&, const Operands&);      // c = c·t >> 8, t = (765 - Σ gradient/2)/3
void edgeShade(Layer&, const Layer&, const Operands&);       // c = min(c·t/192, 255), t = (765 - 2Σ gradient)/3
void contrast(Layer&, const Layer&, const Operands&);        // c = sat(trunc((c - 128)·f) + 128)
void edgeDetect(Layer&, const Layer&, const Operands&);      // c = (|U-D| + |L-R|) >> 1
void emboss(Layer&, const Layer&, const Operands&);          // c = sat(128 + Σ ahead - Σ behind)
void greyscale(Layer&, const Layer&, const Operands&);       // c = (r + g + b) / 3
void invert(Layer&, const Layer&, const Operands&);          // p = ~p
void posterize(Layer&, const Layer&, const Operands&);       // c = c & ~((1 << n) - 1)
void sharpen(Layer&, const Layer&, const Operands&);         // c = sat(2C - U/4 - D/4 - L/4 - R/4), n passes
void blur(Layer&, const Layer&, const Operands&);            // c = (4C + L + R + U + D) >> 3, n passes
void blurHorizontal(Layer&, const Layer&, const Operands&);  // c = Σ n samples along x / n
void blurVertical(Layer&, const Layer&, const Operands&);    // c = Σ n samples along y / n
// Combiners (Combiners.cpp); the source is the second layer
void add(Layer&, const Layer&, const Operands&);             // d = min(d + s, 255)
void copy(Layer&, const Layer&, const Operands&);            // d = s, size too
void directionalBlur(Layer&, const Layer&, const Operands&); // d = mean of n samples along angle(s)
void displaceAdd(Layer&, const Layer&, const Operands&);     // d = min(d + S(x+k·∇x/4, y+k·∇y/4), 255)
void blend(Layer&, const Layer&, const Operands&);           // d = (s·a + d·(255 - a)) / 255
void multiply(Layer&, const Layer&, const Operands&);        // d = s·d / 255
void scatter(Layer&, const Layer&, const Operands&);         // m random stamps of s, added with saturation
void hardLight(Layer&, const Layer&, const Operands&);       // s>=128: d + (255-d)(s-128)2/255, else s·d >> 7
void subtract(Layer&, const Layer&, const Operands&);        // d = max(d - s, 0)

}  // namespace texgen
