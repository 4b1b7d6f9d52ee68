// Random programs made from the opcode table's operand ranges: the checker
// accepts every one, each runs without a fault, and the result is the same
// bytes in a second run and in a second generator; the text form gives the
// same bytes back. Fixed seed and count, so every run tests the same
// programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/ProgramText.h"
#include "texgen/TextureGenerator.h"

namespace {

using namespace texgen;

// Sizes up to 64x64 (codes 3..9) keep a few hundred programs of up to 255
// blur passes fast; the size arithmetic is the same at every code.
constexpr int kLargestSizeCode = 3;
constexpr int kPrograms = 300;
constexpr int kMostInstructions = 8;
constexpr size_t kCompared = 64 * 64;  // words of every stored image compared

class RandomProgram {
public:
    explicit RandomProgram(uint32_t seed) : random_(seed) {}

    // A program valid by construction: every operand within its table range,
    // and the limits that depend on sizes (Plasma tiles, Bitmap width,
    // Pixelate block) followed from the layers as the checker follows them.
    std::vector<uint8_t> next() {
        std::fill(std::begin(width_), std::end(width_), 0);
        std::fill(std::begin(height_), std::end(height_), 0);
        std::vector<uint8_t> ins;
        const int count = pick(0, kMostInstructions);
        for (int i = 0; i < count; ++i) instruction(ins);
        std::vector<uint8_t> program;
        for (int i = 0; i < 4; ++i) program.push_back(static_cast<uint8_t>(ins.size() >> (8 * i)));
        program.insert(program.end(), ins.begin(), ins.end());
        return program;
    }

private:
    int pick(int min, int max) { return std::uniform_int_distribution<int>(min, max)(random_); }
    uint8_t anyByte() { return static_cast<uint8_t>(pick(0, 255)); }
    int sizeCode(int largest = 9) { return pick(kLargestSizeCode, largest); }
    static int log2(int v) { int n = 0; while ((1 << (n + 1)) <= v) ++n; return n; }

    void instruction(std::vector<uint8_t>& out) {
        const int opcode = pick(0, kTextureOpCount - 1);
        const OpInfo& info = kOps[opcode];
        const int d = pick(0, TextureGenerator::kLayerCount - 1);
        out.push_back(static_cast<uint8_t>(opcode));
        out.push_back(static_cast<uint8_t>((pick(0, 15) << 4) | d));  // any mask, the unused bit too
        int w = 0, h = 0, source = d;
        for (int k = 0; k < info.operandCount(); ++k) {
            const OperandInfo& operand = info.operands[k];
            switch (operand.kind) {
            case 's': {
                // Bitmap needs 8 or more across.
                const int wc = sizeCode(info.op == TextureOp::Bitmap ? 6 : 9), hc = sizeCode();
                w = 512 >> wc;
                h = 512 >> hc;
                out.push_back(static_cast<uint8_t>(wc << 4 | hc));
                break;
            }
            case 'n':
                if (info.op == TextureOp::Plasma) {  // powers of two, at most the size
                    out.push_back(static_cast<uint8_t>(((1 << pick(0, std::min(4, log2(w)))) - 1) << 4 |
                                                       ((1 << pick(0, std::min(4, log2(h)))) - 1)));
                } else {
                    out.push_back(anyByte());
                }
                break;
            case 'c':
                for (int i = 0; i < 3; ++i) out.push_back(anyByte());
                break;
            case 'r': {  // positions never decreasing
                const int stops = pick(operand.min, operand.max);
                out.push_back(static_cast<uint8_t>(stops));
                std::vector<uint8_t> positions(static_cast<size_t>(stops));
                for (uint8_t& position : positions) position = anyByte();
                std::sort(positions.begin(), positions.end());
                for (const uint8_t position : positions)
                    out.insert(out.end(), {position, anyByte(), anyByte(), anyByte()});
                break;
            }
            case 'b': {
                int value = pick(operand.min, operand.max);
                if (info.op == TextureOp::Pixelate && width_[d] > 0 && height_[d] > 0)
                    value = pick(0, log2(std::min(width_[d], height_[d])));  // the block fits the layer
                out.push_back(static_cast<uint8_t>(value - operand.bias));
                break;
            }
            case 'w': {
                const int value = pick(operand.min, operand.max) - operand.bias;
                out.push_back(static_cast<uint8_t>(value));
                out.push_back(static_cast<uint8_t>(value >> 8));
                break;
            }
            case 'l':
                source = pick(operand.min, operand.max);
                out.push_back(static_cast<uint8_t>(source - operand.bias));
                break;
            case 'x':
                for (int i = 0; i < w * h / 8; ++i) out.push_back(anyByte());
                break;
            }
        }
        // Follow the sizes the way a run changes them.
        switch (info.op) {
        case TextureOp::Checker: case TextureOp::Plasma: case TextureOp::RadialGradient: case TextureOp::Noise:
        case TextureOp::Bitmap: case TextureOp::SineWaves: case TextureOp::Scatter:
            width_[d] = w;
            height_[d] = h;
            break;
        case TextureOp::Rotate90:
            if ((out.back() & 1) == 0) std::swap(width_[d], height_[d]);
            break;
        case TextureOp::Copy:
            width_[d] = width_[source];
            height_[d] = height_[source];
            break;
        default:
            break;
        }
    }

    std::mt19937 random_;
    int width_[TextureGenerator::kLayerCount] = {}, height_[TextureGenerator::kLayerCount] = {};
};

// Everything a run leaves: sizes, stored images (reset clears them whole) and
// the working pixels within each layer's size.
struct RunResult {
    std::vector<int32_t> sizes;
    std::vector<uint32_t> words;
    bool operator==(const RunResult& o) const { return sizes == o.sizes && words == o.words; }
};

RunResult result(const TextureGenerator& g) {
    RunResult r;
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        r.sizes.push_back(g.layers[k].width);
        r.sizes.push_back(g.layers[k].height);
        r.words.insert(r.words.end(), g.images[k], g.images[k] + kCompared);
        // Working pixels past the layer's size are stale by design (never cleared).
        r.words.insert(r.words.end(), g.layers[k].pixels,
                       g.layers[k].pixels + static_cast<size_t>(g.layers[k].width) * g.layers[k].height);
    }
    return r;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

TEST(TexgenProgramProperty, RandomValidProgramsRunTheSameEveryTime) {
    RandomProgram programs(20240611);
    auto first = std::make_unique<TextureGenerator>();
    int instructions = 0, opcodesSeen = 0;
    bool seen[kTextureOpCount] = {};
    for (int n = 0; n < kPrograms; ++n) {
        const std::vector<uint8_t> program = programs.next();
        SCOPED_TRACE("program " + std::to_string(n) + ": " + hex(program));
        const ProgramCheck check = checkTextureProgram(program.data(), program.size());
        ASSERT_TRUE(check.ok) << check.describe();
        instructions += check.instructions;
        for (size_t at = 4; at < program.size();) {
            Instruction ins;
            ASSERT_TRUE(decodeInstruction(program.data(), static_cast<uint32_t>(at),
                                          static_cast<uint32_t>(program.size()), &ins, nullptr));
            if (!seen[ins.opcode]) ++opcodesSeen;
            seen[ins.opcode] = true;
            at += ins.length;
        }

        // Run in the generator that ran every program before, twice.
        ASSERT_TRUE(first->setProgram(program.data(), program.size()));
        first->run();
        const RunResult once = result(*first);
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
            ASSERT_EQ(first->layers[k].width, check.finalWidth[k]) << "layer " << k;
            ASSERT_EQ(first->layers[k].height, check.finalHeight[k]) << "layer " << k;
        }
        first->run();
        ASSERT_TRUE(result(*first) == once) << "second run in the same generator differs";

        // A fresh generator, given the program through its length word.
        auto second = std::make_unique<TextureGenerator>();
        ASSERT_TRUE(second->setProgram(program.data()));
        second->run();
        ASSERT_TRUE(result(*second) == once) << "a second generator differs";

        // Nothing above the 24 colour bits, anywhere a merge wrote.
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k)
            for (size_t i = 0; i < kCompared; ++i) ASSERT_EQ(first->images[k][i] >> 24, 0u) << "layer " << k;

        std::string text;
        ASSERT_TRUE(disassembleTextureProgram(program.data(), program.size(), &text));
        const TextProgram again = assembleTextureProgram(text);
        ASSERT_TRUE(again.ok) << again.describe() << "\n" << text;
        ASSERT_EQ(again.bytes, program) << text;
    }
    // The programs cover the whole table, with several instructions each.
    EXPECT_EQ(opcodesSeen, kTextureOpCount);
    EXPECT_GT(instructions, kPrograms * 3);
}

}  // namespace
