// glowmotion-art: draws every picture of the show and the font sheet.
//
//   glowmotion-art DATA_DIR                          write the 32 files into DATA_DIR
//   glowmotion-art --contact-sheet DATA_DIR OUT.png  picture of them all, as seen
//   glowmotion-art --preview NAME OUT.png            one picture as drawn (for artists)
//   glowmotion-art --icon SIZE OUT.png               the desktop icon, SIZE x SIZE pixels
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Art.h"
#include "base/CommandLine.h"

int main(int argc, char** argv) {
    std::string dataDir;
    std::vector<std::string> contactSheet, preview, icon;
    CLI::App app("Draws every picture of the show and the font sheet.");
    setUpCommandLine(app, "glowmotion-art");
    CLI::Option* write =
        app.add_option("DATA_DIR", dataDir, "write the 32 files into DATA_DIR, an existing folder")
            ->check(existingFolder());
    CLI::Option* sheet = app.add_option("--contact-sheet", contactSheet,
                                        "a picture of them all as the show sees them, from the files in DATA_DIR")
                             ->expected(2)
                             ->type_name("DATA_DIR OUT.png");
    CLI::Option* one = app.add_option("--preview", preview,
                                      "one picture as drawn (for artists); NAME as in DATA_DIR, star.tga or star")
                           ->expected(2)
                           ->type_name("NAME OUT.png");
    CLI::Option* iconOption = app.add_option("--icon", icon, "the desktop icon, SIZE x SIZE pixels, SIZE 16 to 1024")
                                  ->expected(2)
                                  ->type_name("SIZE OUT.png")
                                  ->check(integerIn(16, 1024).application_index(0));
    write->excludes(sheet)->excludes(one)->excludes(iconOption);
    sheet->excludes(one)->excludes(iconOption);
    one->excludes(iconOption);
    app.footer(
        "Give exactly one of DATA_DIR, --contact-sheet, --preview and --icon.\n"
        "Exit status: 0 written, 1 a file could not be read or written, 2 a bad command line.");
    const int parsed = parseCommandLine(app, argc, argv);
    if (parsed >= 0) return parsed;

    std::string error;
    if (sheet->count() > 0) {
        if (!art::writeContactSheet(contactSheet[0], contactSheet[1], &error)) {
            std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (one->count() > 0) {
        const art::ArtFile* f = art::findArt(preview[0]);
        if (!f) {
            std::fprintf(stderr, "glowmotion-art: no picture named %s; the names: %s\n", preview[0].c_str(),
                         art::artNames().c_str());
            return 1;
        }
        cairo_surface_t* s = art::renderArt(*f);
        const bool written = art::writePng(s, preview[1], &error);
        cairo_surface_destroy(s);
        if (!written) {
            std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (iconOption->count() > 0) {
        if (!art::writeIcon(std::atoi(icon[0].c_str()), icon[1], &error)) {
            std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (write->count() == 0) {
        std::fputs(commandLineError(app, "give DATA_DIR, --contact-sheet, --preview or --icon").c_str(), stderr);
        return 2;
    }
    if (!art::writeAllArt(dataDir, &error)) {
        std::fprintf(stderr, "glowmotion-art: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
