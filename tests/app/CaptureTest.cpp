// Offscreen capture through the real driver: frame files, their times,
// orientation, gaps that keep the previous picture, and the letterbox bars
// that presenting keeps black around the picture.
#include "common/Png.h"

#include "app/Demo.h"
#include "app/PngFolderSink.h"
#include "gfx/PngFile.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Clears to one colour, then paints the top half of the picture blue.
class PaintScene final : public Scene {
public:
    PaintScene(float r, float g, float b) : red(r), green(g), blue(b) {}
    void render(float) override {
        glClearColor(red, green, blue, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glColor3f(0, 0, 1);
        glBegin(GL_QUADS);
        glVertex2f(0, 0.5f); glVertex2f(1, 0.5f); glVertex2f(1, 1); glVertex2f(0, 1);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
    }

private:
    float red, green, blue;
};

// Keeps the last frame handed over, top row first.
class KeepSink final : public FrameSink {
public:
    bool topRowFirst() const override { return true; }
    bool writeFrame(int64_t, const uint8_t* rgba, int width, int height, std::string*) override {
        frame.assign(rgba, rgba + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        return true;
    }
    std::vector<uint8_t> frame;
};

std::string freshDirectory(const char* name) {
    const std::string dir = "/tmp/glowmotion-" + std::string(name) + "-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    return dir;
}

bool isColour(const uint8_t* p, int r, int g, int b) { return p[0] == r && p[1] == g && p[2] == b; }

}  // namespace

TEST(Capture, WritesOneFramePerStepAndKeepsThePictureInGaps) {
    const std::string dir = freshDirectory("capture");
    std::filesystem::create_directories(dir);
    OffscreenSurface surface;
    std::string why;
    ASSERT_TRUE(surface.create(800, 600, &why)) << why;
    PngFolderSink sink(dir, 10);
    DemoSetup setup;
    setup.scenes = [](const FrameClock& clock) {
        SceneSet set = makeScenes(clock);
        set[kTurntableSlot] = std::make_unique<PaintScene>(1, 0, 0);
        set[kCreditsSlot] = std::make_unique<PaintScene>(0, 1, 0);
        return set;
    };
    {
        Demo demo(std::move(setup));
        demo.load(surface);
        const Recorded recorded = demo.record(surface, sink, CaptureTiming{18.8, 19.25, 10});
        // t = 18.8, 18.9, 19.0 (gap), 19.1 (gap), 19.2; 19.3 is past the end.
        EXPECT_FALSE(recorded.failed);
        EXPECT_EQ(recorded.frames, 5);
        EXPECT_EQ(recorded.written, 5);
        surface.destroy();
    }

    std::vector<RgbaPicture> frames(5);
    for (int k = 0; k < 5; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "/%06d.png", k);
        ASSERT_TRUE(readPng(dir + name, frames[k])) << name;
        ASSERT_EQ(frames[k].width, 800);
        ASSERT_EQ(frames[k].height, 600);
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/000005.png"));
    for (int k = 0; k < 5; ++k) {
        const bool credits = k == 4;
        // Top row first: the blue half is the first rows of the file.
        EXPECT_TRUE(isColour(frames[k].at(400, 10), 0, 0, 255)) << k;
        EXPECT_TRUE(isColour(frames[k].at(400, 590), credits ? 0 : 255, credits ? 255 : 0, 0)) << k;
    }
    // Gap frames repeat the last drawn picture exactly.
    EXPECT_EQ(frames[2].rgba, frames[1].rgba);
    EXPECT_EQ(frames[3].rgba, frames[1].rgba);
    std::filesystem::remove_all(dir);
}

TEST(Letterbox, PictureIsTheLargestCentred4To3Rectangle) {
    auto check = [](int w, int h, Viewport expected) {
        const Viewport v = letterboxViewport(w, h);
        EXPECT_EQ(v.x, expected.x) << w << "x" << h;
        EXPECT_EQ(v.y, expected.y) << w << "x" << h;
        EXPECT_EQ(v.width, expected.width) << w << "x" << h;
        EXPECT_EQ(v.height, expected.height) << w << "x" << h;
    };
    check(800, 600, {0, 0, 800, 600});
    check(1920, 1080, {240, 0, 1440, 1080});
    check(1280, 1024, {0, 32, 1280, 960});
    check(2560, 1600, {213, 0, 2133, 1600});
    check(640, 1, {319, 0, 1, 1});
    check(0, 0, {0, 0, 1, 1});
}

TEST(Letterbox, ClearsReachOnlyThePictureAndTheBarsStayBlack) {
    OffscreenSurface surface;
    ASSERT_TRUE(surface.create(1000, 600, nullptr));
    surface.show();
    EXPECT_EQ(surface.viewport().x, 100);
    EXPECT_EQ(surface.viewport().width, 800);
    // A scene clears white; an earlier frame had left the bars grey.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    surface.present();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);  // the scene's clear colour survives presenting
    std::vector<uint8_t> rgba;
    surface.readPixels(rgba, true);
    auto pixel = [&](int x, int y) { return &rgba[(static_cast<size_t>(y) * 1000 + x) * 4]; };
    for (int y : {0, 300, 599}) {
        EXPECT_TRUE(isColour(pixel(0, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(99, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(100, y), 255, 255, 255));
        EXPECT_TRUE(isColour(pixel(899, y), 255, 255, 255));
        EXPECT_TRUE(isColour(pixel(900, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(999, y), 0, 0, 0));
    }
    surface.destroy();
}

namespace {
// A careless scene: turns the scissor test off, clears the whole drawable
// white, paints the top half of the picture blue and leaves the green
// channel masked.
class CarelessScene final : public Scene {
public:
    void render(float) override {
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        PaintScene(1, 1, 1).render(0);
        glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    }
};
}  // namespace

TEST(Letterbox, BarsStayBlackAndThePictureStaysWhateverTheSceneLeft) {
    // One frame at show time 5 (the turntable's window) on a surface wider
    // than 4:3.
    OffscreenSurface surface;
    ASSERT_TRUE(surface.create(1000, 600, nullptr)) << "no offscreen OpenGL";
    KeepSink sink;
    DemoSetup setup;
    setup.scenes = [](const FrameClock& clock) {
        SceneSet set = makeScenes(clock);
        set[kTurntableSlot] = std::make_unique<CarelessScene>();
        return set;
    };
    Demo demo(std::move(setup));
    demo.load(surface);
    EXPECT_EQ(demo.record(surface, sink, CaptureTiming{5.0, 5.1, 10}).written, 1);
    ASSERT_EQ(sink.frame.size(), 1000u * 600 * 4);
    writePngRgba(std::string(GLOWMOTION_BUILD_DIR) + "/tests/letterbox-careless-scene.png", 1000, 600,
                 sink.frame.data(), false);

    // The scene's state is as it left it ...
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && mask[3]);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 100);
    EXPECT_EQ(box[2], 800);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 1.0f);

    // ... and the frame has black bars around the whole picture.
    auto pixel = [&](int x, int y) { return &sink.frame[(static_cast<size_t>(y) * 1000 + x) * 4]; };
    for (int y : {0, 150, 450, 599}) {
        SCOPED_TRACE(y);
        EXPECT_TRUE(isColour(pixel(0, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(99, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(900, y), 0, 0, 0));
        EXPECT_TRUE(isColour(pixel(999, y), 0, 0, 0));
    }
    // Top row first: the blue half, then the white one.
    for (int x : {100, 500, 899}) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(isColour(pixel(x, 10), 0, 0, 255));
        EXPECT_TRUE(isColour(pixel(x, 590), 255, 255, 255));
    }
    surface.destroy();
}

TEST(CaptureFolder, MadeWhenMissingAndRefusedWhenItHoldsFrames) {
    const std::string dir = freshDirectory("capture-folder");
    std::string why;
    EXPECT_EQ(prepareCaptureFolder(dir + "/a/b", false, &why), CaptureFolder::Ready) << why;
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/a/b"));
    EXPECT_EQ(prepareCaptureFolder(dir + "/a/b", false, &why), CaptureFolder::Ready) << why;

    // Files that are not frames stay and do not count.
    for (const char* name : {"notes.txt", "00000.png", "0000000.png", "00000a.png", "000000.PNG"})
        std::ofstream(dir + "/" + name) << "x";
    EXPECT_EQ(prepareCaptureFolder(dir, false, &why), CaptureFolder::Ready) << why;
    std::ofstream(dir + "/000000.png") << "old";
    EXPECT_EQ(prepareCaptureFolder(dir, false, &why), CaptureFolder::HoldsFrames);
    EXPECT_EQ(why, dir + ": already holds 1 frame (NNNNNN.png); --overwrite replaces them");
    std::ofstream(dir + "/000417.png") << "old";
    EXPECT_EQ(prepareCaptureFolder(dir, false, &why), CaptureFolder::HoldsFrames);
    EXPECT_EQ(why, dir + ": already holds 2 frames (NNNNNN.png); --overwrite replaces them");
    EXPECT_TRUE(std::filesystem::exists(dir + "/000417.png"));  // refusing touches nothing

    // Overwriting removes the old frames only, so none outlives the new recording.
    EXPECT_EQ(prepareCaptureFolder(dir, true, &why), CaptureFolder::Ready) << why;
    EXPECT_FALSE(std::filesystem::exists(dir + "/000000.png"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/000417.png"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir + "/00000.png"));

    // Not a folder, or below something that is not one: the system's reason.
    EXPECT_EQ(prepareCaptureFolder(dir + "/notes.txt", false, &why), CaptureFolder::Unusable);
    EXPECT_EQ(why, dir + "/notes.txt: is not a folder");
    EXPECT_EQ(prepareCaptureFolder(dir + "/notes.txt/frames", false, &why), CaptureFolder::Unusable);
    EXPECT_EQ(why, dir + "/notes.txt/frames: Not a directory");
    std::filesystem::remove_all(dir);
}

TEST(PngFile, ADeviceThatRefusesTheWriteIsReportedAndLeftAlone) {
    std::vector<uint8_t> rgba(64 * 64 * 4, 200);
    std::string why;
    EXPECT_FALSE(writePngRgba("/dev/full", 64, 64, rgba.data(), true, &why));
    EXPECT_EQ(why, "/dev/full: No space left on device");
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}
