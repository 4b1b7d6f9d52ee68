#pragma once
// Writing TGA files for the tests, byte by byte as the format defines them,
// and small helpers around temporary files and captured output.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace tgatest {

struct Rgba {
    uint8_t r, g, b, a;
};

// A distinct colour for every (x, y) of a picture up to 512x512.
inline Rgba patternColour(int x, int y) {
    return Rgba{uint8_t(x * 7 + y), uint8_t(y * 5 + 1), uint8_t(x ^ (y * 3)), uint8_t(x + y * 2 + 1)};
}

// The reader's word for a colour: bytes blue, green, red, alpha.
inline uint32_t readerWord(Rgba c) {
    return c.b | (uint32_t(c.g) << 8) | (uint32_t(c.r) << 16) | (uint32_t(c.a) << 24);
}

struct TgaSpec {
    int width = 4;
    int height = 3;
    int depth = 32;
    uint8_t type = 2;
    uint8_t descriptor = 0x20;  // top-left
    std::string imageId;
    uint8_t colourMapType = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
    std::function<Rgba(int, int)> colour = patternColour;  // picture coordinates, (0,0) top-left
};

// The bytes of a file that stores spec.colour in the corner order the
// descriptor declares. Depths other than 24/32 get 2 bytes per pixel.
inline std::vector<uint8_t> tgaBytes(const TgaSpec& s) {
    std::vector<uint8_t> f;
    auto put16 = [&](int v) {
        f.push_back(uint8_t(v));
        f.push_back(uint8_t(v >> 8));
    };
    f.push_back(uint8_t(s.imageId.size()));
    f.push_back(s.colourMapType);
    f.push_back(s.type);
    put16(0);
    put16(s.colourMapLength);
    f.push_back(s.colourMapEntrySize);
    put16(0);
    put16(0);
    put16(s.width);
    put16(s.height);
    f.push_back(uint8_t(s.depth));
    f.push_back(s.descriptor);
    f.insert(f.end(), s.imageId.begin(), s.imageId.end());
    const int mapBytes = s.colourMapType == 1 ? s.colourMapLength * ((s.colourMapEntrySize + 7) / 8) : 0;
    for (int i = 0; i < mapBytes; ++i) f.push_back(uint8_t(0xC0 + i));
    const bool top = s.descriptor & 0x20, rtl = s.descriptor & 0x10;
    for (int i = 0; i < s.height; ++i) {
        const int y = top ? i : s.height - 1 - i;
        for (int k = 0; k < s.width; ++k) {
            const int x = rtl ? s.width - 1 - k : k;
            const Rgba c = s.colour(x, y);
            if (s.depth == 24 || s.depth == 32) {
                f.push_back(c.b);
                f.push_back(c.g);
                f.push_back(c.r);
                if (s.depth == 32) f.push_back(c.a);
            } else {
                f.push_back(c.b);
                f.push_back(c.g);
            }
        }
    }
    return f;
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& name) {
        path_ = std::filesystem::temp_directory_path() /
                ("glowmotion-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
    return bytes;
}

}  // namespace tgatest
