#pragma once
// Scenes drawn offscreen on the tests' GL context (640x480, the show's 4:3
// picture), with identification pictures in place of the art: every file the
// scenes read at its catalogue size, one solid colour per file (per frame of
// a strip), stored for the red/blue exchange the art tool writes it for, so a
// probe tells which picture and frame it sees and whether the scene made the
// texture with that exchange. The font sheet is solid too: each glyph draws as
// a filled square. brazo.tga and big_circle.tga, which lie over the whole
// view, are transparent.
#include "Art.h"
#include "base/DataPath.h"
#include "base/FrameClock.h"
#include "common/Files.h"
#include "common/GlContext.h"
#include "gfx/TgaWriter.h"
#include "scenes/Scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
inline bool near(const Rgb& a, const Rgb& b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The identification colour of frame `frame` of a file: the file's place in
// the catalogue picks red and blue (red far below blue), the frame green.
inline Rgb ident(const std::string& name, int frame = 0) {
    const auto& catalogue = art::artCatalogue();
    int index = 0;
    while (index < static_cast<int>(catalogue.size()) && name != catalogue[index].name) ++index;
    EXPECT_LT(index, static_cast<int>(catalogue.size())) << name;
    return {(index % 6) * 20, 8 + frame * 17, 150 + (index / 6) * 16};
}

// The identification pictures in a folder of their own, made the data folder.
class IdentData {
public:
    IdentData() : dir("scenes-ident") {
        for (const art::ArtFile& file : art::artCatalogue()) {
            TgaFileHeader header;  // 32 bits, top row first
            header.width = static_cast<uint16_t>(file.width);
            header.height = static_cast<uint16_t>(file.height);
            const bool exchanged = file.exchange != RedBlueExchange::None;
            const std::string name = file.name;
            const uint32_t alpha = name == "brazo.tga" || name == "big_circle.tga" ? 0 : 255;
            dir.write(file.name, tgaFileBytes(header, [&](int x, int) {
                          const Rgb c = ident(file.name, x * file.frames / file.width);
                          const uint32_t first = exchanged ? c.b : c.r, third = exchanged ? c.r : c.b;
                          return first | uint32_t(c.g) << 8 | third << 16 | alpha << 24;
                      }));
        }
        setDataDirectory(dir.path().string());
    }

private:
    testfiles::TempDir dir;
};

// A fixed-step show clock whose reading the test sets frame by frame.
struct ShowClock {
    FrameClock clock;
    ShowClock() {
        clock.runFixedStep(1000);
        clock.start(0.0);
    }
    void at(double t) { clock.replayAt(FrameClock::ticksOf(t)); }
};

// The framebuffer, top row first.
struct Frame {
    std::vector<uint8_t> rgba;
    void read() { testGL().readPixels(rgba); }
    Rgb pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= 640 || y >= 480) return {-1, -1, -1};
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * 640 + x) * 4];
        return {p[0], p[1], p[2]};
    }
};

struct Pixel {
    int x, y;  // from the left, from the top
};
// Where (x, y, z) of the view space lands under the show's projection.
inline Pixel project(double x, double y, double z) {
    double model[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, projection[16];
    const GLint viewport[4] = {0, 0, 640, 480};
    glMatrixMode(GL_PROJECTION);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    double wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
    return {static_cast<int>(std::floor(wx)), 479 - static_cast<int>(std::floor(wy))};
}
