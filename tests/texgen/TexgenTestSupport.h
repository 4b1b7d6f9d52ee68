#pragma once
// Helpers shared by the texture generator tests: program building, layer
// set-up and direct calls of single operations.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "texgen/Operations.h"
#include "texgen/RandomSource.h"
#include "texgen/TextureGenerator.h"

namespace texgen_test {

// Instruction bytes -> program bytes with the length word in front.
inline std::vector<uint8_t> program(std::initializer_list<std::vector<uint8_t>> instructions) {
    size_t length = 0;
    for (const auto& ins : instructions) length += ins.size();
    std::vector<uint8_t> out;
    out.reserve(4 + length);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
    for (const auto& ins : instructions)
        for (uint8_t b : ins) out.push_back(b);
    return out;
}

inline void fill(Layer& layer, int w, int h, std::initializer_list<uint32_t> pixels) {
    layer.width = w;
    layer.height = h;
    size_t i = 0;
    for (uint32_t p : pixels) layer.pixels[i++] = p;
}

inline void fillFlat(Layer& layer, int w, int h, uint32_t value) {
    layer.width = w;
    layer.height = h;
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) layer.pixels[i] = value;
}

inline std::vector<uint32_t> pixelsOf(const Layer& layer) {
    return std::vector<uint32_t>(layer.pixels, layer.pixels + static_cast<size_t>(layer.width) * layer.height);
}

inline uint32_t at(const Layer& layer, int x, int y) { return layer.pixels[static_cast<size_t>(y) * layer.width + x]; }

// Runs one operation the way step() calls it (source = destination unless given).
inline void apply(texgen::Operation op, Layer& dst, const texgen::Operands& in, const Layer* src = nullptr) {
    op(dst, src ? *src : dst, in);
}

inline texgen::Operands bytes(std::initializer_list<uint8_t> values) {
    texgen::Operands in;
    int i = 0;
    for (uint8_t v : values) in.byte[i++] = v;
    return in;
}

inline texgen::Operands sized(int w, int h) {
    texgen::Operands in;
    in.width = w;
    in.height = h;
    return in;
}

inline ColourRamp whiteToBlack() {
    ColourRamp ramp;
    ramp.count = 2;
    ramp.stops[0] = RampStop{0, 255, 255, 255};
    ramp.stops[1] = RampStop{255, 0, 0, 0};
    return ramp;
}

inline uint64_t fnv1a(const uint32_t* words, size_t count) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < count; ++i)
        for (int b = 0; b < 4; ++b) {
            h ^= (words[i] >> (8 * b)) & 0xFF;
            h *= 1099511628211ull;
        }
    return h;
}

}  // namespace texgen_test
