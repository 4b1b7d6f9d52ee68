#pragma once
// Driving scenes the way the show does, offscreen, and looking at the result.
//
//   IdentData   a data folder of identification pictures: every file the
//               scenes read, at its real size, 32-bit, one solid colour per
//               file (per frame for strips) with red != blue, so a probe
//               tells which texture it sees and whether red and blue were
//               exchanged; the font sheet is solid white (every glyph draws
//               as a filled square).
//   SceneRig    an offscreen show surface (as a recording draws on, 800x600
//               by default): loads scenes, shows the surface (viewport) and
//               sets the show's projection and initial GL state, starts the
//               scenes with the show clock at a position, and renders frames
//               at chosen show times; then reads pixels.
//   Projector   where a point lands on screen under the show's projection
//               and a modelview built the way a scene builds it
//               (glTranslatef, glRotatef, glScalef), as the fixed-function
//               pipeline computes it.
#include "app/Surface.h"
#include "base/FrameClock.h"
#include "scenes/Scene.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    Rgb swapped() const { return {b, g, r}; }
};
std::string describe(const Rgb& c);  // "(r, g, b)"
// Channels within `tolerance` of each other (filtering, rounding).
bool near(const Rgb& a, const Rgb& b, int tolerance = 3);

class IdentData {
public:
    // Writes the folder `dir` (made fresh) with every art file and font.fnt.
    explicit IdentData(const std::string& dir);
    ~IdentData();  // removes the folder
    const std::string& dir() const { return dir_; }

    // The colour of the file's picture (of frame `frame` of a strip). The
    // file stores it in the reader's blue, green, red order, so a scene that
    // makes the texture with a red/blue exchange shows exactly this colour
    // and one that makes it without shows swapped().
    static Rgb colourOf(const std::string& fileName, int frame = 0);
    // Replaces one file (e.g. to make it missing or broken).
    void remove(const std::string& fileName) const;
    void write(const std::string& fileName, const std::vector<uint8_t>& bytes) const;

private:
    std::string dir_;
};

// A fresh, empty folder name for this test: /tmp/glowmotion-<tag>-<pid>.
std::string testFolder(const std::string& tag);

class SceneRig {
public:
    explicit SceneRig(const std::string& dataDir, int width = 800, int height = 600);
    ~SceneRig();
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    // The show clock the scenes under test are made on. One rig at a time
    // drives it: begin() starts it, setTime() moves it.
    static const FrameClock& clock();

    // load() on each scene in the order given, show the surface, then
    // start each with the show clock at `startAt` seconds.
    void begin(std::initializer_list<Scene*> scenes, double startAt = 0.0);
    // Moves the clock to show time t and calls scene.render(t).
    void render(Scene& scene, double t);
    // Moves the clock only (a frame in which no scene draws).
    void setTime(double t);

    // The framebuffer now, top row first.
    void read();
    // Pixel (x, y) of the last read, x from the left, y from the top.
    Rgb pixel(int x, int y) const;
    // Pixel nearest a projected point.
    Rgb pixel(double x, double y) const;
    int width() const { return width_; }
    int height() const { return height_; }
    // Counts pixels of the last read within `tolerance` of c.
    int count(const Rgb& c, int tolerance = 3) const;

    // Writes the last read as PNG (to look at while writing a test).
    void savePng(const std::string& path) const;

private:
    OffscreenSurface surface_;
    int width_;
    int height_;
    double startAt_ = 0.0;
    std::vector<uint8_t> rgba_;
};

struct ScreenPoint {
    double x = 0, y = 0;  // framebuffer pixels, x from the left, y from the top
};

class Projector {
public:
    // The show's perspective: 45 degrees, 4:3, near 0.1f, far 3000, on a
    // width x height picture.
    explicit Projector(int width = 800, int height = 600);
    Projector& loadIdentity();
    Projector& translate(double x, double y, double z);
    Projector& rotate(double degrees, double x, double y, double z);
    Projector& scale(double x, double y, double z);
    ScreenPoint project(double x, double y, double z = 0.0) const;
    // Where (x, y) of the font's 640x480 frame (origin lower-left) lands.
    ScreenPoint textPoint(double x, double y) const;

private:
    double modelview_[16];
    double projection_[16];
    int width_;
    int height_;
};
