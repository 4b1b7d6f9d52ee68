// A texture program file, in either form: whatever the checker accepts must
// run without a fault and give back the same bytes through the text form;
// whatever it refuses must change nothing.
#include "FuzzInputs.h"

#include "texgen/Operations.h"
#include "texgen/ProgramText.h"
#include "texgen/TextureGenerator.h"

#include <algorithm>
#include <vector>

namespace fuzzinputs {

namespace {

using namespace texgen;

uint64_t area(int32_t w, int32_t h) { return uint64_t(uint32_t(w)) * uint64_t(uint32_t(h)); }

// Two generators for the whole process, like a tool that runs many
// programs: run() must leave nothing of one program in the next.
TextureGenerator& generator(int k = 0) {
    static TextureGenerator* g[2] = {new TextureGenerator, new TextureGenerator};  // live until exit
    return *g[k];
}

// Work below which a program also runs in the second generator.
constexpr uint64_t kTwiceBudget = uint64_t(1) << 22;

// Working pixels past a layer's size are stale by design; a result that
// depends on them depends on whatever ran before. Before a run the first
// `words` of them are set to black in one generator (as in a fresh one) and
// to a pseudo-random pattern in the other, so that shows as a difference.
void poisonWorkingPixels(TextureGenerator& g, bool pattern, size_t words) {
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        uint32_t value = uint32_t(k) + 1;
        for (size_t i = 0; i < words; ++i)
            g.layers[k].pixels[i] = pattern ? (value = value * 1664525u + 1013904223u) >> 8 : 0u;
    }
}

// The most pixels any layer of the program holds: nothing is read or
// written past that.
size_t largestArea(const uint8_t* bytes, uint32_t end) {
    size_t largest = 0;
    for (uint32_t at = 4; at < end;) {
        Instruction ins;
        if (!decodeInstruction(bytes, at, end, &ins, nullptr)) break;
        largest = std::max(largest, static_cast<size_t>(area(ins.in.width, ins.in.height)));
        at += ins.length;
    }
    return std::min<size_t>(largest + TextureGenerator::kLayerCount, Layer::kPixels);
}

// Pixel operations the instruction will cost, from the layers as they are.
uint64_t workOf(const Instruction& ins, const TextureGenerator& g) {
    const Layer& dst = g.layers[ins.destination];
    const Layer& src = g.layers[ins.in.source];
    const uint64_t here = area(dst.width, dst.height);
    switch (static_cast<TextureOp>(ins.opcode)) {
    case TextureOp::Scatter: return area(ins.in.width, ins.in.height) + ins.in.byte[1] * area(src.width, src.height);
    case TextureOp::Copy: return area(src.width, src.height);
    case TextureOp::Blur:
    case TextureOp::Sharpen: return here * (ins.in.byte[0] + 1u);
    case TextureOp::DirectionalBlur: return here * ins.in.byte[0];
    default:
        // A picture of its own size costs that size, whatever the layer held.
        return kOps[ins.opcode].ownSize ? area(ins.in.width, ins.in.height) : here + 1;
    }
}

// Runs an accepted program step by step within the budget; true when it
// ran to its end.
bool runWithinBudget(TextureGenerator& g, const ProgramCheck& check, const uint8_t* bytes, uint64_t* work = nullptr) {
    g.reset();
    require(g.cursor() == 4, "reset leaves the cursor away from the first instruction");
    const uint32_t end = 4 + check.length;
    uint64_t spent = 0;
    int steps = 0;
    while (g.cursor() < end) {
        Instruction ins;
        require(decodeInstruction(bytes, g.cursor(), end, &ins, nullptr),
                "an accepted program holds an instruction that does not decode");
        spent += workOf(ins, g);
        if (spent > kTexgenWorkBudget) return false;
        const uint32_t before = g.cursor();
        const bool more = g.step();
        ++steps;
        require(g.cursor() == before + ins.length, "step moved the cursor by other than the instruction's length");
        require(more == (g.cursor() < end), "step's result disagrees with the cursor");
    }
    if (work) *work = spent;
    require(!g.step(), "step past the end reports more instructions");
    require(steps == check.instructions, "the run took another number of steps than the checker counted");
    return true;
}

void checkFinalState(const TextureGenerator& g, const ProgramCheck& check) {
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        const Layer& layer = g.layers[k];
        require(layer.width == check.finalWidth[k] && layer.height == check.finalHeight[k],
                "a layer ends at another size than the checker followed");
        const uint64_t n = area(layer.width, layer.height);
        require(n <= Layer::kPixels, "a layer outgrew its buffer");
        for (uint64_t i = 0; i < n; ++i)
            require((g.images[k][i] >> 24) == 0 && layer.pixels[i] == g.images[k][i],
                    "a stored pixel has bits 24-31 set or differs from the working pixel");
    }
}

// Disassembled and assembled again, an accepted program is the same bytes.
void checkRoundTrip(const uint8_t* bytes, size_t size) {
    std::string text;
    require(disassembleTextureProgram(bytes, size, &text, nullptr), "an accepted program does not disassemble");
    const TextProgram again = assembleTextureProgram(text);
    require(again.ok, "the text of an accepted program is refused");
    require(again.bytes == std::vector<uint8_t>(bytes, bytes + size), "the text form gives other bytes");
}

std::string runBytes(const uint8_t* bytes, size_t size) {
    const ProgramCheck check = checkTextureProgram(bytes, size);
    TextureGenerator& g = generator();
    require(g.setProgram(bytes, size) == check.ok, "setProgram and the checker disagree");
    if (!check.ok) {
        require(!check.reason.empty() && !check.describe().empty(), "a refusal without a reason");
        require(!g.step(), "a refused program steps");
        return "refused: " + check.describe();
    }
    checkRoundTrip(bytes, size);
    const size_t words = largestArea(bytes, 4 + check.length);
    poisonWorkingPixels(g, false, words);
    uint64_t work = 0;
    if (!runWithinBudget(g, check, bytes, &work)) return "accepted (over the work budget)";
    checkFinalState(g, check);
    if (work <= kTwiceBudget) {
        // The same bytes in the other generator, over other stale pixels.
        TextureGenerator& other = generator(1);
        require(other.setProgram(bytes, size), "the second generator refuses the program");
        poisonWorkingPixels(other, true, words);
        require(runWithinBudget(other, check, bytes), "the second run went over the budget");
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k)
            require(std::equal(g.images[k], g.images[k] + words, other.images[k]),
                    "a program gives other pixels in another generator (it read stale memory)");
    }
    return "ran: " + check.describe();
}

}  // namespace

std::string runTexgenInput(const uint8_t* data, size_t size) {
    if (!isTextProgram(data, size)) return runBytes(data, size);
    const TextProgram program = assembleTextureProgram(std::string(reinterpret_cast<const char*>(data), size));
    if (!program.ok) {
        require(program.line >= 1 && program.column >= 1 && !program.reason.empty(),
                "a refused text without line, column or reason");
        return "refused: " + program.describe();
    }
    const ProgramCheck check = checkTextureProgram(program.bytes.data(), program.bytes.size());
    require(check.ok, "the checker refuses what the assembler made");
    require(program.lines.size() == size_t(check.instructions), "the assembler's line list and the program differ");
    return runBytes(program.bytes.data(), program.bytes.size());
}

}  // namespace fuzzinputs
