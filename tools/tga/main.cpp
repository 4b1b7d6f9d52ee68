// glowmotion-tga FILE [--raw OUT]
//
// For people who make or replace the show's pictures: loads FILE with the
// show's own TGA reader, lets the reader print its messages unchanged, then
// prints a summary of the picture. With --raw OUT it also writes the decoded
// picture: uint16 width, uint16 height (little-endian), then width*height
// uint32 little-endian words, exactly the reader's pixels (bytes blue, green,
// red, alpha in memory), top row first.
//
// Exit status: 0 loaded (and written), 1 refused by the reader or OUT could
// not be written, 2 bad usage.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfx/Tga.h"

namespace {

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: glowmotion-tga FILE [--raw OUT]\n"
                 "  Loads FILE with the show's TGA reader and describes it.\n"
                 "  --raw OUT  also writes the decoded pixels: uint16 width, uint16 height,\n"
                 "             then width*height uint32 words (bytes B, G, R, A), little-endian.\n");
}

const char* originName(uint8_t descriptor) {
    const bool top = descriptor & 0x20;
    const bool right = descriptor & 0x10;
    if (top) return right ? "top-right" : "top-left";
    return right ? "bottom-right" : "bottom-left";
}

bool writeRaw(const char* path, const TgaImage& image) {
    const TgaPixels& p = image.pixels;
    const size_t count = size_t(p.width) * p.height;
    std::vector<uint8_t> bytes;
    bytes.reserve(4 + count * 4);
    bytes.push_back(uint8_t(p.width));
    bytes.push_back(uint8_t(p.width >> 8));
    bytes.push_back(uint8_t(p.height));
    bytes.push_back(uint8_t(p.height >> 8));
    for (size_t i = 0; i < count; ++i) {
        const uint32_t w = p.data[i];
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(w >> shift));
    }
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const char* file = nullptr;
    const char* rawOut = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--raw") == 0) {
            if (i + 1 >= argc || rawOut) {
                usage(stderr);
                return 2;
            }
            rawOut = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "glowmotion-tga: unknown option %s\n", argv[i]);
            usage(stderr);
            return 2;
        } else if (!file) {
            file = argv[i];
        } else {
            usage(stderr);
            return 2;
        }
    }
    if (!file) {
        usage(stderr);
        return 2;
    }

    TgaImage* image = new TgaImage;
    tgaInit(image);
    const bool loaded = tgaLoad(file, image);
    std::fflush(stdout);
    if (!loaded) {
        std::printf("%s: refused\n", file);
        tgaFree(image);
        delete image;
        return 1;
    }

    const TgaPixels& p = image->pixels;
    const size_t count = size_t(p.width) * p.height;
    bool anyAlpha = false;
    for (size_t i = 0; i < count && !anyAlpha; ++i) anyAlpha = (p.data[i] >> 24) != 0;

    std::printf("%s: loaded\n", file);
    std::printf("width: %u\n", unsigned(p.width));
    std::printf("height: %u\n", unsigned(p.height));
    std::printf("depth: %u\n", unsigned(image->pixelDepth));
    std::printf("origin: %s\n", originName(image->descriptor));
    std::printf("image id: %u bytes\n", unsigned(image->idLength));
    std::printf("alpha above 0: %s\n", anyAlpha ? "yes" : "no");
    std::printf("fits a texture: %s (%zu of %u pixels)\n", count <= TgaImage::kMaxPixels ? "yes" : "no", count,
                unsigned(TgaImage::kMaxPixels));

    int status = 0;
    if (rawOut) {
        if (writeRaw(rawOut, *image)) {
            std::printf("raw: %s (%zu bytes)\n", rawOut, 4 + count * 4);
        } else {
            std::fprintf(stderr, "glowmotion-tga: cannot write %s\n", rawOut);
            status = 1;
        }
    }
    tgaFree(image);
    delete image;
    return status;
}
