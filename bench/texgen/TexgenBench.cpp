// Stored program and each operation, grouped by family, on 256x256 layers,
// and the baselines they are compared with: a plain copy of the bytes an
// operation touches (one 256x256 layer, or two for the combiners).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"
#include "texgen/TextureGenerator.h"

using namespace texgen;

namespace {

void storedProgram(benchmark::State& state) {
    auto gen = std::make_unique<TextureGenerator>();
    gen->setProgram(storedTextureProgram());
    for (auto _ : state) {
        gen->run();
        benchmark::DoNotOptimize(gen->images[0][0]);
    }
}
BENCHMARK(storedProgram)->Unit(benchmark::kMillisecond);

// As the show runs it: a new generator (fresh pages), one run, destroyed.
void storedProgramFresh(benchmark::State& state) {
    for (auto _ : state) {
        auto gen = std::make_unique<TextureGenerator>();
        gen->setProgram(storedTextureProgram());
        gen->run();
        benchmark::DoNotOptimize(gen->images[0][0]);
    }
}
BENCHMARK(storedProgramFresh)->Unit(benchmark::kMillisecond);

// 256 KiB read and written: what a one-layer operation touches at least.
void copyOneLayer(benchmark::State& state) {
    auto a = std::make_unique<Layer>(), b = std::make_unique<Layer>();
    std::fill(a->pixels, a->pixels + 256 * 256, 0x123456u);
    std::fill(b->pixels, b->pixels + 256 * 256, 0u);
    for (auto _ : state) {
        std::memcpy(b->pixels, a->pixels, 256 * 256 * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(copyOneLayer)->Name("Baseline/copyOneLayer")->Unit(benchmark::kMicrosecond);

// Two layers' worth: what a combiner (destination and source) touches.
void copyTwoLayers(benchmark::State& state) {
    auto a = std::make_unique<Layer>(), b = std::make_unique<Layer>(), c = std::make_unique<Layer>();
    std::fill(a->pixels, a->pixels + 256 * 256, 0x123456u);
    std::fill(b->pixels, b->pixels + 256 * 256, 0x654321u);
    std::fill(c->pixels, c->pixels + 2 * 256 * 256, 0u);
    for (auto _ : state) {
        std::memcpy(c->pixels, a->pixels, 256 * 256 * 4);
        std::memcpy(c->pixels + 256 * 256, b->pixels, 256 * 256 * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(copyTwoLayers)->Name("Baseline/copyTwoLayers")->Unit(benchmark::kMicrosecond);

void checkStoredProgram(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(checkTextureProgram(storedTextureProgram(), storedTextureProgramSize()).ok);
}
BENCHMARK(checkStoredProgram);

ColourRamp threeStops() {
    ColourRamp ramp;
    ramp.count = 3;
    ramp.stops[0] = RampStop{0, 20, 10, 60};
    ramp.stops[1] = RampStop{128, 250, 200, 40};
    ramp.stops[2] = RampStop{255, 10, 40, 30};
    return ramp;
}

struct Case {
    const char* family;
    TextureOp op;
    std::vector<uint8_t> bytes;  // plain byte operands
    uint16_t word = 0;
};

// A 256x256 noise picture in both layers, then one operation per iteration
// (the destination is restored first, outside the timing).
void runCase(benchmark::State& state, const Case& c) {
    auto dst = std::make_unique<Layer>(), src = std::make_unique<Layer>(), picture = std::make_unique<Layer>();
    Operands in;
    in.width = in.height = 256;
    in.countX = in.countY = 2;
    in.ramp = threeStops();
    in.byte[0] = 7;
    noise(*picture, *picture, in);
    plasma(*src, *src, [&] { Operands p = in; p.byte[0] = 40; return p; }());
    static uint8_t bits[256 * 256 / 8];
    RandomSource random(1);
    for (auto& b : bits) b = static_cast<uint8_t>(random.next());
    in.bits = bits;
    in.colour[0] = 0xFFEEDD;
    in.colour[1] = 0x102030;
    for (size_t i = 0; i < c.bytes.size(); ++i) in.byte[i] = c.bytes[i];
    in.word = c.word;
    const OpInfo& info = kOps[static_cast<int>(c.op)];
    for (auto _ : state) {
        state.PauseTiming();
        dst->width = picture->width;
        dst->height = picture->height;
        std::copy(picture->pixels, picture->pixels + 256 * 256, dst->pixels);
        state.ResumeTiming();
        info.run(*dst, *src, in);
        benchmark::DoNotOptimize(dst->pixels[0]);
    }
}

const Case kCases[] = {
    {"RampPlasma", TextureOp::Plasma, {32, 61}},
    {"Patterns", TextureOp::Checker, {}},
    {"Patterns", TextureOp::RadialGradient, {128}},
    {"Patterns", TextureOp::Noise, {5}},
    {"Patterns", TextureOp::Bitmap, {}},
    {"Patterns", TextureOp::SineWaves, {40, 50, 30, 60, 10, 20}},
    {"Transforms", TextureOp::Mirror, {0x11}},
    {"Transforms", TextureOp::SineWarp, {40, 50, 30, 60, 10, 20, 8}},
    {"Transforms", TextureOp::Scroll, {}, 0x8011},
    {"Transforms", TextureOp::Pixelate, {3}},
    {"Transforms", TextureOp::Jitter, {9, 4}},
    {"Transforms", TextureOp::Rotate90, {0}},
    {"Transforms", TextureOp::Twirl, {}, 200},
    {"Filters", TextureOp::Brightness, {150}},
    {"Filters", TextureOp::EdgeDarken, {}},
    {"Filters", TextureOp::EdgeShade, {}},
    {"Filters", TextureOp::Contrast, {200}},
    {"Filters", TextureOp::EdgeDetect, {}},
    {"Filters", TextureOp::Emboss, {2}},
    {"Filters", TextureOp::Greyscale, {}},
    {"Filters", TextureOp::Invert, {}},
    {"Filters", TextureOp::Posterize, {3}},
    {"Filters", TextureOp::Sharpen, {1}},
    {"Filters", TextureOp::Blur, {1}},
    {"Filters", TextureOp::Blur, {50}},
    {"Filters", TextureOp::BlurHorizontal, {15}},
    {"Filters", TextureOp::BlurVertical, {15}},
    {"Combiners", TextureOp::Add, {}},
    {"Combiners", TextureOp::Copy, {}},
    {"Combiners", TextureOp::DirectionalBlur, {8}},
    {"Combiners", TextureOp::DisplaceAdd, {4}},
    {"Combiners", TextureOp::Blend, {100}},
    {"Combiners", TextureOp::Multiply, {}},
    {"Combiners", TextureOp::Scatter, {3, 4}},
    {"Combiners", TextureOp::HardLight, {}},
    {"Combiners", TextureOp::Subtract, {}},
};

const bool kRegistered = [] {
    for (const Case& c : kCases) {
        std::string name = std::string(c.family) + "/" + kOps[static_cast<int>(c.op)].name;
        if (c.op == TextureOp::Blur) name += "/" + std::to_string(c.bytes[0]);
        benchmark::RegisterBenchmark(name.c_str(), [&c](benchmark::State& state) { runCase(state, c); })
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace
