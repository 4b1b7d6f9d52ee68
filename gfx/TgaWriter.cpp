#include "gfx/TgaWriter.h"

std::vector<uint8_t> tgaFileBytes(const TgaFileHeader& h, const std::function<uint32_t(int x, int y)>& pixelAt) {
    const int bytesPerPixel = (h.depth + 7) / 8;
    std::vector<uint8_t> out = {static_cast<uint8_t>(h.imageId.size()),
                                h.colourMapType,
                                h.imageType,
                                0,
                                0,
                                static_cast<uint8_t>(h.colourMapLength),
                                static_cast<uint8_t>(h.colourMapLength >> 8),
                                h.colourMapEntrySize,
                                0,
                                0,
                                0,
                                0,
                                static_cast<uint8_t>(h.width),
                                static_cast<uint8_t>(h.width >> 8),
                                static_cast<uint8_t>(h.height),
                                static_cast<uint8_t>(h.height >> 8),
                                h.depth,
                                h.descriptor};
    out.reserve(out.size() + h.imageId.size() + h.colourMap.size() +
                static_cast<size_t>(h.width) * h.height * bytesPerPixel);
    out.insert(out.end(), h.imageId.begin(), h.imageId.end());
    out.insert(out.end(), h.colourMap.begin(), h.colourMap.end());
    const bool topFirst = (h.descriptor & 0x20) != 0;
    const bool rightToLeft = (h.descriptor & 0x10) != 0;
    for (int i = 0; i < h.height; ++i) {
        const int y = topFirst ? i : h.height - 1 - i;
        for (int k = 0; k < h.width; ++k) {
            const uint32_t word = pixelAt(rightToLeft ? h.width - 1 - k : k, y);
            for (int b = 0; b < bytesPerPixel && b < 4; ++b) out.push_back(static_cast<uint8_t>(word >> (8 * b)));
        }
    }
    return out;
}
