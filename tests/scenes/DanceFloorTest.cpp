// The dance floor scene driven on an offscreen surface at chosen show
// times, with identification pictures: which sequence draws when, the
// opening wipe, the captions and the greetings roll where they belong, the
// strip cycles and their carry-over through the greetings, the pictures made
// without a red/blue exchange, and every sequence without any picture. What
// the scene carries from frame to frame is seen in its pictures, and against
// a twin scene that was shown fewer frames.
#include "scenes/SceneRig.h"

#include "OpeningSupport.h"
#include "scenes/DanceFloorScene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kDanceFiles[] = {"floor.tga",  "bola.tga",   "star.tga",      "light.tga",
                                   "baile1.tga", "baile2.tga", "lightball.tga", "font.fnt"};

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};   // the identification font's glyphs
const Rgb kYellow{255, 204, 0};    // the scene's clear colour
const Rgb kMagenta{255, 0, 255};   // left in the framebuffer to see whether anything draws

// A scene on its own identification data. Only the files named in `keep`
// stay (an empty list keeps them all); the others are missing and draw as
// transparent black, so what a test looks at is not covered by the rest.
// A second scene, the twin, is loaded on request: shown other frames, it
// tells what the first one carries from frame to frame. The rig is declared
// last: the scenes are destroyed after the context is gone, as in the show.
struct DanceFloor {
    DanceFloor(const std::string& tag, std::vector<std::string> keep = {})
        : data(testFolder(tag)), rig(data.dir()) {
        if (keep.empty()) return;
        for (const char* name : kDanceFiles) {
            bool kept = false;
            for (const std::string& k : keep) kept = kept || k == name;
            if (!kept) data.remove(name);
        }
    }
    void begin(double startAt, bool withTwin = false) {
        if (withTwin) {
            rig.begin({&scene, &twin}, startAt);
        } else {
            rig.begin({&scene}, startAt);
        }
    }

    IdentData data;
    DanceFloorScene scene{SceneRig::clock()};
    DanceFloorScene twin{SceneRig::clock()};
    SceneRig rig;
};

// Moves the clock to show time t, renders, reads the picture.
void renderAt(DanceFloor& d, double t, Scene* scene = nullptr) {
    d.rig.setTime(t);
    (scene ? scene : &d.scene)->render(static_cast<float>(t));
    d.rig.read();
}

// Every pixel of the last read.
std::vector<Rgb> frameOf(const SceneRig& rig) {
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<size_t>(rig.width()) * rig.height());
    for (int y = 0; y < rig.height(); ++y)
        for (int x = 0; x < rig.width(); ++x) pixels.push_back(rig.pixel(x, y));
    return pixels;
}

// The scene's frame at t, then the twin's: equal when both carry the same
// state into it. The GL state each starts from is the one the other's
// previous frame left, so both must have drawn a frame of the same kind
// just before.
bool sameFrameAt(DanceFloor& d, double t) {
    renderAt(d, t);
    const std::vector<Rgb> scene = frameOf(d.rig);
    renderAt(d, t, &d.twin);
    return scene == frameOf(d.rig);
}

// Which picture of a dancer's strip (made without an exchange) a pixel
// shows, or -1.
int dancerPicture(const Rgb& c, const char* file, int frames) {
    for (int k = 0; k < frames; ++k)
        if (c == IdentData::colourOf(file, k).swapped()) return k;
    return -1;
}

ScreenPoint onFloor(double x, double y) {
    Projector p;
    return p.translate(0, -0.3, -1.5).rotate(-80, 1, 0, 0).rotate(45, 0, 0, 1).project(x, y);
}
ScreenPoint at(double x, double y, double z) { return Projector().translate(x, y, z).project(0, 0); }

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};
Box boxOf(const SceneRig& rig, const Rgb& c) {
    Box b;
    for (int y = 0; y < rig.height(); ++y)
        for (int x = 0; x < rig.width(); ++x)
            if (near(rig.pixel(x, y), c)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}
// Pixels of colour c inside [x0, x1) x [y0, y1).
int countIn(const SceneRig& rig, const Rgb& c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += near(rig.pixel(x, y), c);
    return n;
}

// A caption of `chars` characters at (x, y) of the text frame, scale s, as
// the identification font draws it: one white block, glyphs 16s square
// advancing 10s, on the 800x600 picture.
void expectCaption(const SceneRig& rig, double x, double y, int chars, double s, const std::string& what) {
    const Box b = boxOf(rig, kWhite);
    ASSERT_FALSE(b.empty()) << what << ": no caption";
    const double scale = 800.0 / 640.0;
    EXPECT_NEAR(b.left, x * scale, 1.0) << what;
    EXPECT_NEAR(b.right + 1, (x + 10 * s * (chars - 1) + 16 * s) * scale, 1.0) << what;
    EXPECT_NEAR(b.bottom + 1, 600 - y * scale, 1.0) << what;
    EXPECT_NEAR(b.top, 600 - (y + 16 * s) * scale, 1.0) << what;
}

// Colour c blended at alpha a over d, as 8-bit GL does it.
Rgb blend(const Rgb& c, double a, const Rgb& d) {
    auto mixc = [a](int s, int t) { return static_cast<int>(s * a + t * (1 - a) + 0.5); };
    return {mixc(c.r, d.r), mixc(c.g, d.g), mixc(c.b, d.b)};
}

}  // namespace

TEST(DanceFloorGreetings, ThirtyShortPrintableLinesSomeWithABlank) {
    std::set<std::string> seen;
    int withBlank = 0;
    for (const char* entry : kGreetings) {
        ASSERT_NE(entry, nullptr);
        const size_t length = std::strlen(entry);
        EXPECT_GE(length, 2u) << entry;
        EXPECT_LE(length, 12u) << entry;
        for (const char* c = entry; *c; ++c) EXPECT_TRUE(std::isprint(static_cast<unsigned char>(*c))) << entry;
        EXPECT_NE(entry[0], ' ') << entry;
        EXPECT_NE(entry[length - 1], ' ') << entry;
        withBlank += std::strchr(entry, ' ') != nullptr;
        EXPECT_TRUE(seen.insert(entry).second) << entry << " twice";
    }
    EXPECT_EQ(seen.size(), 30u);
    EXPECT_GT(withBlank, 0);
    EXPECT_LT(withBlank, 30);
}

TEST(DanceFloorScene, OpeningWipeTurnsBackClockwiseAndLeavesTheFloorBlack) {
    DanceFloor d("dance-wipe");
    d.begin(43.9);
    renderAt(d, 43.95);
    EXPECT_EQ(d.rig.count(kBlack, 0), 800 * 600) << "the full disc covers the view";

    // Sweep 270: black from twelve o'clock round to nine; the upper left
    // quadrant shows the picture.
    renderAt(d, 44.75);
    EXPECT_EQ(countIn(d.rig, kBlack, 402, 0, 800, 600), 398 * 600);
    EXPECT_EQ(countIn(d.rig, kBlack, 0, 302, 800, 600), 800 * 298);
    EXPECT_GT(countIn(d.rig, kYellow, 0, 0, 398, 298), 10000);

    // Sweep 180: the right half.
    renderAt(d, 45.5);
    EXPECT_EQ(countIn(d.rig, kBlack, 402, 0, 800, 600), 398 * 600);
    EXPECT_GT(countIn(d.rig, kYellow, 0, 0, 398, 600), 20000);

    // Sweep 90: the upper right quadrant only.
    renderAt(d, 46.25);
    EXPECT_EQ(countIn(d.rig, kBlack, 402, 0, 800, 298), 398 * 298);
    EXPECT_GT(countIn(d.rig, kYellow, 0, 0, 398, 600), 20000);
    EXPECT_LT(countIn(d.rig, kBlack, 402, 302, 800, 600), 398 * 298);

    // From 47.0 no disc at all: the right half shows dancer 2 and the rest.
    renderAt(d, 47.0);
    EXPECT_LT(countIn(d.rig, kBlack, 402, 0, 800, 600), 398 * 600 / 20);
}

TEST(DanceFloorScene, FloorTakesTheColourAndBlendingThePreviousFrameLeft) {
    // Only the floor, and a floor whose alpha is 0 everywhere: it shows only
    // while blending is off.
    DanceFloor d("dance-floor-state", {"floor.tga"});
    d.data.write("floor.tga", opening::patternTga("floor.tga", [](int x, int) {
                     return opening::Rgba{IdentData::colourOf("floor.tga", x / 256), 0};
                 }));
    d.begin(45.0);
    const ScreenPoint p = onFloor(-0.25, 0.25);  // left of the wipe's edge
    const Rgb floor0 = IdentData::colourOf("floor.tga", 0);

    renderAt(d, 45.4);
    renderAt(d, 45.5);
    EXPECT_EQ(d.rig.pixel(p.x, p.y), kBlack) << "drawn in the black the wipe left";
    renderAt(d, 47.0);  // no disc now, but the floor still has the wipe's black
    EXPECT_EQ(d.rig.pixel(p.x, p.y), kBlack);
    renderAt(d, 47.1);
    EXPECT_TRUE(near(d.rig.pixel(p.x, p.y), floor0)) << describe(d.rig.pixel(p.x, p.y));

    // A greetings frame leaves source-alpha blending on: the first shower
    // frame's floor is blended (here: invisible), the next one is not.
    renderAt(d, 70.0);
    renderAt(d, 81.85);
    EXPECT_EQ(d.rig.pixel(p.x, p.y), kYellow);
    renderAt(d, 81.9);
    EXPECT_TRUE(near(d.rig.pixel(p.x, p.y), floor0)) << describe(d.rig.pixel(p.x, p.y));
}

TEST(DanceFloorScene, GapsBetweenSequencesDrawAndClearNothing) {
    DanceFloor d("dance-gaps");
    d.begin(66.0, true);
    for (const double gapStart : {66.5, 81.7}) {
        renderAt(d, gapStart - 0.01, &d.twin);
        renderAt(d, gapStart - 0.01);
        EXPECT_EQ(d.rig.count(kMagenta), 0);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        for (const double t : {gapStart, gapStart + 0.05, gapStart + 0.1}) {
            renderAt(d, t);
            EXPECT_EQ(d.rig.count(kMagenta), 800 * 600) << "something drew at " << t;
        }
        renderAt(d, gapStart + 0.11, &d.twin);
        renderAt(d, gapStart + 0.11);
        EXPECT_EQ(d.rig.count(kMagenta), 0) << "nothing drew at " << gapStart + 0.11;
    }
    // The twin saw none of the gap frames: the rings, strips and dancers
    // stand where the scene's do, also once ball and floor step (13 frames).
    renderAt(d, 81.85, &d.twin);
    renderAt(d, 81.85);
    for (int k = 0; k < 13; ++k) ASSERT_TRUE(sameFrameAt(d, 81.9 + 0.01 * k)) << "a gap frame moved the animation";
}

TEST(DanceFloorScene, GrooveAndShowerCaptionsComeAndGoAtTheirTimes) {
    DanceFloor d("dance-captions", {"font.fnt"});
    d.begin(49.0);
    renderAt(d, 49.9);
    expectCaption(d.rig, 49.9, 20, 5, 4, "dance at 49.9");
    renderAt(d, 50.05);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty()) << "no caption at 50.05";
    renderAt(d, 50.2);
    expectCaption(d.rig, 50.2, 20, 4, 4, "move at 50.2");
    renderAt(d, 56.05);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty()) << "no caption at 56.05";
    renderAt(d, 60.0);
    expectCaption(d.rig, 60.0, 20, 6, 4, "groove at 60");

    renderAt(d, 85.0);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty()) << "no caption at 85.0";
    renderAt(d, 85.2);
    expectCaption(d.rig, 50, 20, 12, 4, "nilo grooves at 85.2");
    renderAt(d, 96.45);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty()) << "no caption at 96.45";
    renderAt(d, 96.6);
    expectCaption(d.rig, 50, 20, 14, 4, "in the shower! at 96.6");
    renderAt(d, 102.9);
    expectCaption(d.rig, 50, 20, 14, 4, "in the shower! at 102.9");
}

TEST(DanceFloorScene, GreetingsRollDownPastTheTurningStars) {
    DanceFloor d("dance-greetings", {"font.fnt", "star.tga"});
    d.begin(66.6);
    const Rgb star = IdentData::colourOf("star.tga");

    // The first frame: every line is still above the top; only the seven
    // stars show, in a column at x = 2.2.
    renderAt(d, 66.61);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty());
    for (int k = 0; k < 7; ++k) {
        const ScreenPoint c = at(2.2, 0.7 * k - 2.2, -6);
        EXPECT_TRUE(near(d.rig.pixel(c.x, c.y), star)) << "star " << k << " " << describe(d.rig.pixel(c.x, c.y));
    }
    EXPECT_EQ(countIn(d.rig, star, 0, 0, 560, 600), 0) << "stars only in their column";

    // At 66.8125 s the angle is -510 degrees: as a square goes, turned 30
    // degrees counterclockwise (clockwise it would be 60). The middle star's
    // corner then points at 165 degrees; nothing stands at 195.
    renderAt(d, 66.8125);
    Projector middle;
    middle.translate(2.2, -0.1, -6);
    const auto towards = [&](double degrees) {
        return middle.project(0.66 * std::cos(degrees * M_PI / 180), 0.66 * std::sin(degrees * M_PI / 180));
    };
    const ScreenPoint corner165 = towards(165), side195 = towards(195);
    EXPECT_TRUE(near(d.rig.pixel(corner165.x, corner165.y), star)) << describe(d.rig.pixel(corner165.x, corner165.y));
    EXPECT_EQ(d.rig.pixel(side195.x, side195.y), kYellow);

    // The heading's lower edge reaches the top at 67.625 s.
    renderAt(d, 67.62);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty());
    renderAt(d, 67.63);
    const Box heading = boxOf(d.rig, kWhite);
    ASSERT_FALSE(heading.empty());
    EXPECT_EQ(heading.top, 0);
    EXPECT_EQ(heading.bottom, 0);
    EXPECT_NEAR(heading.left, 50 * 1.25, 1);
    EXPECT_NEAR(heading.right + 1, (50 + 15 * 30 + 48) * 1.25, 1) << "16 characters";

    // At 70 s the heading stands at y = 100, the first name at 150, indented
    // to x = 150; the stars stand upright.
    renderAt(d, 70.0);
    const auto textAt = [&](double x, double y) {
        const ScreenPoint p = Projector().textPoint(x, y);
        return d.rig.pixel(p.x, p.y);
    };
    EXPECT_EQ(textAt(55, 124), kWhite) << "heading";
    EXPECT_NE(textAt(55, 96), kWhite) << "below the heading";
    EXPECT_EQ(textAt(155, 174), kWhite) << "first name";
    EXPECT_NE(textAt(145, 174), kWhite) << "names start at x = 150";
    EXPECT_NE(textAt(55, 174), kWhite) << "heading is one line";
    const ScreenPoint top = at(2.2, 2.0, -6);
    const ScreenPoint corner = Projector().translate(2.2, 2.0, -6).project(0.46, 0.46);
    EXPECT_TRUE(near(d.rig.pixel(corner.x, corner.y), star)) << "unturned at 70 s";

    // The last of the 30 names (y = 1600 before the roll) has left the
    // bottom after 80.3 s.
    renderAt(d, 80.25);
    EXPECT_GT(countIn(d.rig, kWhite, 0, 590, 800, 600), 0) << "the last name leaves";
    renderAt(d, 80.35);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty());
    renderAt(d, 81.69);
    EXPECT_TRUE(boxOf(d.rig, kWhite).empty());
    EXPECT_TRUE(near(d.rig.pixel(top.x, top.y), star));
}

TEST(DanceFloorScene, StarRingsAdd220RadiansPerFrameWhateverTheTime) {
    // Each star a dot at its centre, which stays put as the star turns.
    DanceFloor d("dance-stars", {"star.tga"});
    opening::makeDot(d.data, "star.tga", 0.1);
    d.begin(47.5, true);
    for (int k = 0; k < 60; ++k) renderAt(d, 50.0 + 0.02 * k);
    for (int k = 0; k < 60; ++k) renderAt(d, 47.6 + 0.03 * k, &d.twin);
    EXPECT_TRUE(sameFrameAt(d, 60.0)) << "after as many frames at other times, the rings stand elsewhere";

    // The 61st frame places star k (of 40) at 5.5 k radians past 60 x 220.
    const Rgb star = IdentData::colourOf("star.tga");
    const auto ringHits = [&](float base) {
        const float radii[5] = {1.0f, 1.7f, 2.4f, 3.1f, 3.8f};
        float angle = base;
        int hits = 0, probed = 0;
        for (int k = 0; k < 40; ++k, angle += 5.5f) {
            const double a = angle, r = radii[k / 8];
            if (r < 2.0) continue;  // the inner rings move too little from one frame to the next
            const ScreenPoint c = at(std::sin(a) * r, std::cos(a) * r, -6);
            if (c.x < 5 || c.y < 5 || c.x > 795 || c.y > 595) continue;
            ++probed;
            const Rgb seen = d.rig.pixel(c.x, c.y);
            hits += near(seen, blend(star, 0.6, kYellow)) || near(seen, blend(star, 0.6, kBlack));
        }
        return std::make_pair(hits, probed);
    };
    const auto [hits, probed] = ringHits(13200.0f);
    EXPECT_GE(probed, 8);
    EXPECT_EQ(hits, probed);
    EXPECT_LT(ringHits(13200.0f + 220.0f).first, probed / 2) << "a frame more would stand elsewhere";

    // The greetings leave the rings alone.
    for (double t = 66.7; t < 81.7; t += 1.0) renderAt(d, t);
    renderAt(d, 82.0, &d.twin);
    renderAt(d, 82.0);
    EXPECT_TRUE(sameFrameAt(d, 82.02));
}

TEST(DanceFloorScene, BallAndFloorStepEveryThirteenthFrameThroughTheirCycles) {
    DanceFloor d("dance-strips", {"floor.tga", "bola.tga"});
    d.begin(50.0);
    const ScreenPoint floorPoint = onFloor(-0.25, 0.25);
    const ScreenPoint ballPoint = at(0, 1.5, -5);
    const int floorPicture[] = {0, 1, 2, 3, 0};  // 1.0 shows the first picture again
    for (int n = 0; n < 13 * 16; ++n) {
        const int step = n / 13;
        renderAt(d, 50.0 + 0.001 * n);
        const Rgb floor = IdentData::colourOf("floor.tga", floorPicture[step % 5]);
        const Rgb ball = IdentData::colourOf("bola.tga", step % 3);
        ASSERT_TRUE(near(d.rig.pixel(floorPoint.x, floorPoint.y), floor))
            << "frame " << n << " " << describe(d.rig.pixel(floorPoint.x, floorPoint.y));
        ASSERT_TRUE(near(d.rig.pixel(ballPoint.x, ballPoint.y), ball))
            << "frame " << n << " " << describe(d.rig.pixel(ballPoint.x, ballPoint.y));
    }
}

TEST(DanceFloorScene, DancersStepByTheirClocksAndShowRedWhereTheFileHasBlue) {
    DanceFloor d("dance-dancers", {"baile1.tga", "baile2.tga"});
    d.begin(50.0);
    const ScreenPoint one = at(-0.7, 0, -2.7), two = at(0.5, 0, -1.5);
    const ScreenPoint echo = Projector().translate(0.5, 0, -1.6).project(-0.56, 0.3);  // the echo's rim

    // The pictures each dancer and the echo show; a frame shows them as the
    // previous frame's end left them.
    int k1 = 0, k2 = 0, ke = 0;
    // Dancer 1 steps first; either step shows the echo dancer 2's picture
    // before dancer 2's own step.
    const auto step = [&](bool first, bool second) {
        if (first) ke = k2, k1 = (k1 + 1) % 14;
        if (second) ke = k2, k2 = (k2 + 1) % 10;
    };

    // The first frame: the clocks gather the whole time since the start, so
    // both dancers step at its end.
    renderAt(d, 50.0);
    EXPECT_EQ(d.rig.pixel(one.x, one.y), IdentData::colourOf("baile1.tga", 0).swapped());
    EXPECT_EQ(d.rig.pixel(two.x, two.y), IdentData::colourOf("baile2.tga", 0).swapped());
    step(true, true);

    // Frames 0.035 s apart: dancer 1 (over 0.06 s) steps every second frame,
    // dancer 2 (over 0.085 s) every third; 14 and 10 pictures, then back to
    // the first, twice round in 60 frames.
    double t = 50.0;
    for (int n = 1; n <= 60; ++n) {
        t += 0.035;
        renderAt(d, t);
        ASSERT_EQ(d.rig.pixel(one.x, one.y), IdentData::colourOf("baile1.tga", k1).swapped()) << "frame " << n;
        ASSERT_EQ(d.rig.pixel(two.x, two.y), IdentData::colourOf("baile2.tga", k2).swapped()) << "frame " << n;
        const Rgb echoSeen = d.rig.pixel(echo.x, echo.y);
        ASSERT_TRUE(near(echoSeen, blend(IdentData::colourOf("baile2.tga", ke).swapped(), 0.6, kYellow)))
            << "frame " << n << " echo " << describe(echoSeen);
        step(n % 2 == 0, n % 3 == 0);
    }
}

TEST(DanceFloorScene, GlowIsAddedWithRedAndBlueExchanged) {
    // The first frame clears with the colour the window started with (black),
    // so the glow's c * (1 - c) stands on its own.
    DanceFloor d("dance-glow", {"lightball.tga"});
    d.begin(50.0);
    renderAt(d, 50.0);
    const ScreenPoint p = Projector().translate(0, 1.5, -5.1).project(0.6, 0.6);  // beyond the ball
    const Rgb file = IdentData::colourOf("lightball.tga");
    const auto added = [](const Rgb& c) {
        auto f = [](int v) { return static_cast<int>(v * (255 - v) / 255.0 + 0.5); };
        return Rgb{f(c.r), f(c.g), f(c.b)};
    };
    EXPECT_TRUE(near(d.rig.pixel(p.x, p.y), added(file.swapped()), 2)) << describe(d.rig.pixel(p.x, p.y));
    EXPECT_FALSE(near(d.rig.pixel(p.x, p.y), added(file), 6));
}

TEST(DanceFloorScene, GreetingsHoldTheClocksSoTheFirstShowerFrameStepsBothDancers) {
    DanceFloor d("dance-handover", {"baile1.tga", "baile2.tga", "star.tga", "floor.tga", "bola.tga"});
    d.begin(66.0, true);
    const ScreenPoint grooveOne = at(-0.7, 0, -2.7), grooveTwo = at(0.5, 0, -1.5);
    renderAt(d, 66.3, &d.twin);
    renderAt(d, 66.3);
    renderAt(d, 66.4, &d.twin);
    renderAt(d, 66.4);
    // Both step at the end of this frame (0.1 s since the last).
    const int one = dancerPicture(d.rig.pixel(grooveOne.x, grooveOne.y), "baile1.tga", 14);
    const int two = dancerPicture(d.rig.pixel(grooveTwo.x, grooveTwo.y), "baile2.tga", 10);
    ASSERT_GE(one, 0);
    ASSERT_GE(two, 0);
    for (double t = 66.7; t < 81.7; t += 0.5) renderAt(d, t);

    // The first shower frame: the dancers changed round, showing the
    // pictures the groove reached, then both step (dt is about 15.4 s).
    renderAt(d, 81.81, &d.twin);
    renderAt(d, 81.81);
    const ScreenPoint showerOne = at(0.5, 0, -1.6), showerTwo = at(-0.5, 0, -2.7);
    EXPECT_EQ(d.rig.pixel(showerOne.x, showerOne.y), IdentData::colourOf("baile1.tga", (one + 1) % 14).swapped());
    EXPECT_EQ(d.rig.pixel(showerTwo.x, showerTwo.y), IdentData::colourOf("baile2.tga", (two + 1) % 10).swapped());
    renderAt(d, 81.84, &d.twin);
    renderAt(d, 81.84);
    EXPECT_EQ(d.rig.pixel(showerOne.x, showerOne.y), IdentData::colourOf("baile1.tga", (one + 2) % 14).swapped());
    EXPECT_EQ(d.rig.pixel(showerTwo.x, showerTwo.y), IdentData::colourOf("baile2.tga", (two + 2) % 10).swapped());
    // The twin went from the groove straight to the shower: the greetings
    // moved nothing, rings and strips included.
    for (int k = 0; k < 13; ++k) ASSERT_TRUE(sameFrameAt(d, 81.87 + 0.01 * k)) << "the greetings moved the animation";
}

TEST(DanceFloorScene, EverySequenceRunsWithEveryPictureMissing) {
    DanceFloor d("dance-missing", {"(no file)"});
    d.begin(43.9);
    renderAt(d, 43.95);
    EXPECT_EQ(d.rig.count(kBlack, 0), 800 * 600);
    renderAt(d, 45.5);
    EXPECT_EQ(countIn(d.rig, kBlack, 402, 0, 800, 600), 398 * 600);
    EXPECT_GT(countIn(d.rig, kYellow, 0, 0, 398, 600), 100000) << "the rest of the picture is the clear colour";
    renderAt(d, 50.0);
    const ScreenPoint floor = onFloor(0, 0);
    EXPECT_EQ(d.rig.pixel(floor.x, floor.y), kBlack) << "the floor as a transparent black texture, unblended";
    EXPECT_EQ(d.rig.pixel(400, 100), kYellow) << "ball and glow transparent";
    renderAt(d, 70.0);
    EXPECT_EQ(d.rig.count(kYellow), 800 * 600);
    renderAt(d, 81.81);
    renderAt(d, 97.0);
    EXPECT_EQ(d.rig.pixel(floor.x, floor.y), kBlack);
    EXPECT_GT(d.rig.count(kYellow), 300000);
}
