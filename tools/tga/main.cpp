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
#include <sys/stat.h>

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
    std::string why;
    const bool loaded = tgaLoad(file, &image, &why);
    std::fflush(stdout);
    if (!loaded) {
        std::printf("%s: refused: %s\n", file, why.c_str());
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
        const std::string writeFailure = writeRaw(rawOut, image);
        if (writeFailure.empty()) {
            std::printf("raw: %s (%zu bytes)\n", rawOut, 8 + count * 4);
        } else {
            std::fprintf(stderr, "glowmotion-tga: cannot write %s: %s\n", rawOut, writeFailure.c_str());
            status = 1;
        }
    }
    return status;
}
