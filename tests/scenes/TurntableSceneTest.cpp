// The turntable scene drawn offscreen with identification pictures: the
// titles' slide, the background's turn and swirl, the rim's exchanged
// colours, the record's turn one frame late, and missing pictures.
#include "scenes/TurntableScene.h"

#include "OpeningSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace opening;

namespace {

const char* const kFiles[] = {"vinyl.tga", "technics.tga", "bck1.tga", "plato.tga",
                              "brazo.tga", "quellix.tga",  "presents.tga"};

// Where a point of a title banner at x lands (titles sit at y 1.75, z -6).
ScreenPoint titlePoint(double x) {
    Projector p;
    p.translate(x, 1.75, -6.0);
    return p.project(0, 0);
}

// Whether any part of the banner at x is on screen.
bool bannerVisible(double x) { return x - 2.0 < 3.3 && x + 2.0 > -3.3; }

// Checks that the banner at x shows `colour` just inside both of its ends and
// something else just outside them, wherever those points are on screen.
void expectBannerAt(SceneRig& rig, double x, const Rgb& colour, const std::string& what) {
    int seen = 0;
    for (double edge : {x - 2.0, x + 2.0}) {
        const double inward = edge < x ? 0.12 : -0.12;
        const ScreenPoint in = titlePoint(edge + inward), out = titlePoint(edge - inward);
        if (onScreen(in)) {
            EXPECT_EQ(rig.pixel(in.x, in.y), colour) << what << " inside its end at " << edge;
            ++seen;
        }
        if (onScreen(out)) {
            EXPECT_NE(rig.pixel(out.x, out.y), colour) << what << " outside its end at " << edge;
            ++seen;
        }
    }
    EXPECT_GT(seen, 0) << what << " at " << x << " has no end on screen";
}

// Eight bands of rows, each its own colour: the background's texture
// coordinate t depends only on the quad's x (its corners have t = sin, cos,
// cos, sin of the swirl), so the bands show as stripes across the quad.
const Rgb kBands[8] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                       {0, 255, 255}, {255, 0, 255}, {128, 128, 128}, {255, 255, 255}};

// The band the background shows at pixel (px, py) when the quad is turned by
// `degrees` and its coordinates swirled by `swirl`, or -1 near a boundary.
int expectedBand(int px, int py, double degrees, double swirl) {
    const double tanHalf = std::tan(22.5 * M_PI / 180.0), aspect = 800.0 / 600.0;
    const double ndcX = (px + 0.5) / 400.0 - 1.0, ndcY = 1.0 - (py + 0.5) / 300.0;
    const double ex = ndcX * aspect * tanHalf * 2.5, ey = ndcY * tanHalf * 2.5;  // on the plane z = -2.5
    const double a = degrees * M_PI / 180.0;
    const double quadX = std::cos(a) * ex + std::sin(a) * ey;  // turned back into the quad
    const double s = std::sin(swirl), c = std::cos(swirl);
    const double t = s + (quadX + 2.0) / 4.0 * (c - s);
    const double bands = (t - std::floor(t)) * 8.0;
    const double within = bands - std::floor(bands);
    if (within < 0.15 || within > 0.85) return -1;
    return static_cast<int>(std::floor(bands));
}

// Probes above the platter; counts those that disagree with the prediction.
int backgroundMismatches(SceneRig& rig, double degrees, double swirl, int* probed) {
    int wrong = 0;
    *probed = 0;
    for (int py = 15; py <= 195; py += 20)
        for (int px = 15; px <= 785; px += 20) {
            const int band = expectedBand(px, py, degrees, swirl);
            if (band < 0) continue;
            ++*probed;
            if (!near(rig.pixel(px, py), kBands[band], 6)) ++wrong;
        }
    return wrong;
}

}  // namespace

TEST(TurntableScene, TitlesSlideInTurnAndRestAtTheirTimes) {
    IdentData data(testFolder("turntable-titles"));
    makeTransparent(data, "plato.tga");
    makeTransparent(data, "brazo.tga");
    SceneRig rig(data.dir());
    TurntableScene scene{SceneRig::clock()};
    rig.begin({&scene});
    const Rgb quellix = IdentData::colourOf("quellix.tga"), presents = IdentData::colourOf("presents.tga");

    struct Moment {
        double t;
        float quellixX, presentsX;
    };
    // Before 4 s the first title comes in at t - 4 and the second waits at
    // -5; it keeps -5 from 4 to 5 s. At exactly 13 s only the rule for
    // t > 5 applies: the second title stands at 1.
    const Moment moments[] = {{2.0, -2.0f, -5.0f}, {4.0, 0.0f, -5.0f},  {4.5, 0.0f, -5.0f},  {6.0, 1.0f, -6.0f},
                              {12.5, 7.5f, 0.0f},  {13.0, 8.0f, 1.0f},  {13.5, 8.5f, 0.5f}};
    for (const Moment& m : moments) {
        SCOPED_TRACE("t = " + std::to_string(m.t));
        rig.render(scene, m.t);
        EXPECT_FLOAT_EQ(scene.state.quellixX, m.quellixX);
        EXPECT_FLOAT_EQ(scene.state.presentsX, m.presentsX);
        rig.read();
        if (bannerVisible(m.quellixX)) expectBannerAt(rig, m.quellixX, quellix, "quellix");
        if (bannerVisible(m.presentsX)) expectBannerAt(rig, m.presentsX, presents, "presents");
    }
}

TEST(TurntableScene, BackgroundIsStillUntilFourSecondsThenTurnsFromFortyDegrees) {
    IdentData data(testFolder("turntable-background"));
    // Only the background: every other picture is missing, so the quads in
    // front of it draw nothing (the rim draws black, below the probes).
    for (const char* file : kFiles)
        if (std::string(file) != "bck1.tga") data.remove(file);
    data.write("bck1.tga", patternTga("bck1.tga", [](int, int y) { return Rgba{kBands[y * 8 / 512], 255}; }));
    SceneRig rig(data.dir());
    TurntableScene scene{SceneRig::clock()};
    rig.begin({&scene});

    struct Moment {
        double t, degrees, swirl;
    };
    const Moment moments[] = {{2.0, 0, 0}, {4.0, 0, 0}, {4.05, 40.5, 4.05 - 4.1}, {10.0, 100, 10.0 - 4.1}};
    for (const Moment& m : moments) {
        SCOPED_TRACE("t = " + std::to_string(m.t));
        rig.render(scene, m.t);
        rig.read();
        int probed = 0;
        EXPECT_EQ(backgroundMismatches(rig, m.degrees, m.swirl, &probed), 0);
        EXPECT_GT(probed, 200);
        if (m.degrees > 0) {
            // The probes tell a turned background from a still one.
            EXPECT_GT(backgroundMismatches(rig, 0, 0, &probed), probed / 5);
        }
    }
}

TEST(TurntableScene, RimShowsRedAndBlueExchangedAndRecordTurnsOneFrameLate) {
    IdentData data(testFolder("turntable-record"));
    for (const char* file : {"plato.tga", "brazo.tga", "quellix.tga", "presents.tga"}) makeTransparent(data, file);
    // The record in four quadrants, upper right first, counter-clockwise,
    // round: the corners of its quad are transparent.
    const Rgb quadrants[4] = {{250, 40, 10}, {10, 240, 30}, {20, 30, 250}, {240, 240, 20}};
    auto quadrantOf = [&](double x, double y) { return quadrants[y >= 0 ? (x >= 0 ? 0 : 1) : (x >= 0 ? 3 : 2)]; };
    data.write("vinyl.tga", patternTga("vinyl.tga", [&](int x, int y) {
                   const double u = (x + 0.5) / 256.0 - 0.5, v = 0.5 - (y + 0.5) / 256.0;
                   return std::hypot(u, v) < 0.5 ? Rgba{quadrantOf(u, v), 255} : Rgba{{0, 0, 0}, 0};
               }));
    SceneRig rig(data.dir());
    TurntableScene scene{SceneRig::clock()};
    rig.begin({&scene});

    // A point in the middle of the rim's band where the band looks thickest,
    // clear of the record.
    Projector record;
    record.translate(-0.3, 0, -0.6).rotate(-74, 1, 0, 0);
    Projector rim;
    rim.translate(-0.62, -0.09, -1.2).rotate(-75, 1, 0, 0);
    ScreenPoint rimProbe{-1, -1};
    double thickest = 0;
    for (int k = 0; k < 360; ++k) {
        const double a = k * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
        const ScreenPoint bottom = rim.project(1.09 * c, 1.09 * s, 0), top = rim.project(1.0 * c, 1.0 * s, 0.1);
        const ScreenPoint mid = rim.project(1.045 * c, 1.045 * s, 0.05);
        const double thickness = std::hypot(top.x - bottom.x, top.y - bottom.y);
        if (onScreen(mid, 12) && !insideDisc(record, 0.5, mid, -12) && thickness > thickest) {
            thickest = thickness;
            rimProbe = mid;
        }
    }
    ASSERT_GT(thickest, 8.0);

    // The record turns by 60 degrees a second, taken from the frame before:
    // unturned on the first frame (t = 5), 300 degrees on the next (t = 6).
    const Rgb technics = IdentData::colourOf("technics.tga");
    struct Frame {
        double t, degrees;
    };
    for (const Frame& f : {Frame{5.0, 0.0}, Frame{6.0, 300.0}, Frame{6.5, 360.0}}) {
        SCOPED_TRACE("t = " + std::to_string(f.t));
        rig.render(scene, f.t);
        rig.read();
        EXPECT_EQ(rig.pixel(rimProbe.x, rimProbe.y), technics.swapped());
        Projector turned = record;
        turned.rotate(-f.degrees, 0, 0, 1);
        int probed = 0;
        for (int k = 0; k < 8; ++k) {
            const double a = (k * 45.0 + 22.5) * M_PI / 180.0;
            const double x = 0.28 * std::cos(a), y = 0.28 * std::sin(a);
            const ScreenPoint s = turned.project(x, y);
            if (!onScreen(s, 4)) continue;
            ++probed;
            EXPECT_TRUE(near(rig.pixel(s.x, s.y), quadrantOf(x, y), 4))
                << "record point (" << x << ", " << y << ") shows " << describe(rig.pixel(s.x, s.y));
        }
        EXPECT_GE(probed, 3);
    }
    EXPECT_FLOAT_EQ(scene.state.platterAngle, 390.0f);
}

TEST(TurntableScene, EveryPictureMissingDrawsTheBackgroundAndRimBlack) {
    const std::string dir = testFolder("turntable-missing");
    SceneRig rig(dir);
    TurntableScene scene{SceneRig::clock()};
    testing::internal::CaptureStdout();
    rig.begin({&scene});
    std::fflush(stdout);
    const std::string messages = testing::internal::GetCapturedStdout();
    // One message per file, in the order the scene reads them.
    size_t at = 0;
    for (const char* file : kFiles) {
        const size_t found = messages.find(std::string(dir) + "/" + file, at);
        ASSERT_NE(found, std::string::npos) << file << " missing from:\n" << messages;
        at = found;
    }
    // The missing pictures are transparent black, not untextured white: the
    // opaque background and rim draw black over the whole orange clear.
    for (double t : {1.0, 7.0}) {
        rig.render(scene, t);
        rig.read();
        EXPECT_EQ(rig.count(kBlack, 0), 800 * 600) << "t = " << t;
    }
    EXPECT_EQ(clearColour(), (std::array<float, 4>{1.0f, 0.7f, 0.0f, 1.0f}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
