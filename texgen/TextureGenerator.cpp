#include "texgen/TextureGenerator.h"
#include <cstdlib>

TextureGenerator::TextureGenerator() {
    for (auto& image : images) image = static_cast<uint32_t*>(std::calloc(kImagePixels, 4));
}
TextureGenerator::~TextureGenerator() {
    for (auto* image : images) std::free(image);
}
void TextureGenerator::setProgram(const uint8_t*) {}
void TextureGenerator::reset() {}
bool TextureGenerator::step() { return false; }
void TextureGenerator::run() { reset(); }
