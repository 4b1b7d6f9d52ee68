// The interpreter: program copy, reset, step with its channel-mask merge, run.
#include "texgen/TextureGenerator.h"

#include <algorithm>
#include <cstring>

#include "texgen/Operations.h"
#include "texgen/PageMemory.h"

using namespace texgen;

Layer::Layer() : pixels(allocatePages(kPixels)) {}

Layer::~Layer() { freePages(pixels, kPixels); }

TextureGenerator::TextureGenerator() {
    for (auto& image : images) image = nullptr;
    try {
        for (auto& image : images) image = allocatePages(kImagePixels);
    } catch (...) {
        for (auto* image : images) freePages(image, kImagePixels);
        throw;
    }
    // Fresh mappings are already zero, so this reset writes no page. From
    // here on the owner may have written images[0], so later resets clear
    // all of it.
    reset();
    imageDirtyWords_[0] = kImagePixels;
}

TextureGenerator::~TextureGenerator() {
    delete[] program_;
    for (auto* image : images) freePages(image, kImagePixels);
}

bool TextureGenerator::setProgram(const uint8_t* program) {
    const uint32_t length = static_cast<uint32_t>(program[0]) | (static_cast<uint32_t>(program[1]) << 8) |
                            (static_cast<uint32_t>(program[2]) << 16) | (static_cast<uint32_t>(program[3]) << 24);
    return setProgram(program, static_cast<size_t>(length) + 4);
}

bool TextureGenerator::setProgram(const uint8_t* bytes, size_t size) {
    storeProgram(bytes, size);
    check_ = checkTextureProgram(program_, programSize_);
    return check_.ok;
}

void TextureGenerator::storeProgram(const uint8_t* bytes, size_t size) {
    delete[] program_;
    program_ = new uint8_t[size > 0 ? size : 1];
    if (size > 0) std::memcpy(program_, bytes, size);
    programSize_ = size;
}

void TextureGenerator::reset() {
    for (int k = 0; k < kLayerCount; ++k) {
        layers[k].width = 0;
        layers[k].height = 0;
        const uint32_t dirty = imageDirtyWords_[k];
        if (dirty == kImagePixels)
            zeroPages(images[k], kImagePixels);
        else if (dirty > 0)
            std::memset(images[k], 0, static_cast<size_t>(dirty) * 4);
        imageDirtyWords_[k] = 0;
    }
    imageDirtyWords_[0] = kImagePixels;
    cursor_ = 4;
}

bool TextureGenerator::step() {
    if (!check_.ok) return false;
    const uint32_t end = 4 + check_.length;
    if (cursor_ >= end) return false;

    Instruction ins;
    if (!decodeInstruction(program_, cursor_, end, &ins, nullptr)) return false;
    Layer& dst = layers[ins.destination];
    const Layer& src = kOps[ins.opcode].readsSource() ? layers[ins.in.source] : dst;
    kOps[ins.opcode].run(dst, src, ins.in);

    // Merge the selected channels into the stored image; the working copy
    // then equals the stored image over the layer's range.
    const uint32_t mask = ins.channelMask;
    const uint32_t keep = ~mask & 0xFFFFFFu;
    uint32_t* image = images[ins.destination];
    uint32_t* pixels = dst.pixels;
    const size_t n = pixelCount(dst);
    if (keep == 0) {  // all three channels: the stored image is not even read
        for (size_t i = 0; i < n; ++i) {
            const uint32_t merged = pixels[i] & mask;
            image[i] = merged;
            pixels[i] = merged;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            const uint32_t merged = (pixels[i] & mask) | (image[i] & keep);
            image[i] = merged;
            pixels[i] = merged;
        }
    }
    uint32_t& dirty = imageDirtyWords_[ins.destination];
    dirty = std::max(dirty, static_cast<uint32_t>(n));

    cursor_ += ins.length;
    return cursor_ < end;
}

void TextureGenerator::run() {
    if (!check_.ok) return;
    reset();
    while (step()) {
    }
}
