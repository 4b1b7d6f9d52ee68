#include "gfx/PngFile.h"

#include <png.h>
#include <zlib.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// Only a regular file is removed after a failed write; a device such as
// /dev/full given as the output stays where it is.
bool isRegularFile(FILE* file) {
    struct stat info {};
    return ::fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

// libpng's own handlers print to standard error; the caller reports instead.
void stopQuietly(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}
}  // namespace

bool writePngRgba(const std::string& path, int width, int height, const uint8_t* rgba,
                  bool withAlpha, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ": " + why;
        return false;
    };
    if (width <= 0 || height <= 0) return fail("empty picture");
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return fail(std::strerror(errno));
    const bool regular = isRegularFile(file);

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, stopQuietly, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return fail("out of memory");
    }
    errno = 0;
    if (setjmp(png_jmpbuf(png))) {
        // libpng stops at the first failed write; errno still says why.
        const int code = errno;
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        if (regular) std::remove(path.c_str());
        return fail(code != 0 ? std::strerror(code) : "write error");
    }
    png_init_io(png, file);
    // Fast settings: one filter (Sub) and zlib's quickest level with its
    // run-length strategy. A frame takes about a third of the time of
    // libpng's defaults (adaptive filters, level 6) for files about a
    // quarter larger; bench/gfx/PngBench.cpp measures it.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Without alpha libpng drops every fourth byte itself.
    if (!withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, rgba + static_cast<size_t>(y) * width * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        const int code = errno;
        if (regular) std::remove(path.c_str());
        return fail(std::strerror(code));
    }
    return true;
}
