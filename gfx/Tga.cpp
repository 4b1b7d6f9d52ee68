#include "gfx/Tga.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

namespace {

// Everything the reader ever prints. Latin-1 text: \xF3 is "ó", \xE1 "á",
// \xED "í".
constexpr const char* kCannotOpen = "TGA: No se ha podido abrir %s\n";
constexpr const char* kWrongType = "No se soporta otro tipo que no sea TRUE COLOR descomprimido\n";
constexpr const char* kWrongDepth = "No se soporta los TGAs de %d bpp (S\xF3lo 32 y 24 descomprimido)\n";
constexpr const char* kTooLarge = "TGA: %s mide %ux%u, no cabe en una textura (m\xE1ximo %u p\xEDxeles)\n";
constexpr const char* kTruncated = "TGA: El fichero %s termina antes de tiempo\n";
constexpr const char* kNoMemory = "TGA: No hay memoria para leer %s\n";
constexpr const char* kNoMemoryReason = "not enough memory to read it";

constexpr uint8_t kTrueColour = 2;
constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
constexpr uint8_t kTopFirst = 0x20;
constexpr uint8_t kRightToLeft = 0x10;

uint16_t word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Discards n bytes; false when the file ends first.
bool skip(FILE* file, unsigned long n) {
    uint8_t buffer[512];
    while (n > 0) {
        const size_t chunk = n < sizeof buffer ? n : sizeof buffer;
        if (std::fread(buffer, 1, chunk, file) != chunk) return false;
        n -= chunk;
    }
    return true;
}

// Reads the pixels into pixels->data, top row first and left to right
// whatever corner the file starts in. The whole block is read at once
// straight into the picture's memory (one read, no stdio buffering of small
// rows) and put in order there: 24-bit pixels are widened in place from the
// last one down, so no byte is overwritten before it is read; rows stored
// bottom first are exchanged pairwise; rows stored right to left are
// reversed. False when the file ends early.
bool readPixels(FILE* file, const TgaImage& header, TgaPixels* pixels) {
    const int width = pixels->width;
    const int height = pixels->height;
    const size_t bytesPerPixel = header.pixelDepth / 8;
    const bool topFirst = (header.descriptor & kTopFirst) != 0;
    const bool rightToLeft = (header.descriptor & kRightToLeft) != 0;
    const size_t count = static_cast<size_t>(width) * height;

    uint8_t* bytes = reinterpret_cast<uint8_t*>(pixels->data.get());
    if (std::fread(bytes, 1, count * bytesPerPixel, file) != count * bytesPerPixel) return false;

    // Bytes b, g, r(, a) become the word b + g<<8 + r<<16 + a<<24.
    uint32_t* words = pixels->data.get();
    if (bytesPerPixel == 4) {
        if (!kLittleEndian)
            for (size_t k = 0; k < count; ++k) {
                const uint8_t* p = bytes + 4 * k;
                words[k] = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
            }
    } else {
        for (size_t k = count; k-- > 0;) {
            const uint8_t* p = bytes + 3 * k;
            words[k] = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
        }
    }
    if (!topFirst) {
        for (int a = 0, b = height - 1; a < b; ++a, --b)
            std::swap_ranges(words + static_cast<size_t>(a) * width, words + static_cast<size_t>(a + 1) * width,
                             words + static_cast<size_t>(b) * width);
    }
    if (rightToLeft) {
        for (int y = 0; y < height; ++y)
            std::reverse(words + static_cast<size_t>(y) * width, words + static_cast<size_t>(y + 1) * width);
    }
    return true;
}

// Opens path for reading when it is a regular file, and tells its size. A
// folder, a device or a pipe is no picture: it is not opened (a pipe would
// wait for a writer, a device like /dev/zero would never end), and the
// caller reports it as a file that cannot be opened. *why says which it was.
FILE* openRegularFile(const char* path, unsigned long long* size, std::string* why) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *why = std::string("cannot be opened: ") + std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *why = S_ISDIR(info.st_mode) ? "a folder, not a picture file" : "not a regular file (a device or a pipe)";
        return nullptr;
    }
    *size = static_cast<unsigned long long>(info.st_size);
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        *why = std::string("cannot be opened: ") + std::strerror(errno);
        ::close(fd);
    }
    return file;
}

// Why an image type other than 2 is refused, and what to do about it.
std::string wrongTypeReason(unsigned type) {
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

// Drops whatever a refused load had allocated.
bool refuse(FILE* file, TgaImage* image, std::string* why, std::string reason) {
    std::fclose(file);
    image->pixels.data.reset();
    image->imageId.reset();
    *why = std::move(reason);
    return false;
}

// The reader's messages go to standard output unless it reads quietly.
struct Say {
    bool aloud;
    template <typename... Args>
    void operator()(const char* format, Args... args) const {
        if (aloud) std::printf(format, args...);
    }
    // A message with nothing to fill in.
    void operator()(const char* text) const {
        if (aloud) std::fputs(text, stdout);
    }
};

bool readTga(const char* path, TgaImage* image, std::string* whyOut, Say say) {
    std::string ignored;
    std::string* why = whyOut ? whyOut : &ignored;
    *image = TgaImage();
    unsigned long long size = 0;
    FILE* file = openRegularFile(path, &size, why);
    if (!file) {
        say(kCannotOpen, path);
        return false;
    }

    uint8_t header[18];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) {
        say(kTruncated, path);
        return refuse(file, image, why, "the file ends inside the 18-byte header (" + std::to_string(size) + " bytes)");
    }
    image->idLength = header[0];
    image->colourMapType = header[1];
    image->imageType = header[2];
    image->colourMapFirst = word(header + 3);
    image->colourMapLength = word(header + 5);
    image->colourMapEntrySize = header[7];
    image->xOrigin = word(header + 8);
    image->yOrigin = word(header + 10);
    image->width = word(header + 12);
    image->height = word(header + 14);
    image->pixelDepth = header[16];
    image->descriptor = header[17];

    if (image->idLength != 0) {
        image->imageId.reset(new (std::nothrow) uint8_t[image->idLength]);
        if (!image->imageId) {
            say(kNoMemory, path);
            return refuse(file, image, why, kNoMemoryReason);
        }
        if (std::fread(image->imageId.get(), 1, image->idLength, file) != image->idLength) {
            say(kTruncated, path);
            return refuse(file, image, why,
                          "the file ends inside its " + std::to_string(image->idLength) + "-byte image ID");
        }
    }

    if (image->imageType != kTrueColour) {
        say(kWrongType);
        return refuse(file, image, why, wrongTypeReason(image->imageType));
    }
    if (image->pixelDepth != 24 && image->pixelDepth != 32) {
        say(kWrongDepth, image->pixelDepth);
        return refuse(file, image, why, std::to_string(image->pixelDepth) + " bits per pixel; only 24 and 32 are read");
    }
    const uint32_t pixelCount = uint32_t(image->width) * image->height;
    if (pixelCount > TgaImage::kMaxPixels) {
        say(kTooLarge, path, unsigned(image->width), unsigned(image->height),
                    unsigned(TgaImage::kMaxPixels));
        return refuse(file, image, why,
                      std::to_string(image->width) + "x" + std::to_string(image->height) + " is " +
                          std::to_string(pixelCount) + " pixels, more than the " +
                          std::to_string(TgaImage::kMaxPixels) + " a texture holds");
    }

    // A true-colour file may still carry a colour map (unused by its pixels);
    // the pixels start after it.
    unsigned long mapBytes = 0;
    if (image->colourMapType == 1) {
        mapBytes = static_cast<unsigned long>(image->colourMapLength) * ((image->colourMapEntrySize + 7u) / 8u);
        if (!skip(file, mapBytes)) {
            say(kTruncated, path);
            return refuse(file, image, why, "the file ends inside its colour map");
        }
    }

    image->pixels.width = image->width;
    image->pixels.height = image->height;
    if (pixelCount != 0) {
        image->pixels.data.reset(new (std::nothrow) uint32_t[size_t(pixelCount) + TgaPixels::kZeroTailWords]);
        if (!image->pixels.data) {
            say(kNoMemory, path);
            return refuse(file, image, why, kNoMemoryReason);
        }
        std::fill_n(image->pixels.data.get() + pixelCount, TgaPixels::kZeroTailWords, 0u);
        if (!readPixels(file, *image, &image->pixels)) {
            say(kTruncated, path);
            const unsigned long long needed =
                18ull + image->idLength + mapBytes + static_cast<unsigned long long>(pixelCount) * (image->pixelDepth / 8);
            return refuse(file, image, why,
                          "the file ends inside its pixels: " + std::to_string(image->width) + "x" +
                              std::to_string(image->height) + " at " + std::to_string(image->pixelDepth) +
                              " bits needs " + std::to_string(needed) + " bytes, the file has " + std::to_string(size));
        }
    }
    std::fclose(file);
    return true;
}

}  // namespace

bool tgaLoad(const char* path, TgaImage* image, std::string* why) { return readTga(path, image, why, Say{true}); }

bool tgaLoadQuietly(const char* path, TgaImage* image) { return readTga(path, image, nullptr, Say{false}); }
