// The real window under a private Xvfb: the show started four times in one
// process with the shipped data, each time on a window asked for a new size
// (tiny, odd, very wide or tall, larger than the screen) after every frame.
// Every start plays as the first did, each size change reaches the picture,
// which keeps its letterboxed viewport, and OpenGL reports no error. In the
// sanitizer build LeakSanitizer checks at exit that no start left memory
// behind (the resident size moves with the graphics driver's own threads).
#include "common/Xvfb.h"

#include "app/Demo.h"
#include "base/DataPath.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

const std::pair<int, int> kSizes[] = {{1, 1}, {1600, 120}, {64, 1000}, {1279, 1023}, {333, 777}, {2, 2}, {2000, 1500},
                                      {17, 5}, {800, 600}};

// The SDL window on a scripted clock: show time 0.5 s further every frame.
class ResizingWindow final : public Window {
public:
    GLWindow real;
    int presented = 0, glErrors = 0, badViewports = 0, sizeChanges = 0;

    void show() override { real.show(); }
    Viewport viewport() const override { return real.viewport(); }
    std::string title() const override { return real.title(); }
    void setTitle(const std::string& text) override { real.setTitle(text); }
    void takeEvents(std::vector<WindowEvent>& events) override { real.takeEvents(events); }
    void waitForEvent(int timeoutMs) override { real.waitForEvent(timeoutMs); }
    void present() override {
        real.present();
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        if (!window || real.viewport().width == 0) return;  // the cleared frame presented while loading
        if (glGetError() != GL_NO_ERROR) ++glErrors;
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window, &width, &height);
        const Viewport expected = letterboxViewport(width, height), v = real.viewport();
        badViewports += v.x != expected.x || v.y != expected.y || v.width != expected.width ||
                        v.height != expected.height || v.width < 1 || v.height < 1;
        if (presented > 0 && std::make_pair(width, height) != lastSize) ++sizeChanges;
        lastSize = {width, height};
        SDL_SetWindowSize(window, kSizes[presented % 9].first, kSizes[presented % 9].second);
        ++presented;
    }

private:
    std::pair<int, int> lastSize;
};

TEST(WindowStress, FourStartsInOneProcessOnAWindowResizedEveryFrame) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    setDataDirectory(GLOWMOTION_DATA_DIR);
    for (const double start : {0.0, 40.0, 70.4, 108.0}) {  // a different scene each time
        SCOPED_TRACE(start);
        ResizingWindow window;
        window.real.setResizable(true);
        window.real.setVsync(false);
        ASSERT_TRUE(window.real.create("Glowmotion", 800, 600, 32, false));
        DemoSetup setup;
        setup.audio = makeSilentAudioOutput(), setup.startAt = start, setup.endAt = start + 9.0;
        setup.clockSource = [&window] { return window.presented * 500000000LL; };
        {
            Demo demo(std::move(setup));
            demo.load(window);
            EXPECT_EQ(demo.play(window), ShowEnd::Finished);
            window.real.destroy();
        }
        EXPECT_EQ(window.presented, 19);  // start, +0.5 s, ..., +9 s; +9.5 s ends the loop
        EXPECT_EQ(window.glErrors + window.badViewports, 0);
        EXPECT_GT(window.sizeChanges, 9);  // the server may clamp or merge some requests, never most
    }
}

}  // namespace
