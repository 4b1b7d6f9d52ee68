// What each scene draws where and when, with identification pictures, a
// jump back giving the frames of a straight run, and where a picture is inked.
#include "scenes/SceneRig.h"

#include "base/Timeline.h"
#include "gfx/PngFile.h"
#include "gfx/Texture.h"
#include "scenes/DanceSequences.h"
#include "scenes/PictureInk.h"
#include "scenes/SceneRegistry.h"
#include "scenes/ShowReplay.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The colour that point (x, y, z) of the view must show.
struct Probe {
    int frame;  // of the shot's frames, counted from 0; -1: the last
    double x, y, z;
    Rgb colour;
};
// Text printed with its lower-left corner at (x, y) of the 640x480 frame.
struct Caption {
    int frame;
    double x, y;
    float scale;
    const char* text;
    double coveredFrom = 640;  // what the scene draws over it from this x on
};
// A fresh scene started at `from`, drawn `frames` frames at `fps`.
struct Shot {
    const char* what;
    SceneSlot slot;
    double from;
    int fps, frames;
    std::vector<Probe> probes;
    std::vector<Caption> captions;
    std::vector<std::pair<Rgb, int>> atLeast;  // so many pixels of this colour in the last frame
    bool leavesBlending = false;
};

void checkCaption(const Frame& frame, const Caption& c) {
    const Rgb font = ident("font.fnt");
    const int row = 479 - static_cast<int>(c.y + 8 * c.scale), column = static_cast<int>(c.x + 8 * c.scale);
    int left = column, right = column, top = row, bottom = row;
    while (frame.pixel(left - 1, row) == font) --left;
    while (frame.pixel(right + 1, row) == font) ++right;
    while (frame.pixel(column, top - 1) == font) --top;
    while (frame.pixel(column, bottom + 1) == font) ++bottom;
    SCOPED_TRACE(c.text);
    EXPECT_NEAR(left, c.x, 1);
    EXPECT_NEAR(right + 1, std::min(c.coveredFrom, c.x + 10 * c.scale * (std::strlen(c.text) - 1) + 16 * c.scale), 1);
    EXPECT_NEAR(top, 480 - c.y - 16 * c.scale, 1);
    EXPECT_NEAR(bottom + 1, 480 - c.y, 1);
}

}  // namespace

TEST(Scenes, DrawWhatTheTimelineSaysWhereAndWhen) {
    IdentData data;
    // Clear colours, the credits' bars and the star tunnel's first bar.
    const Rgb yellowOrange{255, 204, 0}, purple{102, 25, 102}, orange{255, 178, 0};
    const Rgb creditsBar{255, 153, 0}, tunnelBar{128, 0, 128};
    // The mirror ball (0.4 left of its centre, clear of the dancers) under
    // its glow, which adds c * (1 - c).
    auto ball = [](int frame) {
        Rgb c = ident("bola.tga", frame);
        const Rgb glow = ident("lightball.tga");
        c.r += glow.r * (255 - glow.r) / 255, c.g += glow.g * (255 - glow.g) / 255,
            c.b += glow.b * (255 - glow.b) / 255;
        return c;
    };
    const Rgb star = ident("star.tga");  // at alpha 0.6 over the dance floor's clear colour:
    const Rgb starOverYellow{(star.r * 6 + 255 * 4) / 10, (star.g * 6 + 204 * 4) / 10, (star.b * 6) / 10};
    // The frog steps once 0.12 s of show time have gathered (at 10 frames a
    // second, every second frame; after its last picture comes the first
    // again, shown twice as long), and on the first frame.
    std::vector<Probe> frog;
    const int frogSteps[] = {0, 1, 1, 2, 2, 3, 3, 0, 0, 0, 0, 1};
    for (int i = 0; i < 12; ++i) frog.push_back({i, 0, -1, -5, ident("frog.tga", frogSteps[i])});
    frog.push_back({-1, -3.1, 2.4, -6, ident("bck_end.tga")});
    std::vector<Caption> greetings;
    for (int k = 1; k < 9; ++k) greetings.push_back({0, 150, 50.0 * k - 10, 3, kGreetings[k]});
    // clang-format off
    const Shot shots[] = {
        {"titles", kTurntableSlot, 4.5, 30, 1,
         {{0, 0, 1.75, -6, ident("quellix.tga")}, {0, 0.8, 0.4, -1.7, ident("plato.tga")},
          {0, -0.3, 0, -0.6, ident("vinyl.tga")}}, {}, {}},
        {"titles", kTurntableSlot, 10.0, 30, 1,
         {{0, -2, 1.75, -6, ident("presents.tga")}, {0, 3.2, 1.75, -6, ident("quellix.tga")}}, {}, {}},
        {"titles", kTurntableSlot, 14.0, 30, 1, {{0, -0.8, 1.75, -6, ident("presents.tga")}}, {}, {}},
        {"crew", kCreditsSlot, 19.2, 60, 151,
         {{90, 0.8, -0.3, -3, yellowOrange}, {-1, 0.8, -0.3, -3, ident("glowmotion2.tga")},
          {-1, -1.4, 1.75, -6, ident("sabueso.tga")}, {-1, -3.0, -0.5, -6, ident("nilo.tga")},
          {-1, 3.0, 2.1, -6, creditsBar}}, {}, {}},
        {"crew", kCreditsSlot, 28.0, 30, 10,
         {{-1, -1.5, -0.5, -6, ident("nilo.tga")}, {-1, -1.5, 0.5, -6, ident("iface.tga")},
          {-1, -1.5, -1.75, -6, ident("kiro.tga")}, {-1, -1.4, 1.75, -6, ident("sabueso.tga")}}, {}, {}},
        {"logo", kCreditsSlot, 31.0, 30, 3,
         {{-1, 0, 0, -6, ident("logo.tga")}, {-1, -3.0, 2, -6, ident("star.tga")}}, {}, {}},
        {"flashes", kCreditsSlot, 35.05, 20, 5, {{3, 0, 1.0, -6, yellowOrange}, {4, 0, 1.0, -6, purple}}, {}, {}},
        {"tunnel", kStarTunnelSlot, 37.0, 30, 3,
         {{-1, -3.28, -2.2, -6, tunnelBar}, {-1, 0.8, 0, -2, ident("tia.tga")},
          {-1, -0.5, 0, -1.5, ident("flower.tga")}, {-1, 0, 0, -6, orange}},
         {{-1, 50, 20, 3, "she grooves"}}, {{ident("star.tga"), 40000}}},
        {"tunnel", kStarTunnelSlot, 39.0, 30, 1, {}, {{0, 50, 20, 3, "we groove"}}, {}},
        {"tunnel", kStarTunnelSlot, 42.0, 30, 1, {}, {{0, 50, 20, 3, "everybody grooves"}}, {}},
        {"wipe", kDanceFloorSlot, 45.0, 30, 1,
         {{0, -0.7, 0, -2.7, ident("baile1.tga")}, {0, 0.3, -0.3, -1, {0, 0, 0}}, {0, 0.3, 0.3, -1, {0, 0, 0}},
          {0, -0.3, -0.3, -1, {0, 0, 0}}}, {}, {}},
        {"groove", kDanceFloorSlot, 48.0, 30, 27,
         {{12, -0.4, 1.5, -5, ball(0)}, {13, -0.4, 1.5, -5, ball(1)}, {25, -0.4, 1.5, -5, ball(1)},
          {26, -0.4, 1.5, -5, ball(2)}},
         {{-1, 48 + 26 / 30.0, 20, 4, "dance"}}, {{starOverYellow, 5000}}},
        // The caption moves right with the time; the dancer's echo covers it from x = 284 on.
        {"groove", kDanceFloorSlot, 55.5, 30, 1, {}, {{0, 55.5, 20, 4, "move"}}, {}},
        {"groove", kDanceFloorSlot, 57.0, 30, 1, {}, {{0, 57, 20, 4, "groove", 284}}, {}},
        {"greetings", kDanceFloorSlot, 70.2, 30, 1, {},
         {{0, 50, 68, 3, "they also groove"}, {0, 150, 118, 3, kGreetings[0]}}, {}, true},
        {"greetings", kDanceFloorSlot, 71.0, 30, 1, {{0, 2.2, -0.1, -6, ident("star.tga")}}, greetings, {}, true},
        {"shower", kDanceFloorSlot, 90.0, 30, 3,
         {{-1, 0.5, 0, -1.6, ident("baile1.tga", 1)}, {-1, -0.5, 0, -2.7, ident("baile2.tga", 1)},
          {-1, -0.4, 1.5, -5, ball(0)}, {-1, -1.19, -1.59, -6, ident("floor.tga")},
          {-1, -1.54, -2.34, -6, yellowOrange}},  // the floor lies flat: it ends before the latter
         {{-1, 50, 20, 4, "nilo grooves", 320}}, {}},  // the front dancer covers the right half
        {"shower", kDanceFloorSlot, 97.0, 30, 1, {}, {{0, 50, 20, 4, "in the shower!", 320}}, {}},
        {"frog", kEndSlot, 104.0, 10, 12, frog, {{0, 20, 20, 3, "brisa grooves too"}}, {}, true},
        {"pictures", kEndSlot, 108.385, 10, 1,  // sin(t) is 1: opaque
         {{0, -2, 0.5, -6, ident("bcn_blur.tga")}, {0, 0, 0.5, -6, ident("party_blur.tga")},
          {0, 2, 0.5, -6, ident("10_blur.tga")}}, {}, {}, true},
        {"end", kEndSlot, 111.0, 10, 1,  // sin(t) is negative: the pictures are not drawn
         {{0, 0, 0.5, -6, ident("bck_end.tga")}}, {{0, 20, 20, 3, "we love frogs"}}, {}, true},
    };
    // clang-format on
    int n = 0;  // SCENES_PNG=/tmp/x writes each shot's last frame as /tmp/x<n>.png
    for (const Shot& shot : shots) {
        SCOPED_TRACE(std::string(shot.what) + " from " + std::to_string(shot.from));
        ShowClock show;
        SceneSet scenes = makeScenes(show.clock);
        Scene& scene = *scenes[shot.slot];
        scene.load();
        setUpShowGL();
        scene.start();
        Frame frame;
        for (int i = 0; i < shot.frames; ++i) {
            const double t = shot.from + static_cast<double>(i) / shot.fps;
            show.at(t);
            scene.render(static_cast<float>(t));
            const bool last = i == shot.frames - 1;
            frame.read();
            for (const Probe& p : shot.probes) {
                if (p.frame != i && !(p.frame < 0 && last)) continue;
                const Pixel at = project(p.x, p.y, p.z);
                SCOPED_TRACE("frame " + std::to_string(i) + " at " + std::to_string(p.x) + ", " + std::to_string(p.y));
                EXPECT_PRED3(near, frame.pixel(at.x, at.y), p.colour, 3);
            }
            for (const Caption& c : shot.captions) {
                if (c.frame == i || (c.frame < 0 && last)) checkCaption(frame, c);
            }
        }
        for (const auto& [colour, least] : shot.atLeast) {
            int count = 0;
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) count += near(frame.pixel(x, y), colour);
            EXPECT_GE(count, least) << colour;
        }
        if (std::getenv("SCENES_PNG")) {
            writePngRgba(std::string(std::getenv("SCENES_PNG")) + std::to_string(n++) + ".png", 640, 480,
                         frame.rgba.data(), false, nullptr);
        }
        // What the next scene finds: no error, blending as the scene's
        // sequence leaves it, texturing on, the modelview stack as deep as before.
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(glIsEnabled(GL_BLEND), shot.leavesBlending);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
}

// A jump back (the watching keys) rewinds every scene and puts the first
// frame's GL state back, so the frames after it are those of a straight run.
TEST(Scenes, AJumpBackGivesTheFramesOfAStraightRun) {
    IdentData data;
    ShowClock show;
    SceneSet scenes = makeScenes(show.clock);
    for (auto& scene : scenes) scene->load();
    setUpShowGL();
    for (auto& scene : scenes) scene->start();
    ShowReplay replay(show.clock, scenes);
    replay.begin();
    auto goTo = [&](double t) {
        const int64_t ticks = FrameClock::ticksOf(t);
        replay.planJump(10, ticks);
        replay.runFrames();
        show.at(t);
        drawShowFrame(scenes, static_cast<float>(t));
        replay.drawn(ticks);
        Frame frame;
        frame.read();
        return frame;
    };
    // One stop in each scene with state of its own, and the first frames of
    // the credits and the star tunnel, which clear with the colour the scene
    // before them left.
    const double stops[] = {12.0, 19.2, 22.0, 36.2, 40.0, 60.0, 75.0, 95.0, 106.0, 108.5};
    std::vector<Frame> straight;
    for (double t : stops) straight.push_back(goTo(t));
    const Pixel credits = project(0.5, 0.5, -6), tunnel = project(0, 0, -6);
    EXPECT_EQ(straight[1].pixel(credits.x, credits.y), (Rgb{255, 178, 0}));
    EXPECT_EQ(straight[3].pixel(tunnel.x, tunnel.y), (Rgb{255, 204, 0}));
    for (size_t i = 0; i < std::size(stops); ++i) {
        EXPECT_TRUE(goTo(stops[i]).rgba == straight[i].rgba) << "at " << stops[i];
        if (i > 0) {
            EXPECT_FALSE(straight[i].rgba == straight[i - 1].rgba);
        }
    }
}

TEST(PictureInk, ARangeHoldingAnInkedTexelIsInkedAndOneFourTexelsFromInkIsNot) {
    // Transparent but for three texels of alpha 1: two corners and one inside.
    constexpr int w = 64, h = 32;
    const std::pair<int, int> inked[] = {{0, 0}, {63, 31}, {37, 13}};  // column, row
    std::vector<uint32_t> words(w * h, 0);
    for (const auto& [c, r] : inked) words[r * w + c] = 0x01000000;
    Texture texture;
    texture.upload(PixelBuffer{words.data(), w, h, words.size()}, RedBlueExchange::None);
    PictureInk ink;
    ink.measure(texture);
    ASSERT_TRUE(ink.width == w && ink.height == h && ink.glName == texture.glName);
    // Whether the repeating texture has an inked texel in columns [c0, c1], rows [r0, r1].
    const auto holds = [&](long c0, long c1, long r0, long r1) {
        for (const auto& [c, r] : inked)
            for (long x = c0; x <= c1; ++x)
                for (long y = r0; y <= r1; ++y)
                    if (((x % w) + w) % w == c && ((y % h) + h) % h == r) return true;
        return false;
    };
    for (long c0 = -70; c0 <= 70; ++c0)
        for (long r0 = -36; r0 <= 36; ++r0)
            for (const auto& [dc, dr] : {std::pair{0L, 0L}, {1L, 4L}, {6L, 1L}, {65L, 2L}}) {
                const bool isInked = ink.inked(c0, c0 + dc, r0, r0 + dr);
                const bool mustBe = holds(c0, c0 + dc, r0, r0 + dr);
                const bool mayBe = holds(c0 - 3, c0 + dc + 3, r0 - 3, r0 + dr + 3);
                ASSERT_TRUE(mustBe ? isInked : !isInked || mayBe) << c0 << "+" << dc << ", " << r0 << "+" << dr;
            }
}
