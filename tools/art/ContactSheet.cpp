// The contact sheet: every file of data/ as the viewer will see it (after the
// reader, the scene's red/blue exchange and the quad's texture rows), over a
// checkerboard so that transparency shows, each with its name and format.
#include <cmath>
#include <cstring>

#include "Art.h"
#include "Paint.h"
#include "base/FileRead.h"

namespace art {

namespace {

const char* exchangeName(RedBlueExchange e) {
    switch (e) {
    case RedBlueExchange::BySize: return "BySize";
    case RedBlueExchange::WholeBuffer: return "WholeBuffer";
    case RedBlueExchange::None: return "None";
    }
    return "?";
}

cairo_surface_t* surfaceFromRgba(const std::vector<uint8_t>& rgba, int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            const unsigned a = p[3];
            auto pre = [a](unsigned c) { return (c * a + 127) / 255; };
            const uint32_t word = a << 24 | pre(p[0]) << 16 | pre(p[1]) << 8 | pre(p[2]);
            std::memcpy(data + y * stride + x * 4, &word, 4);
        }
    cairo_surface_mark_dirty(s);
    return s;
}

void checkerboard(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.80, 0.80, 0.80);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
    const double c = 12;
    for (int j = 0; j * c < h; ++j)
        for (int i = 0; i * c < w; ++i)
            if ((i + j) % 2) cairo_rectangle(cr, x + i * c, y + j * c, c, c);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace

bool writeContactSheet(const std::string& dataDir, const std::string& pngPath, std::string* error) {
    const double sheetW = 1680, margin = 24, gap = 24, label = 40, maxThumbH = 200;
    struct Cell {
        const ArtFile* file;
        cairo_surface_t* picture;
        double x, y, w, h;
    };
    std::vector<Cell> cells;
    double x = margin, y = 80, rowH = 0;
    for (const ArtFile& f : artCatalogue()) {
        // A regular file no larger than a picture can be: header, image ID,
        // a colour map and 262,144 pixels of 4 bytes.
        constexpr std::size_t kMaxPictureBytes = 2u << 20;
        std::vector<uint8_t> bytes;
        std::string why;
        const bool read = readWholeFile(dataDir + "/" + f.name, kMaxPictureBytes, &bytes, &why);
        const std::vector<uint8_t> view = read ? viewerPixels(f, bytes) : std::vector<uint8_t>();
        if (view.empty()) {
            if (error) *error = read ? "cannot read " + dataDir + "/" + f.name + ": not the picture the catalogue lists"
                                     : "cannot read " + why;
            for (Cell& c : cells) cairo_surface_destroy(c.picture);
            return false;
        }
        double th = std::min<double>(f.height, maxThumbH);
        double tw = f.width * th / f.height;
        if (tw > sheetW - 2 * margin) {
            tw = sheetW - 2 * margin;
            th = f.height * tw / f.width;
        }
        const double cellW = std::max(tw, 262.0);
        if (x + cellW > sheetW - margin) {
            x = margin;
            y += rowH + label + gap;
            rowH = 0;
        }
        cells.push_back({&f, surfaceFromRgba(view, f.width, f.height), x, y, tw, th});
        x += cellW + gap;
        rowH = std::max(rowH, th);
    }
    const double sheetH = y + rowH + label + margin;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(sheetW),
                                                        static_cast<int>(sheetH));
    cairo_t* cr = cairo_create(sheet);
    setColour(cr, hex(0x241030));
    cairo_paint(cr);
    useFace(cr, Face::GothicDemi, 34);
    setColour(cr, pal::gold);
    cairo_move_to(cr, margin, 52);
    cairo_show_text(cr, "glowmotion: the pictures and the font, as the viewer sees them");
    for (const Cell& c : cells) {
        checkerboard(cr, c.x, c.y, c.w, c.h);
        cairo_save(cr);
        cairo_translate(cr, c.x, c.y);
        cairo_scale(cr, c.w / c.file->width, c.h / c.file->height);
        cairo_set_source_surface(cr, c.picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        useFace(cr, Face::SansBold, 15);
        setColour(cr, pal::white);
        cairo_move_to(cr, c.x, c.y + c.h + 17);
        cairo_show_text(cr, c.file->name);
        char info[160];
        std::snprintf(info, sizeof info, "%dx%d  %d-bit  %d frame%s  %s", c.file->width, c.file->height,
                      c.file->depth, c.file->frames, c.file->frames == 1 ? "" : "s",
                      exchangeName(c.file->exchange));
        useFace(cr, Face::SansBold, 11);
        setColour(cr, hex(0xC8B8D8));
        cairo_move_to(cr, c.x, c.y + c.h + 34);
        cairo_show_text(cr, info);
        cairo_surface_destroy(c.picture);
    }
    cairo_destroy(cr);
    const bool written = writePng(sheet, pngPath, error);
    cairo_surface_destroy(sheet);
    return written;
}

}  // namespace art
