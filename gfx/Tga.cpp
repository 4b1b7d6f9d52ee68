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

// Opens path for reading when it is a regular file. A folder, a device or a
// pipe is no picture: it is not opened (a pipe would wait for a writer, a
// device like /dev/zero would never end), and the caller reports it as a
// file that cannot be opened. *why says which it was.
FILE* openRegularFile(const char* path, std::string* why) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *why = std::string("cannot be opened: ") + std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *why = "not a regular file";
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        *why = std::string("cannot be opened: ") + std::strerror(errno);
        ::close(fd);
    }
    return file;
}

// Drops whatever a refused load had allocated.
bool refuse(FILE* file, TgaImage* image, std::string* why, std::string reason) {
    std::fclose(file);
    image->pixels.data.reset();
    image->imageId.reset();
    *why = std::move(reason);
    return false;
}

}  // namespace

bool tgaLoad(const char* path, TgaImage* image, std::string* whyOut) {
    std::string ignored;
    std::string* why = whyOut ? whyOut : &ignored;
    *image = TgaImage();
    FILE* file = openRegularFile(path, why);
    if (!file) {
        std::printf(kCannotOpen, path);
        return false;
    }

    uint8_t header[18];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) {
        std::printf(kTruncated, path);
        return refuse(file, image, why, "the file ends early");
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
            std::printf(kNoMemory, path);
            return refuse(file, image, why, "out of memory");
        }
        if (std::fread(image->imageId.get(), 1, image->idLength, file) != image->idLength) {
            std::printf(kTruncated, path);
            return refuse(file, image, why, "the file ends early");
        }
    }

    if (image->imageType != kTrueColour) {
        std::printf(kWrongType);
        return refuse(file, image, why,
                      "image type " + std::to_string(image->imageType) + ", not uncompressed true colour (2)");
    }
    if (image->pixelDepth != 24 && image->pixelDepth != 32) {
        std::printf(kWrongDepth, image->pixelDepth);
        return refuse(file, image, why, std::to_string(image->pixelDepth) + " bits per pixel, not 24 or 32");
    }
    const uint32_t pixelCount = uint32_t(image->width) * image->height;
    if (pixelCount > TgaImage::kMaxPixels) {
        std::printf(kTooLarge, path, unsigned(image->width), unsigned(image->height),
                    unsigned(TgaImage::kMaxPixels));
        return refuse(file, image, why,
                      std::to_string(image->width) + "x" + std::to_string(image->height) + " pixels, more than " +
                          std::to_string(TgaImage::kMaxPixels));
    }

    // A true-colour file may still carry a colour map (unused by its pixels);
    // the pixels start after it.
    if (image->colourMapType == 1) {
        const unsigned long mapBytes =
            static_cast<unsigned long>(image->colourMapLength) * ((image->colourMapEntrySize + 7u) / 8u);
        if (!skip(file, mapBytes)) {
            std::printf(kTruncated, path);
            return refuse(file, image, why, "the file ends early");
        }
    }

    image->pixels.width = image->width;
    image->pixels.height = image->height;
    if (pixelCount != 0) {
        image->pixels.data.reset(new (std::nothrow) uint32_t[size_t(pixelCount) + TgaPixels::kZeroTailWords]);
        if (!image->pixels.data) {
            std::printf(kNoMemory, path);
            return refuse(file, image, why, "out of memory");
        }
        std::fill_n(image->pixels.data.get() + pixelCount, TgaPixels::kZeroTailWords, 0u);
        if (!readPixels(file, *image, &image->pixels)) {
            std::printf(kTruncated, path);
            return refuse(file, image, why, "the file ends early");
        }
    }
    std::fclose(file);
    return true;
}
