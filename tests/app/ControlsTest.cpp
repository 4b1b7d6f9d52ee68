// The watching keys (--controls) through the real driver: a fake window
// whose clock the test drives, recording scenes that log their own clocks,
// and a test audio output the test pulls the music from.
#include "FakeWindow.h"
#include "ManualOutput.h"
#include "MiniModule.h"
#include "RecordingScene.h"
#include "ReferenceRender.h"

#include "app/Demo.h"
#include "app/WatchControls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace {

// A new note every 0.1 s row, the 20 s pattern played seven times: every
// place of the show sounds different from its neighbours. (At tempo 150
// the player's rounded ticks make its time run apart from the ideal one.)
const std::vector<uint8_t>& scaleModule() {
    static const std::vector<uint8_t> module = miniItModule("scale", 200, true, 7, 150);
    return module;
}

constexpr double kFrame = 1.0 / 60.0;
constexpr int kPulled = 4096;  // frames of music compared after a key

struct Watch {
    SceneLog log;
    FakeWindow* window = nullptr;
    ManualOutput::Record record;
    ManualOutput* output = nullptr;
    std::string musicPath;
    std::unique_ptr<Demo> demo;

    // The show from `startAt`, `passes` loop passes 1/60 s apart.
    Watch(double startAt, int passes, bool controls = true) {
        musicPath = "/tmp/glowmotion-controls-" + std::to_string(getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name() + ".it";
        const std::vector<uint8_t>& module = scaleModule();
        std::ofstream(musicPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(module.data()), static_cast<std::streamsize>(module.size()));
        auto fake = std::make_unique<FakeWindow>();
        for (int k = 0; k < passes; ++k) fake->times.push_back(k * kFrame);
        window = fake.get();
        auto out = std::make_unique<ManualOutput>(&record);
        output = out.get();
        DemoSetup setup;
        setup.window = std::move(fake);
        setup.audio = std::move(out);
        setup.scenes = [this] { return recordingScenes(&log); };
        setup.musicPath = musicPath;
        setup.startAt = startAt;
        setup.controls = controls;
        demo = std::make_unique<Demo>("Glowmotion", 800, 600, 32, true, std::move(setup));
        demo->loadAll();
    }
    ~Watch() {
        Timer::releaseDrivenTime();
        Timer::setStartPosition(0.0);
        Timer::resetControls();
        std::remove(musicPath.c_str());
    }

    // Music as the mixer thread would take it.
    std::vector<float> pull(int frames) {
        std::vector<float> buffer(static_cast<size_t>(frames) * 2, 99.0f);
        if (output->renderer) output->renderer(buffer.data(), frames);
        return buffer;
    }
    std::vector<float> renderedTimes() const {
        std::vector<float> times;
        for (const auto& render : log.renders) times.push_back(render.second);
        return times;
    }
};

std::string title(double showTime, bool paused = false) {
    return watchingTitle("Glowmotion", static_cast<float>(showTime), paused);
}

void expectTimes(const std::vector<float>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << "render " << i;
}

}  // namespace

TEST(WatchControls, JumpsGoBetweenTheStartsOfScenesAndSequences) {
    struct Case { double now, before, after; };
    const Case cases[] = {
        {0.0, 0.0, 19.1},     {10.0, 0.0, 19.1},     {19.05, 0.0, 19.1},   {19.1, 0.0, 36.1},
        {19.1 - 1e-9, 0.0, 36.1},  // a clock set to 19.1 may read a tick short of it
        {30.0, 0.0, 36.1},    {36.1, 19.1, 43.9},    {50.3, 36.1, 66.6},   {66.6, 43.9, 81.8},
        {90.0, 66.6, 103.1},  {103.1, 81.8, 103.1},  {124.0, 81.8, 124.0}, {126.0, 81.8, 126.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(momentBefore(c.now), c.before) << c.now;
        EXPECT_EQ(momentAfter(c.now), c.after) << c.now;
    }
}

TEST(WatchControls, TitleNamesTimeSceneSequenceAndPause) {
    EXPECT_EQ(watchingTitle("Glowmotion", 0.0f, false), "Glowmotion | 0.00 s | turntable");
    EXPECT_EQ(watchingTitle("Glowmotion", 19.05f, true), "Glowmotion | 19.05 s | turntable | paused");
    EXPECT_EQ(watchingTitle("Glowmotion", 19.1f, false), "Glowmotion | 19.10 s | credits");
    EXPECT_EQ(watchingTitle("Glowmotion", 40.0f, false), "Glowmotion | 40.00 s | star tunnel");
    EXPECT_EQ(watchingTitle("Glowmotion", 50.2f, true), "Glowmotion | 50.20 s | dance floor: groove | paused");
    EXPECT_EQ(watchingTitle("Glowmotion", 66.55f, false), "Glowmotion | 66.55 s | dance floor: groove");
    EXPECT_EQ(watchingTitle("Glowmotion", 66.6f, false), "Glowmotion | 66.60 s | dance floor: greetings");
    EXPECT_EQ(watchingTitle("Glowmotion", 90.0f, false), "Glowmotion | 90.00 s | dance floor: shower");
    EXPECT_EQ(watchingTitle("Glowmotion", 103.1f, false), "Glowmotion | 103.10 s | end");
    EXPECT_EQ(watchingTitle("Glowmotion", 125.0f, false), "Glowmotion | 125.00 s | end");
    EXPECT_EQ(watchingTitle(frameRateTitle("Glowmotion", 60), 1.5f, false),
              "! Glowmotion  .:[fps  60 ]:. | 1.50 s | turntable");
}

TEST(WatchControls, EachSeekKeyMovesTheShowClockEverySceneClockAndTheMusic) {
    struct Case {
        const char* name;
        int key;
        double startAt;
        double target;  // the show time in the pass that acts on the key
        bool sought;    // the music was moved to the target
    };
    const double acting = kFrame;  // the key is taken in pass 0 and acted on in pass 1
    const Case cases[] = {
        {"Right", vk::Right, 50.3, 50.3 + acting + 5.0, true},
        {"Left", vk::Left, 50.3, 50.3 + acting - 5.0, true},
        {"Left near the start", vk::Left, 3.0, 0.0, true},
        {"Up", vk::Up, 50.3, 50.3 + acting + 1.0, true},
        {"Down", vk::Down, 50.3, 50.3 + acting - 1.0, true},
        {"Down near the start", vk::Down, 0.5, 0.0, true},
        {"Page Down", vk::Next, 50.3, 66.6, true},
        {"Page Down from the greetings", vk::Next, 70.0, 81.8, true},
        {"Page Down into a gap", vk::Next, 10.0, 19.1, true},
        {"Page Down in the last part", vk::Next, 110.0, 110.0 + acting, false},
        {"Page Up", vk::Prior, 50.3, 36.1, true},
        {"Page Up from the first part", vk::Prior, 10.0, 0.0, true},
        {"Home", vk::Home, 50.3, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watch w(c.startAt, 3);
        std::vector<float> heard;
        w.window->beforeFrame = [&](FakeWindow& window, int frame) {
            if (frame == 0) window.press(c.key);
            if (frame == 2) heard = w.pull(kPulled);
        };
        EXPECT_EQ(w.demo->run(), FakeWindow::kScriptEnded);
        // The show clock: the title of the acting pass and the next; the
        // scene's own clock: what the last frame's scene read.
        ASSERT_EQ(w.window->titleAtFrame.size(), 3u);
        EXPECT_EQ(w.window->titleAtFrame[0], title(c.startAt));
        EXPECT_EQ(w.window->titleAtFrame[1], title(c.target));
        EXPECT_EQ(w.window->titleAtFrame[2], title(c.target + kFrame));
        ASSERT_FALSE(w.log.renders.empty());
        EXPECT_NEAR(w.log.renders.back().second, c.target + kFrame, 1e-5);
        EXPECT_EQ(w.log.renders.back().first, sceneAt(static_cast<float>(c.target + kFrame)));
        EXPECT_NEAR(w.log.sceneClocks.back(), c.target + kFrame, 1e-9);
        // The music: what libopenmpt plays there from the start, or, when
        // nothing moved, the place the show started at (the test pulled
        // nothing before).
        const double musicAt = c.sought ? c.target : c.startAt;
        EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), musicAt, kPulled)), 1e-4f);
    }
}

TEST(WatchControls, SeekingPastTheEndEndsTheShowAsTheClockWould) {
    for (const int key : {vk::Right, vk::Up}) {
        Watch w(124.5, 10);
        w.window->beforeFrame = [key](FakeWindow& window, int frame) {
            if (frame == 0) window.press(key);
        };
        EXPECT_EQ(w.demo->run(), 0);
        EXPECT_EQ(w.window->presented, 2);  // the frame past the end is still presented
        EXPECT_EQ(w.log.renders.size(), 1u);
        EXPECT_FALSE(w.record.open);        // the music stopped
    }
}

TEST(WatchControls, PauseHoldsEveryClockAndThePictureAndFeedsTheMusicSilence) {
    Watch w(10.0, 30);
    std::vector<float> heard;
    std::vector<float> whilePaused;
    w.window->beforeFrame = [&](FakeWindow& window, int frame) {
        if (frame == 1 || frame == 2) {
            const std::vector<float> part = w.pull(1000);
            heard.insert(heard.end(), part.begin(), part.end());
        }
        if (frame == 3) window.press(vk::Space);  // acted on in pass 4
        if (frame == 10) whilePaused = w.pull(3000);
        if (frame == 20) window.press(vk::Space);  // resumed in pass 21
        if (frame == 22 || frame == 23) {
            const std::vector<float> part = w.pull(1000);
            heard.insert(heard.end(), part.begin(), part.end());
        }
    };
    w.demo->run();
    // Passes 0 to 4 draw (4 at the moment of pausing, once, then held);
    // nothing is drawn again until the resume in pass 21, which goes on
    // from the same moment.
    std::vector<double> expected;
    for (int k = 0; k <= 4; ++k) expected.push_back(10.0 + k * kFrame);
    for (int k = 21; k < 30; ++k) expected.push_back(10.0 + (k - 17) * kFrame);
    expectTimes(w.renderedTimes(), expected);
    ASSERT_EQ(w.log.sceneClocks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(w.log.sceneClocks[i], expected[i], 1e-9) << i;

    // Every paused pass presents the held picture; it is kept once and let go on resuming.
    std::vector<int> heldPasses;
    for (int k = 4; k <= 20; ++k) heldPasses.push_back(k);
    EXPECT_EQ(w.window->heldDrawnAtFrame, heldPasses);
    EXPECT_EQ(w.window->holds, 1);
    EXPECT_EQ(w.window->releases, 1);
    for (int k = 4; k <= 20; ++k) EXPECT_EQ(w.window->titleAtFrame[k], title(10.0 + 4 * kFrame, true)) << k;
    EXPECT_EQ(w.window->titleAtFrame[21], title(10.0 + 4 * kFrame));
    EXPECT_EQ(w.window->titleAtFrame[3], title(10.0 + 3 * kFrame));

    // Silence while paused, and on resuming the music goes on at the very
    // sample: the same as if never paused.
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), 10.0, 4000)), 1e-4f);
}

TEST(WatchControls, StepsMoveOneFrameWhilePausedAndDrawOnceEach) {
    Watch w(10.0, 18);
    std::vector<float> heard, whilePaused;
    w.window->beforeFrame = [&](FakeWindow& window, int frame) {
        switch (frame) {
        case 0: window.press(vk::OemPeriod); break;  // playing: dropped
        case 2: window.press(vk::Space); break;      // paused in pass 3
        case 5: window.press(vk::OemPeriod); break;  // pass 6: one frame on
        case 7: window.press(vk::OemPeriod); break;  // pass 8
        case 9: window.press(vk::OemPeriod); break;  // pass 10
        case 11: window.press(vk::OemComma); break;  // pass 12: one back
        case 12: whilePaused = w.pull(2000); break;
        case 13: window.press(vk::Space); break;     // resumed in pass 14
        case 15: heard = w.pull(kPulled); break;
        default: break;
        }
    };
    w.demo->run();
    const double paused = 10.0 + 3 * kFrame;
    expectTimes(w.renderedTimes(), {10.0, 10.0 + kFrame, 10.0 + 2 * kFrame, paused,  // playing, pausing frame
                                    paused + kFrame, paused + 2 * kFrame, paused + 3 * kFrame,  // steps on
                                    paused + 2 * kFrame,                                        // a step back
                                    paused + 2 * kFrame, paused + 3 * kFrame, paused + 4 * kFrame,
                                    paused + 5 * kFrame});  // resumed from there
    EXPECT_NEAR(w.log.sceneClocks[6], paused + 3 * kFrame, 1e-9);
    EXPECT_EQ(w.window->holds, 5);  // the pausing frame and each step
    EXPECT_EQ(w.window->titleAtFrame[10], title(paused + 3 * kFrame, true));
    // The music stayed silent and follows the steps: it resumes where the picture is.
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), paused + 2 * kFrame, kPulled)), 1e-4f);
}

TEST(WatchControls, ASeekWhilePausedDrawsOneFrameThereAndStaysPaused) {
    Watch w(50.0, 14);
    std::vector<float> whilePaused, heard;
    w.window->beforeFrame = [&](FakeWindow& window, int frame) {
        if (frame == 0) window.press(vk::Space);  // paused in pass 1
        if (frame == 3) window.press(vk::Left);   // pass 4: 5 s back, still paused
        if (frame == 7) whilePaused = w.pull(2000);
        if (frame == 8) window.press(vk::Space);  // resumed in pass 9
        if (frame == 10) heard = w.pull(kPulled);
    };
    w.demo->run();
    const double paused = 50.0 + kFrame;
    expectTimes(w.renderedTimes(), {50.0, paused, paused - 5.0, paused - 5.0, paused - 5.0 + kFrame,
                                    paused - 5.0 + 2 * kFrame, paused - 5.0 + 3 * kFrame, paused - 5.0 + 4 * kFrame});
    EXPECT_EQ(w.window->holds, 2);
    EXPECT_EQ(w.window->titleAtFrame[4], title(paused - 5.0, true));
    EXPECT_EQ(w.window->titleAtFrame[8], title(paused - 5.0, true));
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), paused - 5.0, kPulled)), 1e-4f);
}

TEST(WatchControls, KeysActOncePerPressSeeksOncePerAutoRepeat) {
    Watch w(50.0, 16);
    w.window->beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 0) {
            // Space held down: the repeats do not toggle it back and forth.
            window.press(vk::Space);
            for (int i = 0; i < 3; ++i) window.repeat(vk::Space);
            window.release(vk::Space);
        }
        if (frame == 6) {
            // Right held: every repeat seeks again. A tap, down and up taken
            // before the keys are looked at, still counts.
            window.press(vk::Right);
            window.repeat(vk::Right);
            window.release(vk::Right);
            window.press(vk::Up);
            window.release(vk::Up);
        }
    };
    w.demo->run();
    // Passes 0 to 4 take Space's messages; pass 5 pauses; passes 6 to 10
    // take the others and pass 11 seeks 5 + 5 + 1 s at once.
    const double paused = 50.0 + 5 * kFrame;
    EXPECT_EQ(w.window->titleAtFrame[4], title(paused - kFrame));
    EXPECT_EQ(w.window->titleAtFrame[5], title(paused, true));
    EXPECT_EQ(w.window->titleAtFrame[11], title(paused + 11.0, true));
    EXPECT_EQ(w.window->titleAtFrame[15], title(paused + 11.0, true));
    EXPECT_TRUE(w.demo->isPaused());
}

TEST(WatchControls, EscapeAndF12StillActAndTheRateCountsTheLoopsOwnTime) {
    Watch w(1.0, 400);
    w.window->beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 0) window.press(vk::F12);     // rate shown from pass 1
        if (frame == 30) window.press(vk::Space);  // paused in pass 31
        if (frame == 100) window.press(vk::Left);  // pass 101: to 0, still paused
        if (frame == 250) window.keyState->setKey(vk::Escape, true);
    };
    EXPECT_EQ(w.demo->run(), 0);
    EXPECT_EQ(w.window->presented, 251);  // pass 250 sees Escape, pass 251 takes the quit
    const auto& titles = w.window->titleAtFrame;
    EXPECT_EQ(titles[0], title(1.0));
    EXPECT_EQ(titles[1], watchingTitle(frameRateTitle("Glowmotion", -1), static_cast<float>(1.0 + kFrame), false));
    const float paused = static_cast<float>(1.0 + 31 * kFrame);
    EXPECT_EQ(titles[31], watchingTitle(frameRateTitle("Glowmotion", -1), paused, true));
    // The loop has run 4 s at pass 240, with 240 frames presented, though
    // the show clock stood still and went back: the rate is the loop's.
    EXPECT_EQ(titles[239], watchingTitle(frameRateTitle("Glowmotion", -1), 0.0f, true));
    EXPECT_EQ(titles[240], watchingTitle(frameRateTitle("Glowmotion", 60), 0.0f, true));
    // F12 again: the rate leaves the title.
    Watch again(1.0, 10);
    again.window->beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 0 || frame == 4) window.press(vk::F12);
    };
    again.demo->run();
    EXPECT_EQ(again.window->titleAtFrame[5], title(1.0 + 5 * kFrame));
}

TEST(WatchControls, WithoutTheOptionTheNewKeysChangeNothing) {
    const int keys[] = {vk::Space, vk::Left, vk::Right, vk::Up, vk::Down, vk::Prior, vk::Next, vk::Home,
                        vk::OemPeriod, vk::OemComma};
    Watch w(50.0, 60, false);
    std::vector<float> heard;
    w.window->beforeFrame = [&](FakeWindow& window, int frame) {
        // Every key pressed, held with repeats and let go, one after another.
        if (frame == 0) {
            for (const int key : keys) {
                window.press(key);
                window.repeat(key);
                window.release(key);
            }
            window.press(vk::Space);  // and one more Space, left down
        }
        const std::vector<float> part = w.pull(735);
        heard.insert(heard.end(), part.begin(), part.end());
    };
    EXPECT_EQ(w.demo->run(), FakeWindow::kScriptEnded);
    std::vector<double> expected;
    for (int k = 0; k < 60; ++k) expected.push_back(50.0 + k * kFrame);
    expectTimes(w.renderedTimes(), expected);
    for (const std::string& text : w.window->titleAtFrame) EXPECT_EQ(text, "Glowmotion");
    EXPECT_EQ(w.window->heldDraws + w.window->holds, 0);
    EXPECT_FALSE(w.demo->isPaused());
    EXPECT_FALSE(Timer::isPaused());
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), 50.0, 735 * 60)), 1e-4f);
}
