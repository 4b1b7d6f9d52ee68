// The show started and closed 50 times in one process: a real window under a
// private Xvfb, every scene loaded from the shipped data, a few frames, then
// close and destroy. Memory must not grow with the starts: the resident size
// after the 50th is within 5% of that after the 5th (the first few fill the
// caches of the libraries underneath).
#include "Xvfb.h"

#include "app/Demo.h"
#include "base/DataPath.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in quarantine (up to 256 MB), so the
// resident size says nothing about leaks there; LeakSanitizer checks them at
// exit instead, and fewer starts keep the run short.
constexpr int kStarts = 10;
constexpr bool kCompareResidentSize = false;
#else
constexpr int kStarts = 50;
constexpr bool kCompareResidentSize = true;
#endif

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

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

TEST(RestartStress, FiftyStartsInOneProcessDoNotGrowMemory) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    setDataDirectory(GLOWMOTION_DATA_DIR);

    // Each start opens the show at another scene.
    const double starts[] = {0.0, 27.0, 40.0, 58.0, 70.4, 90.0, 108.0};
    long afterFifth = 0, afterLast = 0;
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
        if (n == 5) afterFifth = residentKiB();
        afterLast = residentKiB();
    }
    SDL_Quit();
    std::printf("resident size after start 5: %ld KiB, after start %d: %ld KiB\n", afterFifth, kStarts, afterLast);
    ASSERT_GT(afterFifth, 0);
    if (kCompareResidentSize) {
        EXPECT_LE(afterLast, afterFifth + afterFifth / 20);
    }
}

}  // namespace
