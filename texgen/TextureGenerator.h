#pragma once
// Placeholder contract of the texture generator; the full generator replaces
// the implementation behind these members.
#include <cstdint>

class TextureGenerator {
public:
    static constexpr int kLayerCount = 6;
    static constexpr uint32_t kImagePixels = 262144;  // 1 MiB of 0x00RRGGBB words

    TextureGenerator();
    ~TextureGenerator();
    TextureGenerator(const TextureGenerator&) = delete;
    TextureGenerator& operator=(const TextureGenerator&) = delete;

    // program: 4-byte little-endian length L, then L instruction bytes.
    void setProgram(const uint8_t* program);
    void reset();
    bool step();
    void run();

    uint32_t* images[kLayerCount];  // images[0] is a Texture's pixel buffer
};
