// The picture while the show is paused, drawn for real (offscreen OpenGL):
// every presented frame is the paused one, pixel for pixel, even though
// each swap leaves the buffer undefined, and the scenes find their GL state
// as they left it.
#include "app/Demo.h"
#include "app/OffscreenGL.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <memory>

namespace {

// A window drawing offscreen, its clock and keys scripted like the fake
// window's, each presented frame read back.
class OffscreenTestWindow final : public Window {
public:
    std::vector<double> times;  // show time of each loop pass
    std::function<void(OffscreenTestWindow&, int frame)> beforeFrame;
    std::deque<WindowEvent> queue;
    std::vector<std::vector<uint8_t>> frames;  // RGBA, top row first
    int presented = 0;
    int bufferWidth = 800;  // the framebuffer; the drawable starts at the show's size inside it
    int64_t now = 0;        // the clock's tick source

    bool create() { return gl.create(bufferWidth, 600, nullptr); }
    void destroy() { gl.destroy(); }
    FrameClock::TickSource ticks() {
        return [this] { return now; };
    }
    // The drawable changes size: the picture moves to its new place.
    void resize(int width, int height) {
        picture = letterboxViewport(width, height);
        usePictureArea(picture);
    }

    void show() override {
        showing = true;
        now = 0;
        resize(800, 600);
    }
    Viewport viewport() const override { return picture; }
    void present() override {
        if (!showing) return;
        frames.emplace_back();
        gl.readPixels(frames.back());
        ++presented;
        // What a buffer holds after a real swap is not defined: make it the
        // worst case, a colour no frame shows.
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glPopAttrib();
    }
    std::string title() const override { return "Glowmotion"; }
    void setTitle(const std::string&) override {}
    void takeEvents(std::vector<WindowEvent>& events) override {
        if (static_cast<size_t>(presented) >= times.size()) {
            events.push_back({WindowEvent::Type::Close});
            return;
        }
        now = std::llround(times[static_cast<size_t>(presented)] * 1e9);
        if (beforeFrame) beforeFrame(*this, presented);
        events.insert(events.end(), queue.begin(), queue.end());
        queue.clear();
    }
    void waitForEvent(int) override {}
    void press(ShowKey key) { queue.push_back({WindowEvent::Type::Key, key, false}); }

private:
    OffscreenGL gl;
    Viewport picture;
    bool showing = false;
};

// A scene whose picture steps with every frame it draws, as the show's
// frame-stepped values do: a bar that moves on by 7 pixels a frame, over
// a colour from the show time. It leaves a state of its own behind and
// checks it finds it again.
class SteppingScene final : public Scene {
public:
    int renders = 0;
    int stateChanged = 0;  // renders that did not find the state they left

    void render(float t) override {
        if (renders > 0) {
            GLfloat colour[4], clear[4];
            glGetFloatv(GL_CURRENT_COLOR, colour);
            glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
            GLint mode = 0;
            glGetIntegerv(GL_MATRIX_MODE, &mode);
            if (!glIsEnabled(GL_BLEND) || glIsEnabled(GL_DEPTH_TEST) || !glIsEnabled(GL_TEXTURE_2D) ||
                colour[0] != 0.25f || colour[3] != 0.5f || clear[2] != 0.75f || mode != GL_MODELVIEW)
                ++stateChanged;
        }
        glDisable(GL_DEPTH_TEST);
        glClearColor(std::fmod(t, 1.0f), 0.5f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, 800, 0, 600, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const float x = static_cast<float>((renders * 7) % 700);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glVertex2f(x, 100); glVertex2f(x + 50, 100); glVertex2f(x + 50, 500); glVertex2f(x, 500);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        // The state the next frame finds.
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
        glClearColor(0.0f, 0.5f, 0.75f, 1.0f);
        ++renders;
    }
};

}  // namespace

// Frame k's pixel row y (from the top), columns x0 to x0 + 800.
std::vector<uint8_t> showRow(const std::vector<uint8_t>& frame, int bufferWidth, int y, int x0) {
    const auto begin = frame.begin() + (static_cast<long>(y) * bufferWidth + x0) * 4;
    return std::vector<uint8_t>(begin, begin + 800 * 4);
}

// The show from 5 s with the watching keys on `window`, the turntable's
// slot drawn by `scene`.
std::unique_ptr<Demo> watchingDemo(OffscreenTestWindow& window, std::unique_ptr<Scene> scene) {
    DemoSetup setup;
    setup.audio = makeSilentAudioOutput();
    auto shared = std::make_shared<std::unique_ptr<Scene>>(std::move(scene));
    setup.scenes = [shared](const FrameClock& clock) {
        SceneSet set = makeScenes(clock);
        set[kTurntableSlot] = std::move(*shared);
        return set;
    };
    setup.clockSource = window.ticks();
    setup.startAt = 5.0;
    setup.controls = true;
    return std::make_unique<Demo>(std::move(setup));
}

TEST(PausedPicture, EveryPausedFrameIsThePausedPictureAndStepsDrawOnce) {
    OffscreenTestWindow w;
    ASSERT_TRUE(w.create()) << "no offscreen OpenGL";
    for (int k = 0; k < 20; ++k) w.times.push_back(k / 60.0);
    auto stepping = std::make_unique<SteppingScene>();
    SteppingScene* scene = stepping.get();
    w.beforeFrame = [](OffscreenTestWindow& keys, int frame) {
        if (frame == 4) keys.press(ShowKey::Space);    // paused in pass 4
        if (frame == 10) keys.press(ShowKey::Period);  // one frame on in pass 10
        if (frame == 16) keys.press(ShowKey::Space);   // resumed in pass 16
    };
    std::unique_ptr<Demo> demo = watchingDemo(w, std::move(stepping));
    demo->load(w);
    demo->play(w);
    const std::vector<std::vector<uint8_t>> frames = w.frames;
    w.destroy();  // the window goes; the scene stays until the Demo does

    ASSERT_EQ(frames.size(), 20u);
    // Run unseen first: the 5 s before the start. Drawn: passes 0 to 4 (4 is
    // the paused picture), the step in 10, and from the resume on.
    EXPECT_EQ(scene->renders, 5 * kReplayFps + 5 + 1 + 4);
    EXPECT_EQ(scene->stateChanged, 0);
    for (int k = 5; k <= 9; ++k) EXPECT_TRUE(frames[k] == frames[4]) << "frame " << k;
    EXPECT_FALSE(frames[10] == frames[4]);  // the step shows the next frame
    for (int k = 11; k <= 15; ++k) EXPECT_TRUE(frames[k] == frames[10]) << "frame " << k;
    EXPECT_FALSE(frames[16] == frames[10]);
    // None of them is the undefined buffer left by a swap.
    for (int k = 0; k < 20; ++k) {
        const uint8_t* corner = frames[k].data();
        EXPECT_FALSE(corner[0] == 255 && corner[1] == 0 && corner[2] == 255) << "frame " << k;
    }
}

TEST(PausedPicture, AWindowResizedWhilePausedShowsThePausedPictureInItsNewPlace) {
    OffscreenTestWindow w;
    w.bufferWidth = 1000;
    ASSERT_TRUE(w.create()) << "no offscreen OpenGL";
    for (int k = 0; k < 8; ++k) w.times.push_back(k / 60.0);
    w.beforeFrame = [](OffscreenTestWindow& keys, int frame) {
        if (frame == 1) keys.press(ShowKey::Space);  // paused in pass 1
        // Wider: the 4:3 picture moves 100 pixels right, bars beside it.
        if (frame == 4) keys.resize(1000, 600);
    };
    std::unique_ptr<Demo> demo = watchingDemo(w, std::make_unique<SteppingScene>());
    demo->load(w);
    demo->play(w);
    const std::vector<std::vector<uint8_t>> frames = w.frames;
    w.destroy();
    ASSERT_EQ(frames.size(), 8u);
    for (int k = 4; k < 8; ++k) {
        for (const int y : {0, 150, 300, 599}) {
            EXPECT_TRUE(showRow(frames[k], 1000, y, 100) == showRow(frames[1], 1000, y, 0)) << "frame " << k << " row " << y;
        }
    }
}
