// The real window under a private Xvfb, resized every frame through the whole
// show with the shipped data: each size change reaches the loop, the picture
// keeps its letterboxed viewport, OpenGL reports no error, and the show ends
// normally.
#include "Xvfb.h"

#include "app/Demo.h"
#include "base/DataPath.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

// Sizes asked for in turn: tiny, very wide, very tall, larger than the screen.
const std::pair<int, int> kSizes[] = {{800, 600}, {1, 1}, {1600, 120}, {64, 1000}, {1279, 1023}, {333, 777},
                                      {2, 2},     {1024, 768}, {2000, 1500}, {17, 5}, {640, 480}};

// The SDL window with a driven clock that asks for a new size after every
// frame and records what the loop made of each size change.
class ResizingWindow final : public GLWindow {
public:
    std::vector<double> times;
    int presented = 0;
    int glErrors = 0;
    int sizeChangesSeen = 0;
    int badViewports = 0;
    std::set<std::pair<int, int>> sizesSeen;
    bool shown = false;

    bool show() override {
        Timer::setDrivenTime(0.0);
        shown = GLWindow::show();
        return shown;
    }
    bool peekMessage(WindowMessage& message) override {
        if (static_cast<size_t>(presented) < times.size()) Timer::setDrivenTime(times[static_cast<size_t>(presented)]);
        const bool got = GLWindow::peekMessage(message);
        if (got && message.type == WindowMessage::Type::Size) ++sizeChangesSeen;
        return got;
    }
    void swapBuffers() override {
        GLWindow::swapBuffers();
        if (!shown || !window) return;  // not the cleared frame presented while loading
        if (glGetError() != GL_NO_ERROR) ++glErrors;
        const Viewport expected = letterboxViewport(width, height);
        if (viewport.x != expected.x || viewport.y != expected.y || viewport.width != expected.width ||
            viewport.height != expected.height || viewport.width < 1 || viewport.height < 1 ||
            viewport.x + viewport.width > width || viewport.y + viewport.height > height)
            ++badViewports;
        sizesSeen.insert({width, height});
        const auto& next = kSizes[static_cast<size_t>(presented) % (sizeof kSizes / sizeof kSizes[0])];
        SDL_SetWindowSize(window, next.first, next.second);
        ++presented;
    }
    void showError(const char*) override {}
};

TEST(ResizeStress, WindowResizedEveryFrameThroughTheWholeShow) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    setDataDirectory(GLOWMOTION_DATA_DIR);

    auto resizing = std::make_unique<ResizingWindow>();
    ResizingWindow* window = resizing.get();
    window->setResizable(true);
    window->setVsync(false);
    window->setExitHandler([](int) {});
    // Two frames a second of show time, from the start to past the end.
    for (int k = 0; k <= 260; ++k) window->times.push_back(k * 0.5);

    DemoSetup setup;
    setup.window = std::move(resizing);
    setup.audio = makeSilentAudioOutput();
    Demo demo("Glowmotion", 800, 600, 32, false, std::move(setup));
    ASSERT_NE(demo.window, nullptr);
    demo.loadAll();
    EXPECT_EQ(demo.run(), 0);
    // The loop ends with the first frame past 125 s (at 125.5 s).
    EXPECT_EQ(window->presented, 252);
    EXPECT_EQ(window->glErrors, 0);
    EXPECT_EQ(window->badViewports, 0);
    // The sizes really changed under the loop (the server may clamp or merge
    // some requests, never all of them).
    EXPECT_GT(window->sizeChangesSeen, 50);
    EXPECT_GT(window->sizesSeen.size(), 5u);
    demo.close();
    Timer::releaseDrivenTime();
    SDL_Quit();
}

}  // namespace
