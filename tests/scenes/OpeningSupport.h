#pragma once
// Helpers shared by the tests of the opening scenes (turntable, credits, star
// tunnel): test pictures with a pattern, colours the scenes clear and draw
// with, and where quads land on screen.
#include "scenes/SceneRig.h"

#include "Art.h"
#include "gfx/TgaWriter.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace opening {

struct Rgba {
    Rgb c;
    int a = 255;
};

// A 32-bit, top-row-first TGA of the catalogue size of `fileName` whose pixel
// (x, y) (y from the top) shows colourAt(x, y) once the scene has exchanged
// red and blue (every picture these tests pattern is made with an exchange).
inline std::vector<uint8_t> patternTga(const std::string& fileName, const std::function<Rgba(int, int)>& colourAt) {
    const art::ArtFile* file = art::findArt(fileName);
    TgaFileHeader header;  // 32 bits, top row first
    header.width = static_cast<uint16_t>(file ? file->width : 16);
    header.height = static_cast<uint16_t>(file ? file->height : 16);
    return tgaFileBytes(header, [&](int x, int y) {
        const Rgba p = colourAt(x, y);
        return uint32_t(p.c.b) | uint32_t(p.c.g) << 8 | uint32_t(p.c.r) << 16 | uint32_t(p.a) << 24;
    });
}

// Fully transparent: the quad draws nothing under source-alpha blending.
inline void makeTransparent(const IdentData& data, const std::string& fileName) {
    data.write(fileName, patternTga(fileName, [](int, int) { return Rgba{{0, 0, 0}, 0}; }));
}

// A disc of the file's identification colour, radius `radius` (of the
// picture's width) at the centre, transparent around it: a quad that turns
// about its centre shows the same dot whatever its angle.
inline void makeDot(const IdentData& data, const std::string& fileName, double radius) {
    const art::ArtFile* file = art::findArt(fileName);
    const double w = file->width, h = file->height;
    const Rgb c = IdentData::colourOf(fileName);
    data.write(fileName, patternTga(fileName, [=](int x, int y) {
                   const double dx = (x + 0.5) / w - 0.5, dy = (y + 0.5) / h - 0.5;
                   return std::hypot(dx, dy) < radius ? Rgba{c, 255} : Rgba{{0, 0, 0}, 0};
               }));
}

// The clear and drawing colours as the framebuffer holds them: the scenes
// pass 32-bit floats (0.7f is a little below 0.7, so a clear stores 178).
// Vertex colours may round the last bit the other way: compare those with
// near(..., 1).
inline Rgb eightBit(float r, float g, float b) {
    auto channel = [](float v) { return static_cast<int>(std::lround(static_cast<double>(v) * 255.0)); };
    return {channel(r), channel(g), channel(b)};
}
const Rgb kOrange = eightBit(1.0f, 0.7f, 0.0f);        // turntable and star tunnel
const Rgb kYellowOrange = eightBit(1.0f, 0.8f, 0.0f);  // credits
const Rgb kPurple = eightBit(0.4f, 0.1f, 0.4f);        // credits' flashes
const Rgb kBlack = {0, 0, 0};                       // the window's first clear colour

// src drawn with alpha `a` over dst.
inline Rgb over(const Rgb& src, double a, const Rgb& dst) {
    auto mixChannel = [a](int s, int d) { return static_cast<int>(std::lround(s * a + d * (1 - a))); };
    return {mixChannel(src.r, dst.r), mixChannel(src.g, dst.g), mixChannel(src.b, dst.b)};
}

// Whether screen point s lies inside the convex outline, at least `margin`
// pixels from its edges (a negative margin also takes points just outside).
inline bool insideOutline(const std::vector<ScreenPoint>& outline, ScreenPoint s, double margin = 0) {
    double sign = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const ScreenPoint a = outline[i], b = outline[(i + 1) % outline.size()];
        const double ex = b.x - a.x, ey = b.y - a.y, len = std::hypot(ex, ey);
        if (len == 0) continue;
        const double cross = (ex * (s.y - a.y) - ey * (s.x - a.x)) / len;  // signed distance
        if (sign == 0) sign = cross < 0 ? -1 : 1;
        if (cross * sign < margin) return false;
    }
    return true;
}

// Whether s lies inside the quad from (-hw, -hh) to (hw, hh) under the
// projector's modelview.
inline bool insideQuad(const Projector& p, double hw, double hh, ScreenPoint s, double margin = 0) {
    return insideOutline({p.project(-hw, -hh), p.project(hw, -hh), p.project(hw, hh), p.project(-hw, hh)}, s, margin);
}

// Whether s lies inside the disc of radius r about the origin of the
// projector's z = 0 plane.
inline bool insideDisc(const Projector& p, double r, ScreenPoint s, double margin = 0) {
    std::vector<ScreenPoint> outline;
    for (int k = 0; k < 96; ++k) outline.push_back(p.project(r * std::cos(k * M_PI / 48), r * std::sin(k * M_PI / 48)));
    return insideOutline(outline, s, margin);
}

inline bool onScreen(ScreenPoint s, double margin = 2) {
    return s.x >= margin && s.y >= margin && s.x < 800 - margin && s.y < 600 - margin;
}

inline std::array<float, 4> clearColour() {
    std::array<float, 4> c{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, c.data());
    return c;
}

}  // namespace opening
