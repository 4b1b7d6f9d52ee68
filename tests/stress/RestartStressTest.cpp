// The show started and closed ten times in one process: a real window under a
// private Xvfb, every scene loaded from the shipped data, a few frames, then
// close and destroy. Every start must load and play as the first did (GL
// names and display lists are made anew in each context); in the sanitizer
// build LeakSanitizer checks at exit that no start left memory behind. The
// resident size is not compared: the graphics driver frees its frame memory
// on its own threads, so that figure moves with the machine's load.
#include "common/Xvfb.h"

#include "app/Demo.h"
#include "base/DataPath.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kStarts = 10;

// The SDL window on a scripted clock: show time 0.5 s further every frame.
class DrivenWindow final : public Window {
public:
    GLWindow real;
    int64_t now = 0;
    int presented = 0;

    void show() override {
        real.show();
        now = 0;
    }
    Viewport viewport() const override { return real.viewport(); }
    std::string title() const override { return real.title(); }
    void setTitle(const std::string& text) override { real.setTitle(text); }
    void takeEvents(std::vector<WindowEvent>& events) override {
        now = presented * 500000000LL;
        real.takeEvents(events);
    }
    void waitForEvent(int timeoutMs) override { real.waitForEvent(timeoutMs); }
    void present() override {
        real.present();
        if (real.viewport().width > 0) ++presented;  // not the cleared frame presented while loading
    }
};

TEST(RestartStress, TenStartsInOneProcessEachPlayAsTheFirst) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    setDataDirectory(GLOWMOTION_DATA_DIR);

    // Each start opens the show at another scene.
    const double starts[] = {0.0, 27.0, 40.0, 58.0, 70.4, 90.0, 108.0};
    for (int n = 1; n <= kStarts; ++n) {
        SCOPED_TRACE("start " + std::to_string(n));
        {
            DrivenWindow window;
            window.real.setResizable(true);
            window.real.setVsync(false);
            ASSERT_TRUE(window.real.create("Glowmotion", 800, 600, 32, false));
            DemoSetup setup;
            setup.audio = makeSilentAudioOutput();
            setup.clockSource = [&window] { return window.now; };
            setup.startAt = starts[n % (sizeof starts / sizeof starts[0])];
            setup.endAt = setup.startAt + 1.0;
            Demo demo(std::move(setup));
            demo.load(window);
            ASSERT_EQ(demo.play(window), ShowEnd::Finished);
            EXPECT_EQ(window.presented, 3);  // start, +0.5 s, +1 s; +1.5 s ends the loop
            window.real.destroy();
        }
    }
    SDL_Quit();
}

}  // namespace
