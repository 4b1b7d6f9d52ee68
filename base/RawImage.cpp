#include "base/RawImage.h"

#include <cstddef>

namespace {
void putWord(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<uint8_t>(v >> shift));
}
}  // namespace

void appendRawImage(std::vector<uint8_t>* out, uint32_t width, uint32_t height, const uint32_t* pixels) {
    const std::size_t count = static_cast<std::size_t>(width) * height;
    out->reserve(out->size() + 8 + 4 * count);
    putWord(out, width);
    putWord(out, height);
    for (std::size_t i = 0; i < count; ++i) putWord(out, pixels[i]);
}
