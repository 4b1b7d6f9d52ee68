// The end scene on an offscreen surface, with identification pictures:
// which picture shows where and when, the fade, the caption change, the
// frog's steps on show time, and a run with every picture missing.
#include "scenes/EndScene.h"
#include "scenes/SceneRig.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const char* const kEndFiles[] = {"frog.tga",       "bcn.tga", "bcn_blur.tga", "party.tga",
                                 "party_blur.tga", "10.tga",  "10_blur.tga",  "bck_end.tga"};

// Where the scene's quads land.
ScreenPoint onPicture(double x, double y) { return Projector().translate(x, 0, -6).project(0, y); }
ScreenPoint onFrog() { return Projector().translate(0, -1, -5).project(0, -0.1); }
ScreenPoint onBackground() { return Projector().translate(0, 0, -6).project(-2.9, 2.2); }
// Font frame points: the caption starts at (20, 20), glyphs 48 units square
// advancing 30, so "brisa grooves too" (17) reaches 548 and "we love
// frogs" (13) 428. The identification font draws every glyph, the blank
// included, as a white square.
ScreenPoint inBothCaptions() { return Projector().textPoint(300, 44); }
ScreenPoint inTheLongCaptionOnly() { return Projector().textPoint(490, 44); }

// The colour over the background after blending `picture` with alpha a.
Rgb blend(const Rgb& background, const Rgb& picture, double a) {
    auto mix = [a](int b, int p) { return static_cast<int>(std::lround(b * (1 - a) + p * a)); };
    return {mix(background.r, picture.r), mix(background.g, picture.g), mix(background.b, picture.b)};
}

struct Pictures {
    Rgb left = IdentData::colourOf("bcn_blur.tga");
    Rgb middle = IdentData::colourOf("party_blur.tga");
    Rgb right = IdentData::colourOf("10_blur.tga");
    Rgb background = IdentData::colourOf("bck_end.tga");
};

class EndSceneTest : public ::testing::Test {
protected:
    EndSceneTest() : data(testFolder("end-scene")) {}

    // Renders at show time t and reads the picture.
    void frame(double t) {
        rig.render(scene, t);
        rig.read();
    }
    Rgb at(const ScreenPoint& p) const { return rig.pixel(p.x, p.y); }

    IdentData data;
    SceneRig rig{data.dir()};
    EndScene scene{SceneRig::clock()};
};

TEST_F(EndSceneTest, PicturesFadeWithTheSineOfTheTimeOverTheBackground) {
    rig.begin({&scene}, 103.15);
    const Pictures c;
    const ScreenPoint left = onPicture(-2, 0.5), middle = onPicture(0, 0.5), right = onPicture(2, 0.5);

    // 103.2 s: the sine is about 0.46 and falling.
    frame(103.2);
    const double a = std::sin(103.2f);
    ASSERT_GT(a, 0.4);
    EXPECT_TRUE(near(at(left), blend(c.background, c.left, a), 2)) << describe(at(left));
    EXPECT_TRUE(near(at(middle), blend(c.background, c.middle, a), 2)) << describe(at(middle));
    EXPECT_TRUE(near(at(right), blend(c.background, c.right, a), 2)) << describe(at(right));

    // 105 s: the sine is negative; only the background shows.
    frame(105.0);
    EXPECT_EQ(at(left), c.background);
    EXPECT_EQ(at(middle), c.background);
    EXPECT_EQ(at(right), c.background);

    // 121 s: the sine is about 0.999; the pictures in their own colours
    // (made with the whole-buffer exchange, so red and blue as drawn).
    frame(121.0);
    EXPECT_TRUE(near(at(left), c.left, 1)) << describe(at(left));
    EXPECT_TRUE(near(at(middle), c.middle, 1)) << describe(at(middle));
    EXPECT_TRUE(near(at(right), c.right, 1)) << describe(at(right));
    // The background fills the view from top to bottom and almost from side
    // to side; the pictures stay inside their 2 x 2 quads.
    EXPECT_EQ(at(onBackground()), c.background);
    EXPECT_EQ(at(onPicture(-2, 1.08)), c.background);
    EXPECT_EQ(rig.pixel(400, 0), c.background);
    EXPECT_EQ(rig.pixel(400, 599), c.background);
    EXPECT_EQ(rig.pixel(3, 300), c.background);
    EXPECT_EQ(rig.pixel(796, 300), c.background);
}

TEST_F(EndSceneTest, CaptionChangesAt110SecondsOfTheScenesOwnClock) {
    rig.begin({&scene}, 103.15);
    const Rgb white{255, 255, 255};
    const Rgb background = IdentData::colourOf("bck_end.tga");

    frame(109.95);
    EXPECT_EQ(at(inBothCaptions()), white);
    EXPECT_EQ(at(inTheLongCaptionOnly()), white) << "\"brisa grooves too\" before 110 s";

    frame(110.05);
    EXPECT_EQ(at(inBothCaptions()), white);
    EXPECT_EQ(at(inTheLongCaptionOnly()), background) << "\"we love frogs\" after 110 s";

    // Exactly 110 s on the scene's clock: no caption at all.
    frame(110.0);
    EXPECT_EQ(at(inBothCaptions()), background);
    EXPECT_EQ(at(inTheLongCaptionOnly()), background);

    // The caption follows the scene's clock, not the show time handed in.
    rig.setTime(109.95);
    scene.render(110.5f);
    rig.read();
    EXPECT_EQ(at(inTheLongCaptionOnly()), white);
    rig.setTime(110.05);
    scene.render(109.5f);
    rig.read();
    EXPECT_EQ(at(inTheLongCaptionOnly()), background);
}

// Which frog picture is on screen: 0 to 3, or -1.
int frogPicture(const Rgb& seen) {
    for (int k = 0; k < 4; ++k) {
        if (near(seen, IdentData::colourOf("frog.tga", k), 1)) return k;
    }
    return -1;
}

TEST_F(EndSceneTest, FrogStepsThroughItsFourPicturesOnShowTime) {
    rig.begin({&scene}, 103.15);
    // The frog's colours as drawn: red and blue exchanged over the whole
    // buffer when the texture is made, so not swapped on screen.
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(frogPicture(IdentData::colourOf("frog.tga", k).swapped()), -1);
    }

    // Frames 0.05 s apart. The first frame's dt is the whole show time, so
    // the frog steps at its end; after that it steps in every frame in
    // which more than 0.12 s has gathered, i.e. every third frame. The
    // stored s runs 0, 0.25, 0.5, 0.75, 1.0, 0: the first picture shows at
    // 1.0 (repeat) and again at 0, six frames in a row.
    const std::vector<int> expectedPicture = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2};
    const std::vector<float> expectedAfter = {0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.5f, 0.75f, 0.75f, 0.75f, 1.0f,
                                              1.0f,  1.0f,  0.0f,  0.0f, 0.0f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f};
    for (size_t i = 0; i < expectedPicture.size(); ++i) {
        const double t = 103.2 + 0.05 * static_cast<double>(i);
        frame(t);
        SCOPED_TRACE("show time " + std::to_string(t));
        EXPECT_EQ(frogPicture(at(onFrog())), expectedPicture[i]) << describe(at(onFrog()));
        EXPECT_EQ(scene.state.frogFrame, expectedAfter[i]);
    }
}

TEST_F(EndSceneTest, FrogClockIsTheShowTimeAndItsStateOutlivesLoadAndStart) {
    rig.begin({&scene}, 103.15);
    rig.render(scene, 103.2);  // first frame: steps to 0.25
    ASSERT_EQ(scene.state.frogFrame, 0.25f);

    // The scene's own clock moving alone does not step the frog...
    for (double t = 103.3; t < 104.5; t += 0.1) {
        rig.setTime(t);
        scene.render(103.2f);
    }
    EXPECT_EQ(scene.state.frogFrame, 0.25f);
    // ...the show time moving alone does, once a frame at most.
    rig.setTime(104.5);
    scene.render(103.33f);
    EXPECT_EQ(scene.state.frogFrame, 0.5f);
    scene.render(110.0f);  // 6.67 s gathered: still one step
    EXPECT_EQ(scene.state.frogFrame, 0.75f);
    EXPECT_EQ(scene.state.frogClock, 0.0f);

    // Loading and starting again leave the frog's picture where it is and
    // only restart the frame clock.
    scene.load();
    scene.start();
    EXPECT_EQ(scene.state.frogFrame, 0.75f);
    EXPECT_EQ(scene.state.lastShowTime, 0.0f);
    EXPECT_EQ(scene.state.frogClock, 0.0f);
}

TEST_F(EndSceneTest, LeavesBlendingColourTexturingAndDepthTestAsTheNextFrameExpects) {
    rig.begin({&scene}, 103.15);
    frame(108.0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(EndSceneTest, EveryPictureMissingDrawsTheRestInLoadOrder) {
    for (const char* name : kEndFiles) data.remove(name);
    testing::internal::CaptureStdout();
    rig.begin({&scene}, 103.15);
    const std::string messages = testing::internal::GetCapturedStdout();
    // One refusal per file, in the order the scene reads them.
    size_t from = 0;
    for (const char* name : kEndFiles) {
        const size_t at = messages.find(data.dir() + "/" + name, from);
        ASSERT_NE(at, std::string::npos) << name << " not named after position " << from << " in:\n" << messages;
        from = at + 1;
    }

    // The dance floor's clear colour shows where nothing draws.
    glClearColor(1.0f, 0.8f, 0.0f, 1.0f);
    frame(121.0);
    // The background quad is drawn unblended with a transparent black
    // texture: black; the frog and the pictures are transparent over it.
    EXPECT_EQ(at(onBackground()), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(onPicture(-2, 0.5)), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(onPicture(0, 0.5)), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(onPicture(2, 0.5)), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(onFrog()), (Rgb{0, 0, 0}));
    // The caption still prints, and the edges beside the background quad
    // keep the clear colour.
    EXPECT_EQ(at(inBothCaptions()), (Rgb{255, 255, 255}));
    EXPECT_EQ(rig.pixel(0, 300), (Rgb{255, 204, 0}));
    EXPECT_EQ(rig.pixel(799, 300), (Rgb{255, 204, 0}));
    // And the frog still counts its steps.
    frame(121.2);
    EXPECT_EQ(scene.state.frogFrame, 0.5f);
}

TEST(EndSceneShipped, BackgroundIsDrawnUnblendedAndMeetsTheClearColourAtTheSides) {
    // The shipped background is a 24-bit file (alpha 0 everywhere): it shows
    // only because it is drawn with blending off.
    SceneRig rig(GLOWMOTION_DATA_DIR);
    EndScene scene{SceneRig::clock()};
    rig.begin({&scene}, 104.9);
    glClearColor(1.0f, 0.8f, 0.0f, 1.0f);  // as the dance floor leaves it
    const Rgb clear{255, 204, 0};
    rig.render(scene, 104.95);  // leaves blending on, as every frame does
    rig.render(scene, 105.0);
    rig.read();
    int background = 0;
    for (int y = 20; y < 400; y += 20) {
        const Rgb c = rig.pixel(400, y);
        background += !near(c, clear, 40) && c != Rgb{0, 0, 0};
    }
    EXPECT_EQ(background, 19) << "the sky of the background is not on screen";
    // The two columns at each side are the clear colour; the picture's
    // marquee beside them has the same colour between its bulbs.
    int seamless = 0;
    for (int y = 0; y < 600; ++y) {
        EXPECT_EQ(rig.pixel(0, y), clear);
        EXPECT_EQ(rig.pixel(799, y), clear);
        seamless += near(rig.pixel(2, y), clear, 6) && near(rig.pixel(797, y), clear, 6);
    }
    EXPECT_GT(seamless, 400);
}

}  // namespace
