#pragma once
// Test helpers: TGA files of any layout (through the tools' writer,
// gfx/TgaWriter.h), and one tgaLoad with the record, the
// result, what the reader printed and its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gfx/Tga.h"
#include "gfx/TgaWriter.h"
#include "common/Files.h"

namespace tgatest {

using testfiles::readFile;
using testfiles::TempDir;

struct Rgba {
    uint8_t r, g, b, a;
};
// A distinct colour for every (x, y) of a picture up to 512x512.
inline Rgba patternColour(int x, int y) {
    return Rgba{uint8_t(x * 7 + y), uint8_t(y * 5 + 1), uint8_t(x ^ (y * 3)), uint8_t(x + y * 2 + 1)};
}
// The reader's word for a colour (bytes blue, green, red, alpha).
inline uint32_t readerWord(Rgba c) { return c.b | c.g << 8 | c.r << 16 | uint32_t(c.a) << 24; }

struct TgaSpec {
    int width = 4, height = 3, depth = 32;
    uint8_t type = 2, descriptor = 0x20;  // top-left
    std::string imageId;
    uint8_t colourMapType = 0, colourMapEntrySize = 0;
    uint16_t colourMapLength = 0;
    std::function<Rgba(int, int)> colour = patternColour;  // (0, 0) = top-left of the picture
};

// A file storing spec.colour in the corner order its descriptor declares
// (depths other than 24/32 get the word's lowest (depth + 7) / 8 bytes).
inline std::vector<uint8_t> tgaBytes(const TgaSpec& s) {
    TgaFileHeader header;
    header.width = uint16_t(s.width), header.height = uint16_t(s.height);
    header.depth = uint8_t(s.depth), header.descriptor = s.descriptor, header.imageType = s.type;
    header.imageId = s.imageId;
    header.colourMapType = s.colourMapType, header.colourMapLength = s.colourMapLength;
    header.colourMapEntrySize = s.colourMapEntrySize;
    if (s.colourMapType == 1) header.colourMap.assign(s.colourMapLength * ((s.colourMapEntrySize + 7) / 8), 0xC0);
    return tgaFileBytes(header, [&](int x, int y) { return readerWord(s.colour(x, y)); });
}

// dir/name holding the file of TgaSpec{} after `change`, cut to `keep` bytes.
inline std::string writeTga(const TempDir& dir, const std::string& name,
                            const std::function<void(TgaSpec&)>& change = {}, size_t keep = SIZE_MAX) {
    TgaSpec spec;
    if (change) change(spec);
    std::vector<uint8_t> bytes = tgaBytes(spec);
    bytes.resize(std::min(keep, bytes.size()));
    return dir.write(name, bytes);
}

struct Load {
    explicit Load(const std::string& path) : image(new TgaImage) {
        testing::internal::CaptureStdout();
        ok = tgaLoad(path.c_str(), image.get(), &why);
        output = testing::internal::GetCapturedStdout();
    }
    uint32_t at(int x, int y) const { return image->pixels.data[y * image->pixels.width + x]; }
    bool empty() const { return !image->pixels.data && !image->imageId; }

    std::unique_ptr<TgaImage> image;
    bool ok = false;
    std::string output;
    std::string why;
};

// The picture loaded and equals colour (alpha 0 for 24 bits) in every pixel.
inline void expectPicture(const Load& load, int width, int height, bool alpha,
                          const std::function<Rgba(int, int)>& colour = patternColour) {
    ASSERT_TRUE(load.ok) << load.output;
    EXPECT_EQ(load.output, "");
    ASSERT_EQ(load.image->pixels.width, width);
    ASSERT_EQ(load.image->pixels.height, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgba c = colour(x, y);
            if (!alpha) c.a = 0;
            ASSERT_EQ(load.at(x, y), readerWord(c)) << "pixel " << x << "," << y;
        }
    }
}

// The reader's lines on standard output (Latin-1 bytes).
inline const std::string kTypeMessage = "No se soporta otro tipo que no sea TRUE COLOR descomprimido\n";
inline std::string depthMessage(int depth) {
    return "No se soporta los TGAs de " + std::to_string(depth) + " bpp (S\xF3lo 32 y 24 descomprimido)\n";
}
inline std::string openMessage(const std::string& path) { return "TGA: No se ha podido abrir " + path + "\n"; }
inline std::string truncatedMessage(const std::string& path) {
    return "TGA: El fichero " + path + " termina antes de tiempo\n";
}

}  // namespace tgatest
