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

namespace {

// A window drawing offscreen, its clock and keys scripted like the fake
// window's, each presented frame read back.
class OffscreenTestWindow final : public GLWindow {
public:
    std::vector<double> times;  // driven show time of each loop pass
    std::function<void(OffscreenTestWindow&, int frame)> beforeFrame;
    std::deque<WindowMessage> queue;
    std::vector<std::vector<uint8_t>> frames;  // RGBA, top row first
    int presented = 0;
    int bufferWidth = 800;  // the framebuffer; the drawable starts at the show's size inside it

    bool create(const char* text, int w, int h, int b, bool) override {
        width = w;
        height = h;
        bits = b;
        setTitle(text);
        return gl.create(bufferWidth, h, nullptr);
    }
    bool show() override {
        showing = true;
        Timer::setDrivenTime(0.0);
        return GLWindow::show();
    }
    void destroy() override { gl.destroy(); }
    void swapBuffers() override {
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
    bool peekMessage(WindowMessage& message) override {
        if (static_cast<size_t>(presented) >= times.size()) {
            message = WindowMessage{WindowMessage::Type::Quit, 0, 0, 0};
            return true;
        }
        Timer::setDrivenTime(times[static_cast<size_t>(presented)]);
        if (beforeFrame) beforeFrame(*this, presented);
        return GLWindow::peekMessage(message);
    }
    bool pollEvent(WindowMessage& message) override {
        if (queue.empty()) return false;
        message = queue.front();
        queue.pop_front();
        return true;
    }
    void showError(const char*) override {}
    void press(int key) { queue.push_back({WindowMessage::Type::KeyDown, key, 0, 0}); }

private:
    OffscreenGL gl;
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

TEST(PausedPicture, EveryPausedFrameIsThePausedPictureAndStepsDrawOnce) {
    auto window = std::make_unique<OffscreenTestWindow>();
    OffscreenTestWindow* w = window.get();
    for (int k = 0; k < 20; ++k) w->times.push_back(k / 60.0);
    SteppingScene* scene = nullptr;
    DemoSetup setup;
    setup.window = std::move(window);
    setup.audio = makeSilentAudioOutput();
    setup.scenes = [&scene] {
        SceneSet set = makeScenes();
        auto stepping = std::make_unique<SteppingScene>();
        scene = stepping.get();
        set[kTurntableSlot] = std::move(stepping);
        return set;
    };
    setup.startAt = 5.0;
    setup.controls = true;
    w->beforeFrame = [](OffscreenTestWindow& keys, int frame) {
        if (frame == 3) keys.press(vk::Space);       // paused in pass 4
        if (frame == 9) keys.press(vk::OemPeriod);   // one frame on in pass 10
        if (frame == 15) keys.press(vk::Space);      // resumed in pass 16
    };
    Demo demo("Glowmotion", 800, 600, 32, false, std::move(setup));
    ASSERT_TRUE(demo.window) << "no offscreen OpenGL";
    demo.loadAll();
    demo.run();
    const std::vector<std::vector<uint8_t>> frames = w->frames;
    demo.close();  // the window goes; the scene stays until the Demo does

    ASSERT_EQ(frames.size(), 20u);
    // Drawn: passes 0 to 4 (4 is the paused picture), the step in 10, and
    // from the resume on.
    EXPECT_EQ(scene->renders, 5 + 1 + 4);
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
    Timer::releaseDrivenTime();
    Timer::setStartPosition(0.0);
    Timer::resetControls();
}

TEST(PausedPicture, AWindowResizedWhilePausedShowsThePausedPictureInItsNewPlace) {
    auto window = std::make_unique<OffscreenTestWindow>();
    OffscreenTestWindow* w = window.get();
    w->bufferWidth = 1000;
    for (int k = 0; k < 8; ++k) w->times.push_back(k / 60.0);
    DemoSetup setup;
    setup.window = std::move(window);
    setup.audio = makeSilentAudioOutput();
    setup.scenes = [] {
        SceneSet set = makeScenes();
        set[kTurntableSlot] = std::make_unique<SteppingScene>();
        return set;
    };
    setup.startAt = 5.0;
    setup.controls = true;
    w->beforeFrame = [](OffscreenTestWindow& keys, int frame) {
        if (frame == 0) keys.press(vk::Space);  // paused in pass 1
        // Wider: the 4:3 picture moves 100 pixels right, bars beside it.
        if (frame == 3) keys.queue.push_back({WindowMessage::Type::Size, 0, 1000, 600});
    };
    Demo demo("Glowmotion", 800, 600, 32, false, std::move(setup));
    ASSERT_TRUE(demo.window) << "no offscreen OpenGL";
    demo.loadAll();
    demo.run();
    const std::vector<std::vector<uint8_t>> frames = w->frames;
    demo.close();
    ASSERT_EQ(frames.size(), 8u);
    for (int k = 4; k < 8; ++k) {
        for (const int y : {0, 150, 300, 599}) {
            EXPECT_TRUE(showRow(frames[k], 1000, y, 100) == showRow(frames[1], 1000, y, 0)) << "frame " << k << " row " << y;
        }
    }
    Timer::releaseDrivenTime();
    Timer::setStartPosition(0.0);
    Timer::resetControls();
}
