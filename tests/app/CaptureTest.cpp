// Drawn for real, offscreen: the black bars around the picture whatever a
// scene leaves, the capture folder, and the picture held while paused.
#include "common/FakeWindow.h"
#include "common/Files.h"

#include "app/OffscreenGL.h"
#include "app/PngFolderSink.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// Clears the whole drawable white, paints the top half blue and leaves the green channel masked.
struct CarelessScene final : Scene {
    void render(float) override {
        glDisable(GL_SCISSOR_TEST), glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE), glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D), glDisable(GL_DEPTH_TEST), glColor3f(0, 0, 1);
        glMatrixMode(GL_PROJECTION), glLoadIdentity(), glOrtho(0, 1, 0, 1, -1, 1), glMatrixMode(GL_MODELVIEW),
            glLoadIdentity();
        glRectf(0, 0.5f, 1, 1);
        glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    }
};

// Keeps the last frame handed over, top row first.
struct KeepSink final : FrameSink {
    bool topRowFirst() const override { return true; }
    bool writeFrame(int64_t, const uint8_t* rgba, int width, int height, std::string*) override {
        frame.assign(rgba, rgba + size_t(width) * size_t(height) * 4);
        return true;
    }
    std::vector<uint8_t> frame;
};

bool isColour(const uint8_t* p, int r, int g, int b) { return p[0] == r && p[1] == g && p[2] == b; }

// The show with the turntable's slot drawn by a scene of the test's own.
DemoSetup withScene(std::shared_ptr<Scene> turntable) {
    struct Borrowed final : Scene {
        std::shared_ptr<Scene> scene;
        explicit Borrowed(std::shared_ptr<Scene> s) : scene(std::move(s)) {}
        void render(float t) override { scene->render(t); }
    };
    DemoSetup setup;
    setup.audio = makeSilentAudioOutput();
    setup.scenes = [=](const FrameClock& clock) {
        SceneSet set = makeScenes(clock);
        set[kTurntableSlot] = std::make_unique<Borrowed>(turntable);
        return set;
    };
    return setup;
}

}  // namespace

TEST(Letterbox, ThePictureIsTheLargestCentred4To3AndTheBarsStayBlackWhateverTheSceneLeft) {
    // clang-format off
    for (const auto& [w, h, box] : {std::tuple{1920, 1080, Viewport{240, 0, 1440, 1080}}, {1280, 1024, {0, 32, 1280, 960}},
                                    {2560, 1600, {213, 0, 2133, 1600}}, {640, 1, {319, 0, 1, 1}}, {0, 0, {0, 0, 1, 1}}}) {
        // clang-format on
        const Viewport v = letterboxViewport(w, h);
        EXPECT_TRUE(v.x == box.x && v.y == box.y && v.width == box.width && v.height == box.height) << w << "x" << h;
    }
    for (const auto& [w, h] : {std::pair{1000, 600}, {800, 700}}) {  // bars beside the picture, and above and below
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        OffscreenSurface surface;
        ASSERT_TRUE(surface.create(w, h, nullptr)) << "no offscreen OpenGL";
        KeepSink sink;
        Demo demo(withScene(std::make_shared<CarelessScene>()));
        demo.load(surface);
        EXPECT_EQ(demo.record(surface, sink, CaptureTiming{5.0, 5.1, 10}).written, 1);
        ASSERT_EQ(sink.frame.size(), size_t(w) * h * 4);
        // The scene's state is as it left it ...
        const Viewport v = surface.viewport();
        GLboolean mask[4];
        GLint box[4];
        GLfloat clear[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask), glGetIntegerv(GL_SCISSOR_BOX, box),
            glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && mask[3] && clear[1] == 1.0f);
        EXPECT_TRUE(box[0] == v.x && box[1] == v.y && box[2] == v.width && box[3] == v.height);
        // ... and the frame has black bars around the picture, the blue half on top (rows from the top here).
        for (int y = 0; y < h; y += (y + 1) % 50 == 0 ? 1 : 49) {
            for (int x = 0; x < w; x += (x + 1) % 50 == 0 ? 1 : 49) {
                const int fromTop = y - (h - v.y - v.height);
                const bool inside = x >= v.x && x < v.x + v.width && fromTop >= 0 && fromTop < v.height;
                const int white = inside && fromTop >= v.height / 2 ? 255 : 0, blue = inside ? 255 : 0;
                ASSERT_TRUE(isColour(&sink.frame[(size_t(y) * w + x) * 4], white, white, blue)) << x << "," << y;
            }
        }
        surface.destroy();
    }
}

TEST(CaptureFolder, MadeWhenMissingAndRefusedWhenItHoldsFramesAndAFullDiskIsReported) {
    testfiles::TempDir temp("capture-folder");
    const std::string dir = temp.path().string();
    std::string why;
    EXPECT_EQ(prepareCaptureFolder(dir + "/a/b", false, &why), CaptureFolder::Ready) << why;
    EXPECT_TRUE(PngFolderSink(dir + "/a/b", 10).finish(nullptr));  // no music asked for: none to finish
    for (const char* name : {"notes.txt", "00000.png", "0000000.png", "00000a.png", "a00000.png", "000000.PNG"})
        temp.write(name, "x");  // not frames: they stay and do not count
    EXPECT_EQ(prepareCaptureFolder(dir, false, &why), CaptureFolder::Ready) << why;
    temp.write("000000.png", "old"), temp.write("000417.png", "old");
    EXPECT_EQ(prepareCaptureFolder(dir, false, &why), CaptureFolder::HoldsFrames);
    EXPECT_EQ(prepareCaptureFolder(dir, true, &why), CaptureFolder::Ready) << why;
    for (const char* name : {"000000.png", "000417.png", "notes.txt", "a00000.png"})
        EXPECT_EQ(std::filesystem::exists(dir + "/" + name), name[0] != '0') << name;
    EXPECT_EQ(prepareCaptureFolder(dir + "/notes.txt", false, &why), CaptureFolder::Unusable);
    EXPECT_EQ(why, dir + "/notes.txt: is not a folder");
    EXPECT_EQ(prepareCaptureFolder(dir + "/notes.txt/frames", false, &why), CaptureFolder::Unusable);
    EXPECT_EQ(why, dir + "/notes.txt/frames: Not a directory");
}

namespace {
// A picture that steps with every frame drawn, as the show's frame-stepped
// values do (a bar 7 pixels on each time, over a colour from the show time),
// leaving state behind that it checks it finds again.
struct SteppingScene final : Scene {
    int renders = 0, stateChanged = 0;
    void render(float t) override {
        GLfloat colour[4];
        GLint unpackRow = 0, packRow = 0, depth = 0;
        glGetFloatv(GL_CURRENT_COLOR, colour), glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRow);
        glGetIntegerv(GL_PACK_ROW_LENGTH, &packRow), glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        stateChanged += renders > 0 && (!glIsEnabled(GL_BLEND) || colour[0] != 0.25f || unpackRow != 5 || packRow != 5);
        stateChanged += depth != 0;
        glDisable(GL_BLEND);
        glClearColor(std::fmod(t, 1.0f), 0.5f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION), glLoadIdentity(), glOrtho(0, 800, 0, 600, -1, 1), glMatrixMode(GL_MODELVIEW),
            glLoadIdentity();
        glColor3f(1, 1, 1);
        glRectf(float(renders * 7 % 700), 100, float(renders * 7 % 700 + 50), 500);
        glEnable(GL_BLEND), glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 5), glPixelStorei(GL_UNPACK_SKIP_ROWS, 3),
            glPixelStorei(GL_PACK_ROW_LENGTH, 5);
        ++renders;
    }
};
}  // namespace

TEST(PausedPicture, EveryPausedFrameIsThePausedPictureInItsPlaceAndAStepDrawsOnce) {
    OffscreenGL gl;  // wider than the show: the picture moves when the window does
    ASSERT_TRUE(gl.create(1000, 600, nullptr)) << "no offscreen OpenGL";
    FakeWindow w;
    std::vector<std::vector<uint8_t>> frames;  // RGBA, top row first
    w.onPresent = [&] {
        frames.emplace_back();
        gl.readPixels(frames.back());
        // What a buffer holds after a real swap is not defined: the worst case, a colour no frame shows.
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
        glDisable(GL_SCISSOR_TEST), glClearColor(1.0f, 0.0f, 1.0f, 1.0f), glClear(GL_COLOR_BUFFER_BIT), glPopAttrib();
    };
    for (int k = 0; k < 16; ++k) w.times.push_back(k / 60.0);
    w.beforeFrame = [](FakeWindow& keys, int pass) {
        if (pass == 0) usePictureArea(keys.picture);
        if (pass == 4 || pass == 13) keys.press(ShowKey::Space);                     // paused in pass 4, resumed in 13
        if (pass == 7) usePictureArea(keys.picture = letterboxViewport(1000, 600));  // 100 pixels to the right
        if (pass == 10) keys.press(ShowKey::Period);                                 // one frame on
    };
    auto scene = std::make_shared<SteppingScene>();
    DemoSetup setup = withScene(scene);
    setup.clockSource = w.ticks(), setup.startAt = 5.0, setup.controls = true;
    Demo demo(std::move(setup));
    demo.load(w);
    demo.play(w);
    gl.destroy();
    ASSERT_EQ(frames.size(), 16u);
    // Drawn: the 5 s before the start unseen, passes 0 to 4, the step, passes 13 to 15.
    EXPECT_EQ(scene->renders, 5 * kReplayFps + 5 + 1 + 3);
    EXPECT_EQ(scene->stateChanged, 0);
    auto row = [&](int k, int y, int x0) {
        return std::vector<uint8_t>(&frames[k][(y * 1000 + x0) * 4], &frames[k][(y * 1000 + x0 + 800) * 4]);
    };
    EXPECT_TRUE(frames[5] == frames[4] && frames[6] == frames[4]);
    for (int k : {7, 8, 9})
        for (int y : {0, 150, 300, 599}) EXPECT_TRUE(row(k, y, 100) == row(4, y, 0)) << k << " row " << y;
    EXPECT_FALSE(frames[10] == frames[9]);  // the step shows the next frame
    EXPECT_TRUE(frames[11] == frames[10] && frames[12] == frames[10]);
    EXPECT_FALSE(frames[13] == frames[12]);
    for (int k = 0; k < 16; ++k) EXPECT_FALSE(isColour(&frames[k][(k < 7 ? 0 : 100) * 4], 255, 0, 255)) << k;
}

TEST(RecordingStart, TheFirstFrameIsDrawnOnceItsScenesAreInAndTheLaterLoadsLeaveItsStateAlone) {
    OffscreenSurface surface;
    ASSERT_TRUE(surface.create(800, 600, nullptr)) << "no offscreen OpenGL";
    // Loads carelessly, noting how many turntable frames were drawn by then.
    struct CarelessLoad final : Scene {
        const SteppingScene* turntable = nullptr;
        int rendersAtLoad = -1;
        void load() override {
            rendersAtLoad = turntable->renders;
            GLuint name = 0;
            glGenTextures(1, &name), glBindTexture(GL_TEXTURE_2D, name), glColor4f(1, 0, 0, 1), glDisable(GL_BLEND);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0), glPixelStorei(GL_PACK_ROW_LENGTH, 0), glClearColor(0, 0, 1, 1);
        }
    };
    struct Lent final : Scene {
        std::shared_ptr<Scene> scene;
        explicit Lent(std::shared_ptr<Scene> s) : scene(std::move(s)) {}
        void load() override { scene->load(); }
        void render(float t) override { scene->render(t); }
    };
    // From 0 only the turntable draws up to the first frame, and the credits load after it; from
    // 40 the credits draw before it (the 190 turntable frames run unseen come after their load).
    for (const auto& [startAt, rendersAtLoad, renders] : {std::tuple{0.0, 1, 3}, {40.0, 0, 190}}) {
        SCOPED_TRACE(startAt);
        auto stepping = std::make_shared<SteppingScene>();
        auto careless = std::make_shared<CarelessLoad>();
        careless->turntable = stepping.get();
        DemoSetup setup;
        setup.audio = makeSilentAudioOutput();
        setup.startAt = startAt;
        setup.scenes = [&](const FrameClock&) {
            SceneSet set;
            for (auto& scene : set) scene = std::make_unique<Scene>();
            set[kTurntableSlot] = std::make_unique<Lent>(stepping);
            set[kCreditsSlot] = std::make_unique<Lent>(careless);
            return set;
        };
        KeepSink sink;
        Demo demo(std::move(setup));
        const CaptureTiming timing{startAt, startAt + 0.3, 10};
        demo.loadForRecording(surface, timing);
        EXPECT_EQ(careless->rendersAtLoad, rendersAtLoad);
        EXPECT_EQ(demo.record(surface, sink, timing).written, 3);
        EXPECT_EQ(stepping->renders, renders);
        EXPECT_EQ(stepping->stateChanged, 0);
    }
    surface.destroy();
}
