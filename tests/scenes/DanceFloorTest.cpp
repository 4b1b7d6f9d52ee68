// The dance floor scene driven on an offscreen surface at chosen show
// times, with identification pictures: which sequence draws when, the
// opening wipe, the captions and the greetings roll where they belong, the
// strip cycles and their carry-over through the greetings, the pictures made
// without a red/blue exchange, and every sequence without any picture.
#include "scenes/SceneRig.h"

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
// The rig is declared last: the scene is destroyed after the context is gone,
// as in the show.
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
    void begin(double startAt) { rig.begin({&scene}, startAt); }

    IdentData data;
    DanceFloorScene scene{SceneRig::clock()};
    SceneRig rig;
};

// Moves the clock to show time t, renders, reads the picture.
void renderAt(DanceFloor& d, double t) {
    d.rig.setTime(t);
    d.scene.render(static_cast<float>(t));
    d.rig.read();
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
    for (const char* entry : DanceFloorScene::kGreetings) {
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
    std::vector<uint8_t> tga(18, 0);
    tga[2] = 2;
    tga[12] = 0x00, tga[13] = 0x04, tga[14] = 0x00, tga[15] = 0x01;  // 1024 x 256
    tga[16] = 32, tga[17] = 0x28;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 1024; ++x) {
            const Rgb c = IdentData::colourOf("floor.tga", x / 256);
            tga.insert(tga.end(), {static_cast<uint8_t>(c.b), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.r), 0});
        }
    d.data.write("floor.tga", tga);
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
    d.begin(66.0);
    for (const double gapStart : {66.5, 81.7}) {
        renderAt(d, gapStart - 0.01);
        EXPECT_EQ(d.rig.count(kMagenta), 0);
        const DanceAnimation before = d.scene.animation();
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        for (const double t : {gapStart, gapStart + 0.05, gapStart + 0.1}) {
            renderAt(d, t);
            EXPECT_EQ(d.rig.count(kMagenta), 800 * 600) << "something drew at " << t;
        }
        EXPECT_EQ(d.scene.animation().starAngle, before.starAngle);
        EXPECT_EQ(d.scene.animation().frameTick, before.frameTick);
        renderAt(d, gapStart + 0.11);
        EXPECT_EQ(d.rig.count(kMagenta), 0) << "nothing drew at " << gapStart + 0.11;
    }
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

TEST(DanceFloorScene, StarRingsAdd220RadiansPerFrameAndNeverWrap) {
    DanceFloor d("dance-stars", {"star.tga"});
    d.begin(50.0);
    for (int k = 0; k < 60; ++k) renderAt(d, 50.0 + 0.02 * k);
    EXPECT_EQ(d.scene.animation().starAngle, 13200.0f);
    for (double t = 66.7; t < 81.7; t += 1.0) renderAt(d, t);
    EXPECT_EQ(d.scene.animation().starAngle, 13200.0f) << "the greetings leave the rings alone";
    for (int k = 0; k < 40; ++k) renderAt(d, 82.0 + 0.02 * k);
    EXPECT_EQ(d.scene.animation().starAngle, 22000.0f);
    // The rings stand in front of the clear colour somewhere.
    EXPECT_GT(d.rig.count(blend(IdentData::colourOf("star.tga"), 0.6, kYellow)), 1000);
}

TEST(DanceFloorScene, BallAndFloorStepEveryThirteenthFrameThroughTheirCycles) {
    DanceFloor d("dance-strips", {"floor.tga", "bola.tga"});
    d.begin(50.0);
    const ScreenPoint floorPoint = onFloor(-0.25, 0.25);
    const ScreenPoint ballPoint = at(0, 1.5, -5);
    const float floorCycle[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    const int floorPicture[] = {0, 1, 2, 3, 0};
    const float ballCycle[] = {0.0f, 0.33333334f, 0.6666667f};
    for (int n = 0; n < 13 * 16; ++n) {
        const int step = n / 13;
        EXPECT_EQ(d.scene.animation().frameTick, n % 13);
        EXPECT_EQ(d.scene.animation().floorFrame, floorCycle[step % 5]) << "frame " << n;
        EXPECT_EQ(d.scene.animation().ballFrame, ballCycle[step % 3]) << "frame " << n;
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

    // The first frame: the clocks gather the whole time since the start, so
    // both dancers step at its end.
    renderAt(d, 50.0);
    EXPECT_EQ(d.rig.pixel(one.x, one.y), IdentData::colourOf("baile1.tga", 0).swapped());
    EXPECT_EQ(d.rig.pixel(two.x, two.y), IdentData::colourOf("baile2.tga", 0).swapped());
    EXPECT_EQ(d.scene.animation().dancer1Frame, 1.0f / 14.0f);
    EXPECT_EQ(d.scene.animation().dancer2Frame, 0.1f);
    EXPECT_EQ(d.scene.clocks().lastTime, 50.0f);

    // Frames 0.035 s apart: dancer 1 (over 0.06 s) steps every second frame,
    // dancer 2 (over 0.085 s) every third.
    std::vector<float> ones{0.0f, d.scene.animation().dancer1Frame};
    std::vector<float> twos{0.0f, d.scene.animation().dancer2Frame};
    double t = 50.0;
    for (int n = 1; n <= 60; ++n) {
        t += 0.035;
        const DanceAnimation before = d.scene.animation();
        renderAt(d, t);
        // What was drawn: the pictures of the values before this frame.
        const int k1 = static_cast<int>(before.dancer1Frame * 14 + 0.5) % 14;
        const int k2 = static_cast<int>(before.dancer2Frame * 10 + 0.5) % 10;
        const int ke = static_cast<int>(before.echoFrame * 10 + 0.5) % 10;
        ASSERT_EQ(d.rig.pixel(one.x, one.y), IdentData::colourOf("baile1.tga", k1).swapped()) << "frame " << n;
        ASSERT_EQ(d.rig.pixel(two.x, two.y), IdentData::colourOf("baile2.tga", k2).swapped()) << "frame " << n;
        const Rgb echoSeen = d.rig.pixel(echo.x, echo.y);
        ASSERT_TRUE(near(echoSeen, blend(IdentData::colourOf("baile2.tga", ke).swapped(), 0.6, kYellow)))
            << "frame " << n << " echo " << describe(echoSeen);

        const DanceAnimation& after = d.scene.animation();
        const bool oneStepped = after.dancer1Frame != before.dancer1Frame;
        const bool twoStepped = after.dancer2Frame != before.dancer2Frame;
        EXPECT_EQ(oneStepped, n % 2 == 0) << "frame " << n;
        EXPECT_EQ(twoStepped, n % 3 == 0) << "frame " << n;
        if (oneStepped && ones.size() < 16) ones.push_back(after.dancer1Frame);
        if (twoStepped && twos.size() < 12) twos.push_back(after.dancer2Frame);
        // The echo: dancer 2's picture before its latest step, until dancer
        // 1's next step shows it dancer 2's current one.
        if (twoStepped) {
            EXPECT_EQ(after.echoFrame, before.dancer2Frame) << "frame " << n;
        } else if (oneStepped) {
            EXPECT_EQ(after.echoFrame, after.dancer2Frame) << "frame " << n;
        } else {
            EXPECT_EQ(after.echoFrame, before.echoFrame) << "frame " << n;
        }
    }
    // 14 and 10 pictures, then back to the first.
    ASSERT_EQ(ones.size(), 16u);
    ASSERT_EQ(twos.size(), 12u);
    for (int k = 0; k < 14; ++k) EXPECT_NEAR(ones[k], k / 14.0, 1e-6) << k;
    EXPECT_EQ(ones[13], 0.9285716f);
    EXPECT_EQ(ones[14], 0.0f);
    for (int k = 0; k < 10; ++k) EXPECT_NEAR(twos[k], k / 10.0, 1e-6) << k;
    EXPECT_EQ(twos[9], 0.9000001f);
    EXPECT_EQ(twos[10], 0.0f);
}

TEST(DanceFloorScene, AJumpBackKeepsTheDancersStepping) {
    DanceFloor d("dance-jump-back", {"baile1.tga", "baile2.tga"});
    d.begin(60.0);
    renderAt(d, 60.0);
    renderAt(d, 60.03);
    // Ten seconds back, as a seek does: the clocks do not go below zero...
    renderAt(d, 50.0);
    EXPECT_GE(d.scene.clocks().dancer1Clock, 0.0f);
    EXPECT_GE(d.scene.clocks().dancer2Clock, 0.0f);
    EXPECT_EQ(d.scene.clocks().lastTime, 50.0f);
    // ...so both dancers step again within their own periods.
    const float one = d.scene.animation().dancer1Frame;
    const float two = d.scene.animation().dancer2Frame;
    renderAt(d, 50.05);
    renderAt(d, 50.1);
    EXPECT_NE(d.scene.animation().dancer1Frame, one);
    EXPECT_NE(d.scene.animation().dancer2Frame, two);
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
    DanceFloor d("dance-handover", {"baile1.tga", "baile2.tga"});
    d.begin(66.0);
    renderAt(d, 66.3);
    renderAt(d, 66.4);
    const DanceAnimation groove = d.scene.animation();
    const DanceClocks clocks = d.scene.clocks();
    EXPECT_EQ(clocks.lastTime, 66.4f);
    for (double t = 66.7; t < 81.7; t += 0.5) renderAt(d, t);
    EXPECT_EQ(std::memcmp(&groove, &d.scene.animation(), sizeof groove), 0) << "the greetings moved the animation";
    EXPECT_EQ(d.scene.clocks().lastTime, clocks.lastTime);
    EXPECT_EQ(d.scene.clocks().dancer1Clock, clocks.dancer1Clock);
    EXPECT_EQ(d.scene.clocks().dancer2Clock, clocks.dancer2Clock);

    // The first shower frame: the dancers changed round, showing the
    // pictures the groove reached, then both step (dt is about 15.4 s).
    renderAt(d, 81.81);
    const int k1 = static_cast<int>(groove.dancer1Frame * 14 + 0.5) % 14;
    const int k2 = static_cast<int>(groove.dancer2Frame * 10 + 0.5) % 10;
    const ScreenPoint one = at(0.5, 0, -1.6), two = at(-0.5, 0, -2.7);
    EXPECT_EQ(d.rig.pixel(one.x, one.y), IdentData::colourOf("baile1.tga", k1).swapped());
    EXPECT_EQ(d.rig.pixel(two.x, two.y), IdentData::colourOf("baile2.tga", k2).swapped());
    EXPECT_NE(d.scene.animation().dancer1Frame, groove.dancer1Frame);
    EXPECT_NE(d.scene.animation().dancer2Frame, groove.dancer2Frame);
    EXPECT_EQ(d.scene.animation().frameTick, (groove.frameTick + 1) % 13);
    EXPECT_EQ(d.scene.animation().starAngle, groove.starAngle + 220.0f);
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
    EXPECT_EQ(d.scene.animation().starAngle, 5 * 220.0f) << "three groove and two shower frames";
}
