// The real window under a private Xvfb, resized every frame through the whole
// show with the shipped data: each size change reaches the picture, which
// keeps its letterboxed viewport, OpenGL reports no error, and the show ends
// normally.
#include "common/Xvfb.h"

#include "app/Demo.h"
#include "base/DataPath.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

namespace {

// Sizes asked for in turn: tiny, very wide, very tall, larger than the screen.
const std::pair<int, int> kSizes[] = {{800, 600}, {1, 1}, {1600, 120}, {64, 1000}, {1279, 1023}, {333, 777},
                                      {2, 2},     {1024, 768}, {2000, 1500}, {17, 5}, {640, 480}};

// The SDL window on a scripted clock, asking for a new size after every
// frame and recording what the picture made of each size change.
class ResizingWindow final : public Window {
public:
    GLWindow real;
    std::vector<double> times;
    int64_t now = 0;
    int presented = 0;
    int glErrors = 0;
    int sizeChangesSeen = 0;
    int badViewports = 0;
    std::set<std::pair<int, int>> sizesSeen;

    void show() override {
        real.show();
        now = 0;
    }
    Viewport viewport() const override { return real.viewport(); }
    std::string title() const override { return real.title(); }
    void setTitle(const std::string& text) override { real.setTitle(text); }
    void takeEvents(std::vector<WindowEvent>& events) override {
        if (static_cast<size_t>(presented) < times.size()) now = std::llround(times[static_cast<size_t>(presented)] * 1e9);
        real.takeEvents(events);
    }
    void waitForEvent(int timeoutMs) override { real.waitForEvent(timeoutMs); }
    void present() override {
        real.present();
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        if (!window || real.viewport().width == 0) return;  // the cleared frame presented while loading
        if (glGetError() != GL_NO_ERROR) ++glErrors;
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window, &width, &height);
        const Viewport expected = letterboxViewport(width, height);
        const Viewport v = real.viewport();
        if (v.x != expected.x || v.y != expected.y || v.width != expected.width || v.height != expected.height ||
            v.width < 1 || v.height < 1 || v.x + v.width > width || v.y + v.height > height)
            ++badViewports;
        if (presented > 0 && std::make_pair(width, height) != lastSize) ++sizeChangesSeen;
        lastSize = {width, height};
        sizesSeen.insert({width, height});
        const auto& next = kSizes[static_cast<size_t>(presented) % (sizeof kSizes / sizeof kSizes[0])];
        SDL_SetWindowSize(window, next.first, next.second);
        ++presented;
    }

private:
    std::pair<int, int> lastSize;
};

TEST(ResizeStress, WindowResizedEveryFrameThroughTheWholeShow) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    setDataDirectory(GLOWMOTION_DATA_DIR);

    ResizingWindow window;
    window.real.setResizable(true);
    window.real.setVsync(false);
    // Two frames a second of show time, from the start to past the end.
    for (int k = 0; k <= 260; ++k) window.times.push_back(k * 0.5);
    ASSERT_TRUE(window.real.create("Glowmotion", 800, 600, 32, false));

    DemoSetup setup;
    setup.audio = makeSilentAudioOutput();
    setup.clockSource = [&window] { return window.now; };
    {
        Demo demo(std::move(setup));
        demo.load(window);
        EXPECT_EQ(demo.play(window), ShowEnd::Finished);
        window.real.destroy();
    }
    // The loop ends with the first frame past 125 s (at 125.5 s).
    EXPECT_EQ(window.presented, 252);
    EXPECT_EQ(window.glErrors, 0);
    EXPECT_EQ(window.badViewports, 0);
    // The sizes really changed under the loop (the server may clamp or merge
    // some requests, never all of them).
    EXPECT_GT(window.sizeChangesSeen, 50);
    EXPECT_GT(window.sizesSeen.size(), 5u);
    SDL_Quit();
}

}  // namespace
