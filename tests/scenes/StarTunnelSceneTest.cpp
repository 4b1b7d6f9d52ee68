// The star tunnel scene drawn offscreen with identification pictures: the
// caption's changes, the stars' per-frame angle, the colours inside the
// driver's window, the portrait and flower, and missing pictures.
#include "scenes/StarTunnelScene.h"

#include "OpeningSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace opening;

namespace {

const char* const kPictures[] = {"star.tga", "tia.tga", "flower.tga"};

ScreenPoint at(double x, double y, double z) {
    Projector p;
    p.translate(x, y, z);
    return p.project(0, 0);
}

const Rgb kWhite = {255, 255, 255};
const Rgb kBarColours[3] = {eightBit(0.5f, 0.0f, 0.5f), eightBit(0.6f, 0.0f, 0.6f), eightBit(0.8f, 0.0f, 0.9f)};

// Where a caption of n characters ends in the font's 640x480 frame.
double captionEnd(size_t n) { return 50 + 30.0 * (n - 1) + 48; }

}  // namespace

TEST(StarTunnelScene, CaptionChangesAtThirtyEightAndAHalfAndFortyOneWithNothingAtExactlyThose) {
    IdentData data(testFolder("tunnel-caption"));
    for (const char* file : kPictures) makeTransparent(data, file);
    SceneRig rig(data.dir());
    StarTunnelScene scene{SceneRig::clock()};
    rig.begin({&scene});
    Projector p;
    struct Frame {
        double t;
        const char* caption;
    };
    const Frame frames[] = {{38.4, "she grooves"},  {38.5, nullptr}, {38.6, "we groove"},
                            {40.9, "we groove"},    {41.0, nullptr}, {41.1, "everybody grooves"}};
    for (const Frame& f : frames) {
        SCOPED_TRACE("t = " + std::to_string(f.t));
        rig.render(scene, f.t);
        rig.read();
        // The sheet is solid white: each character, space included, prints
        // a filled 48-unit square.
        const ScreenPoint first = p.textPoint(56, 44);
        if (!f.caption) {
            EXPECT_NE(rig.pixel(first.x, first.y), kWhite);
            continue;
        }
        const double end = captionEnd(std::string(f.caption).size());
        const ScreenPoint last = p.textPoint(end - 6, 44), beyond = p.textPoint(end + 6, 44);
        EXPECT_EQ(rig.pixel(first.x, first.y), kWhite);
        EXPECT_EQ(rig.pixel(last.x, last.y), kWhite);
        EXPECT_NE(rig.pixel(beyond.x, beyond.y), kWhite);
        const ScreenPoint above = p.textPoint(end - 6, 74);
        EXPECT_NE(rig.pixel(above.x, above.y), kWhite);
    }
}

TEST(StarTunnelScene, StarAngleGrowsBy264PerFrameWhateverTheTime) {
    IdentData data(testFolder("tunnel-stars"));
    makeDot(data, "star.tga", 0.1);
    makeTransparent(data, "tia.tga");
    makeTransparent(data, "flower.tga");
    SceneRig rig(data.dir());
    StarTunnelScene scene{SceneRig::clock()};
    rig.begin({&scene});
    for (int k = 0; k < 11; ++k) {
        rig.render(scene, 37.0 + 0.02 * k);
        EXPECT_EQ(scene.state.starAngle, 264.0f * (k + 1));
    }
    rig.read();

    // The nearest ring (z = -3, the last eight stars) of the eleventh frame,
    // from the angle ten frames put there; each star turns about its centre,
    // where the dot is. Its dots are translucent: whatever lies under them,
    // they add at least 0.7 of the star's blue to a background without blue.
    const Rgb star = IdentData::colourOf("star.tga");
    auto ringHits = [&](float base) {
        float angle = base;
        for (int j = 0; j < 40; ++j) angle += 5.5f;
        int hits = 0, probed = 0;
        for (int j = 0; j < 8; ++j, angle += 5.5f) {
            const ScreenPoint centre = at(std::sin(angle), std::cos(angle), -3);
            if (!onScreen(centre, 5) || centre.y > 430) continue;  // clear of the bars
            ++probed;
            const Rgb c = rig.pixel(centre.x, centre.y);
            if (c.b >= 0.7 * star.b - 3 && c.r <= 0.7 * star.r + 0.3 * 255 + 3) ++hits;
        }
        return std::make_pair(hits, probed);
    };
    const auto [hits, probed] = ringHits(2640.0f);
    EXPECT_GE(probed, 5);
    EXPECT_EQ(hits, probed);
    // A ring placed afresh each frame would stand elsewhere.
    EXPECT_EQ(ringHits(0.0f).first, 0);
}

TEST(StarTunnelScene, InsideItsWindowTheBackgroundIsOrangeAndTheBarsPurple) {
    IdentData data(testFolder("tunnel-colours"));
    for (const char* file : kPictures) makeTransparent(data, file);
    makeTransparent(data, "font.fnt");
    SceneRig rig(data.dir());
    StarTunnelScene scene{SceneRig::clock()};
    rig.begin({&scene});
    // The flash windows are scene times 5.0-5.2 and 7.0-7.2; scene time is
    // show time, so they never come while the driver draws this scene (they
    // would at 41.1-41.3 and 43.1-43.3 if it counted from 36.1).
    bool first = true;
    for (double t : {36.15, 37.0, 41.15, 41.2, 41.25, 43.15, 43.2, 43.25, 43.75}) {
        SCOPED_TRACE("t = " + std::to_string(t));
        rig.render(scene, t);
        rig.read();
        EXPECT_EQ(rig.pixel(400, 150), first ? kBlack : kOrange);
        first = false;
        // Each bar's middle, where no later bar covers it.
        const float tf = static_cast<float>(t);
        const float offsets[3] = {0.5f * std::sin(2.0f * tf), 0.5f * std::sin(2.0f * tf + 0.785375f),
                                  0.5f * std::sin(2.0f * tf + 1.57075f)};
        int checked = 0;
        for (int i = 0; i < 3; ++i) {
            bool covered = false;
            for (int j = i + 1; j < 3; ++j) covered = covered || std::fabs(offsets[j] - offsets[i]) < 0.2f;
            if (covered) continue;
            const ScreenPoint middle = at(0, offsets[i] - 1.8 + 0.075, -6);
            EXPECT_TRUE(near(rig.pixel(middle.x, middle.y), kBarColours[i], 1))
                << "bar " << i + 1 << ": " << describe(rig.pixel(middle.x, middle.y));
            ++checked;
        }
        EXPECT_GE(checked, 1);
    }
    EXPECT_EQ(clearColour(), (std::array<float, 4>{1.0f, 0.7f, 0.0f, 1.0f}));
}

TEST(StarTunnelScene, PortraitStandsUprightOnTheRightAndTheFlowerOnTheLeft) {
    IdentData data(testFolder("tunnel-portrait"));
    makeTransparent(data, "star.tga");
    const Rgb top = {240, 30, 60}, bottom = {30, 60, 240};
    data.write("tia.tga", patternTga("tia.tga", [&](int, int y) { return Rgba{y < 256 ? top : bottom, 255}; }));
    SceneRig rig(data.dir());
    StarTunnelScene scene{SceneRig::clock()};
    rig.begin({&scene});
    rig.render(scene, 39.95);
    rig.render(scene, 40.0);
    rig.read();
    // The picture's first rows at the top; its left edge at x = 0.4.
    const ScreenPoint upper = at(0.8, 0.4, -2), lower = at(0.8, -0.4, -2);
    const ScreenPoint inside = at(0.45, -0.4, -2), beside = at(0.35, -0.4, -2);
    EXPECT_EQ(rig.pixel(upper.x, upper.y), top);
    EXPECT_EQ(rig.pixel(lower.x, lower.y), bottom);
    EXPECT_EQ(rig.pixel(inside.x, inside.y), bottom);
    EXPECT_EQ(rig.pixel(beside.x, beside.y), kOrange);
    const ScreenPoint flower = at(-0.5, 0, -1.5);
    EXPECT_EQ(rig.pixel(flower.x, flower.y), IdentData::colourOf("flower.tga"));
}

TEST(StarTunnelScene, EveryFileMissingStillDrawsBarsOnOrange) {
    const std::string dir = testFolder("tunnel-missing");
    SceneRig rig(dir);
    StarTunnelScene scene{SceneRig::clock()};
    testing::internal::CaptureStdout();
    rig.begin({&scene});
    std::fflush(stdout);
    const std::string messages = testing::internal::GetCapturedStdout();
    size_t from = 0;
    for (const char* file : {"vinyl.tga", "star.tga", "tia.tga", "flower.tga", "font.fnt"}) {
        const size_t found = messages.find(dir + "/" + file, from);
        ASSERT_NE(found, std::string::npos) << file << " missing from:\n" << messages;
        from = found;
    }
    rig.render(scene, 37.0);
    rig.render(scene, 37.1);
    rig.read();
    // Stars, flower, portrait and caption are transparent black.
    int barPixels = 0;
    for (const Rgb& bar : kBarColours) barPixels += rig.count(bar, 1);
    EXPECT_GT(barPixels, 800 * 18);
    EXPECT_EQ(barPixels + rig.count(kOrange, 0), 800 * 600);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
