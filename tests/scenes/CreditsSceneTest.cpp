// The credits scene drawn offscreen with identification pictures: the change
// from crew to logo at r = 10.5, the purple flashes from the previous frame's
// time, the pulses, the star rows, the slide's lift, the title's per-frame
// fade and missing pictures.
#include "scenes/CreditsScene.h"

#include "OpeningSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace opening;

namespace {

const char* const kFiles[] = {"glowmotion2.tga", "nilo.tga", "sabueso.tga", "kiro.tga",
                              "big_circle.tga",  "logo.tga", "iface.tga",   "star.tga"};

// r as the scene computes it from show time t.
float relative(double t) { return static_cast<float>(t - 19.8); }

ScreenPoint at(double x, double y, double z) {
    Projector p;
    p.translate(x, y, z);
    return p.project(0, 0);
}

Rgb colourOf(const char* file) { return IdentData::colourOf(file); }

// Every credits picture transparent except those named.
void keepOnly(const IdentData& data, std::initializer_list<const char*> kept) {
    for (const char* file : kFiles) {
        bool keep = false;
        for (const char* k : kept) keep = keep || std::string(file) == k;
        if (!keep) makeTransparent(data, file);
    }
}

// A point of the background that nothing but the circles covers, in every
// phase of the scene.
const ScreenPoint kBackground{30, 300};

}  // namespace

TEST(CreditsScene, AtExactlyTenAndAHalfNeitherCrewNorLogoNorTitleIsDrawn) {
    IdentData data(testFolder("credits-switch"));
    makeTransparent(data, "big_circle.tga");
    SceneRig rig(data.dir());
    CreditsScene scene{SceneRig::clock()};
    rig.begin({&scene});
    // Ten frames a second from the start: the title has faded in for good.
    for (int k = 0; k < 110; ++k) rig.render(scene, 19.2 + k * 0.1);
    ASSERT_GE(scene.state.titleAlpha, 1.0f);

    // Points that the crew, title, logo and star rows cover one at a time:
    // colours at 30.2, 30.3 (r = 10.5) and 30.4 s.
    const Rgb bg = kYellowOrange;
    struct Probe {
        const char* what;
        ScreenPoint point;
        Rgb before, at, after;
    };
    const Probe probes[] = {
        {"sabueso plate", at(-1.4, 1.22, -6), colourOf("sabueso.tga"), bg, bg},
        {"iface, then logo", at(-1.5, 0, -6), colourOf("iface.tga"), bg, colourOf("logo.tga")},
        {"title", at(1.3, -0.3, -3), colourOf("glowmotion2.tga"), bg, bg},
        {"upper star row", at(1.2, 2.35, -6), bg, bg, colourOf("star.tga")},
    };
    for (double t : {30.2, 30.3, 30.4}) {
        SCOPED_TRACE("t = " + std::to_string(t));
        rig.render(scene, t);
        rig.read();
        if (t == 30.3) {
            ASSERT_EQ(relative(t), 10.5f);
        }
        for (const Probe& p : probes) {
            const Rgb expected = t == 30.2 ? p.before : t == 30.3 ? p.at : p.after;
            EXPECT_EQ(rig.pixel(p.point.x, p.point.y), expected) << p.what;
        }
    }
}

TEST(CreditsScene, BackgroundFlashesPurpleFromThePreviousFramesTime) {
    IdentData data(testFolder("credits-flash"));
    makeTransparent(data, "big_circle.tga");
    SceneRig rig(data.dir());
    CreditsScene scene{SceneRig::clock()};
    rig.begin({&scene});
    // Each frame clears with the colour the frame before chose from the r of
    // the frame before that (0 before the scene's first frame).
    auto chosen = [](float previousR) {
        if (previousR > 14.2f && previousR < 14.7f) return kPurple;
        if (previousR > 15.3f && previousR < 15.8f) return kPurple;
        return kYellowOrange;
    };
    int purple = 0;
    float r1 = 0, r2 = 0;  // r of one and of two frames ago
    for (int k = 0; k < 50; ++k) {
        const double t = 33.5 + 0.05 * k;
        rig.render(scene, t);
        rig.read();
        const Rgb expected = k == 0 ? kBlack : chosen(k == 1 ? 0.0f : r2);
        EXPECT_EQ(rig.pixel(kBackground.x, kBackground.y), expected) << "t = " << t;
        if (expected == kPurple) ++purple;
        r2 = r1;
        r1 = relative(t);
    }
    // 34.0 to 34.5 and 35.1 to 35.6 s, a frame late: about twenty frames.
    EXPECT_GE(purple, 16);
}

TEST(CreditsScene, CirclesStartUnpulsedOnTheFirstFrame) {
    IdentData data(testFolder("credits-pulse"));
    keepOnly(data, {"big_circle.tga"});
    SceneRig rig(data.dir());
    CreditsScene scene{SceneRig::clock()};
    rig.begin({&scene});
    const Rgb circle = colourOf("big_circle.tga");
    const ScreenPoint inside = at(0.95, 0, -3), outside = at(1.05, 0, -3);

    rig.render(scene, 25.0);
    rig.read();
    // Eight half-transparent copies over the black first clear.
    EXPECT_TRUE(near(rig.pixel(inside.x, inside.y), circle, 2)) << describe(rig.pixel(inside.x, inside.y));
    EXPECT_EQ(rig.pixel(outside.x, outside.y), kBlack);

    // The next frame pulses with r = 5.2 of the first: the largest copy
    // reaches past 1.8.
    rig.render(scene, 25.05);
    rig.read();
    EXPECT_FLOAT_EQ(scene.state.pulse[4], -std::sin(relative(25.05)));
    EXPECT_NE(rig.pixel(outside.x, outside.y), kYellowOrange);
}

TEST(CreditsScene, StarRowsStandWhereTheRunningPositionPutsThem) {
    IdentData data(testFolder("credits-stars"));
    keepOnly(data, {"star.tga"});
    makeDot(data, "star.tga", 0.12);
    SceneRig rig(data.dir());
    CreditsScene scene{SceneRig::clock()};
    rig.begin({&scene});
    rig.render(scene, 32.0);
    rig.read();
    const Rgb star = colourOf("star.tga");

    // Upper row from -3.7, lower row from -3.0 (its first star, at 4.7, is
    // off screen), 0.7 apart; nothing halfway between neighbours.
    int seen = 0;
    for (double y : {2.0, -2.0}) {
        const double first = y > 0 ? -3.7 : -3.0;
        const int count = y > 0 ? 11 : 10;
        for (int k = 0; k < count; ++k) {
            const double x = first + 0.7 * k;
            const ScreenPoint centre = at(x, y, -6), between = at(x + 0.35, y, -6);
            if (onScreen(centre, 3)) {
                EXPECT_EQ(rig.pixel(centre.x, centre.y), star) << "star at (" << x << ", " << y << ")";
                ++seen;
            }
            if (onScreen(between, 3)) {
                EXPECT_NE(rig.pixel(between.x, between.y), star) << "between stars at (" << x + 0.35 << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(seen, 18);  // the ends of both rows are off screen
}

namespace {

// The probe just below the nilo plate at x: inside the plate's lower edge
// when the plate is lifted to z = -5.5, outside it when it is at z = -6.
ScreenPoint liftProbe(double x) {
    const ScreenPoint lifted = at(x, -1.25, -5.5), resting = at(x, -1.25, -6.0);
    return {lifted.x, (lifted.y + resting.y) / 2};
}

struct SlideFrame {
    double t;
    float x, z;
};

void expectSlides(SceneRig& rig, CreditsScene& scene, std::initializer_list<SlideFrame> frames) {
    const Rgb nilo = colourOf("nilo.tga");
    for (const SlideFrame& f : frames) {
        SCOPED_TRACE("t = " + std::to_string(f.t));
        rig.render(scene, f.t);
        EXPECT_NEAR(scene.state.slide1X, f.x, 1e-4);
        EXPECT_EQ(scene.state.slide1Z, f.z);
        rig.read();
        const ScreenPoint probe = liftProbe(scene.state.slide1X), body = at(scene.state.slide1X, -1.1, scene.state.slide1Z - 6);
        if (onScreen(body)) {
            EXPECT_EQ(rig.pixel(body.x, body.y), nilo);
        }
        if (f.z > 0) {
            EXPECT_EQ(rig.pixel(probe.x, probe.y), nilo);
        } else if (onScreen(probe)) {
            EXPECT_NE(rig.pixel(probe.x, probe.y), nilo);
        }
    }
}

}  // namespace

TEST(CreditsScene, SlideIsLiftedOnlyOnTheFrameItLandsShortOfMinusOnePointThree) {
    IdentData data(testFolder("credits-slide"));
    keepOnly(data, {"nilo.tga"});
    SceneRig rig(data.dir());
    CreditsScene landing{SceneRig::clock()}, jumping{SceneRig::clock()};
    rig.begin({&landing, &jumping});
    // Follows r of the frame before: -10.35 (r0 = 0), -1.65, then -1.41,
    // between -1.5 and -1.3: lifted for that one frame, then held at -1.5.
    expectSlides(rig, landing, {{22.7, -10.35f, 0.0f}, {22.78, -1.65f, 0.0f}, {22.8, -1.41f, 0.5f}, {22.82, -1.5f, 0.0f}});
    // A slow frame takes it from -1.59 straight to -0.9: never lifted.
    expectSlides(rig, jumping, {{22.7, -10.35f, 0.0f}, {22.72, -1.65f, 0.0f}, {22.95, -1.59f, 0.0f}, {23.0, -0.9f, 0.0f},
                                {23.05, -1.5f, 0.0f}});
}

TEST(CreditsScene, TitleFadesByAStepPerFrameNotByTime) {
    IdentData data(testFolder("credits-fade"));
    keepOnly(data, {"glowmotion2.tga"});
    SceneRig rig(data.dir());
    CreditsScene fast{SceneRig::clock()}, slow{SceneRig::clock()};
    rig.begin({&fast, &slow});
    const ScreenPoint title = at(0.8, -0.3, -3);
    const Rgb colour = colourOf("glowmotion2.tga");
    // Both run from r = 1.05 to r = 1.55, inside the first fade-in; each
    // frame draws with the alpha the frames before it added.
    for (int k = 0; k <= 10; ++k) rig.render(fast, 20.85 + 0.05 * k);
    rig.read();
    EXPECT_TRUE(near(rig.pixel(title.x, title.y), over(colour, 0.40, kYellowOrange), 2))
        << describe(rig.pixel(title.x, title.y));
    for (double t : {20.85, 21.1, 21.35}) rig.render(slow, t);
    rig.read();
    EXPECT_TRUE(near(rig.pixel(title.x, title.y), over(colour, 0.08, kYellowOrange), 2))
        << describe(rig.pixel(title.x, title.y));
}

TEST(CreditsScene, EveryPictureMissingStillDrawsBarsAndBackground) {
    const std::string dir = testFolder("credits-missing");
    SceneRig rig(dir);
    CreditsScene scene{SceneRig::clock()};
    testing::internal::CaptureStdout();
    rig.begin({&scene});
    std::fflush(stdout);
    const std::string messages = testing::internal::GetCapturedStdout();
    size_t from = 0;
    for (const char* file : kFiles) {
        const size_t found = messages.find(dir + "/" + file, from);
        ASSERT_NE(found, std::string::npos) << file << " missing from:\n" << messages;
        from = found;
    }
    const Rgb bar = eightBit(1.0f, 0.6f, 0.0f);
    for (double t : {19.5, 25.0, 31.0}) {
        SCOPED_TRACE("t = " + std::to_string(t));
        rig.render(scene, t);
        rig.read();
        const float bob = 0.25f * std::sin(3.0f * relative(t));
        const ScreenPoint lower = at(0, bob - 1.825, -6), upper = at(0, 1.975 - bob, -6);
        EXPECT_EQ(rig.pixel(lower.x, lower.y), bar);
        EXPECT_EQ(rig.pixel(upper.x, upper.y), bar);
        if (t > 20) {
            EXPECT_EQ(rig.pixel(400, 300), kYellowOrange);
        }
        // Bars and background only.
        EXPECT_EQ(rig.count(bar, 0) + rig.count(t > 20 ? kYellowOrange : kBlack, 0), 800 * 600);
    }
    // The next scene starts with depth testing and blending off.
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
