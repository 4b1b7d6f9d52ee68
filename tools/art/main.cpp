// glowmotion-art: draws every picture of the show and the font sheet.
//
//   glowmotion-art DATA_DIR                          write the 32 files into DATA_DIR
//   glowmotion-art --contact-sheet DATA_DIR OUT.png  picture of them all, as seen
//   glowmotion-art --preview NAME OUT.png            one picture as drawn (for artists)
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Art.h"

int main(int argc, char** argv) {
    std::string error;
    if (argc == 4 && std::strcmp(argv[1], "--contact-sheet") == 0) {
        if (!art::writeContactSheet(argv[2], argv[3], &error)) {
            std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--preview") == 0) {
        const art::ArtFile* f = art::findArt(argv[2]);
        if (!f) {
            std::fprintf(stderr, "glowmotion-art: no picture named %s\n", argv[2]);
            return 1;
        }
        cairo_surface_t* s = art::renderArt(*f);
        const cairo_status_t st = cairo_surface_write_to_png(s, argv[3]);
        cairo_surface_destroy(s);
        return st == CAIRO_STATUS_SUCCESS ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: glowmotion-art DATA_DIR\n"
                     "       glowmotion-art --contact-sheet DATA_DIR OUT.png\n"
                     "       glowmotion-art --preview NAME OUT.png\n");
        return 2;
    }
    if (!art::writeAllArt(argv[1], &error)) {
        std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
