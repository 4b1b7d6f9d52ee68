// glowmotion-tga FILE [--raw OUT]
//
// For people who make or replace the show's pictures: loads FILE with the
// show's own TGA reader, lets the reader print its messages unchanged, then
// prints a summary of the picture, or for a refused file the reason in
// English. With --raw OUT it also writes the decoded picture in the .raw
// layout of base/RawImage.h (the one glowmotion-texgen writes too): exactly
// the reader's pixels, bytes blue, green, red, alpha, top row first.
//
// Exit status: 0 loaded (and written), 1 refused by the reader or OUT could
// not be written, 2 bad usage.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/CommandLine.h"
#include "base/RawImage.h"
#include "gfx/Tga.h"

namespace {

const char* originName(uint8_t descriptor) {
    const bool top = descriptor & 0x20;
    const bool right = descriptor & 0x10;
    if (top) return right ? "top-right" : "top-left";
    return right ? "bottom-right" : "bottom-left";
}

// Why the reader refused the file at path, in English, found by looking at
// the file again in the order the reader checks it: opening, the header, the
// image ID, the type, the depth, the size, the colour map, the pixels.
std::string refusalReason(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::strerror(errno);
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    const int code = errno;
    if (!statted || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (!statted) return std::strerror(code);
        return S_ISDIR(info.st_mode) ? "a folder, not a picture file" : "not a regular file (a device or a pipe)";
    }
    uint8_t h[18] = {};
    const ssize_t got = ::read(fd, h, sizeof h);
    ::close(fd);
    const unsigned long long size = static_cast<unsigned long long>(info.st_size);
    if (got < static_cast<ssize_t>(sizeof h))
        return "the file ends inside the 18-byte header (" + std::to_string(size) + " bytes)";
    const unsigned idLength = h[0], mapType = h[1], type = h[2], mapLength = h[5] | h[6] << 8, mapEntryBits = h[7];
    const unsigned width = h[12] | h[13] << 8, height = h[14] | h[15] << 8, depth = h[16];
    if (size < 18ull + idLength) return "the file ends inside its " + std::to_string(idLength) + "-byte image ID";
    if (type != 2) {
        const std::string only = "; only type 2, uncompressed true colour, is read";
        const std::string number = "image type " + std::to_string(type);
        switch (type) {
        case 0: return number + " (no picture at all)" + only;
        case 1: return number + " (colour-mapped)" + only + " (save as true colour, 24 or 32 bits)";
        case 3: return number + " (greyscale)" + only + " (save as true colour, 24 or 32 bits)";
        case 9: return number + " (colour-mapped, run-length encoded)" + only + " (save as true colour, uncompressed)";
        case 10: return number + " (true colour, run-length encoded)" + only + " (save without RLE compression)";
        case 11: return number + " (greyscale, run-length encoded)" + only + " (save as true colour, uncompressed)";
        default: return number + ", which no TGA file has: is it a TGA file at all?";
        }
    }
    if (depth != 24 && depth != 32)
        return std::to_string(depth) + " bits per pixel; only 24 and 32 are read";
    const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    if (pixels > TgaImage::kMaxPixels)
        return std::to_string(width) + "x" + std::to_string(height) + " is " + std::to_string(pixels) +
               " pixels, more than the " + std::to_string(TgaImage::kMaxPixels) + " a texture holds";
    const unsigned long long mapBytes =
        mapType == 1 ? static_cast<unsigned long long>(mapLength) * ((mapEntryBits + 7) / 8) : 0;
    if (size < 18ull + idLength + mapBytes) return "the file ends inside its colour map";
    const unsigned long long needed = 18ull + idLength + mapBytes + pixels * (depth / 8);
    if (size < needed)
        return "the file ends inside its pixels: " + std::to_string(width) + "x" + std::to_string(height) + " at " +
               std::to_string(depth) + " bits needs " + std::to_string(needed) + " bytes, the file has " +
               std::to_string(size);
    return "not enough memory to read it";
}

// Writes the decoded picture to path. On failure returns the system's reason
// and removes whatever part of a regular file was written.
std::string writeRaw(const char* path, const TgaImage& image) {
    const TgaPixels& p = image.pixels;
    std::vector<uint8_t> bytes;
    appendRawImage(&bytes, p.width, p.height, p.data.get());
    FILE* out = std::fopen(path, "wb");
    if (!out) return std::strerror(errno);
    struct stat info {};
    const bool regular = ::fstat(fileno(out), &info) == 0 && S_ISREG(info.st_mode);  // never remove a device
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int code = errno;
    if (std::fclose(out) != 0 || !written) {
        const std::string why = std::strerror(written ? errno : code);
        if (regular) std::remove(path);
        return why;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    std::string fileArgument, rawArgument;
    CLI::App app("Loads FILE with the show's TGA reader, lets the reader print its messages\n"
                 "unchanged, then describes the picture or says in English why it was refused.");
    setUpCommandLine(app, "glowmotion-tga");
    app.add_option("FILE", fileArgument, "the picture to load")->required();
    CLI::Option* raw = app.add_option("--raw", rawArgument,
                                      "also write the decoded pixels as .raw: uint32 width, uint32 height,\n"
                                      "then width*height uint32 words 0xAARRGGBB (bytes B, G, R, A),\n"
                                      "all little-endian: the layout glowmotion-texgen writes too")
                           ->type_name("OUT")
                           ->check(nonEmpty("file name"));
    app.footer("Exit status: 0 loaded (and written), 1 refused by the reader or OUT not written,\n"
               "2 a bad command line.");
    const int parsed = parseCommandLine(app, argc, argv);
    if (parsed >= 0) return parsed;
    const char* file = fileArgument.c_str();
    const char* rawOut = raw->count() > 0 ? rawArgument.c_str() : nullptr;

    TgaImage image;
    const bool loaded = tgaLoad(file, &image);
    std::fflush(stdout);
    if (!loaded) {
        std::printf("%s: refused: %s\n", file, refusalReason(file).c_str());
        return 1;
    }

    const TgaPixels& p = image.pixels;
    const size_t count = size_t(p.width) * p.height;
    bool anyAlpha = false;
    for (size_t i = 0; i < count && !anyAlpha; ++i) anyAlpha = (p.data[i] >> 24) != 0;

    std::printf("%s: loaded\n", file);
    std::printf("width: %u\n", unsigned(p.width));
    std::printf("height: %u\n", unsigned(p.height));
    std::printf("depth: %u\n", unsigned(image.pixelDepth));
    std::printf("origin: %s\n", originName(image.descriptor));
    std::printf("image id: %u bytes\n", unsigned(image.idLength));
    std::printf("alpha above 0: %s\n", anyAlpha ? "yes" : "no");
    std::printf("fits a texture: %s (%zu of %u pixels)\n", count <= TgaImage::kMaxPixels ? "yes" : "no", count,
                unsigned(TgaImage::kMaxPixels));

    int status = 0;
    if (rawOut) {
        const std::string why = writeRaw(rawOut, image);
        if (why.empty()) {
            std::printf("raw: %s (%zu bytes)\n", rawOut, 8 + count * 4);
        } else {
            std::fprintf(stderr, "glowmotion-tga: cannot write %s: %s\n", rawOut, why.c_str());
            status = 1;
        }
    }
    return status;
}
