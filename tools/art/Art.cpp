#include "Art.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Drawings.h"
#include "Paint.h"
#include "gfx/TgaWriter.h"

namespace art {

namespace {

constexpr RedBlueExchange kBySize = RedBlueExchange::BySize;
constexpr RedBlueExchange kWhole = RedBlueExchange::WholeBuffer;
constexpr RedBlueExchange kNone = RedBlueExchange::None;
constexpr Orientation kUp = Orientation::TopAtT0;
constexpr Orientation kFlip = Orientation::BottomAtT0;

// Sizes follow the on-screen shape of each quad: plates 4 x 1.5 -> 8:3,
// the credits logo 4 x 1.1, the portrait 0.8 x 1.6, dancer frames 1.0 x 1.4,
// the end background 6.6 x 5.2. Pictures made with BySize stay within 65,536
// pixels (the count a new texture exchanges); all stay within 262,144.
const std::vector<ArtFile> kCatalogue = {
    // name            w     h   depth fr exch    blend  orient
    {"vinyl.tga",      256,  256, 32, 1, kBySize, true,  kUp,   "turntable: record, small quad (star tunnel loads it with BySize, not drawn)", drawVinyl},
    {"technics.tga",   2048, 64,  24, 1, kNone,   false, kFlip, "turntable: platter rim, gluCylinder (t = 0 at the lower edge), no blending", drawTechnics},
    {"bck1.tga",       512,  512, 24, 1, kWhole,  false, kUp,   "turntable: swirling background, 4 x 4 quad, no blending", drawBck1},
    {"plato.tga",      512,  512, 32, 1, kWhole,  true,  kUp,   "turntable: the deck, large 2 x 2 quad", drawPlato},
    {"brazo.tga",      512,  512, 32, 1, kWhole,  true,  kUp,   "turntable: tonearm, large 2 x 2 quad over the deck", drawBrazo},
    {"quellix.tga",    512,  192, 32, 1, kWhole,  true,  kUp,   "turntable: first title, banner 4 x 1.5", drawQuellix},
    {"presents.tga",   512,  192, 32, 1, kWhole,  true,  kUp,   "turntable: second title, banner 4 x 1.5", drawPresents},
    {"glowmotion2.tga",512,  512, 32, 1, kWhole,  true,  kUp,   "credits: title, square 2 x 2, fading", drawGlowmotion2},
    {"nilo.tga",       384,  144, 32, 1, kBySize, true,  kUp,   "credits: name plate 4 x 1.5 (slides in)", drawNilo},
    {"sabueso.tga",    384,  144, 32, 1, kBySize, true,  kUp,   "credits: name plate 4 x 1.5 (upper left)", drawSabueso},
    {"kiro.tga",       384,  144, 32, 1, kBySize, true,  kUp,   "credits: name plate 4 x 1.5 (slides in last)", drawKiro},
    {"iface.tga",      400,  144, 32, 1, kBySize, true,  kUp,   "credits: picture above the nilo plate, 3.6 x 1.3", drawIface},
    {"big_circle.tga", 256,  256, 32, 1, kBySize, true,  kUp,   "credits: eight pulsing circles, 2 x 2 at alpha 0.5", drawBigCircle},
    {"logo.tga",       480,  132, 32, 1, kBySize, true,  kUp,   "credits: group logo, 4 x 1.1", drawLogo},
    {"star.tga",       128,  128, 32, 1, kBySize, true,  kUp,   "credits/star tunnel (BySize), dance floor (WholeBuffer): unit quad", drawStar},
    {"tia.tga",        256,  512, 32, 1, kWhole,  true,  kUp,   "star tunnel: portrait, 0.8 x 1.6", drawTia},
    {"flower.tga",     256,  256, 32, 1, kWhole,  true,  kUp,   "star tunnel: spinning flower, unit quad", drawFlower},
    {"floor.tga",      1024, 256, 32, 4, kWhole,  false, kUp,   "dance floor: 4 frames on a unit quad lying flat (opaque; blended in one frame)", drawFloor},
    {"bola.tga",       384,  128, 32, 3, kWhole,  true,  kUp,   "dance floor: mirror ball, 3 frames, unit quad (0.33 of s)", drawBola},
    {"baile1.tga",     1568, 160, 32, 14,kNone,   true,  kUp,   "dance floor: dancer 1, 14 frames, 1 x 1.4", drawBaile1},
    {"baile2.tga",     1120, 160, 32, 10,kNone,   true,  kUp,   "dance floor: dancer 2 and echo, 10 frames, 1 x 1.4", drawBaile2},
    {"lightball.tga",  256,  256, 24, 1, kNone,   false, kUp,   "dance floor: glow over the ball, 1.4 x 1.4, added as c(1 - c)", drawLightball},
    {"light.tga",      128,  256, 32, 1, kWhole,  true,  kUp,   "dance floor: light beam, loaded, not drawn", drawLight},
    {"frog.tga",       512,  128, 32, 4, kWhole,  true,  kUp,   "end: frog, 4 frames, unit quad", drawFrog},
    {"bcn.tga",        256,  256, 32, 1, kWhole,  true,  kUp,   "end: skyline, loaded, not drawn", drawBcn},
    {"bcn_blur.tga",   256,  256, 32, 1, kWhole,  true,  kUp,   "end: skyline blurred, 2 x 2, left", drawBcnBlur},
    {"party.tga",      256,  256, 32, 1, kWhole,  true,  kUp,   "end: crowd, loaded, not drawn", drawParty},
    {"party_blur.tga", 256,  256, 32, 1, kWhole,  true,  kUp,   "end: crowd blurred, 2 x 2, middle", drawPartyBlur},
    {"10.tga",         256,  256, 32, 1, kWhole,  true,  kUp,   "end: big 10, loaded, not drawn", drawTen},
    {"10_blur.tga",    256,  256, 32, 1, kWhole,  true,  kUp,   "end: big 10 blurred, 2 x 2, right", drawTenBlur},
    {"bck_end.tga",    512,  400, 24, 1, kWhole,  false, kUp,   "end: background, 6.6 x 5.2, no blending", drawBckEnd},
    {"font.fnt",       256,  256, 32, 1, kBySize, true,  kFlip, "font sheet: 16 x 16 cells, set 0 glyphs 0-127, set 1 glyphs 128-255", drawFontSheet},
};

int descriptorOf(const ArtFile& f) {
    return (f.depth == 32 ? 8 : 0) | (f.orientation == Orientation::TopAtT0 ? 0x20 : 0);
}

}  // namespace

const std::vector<ArtFile>& artCatalogue() { return kCatalogue; }

const ArtFile* findArt(const std::string& name) {
    for (const ArtFile& f : kCatalogue)
        if (name == f.name) return &f;
    for (const ArtFile& f : kCatalogue)
        if (std::strncmp(f.name, name.c_str(), name.size()) == 0 && f.name[name.size()] == '.' &&
            std::strchr(f.name + name.size() + 1, '.') == nullptr)
            return &f;
    return nullptr;
}

std::string artNames() {
    std::string names;
    for (const ArtFile& f : kCatalogue) names += (names.empty() ? "" : ", ") + std::string(f.name);
    return names;
}

cairo_surface_t* renderArt(const ArtFile& file) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, file.width, file.height);
    cairo_t* cr = cairo_create(s);
    file.draw(cr, file.width, file.height);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    return s;
}

std::vector<uint8_t> intendedPixels(const ArtFile& file, cairo_surface_t* picture) {
    cairo_surface_flush(picture);
    const int w = file.width, h = file.height;
    const int stride = cairo_image_surface_get_stride(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p;
            std::memcpy(&p, data + y * stride + x * 4, 4);
            const unsigned a = p >> 24;
            uint8_t* o = &out[(static_cast<size_t>(y) * w + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const unsigned pre = (p >> (16 - 8 * c)) & 0xFF;  // r, g, b
                o[c] = a == 0 ? 0 : static_cast<uint8_t>((pre * 255 + a / 2) / a);
            }
            o[3] = file.depth == 24 ? 255 : static_cast<uint8_t>(a);
        }
    return out;
}

std::vector<uint8_t> encodeTga(const ArtFile& file, cairo_surface_t* picture) {
    const std::vector<uint8_t> rgba = intendedPixels(file, picture);
    TgaFileHeader header;
    header.width = static_cast<uint16_t>(file.width);
    header.height = static_cast<uint16_t>(file.height);
    header.depth = static_cast<uint8_t>(file.depth);
    header.descriptor = static_cast<uint8_t>(descriptorOf(file));
    // Rows go top row first in both orientations; only the descriptor
    // differs, so the reader delivers a BottomAtT0 picture upside down.
    // Bytes 0 and 2 of a pixel reach OpenGL as red and blue after the
    // scene's exchange; with no exchange they must already hold red and blue.
    const bool exchanged = file.exchange != RedBlueExchange::None;
    return tgaFileBytes(header, [&](int x, int y) {
        const int row = file.orientation == Orientation::TopAtT0 ? y : file.height - 1 - y;
        const uint8_t* p = &rgba[(static_cast<size_t>(row) * file.width + x) * 4];
        const uint32_t first = exchanged ? p[2] : p[0], third = exchanged ? p[0] : p[2];
        return first | uint32_t(p[1]) << 8 | third << 16 | uint32_t(p[3]) << 24;
    });
}

std::vector<uint8_t> viewerPixels(const ArtFile& file, const std::vector<uint8_t>& tga) {
    if (tga.size() < 18) return {};
    const int w = tga[12] | tga[13] << 8, h = tga[14] | tga[15] << 8;
    const int depth = tga[16], bpp = depth / 8;
    const bool topFirst = (tga[17] & 0x20) != 0;
    const size_t need = 18 + tga[0] + static_cast<size_t>(w) * h * bpp;
    if (tga[2] != 2 || (depth != 24 && depth != 32) || tga.size() < need) return {};
    // The reader: memory row 0 is the top row as descriptor bit 5 declares it.
    std::vector<uint8_t> memory(static_cast<size_t>(w) * h * 4);
    const uint8_t* src = tga.data() + 18 + tga[0];
    for (int i = 0; i < h; ++i) {
        const int row = topFirst ? i : h - 1 - i;
        for (int x = 0; x < w; ++x, src += bpp) {
            uint8_t* m = &memory[(static_cast<size_t>(row) * w + x) * 4];
            m[0] = src[0];
            m[1] = src[1];
            m[2] = src[2];
            m[3] = depth == 32 ? src[3] : 0;
        }
    }
    // The texture: the scene's exchange, then bytes are taken as R, G, B, A.
    const size_t pixels = static_cast<size_t>(w) * h;
    const size_t swapped = file.exchange == RedBlueExchange::None      ? 0
                           : file.exchange == RedBlueExchange::BySize ? std::min<size_t>(pixels, 65536)
                                                                      : pixels;
    for (size_t i = 0; i < swapped; ++i) std::swap(memory[i * 4], memory[i * 4 + 2]);
    // The screen: t = 0 at the top of the quad, or at the bottom.
    std::vector<uint8_t> view(memory.size());
    for (int y = 0; y < h; ++y) {
        const int row = file.orientation == Orientation::TopAtT0 ? y : h - 1 - y;
        std::memcpy(&view[static_cast<size_t>(y) * w * 4], &memory[static_cast<size_t>(row) * w * 4],
                    static_cast<size_t>(w) * 4);
    }
    if (depth == 24)  // drawn without blending: alpha plays no part
        for (size_t i = 0; i < pixels; ++i) view[i * 4 + 3] = 255;
    return view;
}

namespace {

struct PngOutput {
    FILE* file;
    int error;  // errno of the first write that failed
};

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length) {
    PngOutput* out = static_cast<PngOutput*>(closure);
    if (std::fwrite(data, 1, length, out->file) == length) return CAIRO_STATUS_SUCCESS;
    out->error = errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool writePng(cairo_surface_t* surface, const std::string& path, std::string* error) {
    PngOutput out{std::fopen(path.c_str(), "wb"), 0};
    if (!out.file) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fileno(out.file), &info) == 0 && S_ISREG(info.st_mode);  // never remove a device
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeChunk, &out);
    if (std::fclose(out.file) != 0 && out.error == 0) out.error = errno;
    if (status == CAIRO_STATUS_SUCCESS && out.error == 0) return true;
    if (error)
        *error = "cannot write " + path + ": " +
                 (out.error != 0 ? std::strerror(out.error) : cairo_status_to_string(status));
    if (regular) std::remove(path.c_str());
    return false;
}

bool writeAllArt(const std::string& dir, std::string* error) {
    for (const ArtFile& f : kCatalogue) {
        cairo_surface_t* s = renderArt(f);
        const std::vector<uint8_t> bytes = encodeTga(f, s);
        cairo_surface_destroy(s);
        const std::string path = dir + "/" + f.name;
        FILE* out = std::fopen(path.c_str(), "wb");
        bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        int code = errno;
        if (out && std::fclose(out) != 0 && written) {
            written = false;
            code = errno;
        }
        if (!written) {
            if (error) *error = "cannot write " + path + ": " + std::strerror(code);
            return false;
        }
    }
    return true;
}

}  // namespace art
