// The watching keys (--controls) through the real driver: a fake window
// whose clock the test drives, recording scenes that log their own clocks,
// and a test audio output the test pulls the music from.
#include "common/FakeWindow.h"
#include "common/ManualOutput.h"
#include "common/MiniModule.h"
#include "common/RecordingScene.h"
#include "common/ReferenceRender.h"

#include "app/Demo.h"
#include "app/WatchControls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    FakeWindow window;
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
        for (int k = 0; k < passes; ++k) window.times.push_back(k * kFrame);
        auto out = std::make_unique<ManualOutput>(&record);
        output = out.get();
        DemoSetup setup;
        setup.audio = std::move(out);
        setup.scenes = [this](const FrameClock& clock) { return recordingScenes(&log, clock); };
        setup.musicPath = musicPath;
        setup.clockSource = window.ticks();
        setup.startAt = startAt;
        setup.controls = controls;
        demo = std::make_unique<Demo>(std::move(setup));
        demo->load(window);
        log.watchPasses(window);
    }
    ~Watch() { std::remove(musicPath.c_str()); }

    ShowEnd play() { return demo->play(window); }
    // Music as the mixer thread would take it.
    std::vector<float> pull(int frames) {
        std::vector<float> buffer(static_cast<size_t>(frames) * 2, 99.0f);
        if (output->renderer) output->renderer(buffer.data(), frames);
        return buffer;
    }
    // The show time and the scene's own clock of each frame the loop drew.
    std::vector<float> renderedTimes() const {
        std::vector<float> times;
        for (const size_t i : log.ownRenders()) times.push_back(log.renders[i].second);
        return times;
    }
    std::vector<double> sceneClocks() const {
        std::vector<double> clocks;
        for (const size_t i : log.ownRenders()) clocks.push_back(log.sceneClocks[i]);
        return clocks;
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
        ShowKey key;
        double startAt;
        double target;  // the show time in the pass that acts on the key (the first)
        bool sought;    // the music was moved to the target
    };
    const Case cases[] = {
        {"Right", ShowKey::Right, 50.3, 55.3, true},
        {"Left", ShowKey::Left, 50.3, 45.3, true},
        {"Left near the start", ShowKey::Left, 3.0, 0.0, true},
        {"Up", ShowKey::Up, 50.3, 51.3, true},
        {"Down", ShowKey::Down, 50.3, 49.3, true},
        {"Down near the start", ShowKey::Down, 0.5, 0.0, true},
        {"Page Down", ShowKey::PageDown, 50.3, 66.6, true},
        {"Page Down from the greetings", ShowKey::PageDown, 70.0, 81.8, true},
        {"Page Down into a gap", ShowKey::PageDown, 10.0, 19.1, true},
        {"Page Down in the last part", ShowKey::PageDown, 110.0, 110.0, false},
        {"Page Up", ShowKey::PageUp, 50.3, 36.1, true},
        {"Page Up from the first part", ShowKey::PageUp, 10.0, 0.0, true},
        {"Home", ShowKey::Home, 50.3, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watch w(c.startAt, 3);
        std::vector<float> heard;
        w.window.beforeFrame = [&](FakeWindow& window, int frame) {
            if (frame == 0) window.press(c.key);
            if (frame == 2) heard = w.pull(kPulled);
        };
        EXPECT_EQ(w.play(), ShowEnd::Closed);
        // The show clock: the title of each pass; the scene's own clock:
        // what the last frame's scene read.
        ASSERT_EQ(w.window.titleAtFrame.size(), 3u);
        EXPECT_EQ(w.window.titleAtFrame[0], title(c.target));
        EXPECT_EQ(w.window.titleAtFrame[1], title(c.target + kFrame));
        EXPECT_EQ(w.window.titleAtFrame[2], title(c.target + 2 * kFrame));
        ASSERT_FALSE(w.log.renders.empty());
        EXPECT_NEAR(w.log.renders.back().second, c.target + 2 * kFrame, 1e-5);
        EXPECT_EQ(w.log.renders.back().first, sceneAt(static_cast<float>(c.target + 2 * kFrame)));
        EXPECT_NEAR(w.log.sceneClocks.back(), c.target + 2 * kFrame, 1e-9);
        // First the show's frames at 60 fps up to the target ran (none drawn in
        // a gap): on from the start, or from 0 with the scenes rewound once.
        const bool back = c.target < c.startAt;
        std::vector<double> run;
        for (int k = back ? 0 : static_cast<int>(std::ceil(c.startAt * 60 - 1e-6)); c.sought && k * kFrame < c.target - 1e-6; ++k)
            if (sceneAt(static_cast<float>(k * kFrame)) >= 0) run.push_back(k * kFrame);
        if (sceneAt(static_cast<float>(c.target)) >= 0) run.push_back(c.target);
        std::vector<float> firstPass;
        for (size_t i = 0; i < w.log.renders.size(); ++i) if (w.log.passes[i] == 0) firstPass.push_back(w.log.renders[i].second);
        expectTimes(firstPass, run);
        EXPECT_EQ(std::count(w.log.events.begin(), w.log.events.end(), "rewind 0"), back ? 1 : 0);
        // The music: what libopenmpt plays there from the start, or, when
        // nothing moved, the place the show started at (the test pulled
        // nothing before).
        const double musicAt = c.sought ? c.target : c.startAt;
        EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), musicAt, kPulled)), 1e-4f);
    }
}

TEST(WatchControls, SeekingPastTheEndEndsTheShowAsTheClockWould) {
    for (const ShowKey key : {ShowKey::Right, ShowKey::Up}) {
        Watch w(124.5, 10);
        w.window.beforeFrame = [key](FakeWindow& window, int frame) {
            if (frame == 0) window.press(key);
        };
        EXPECT_EQ(w.play(), ShowEnd::Finished);
        EXPECT_EQ(w.window.presented, 1);  // the frame past the end is still presented
        EXPECT_TRUE(w.log.ownRenders().empty());
        EXPECT_FALSE(w.record.open);        // the music stopped
    }
}

TEST(WatchControls, PauseHoldsEveryClockAndFeedsTheMusicSilence) {
    Watch w(10.0, 30);
    std::vector<float> heard;
    std::vector<float> whilePaused;
    w.window.beforeFrame = [&](FakeWindow& window, int frame) {
        if (frame == 1 || frame == 2) {
            const std::vector<float> part = w.pull(1000);
            heard.insert(heard.end(), part.begin(), part.end());
        }
        if (frame == 4) window.press(ShowKey::Space);  // paused in pass 4
        if (frame == 10) whilePaused = w.pull(3000);
        if (frame == 21) window.press(ShowKey::Space);  // resumed in pass 21
        if (frame == 22 || frame == 23) {
            const std::vector<float> part = w.pull(1000);
            heard.insert(heard.end(), part.begin(), part.end());
        }
    };
    w.play();
    // Passes 0 to 4 draw (4 at the moment of pausing, once, then held);
    // nothing is drawn again until the resume in pass 21, which goes on
    // from the same moment.
    std::vector<double> expected;
    for (int k = 0; k <= 4; ++k) expected.push_back(10.0 + k * kFrame);
    for (int k = 21; k < 30; ++k) expected.push_back(10.0 + (k - 17) * kFrame);
    expectTimes(w.renderedTimes(), expected);
    const std::vector<double> clocks = w.sceneClocks();
    ASSERT_EQ(clocks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(clocks[i], expected[i], 1e-9) << i;

    // Every paused pass presents a frame, titled with the held time.
    for (int k = 4; k <= 20; ++k) EXPECT_EQ(w.window.titleAtFrame[k], title(10.0 + 4 * kFrame, true)) << k;
    EXPECT_EQ(w.window.titleAtFrame[21], title(10.0 + 4 * kFrame));
    EXPECT_EQ(w.window.titleAtFrame[3], title(10.0 + 3 * kFrame));

    // Silence while paused, and on resuming the music goes on at the very
    // sample: the same as if never paused.
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), 10.0, 4000)), 1e-4f);
}

TEST(WatchControls, StepsMoveOneFrameWhilePausedAndDrawOnceEach) {
    Watch w(10.0, 18);
    std::vector<float> heard, whilePaused;
    w.window.beforeFrame = [&](FakeWindow& window, int frame) {
        switch (frame) {
        case 1: window.press(ShowKey::Period); break;   // playing: dropped
        case 3: window.press(ShowKey::Space); break;    // paused in pass 3
        case 6: window.press(ShowKey::Period); break;   // one frame on
        case 8: window.press(ShowKey::Period); break;
        case 10: window.press(ShowKey::Period); break;
        case 12:
            whilePaused = w.pull(2000);
            window.press(ShowKey::Comma);                // one back
            break;
        case 14: window.press(ShowKey::Space); break;   // resumed
        case 15: heard = w.pull(kPulled); break;
        default: break;
        }
    };
    w.play();
    const double paused = 10.0 + 3 * kFrame;
    expectTimes(w.renderedTimes(), {10.0, 10.0 + kFrame, 10.0 + 2 * kFrame, paused,  // playing, pausing frame
                                    paused + kFrame, paused + 2 * kFrame, paused + 3 * kFrame,  // steps on
                                    paused + 2 * kFrame,                                        // a step back
                                    paused + 2 * kFrame, paused + 3 * kFrame, paused + 4 * kFrame,
                                    paused + 5 * kFrame});  // resumed from there
    EXPECT_NEAR(w.sceneClocks()[6], paused + 3 * kFrame, 1e-9);
    EXPECT_EQ(w.window.titleAtFrame[10], title(paused + 3 * kFrame, true));
    // The music stayed silent and follows the steps: it resumes where the picture is.
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), paused + 2 * kFrame, kPulled)), 1e-4f);
}

TEST(WatchControls, ASeekWhilePausedDrawsOneFrameThereAndStaysPaused) {
    Watch w(50.0, 14);
    std::vector<float> whilePaused, heard;
    w.window.beforeFrame = [&](FakeWindow& window, int frame) {
        if (frame == 1) window.press(ShowKey::Space);  // paused in pass 1
        if (frame == 4) window.press(ShowKey::Left);   // 5 s back, still paused
        if (frame == 7) whilePaused = w.pull(2000);
        if (frame == 9) window.press(ShowKey::Space);  // resumed
        if (frame == 10) heard = w.pull(kPulled);
    };
    w.play();
    const double paused = 50.0 + kFrame;
    expectTimes(w.renderedTimes(), {50.0, paused, paused - 5.0, paused - 5.0, paused - 5.0 + kFrame,
                                    paused - 5.0 + 2 * kFrame, paused - 5.0 + 3 * kFrame, paused - 5.0 + 4 * kFrame});
    EXPECT_EQ(w.window.titleAtFrame[4], title(paused - 5.0, true));
    EXPECT_EQ(w.window.titleAtFrame[8], title(paused - 5.0, true));
    EXPECT_TRUE(allSilent(whilePaused));
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), paused - 5.0, kPulled)), 1e-4f);
}

TEST(WatchControls, KeysActOncePerPressSeeksOncePerAutoRepeat) {
    Watch w(50.0, 16);
    w.window.beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 5) {
            // Space held down: the repeats do not toggle it back and forth.
            window.press(ShowKey::Space);
            for (int i = 0; i < 3; ++i) window.repeat(ShowKey::Space);
        }
        if (frame == 11) {
            // Right held: every repeat seeks again.
            window.press(ShowKey::Right);
            window.repeat(ShowKey::Right);
            window.press(ShowKey::Up);
        }
    };
    w.play();
    // Pass 5 pauses; pass 11 seeks 5 + 5 + 1 s at once.
    const double paused = 50.0 + 5 * kFrame;
    EXPECT_EQ(w.window.titleAtFrame[4], title(paused - kFrame));
    EXPECT_EQ(w.window.titleAtFrame[5], title(paused, true));
    EXPECT_EQ(w.window.titleAtFrame[10], title(paused, true));
    EXPECT_EQ(w.window.titleAtFrame[11], title(paused + 11.0, true));
    EXPECT_EQ(w.window.titleAtFrame[15], title(paused + 11.0, true));
}

TEST(WatchControls, EscapeAndF12StillActAndTheRateCountsTheLoopsOwnTime) {
    Watch w(1.0, 400);
    w.window.beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 1) window.press(ShowKey::F12);      // rate shown from pass 1
        if (frame == 31) window.press(ShowKey::Space);   // paused in pass 31
        if (frame == 101) window.press(ShowKey::Left);   // to 0, still paused
        if (frame == 250) window.press(ShowKey::Escape);
    };
    EXPECT_EQ(w.play(), ShowEnd::Escape);
    EXPECT_EQ(w.window.presented, 251);  // pass 250 sees Escape and is the last
    const auto& titles = w.window.titleAtFrame;
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
    again.window.beforeFrame = [](FakeWindow& window, int frame) {
        if (frame == 1 || frame == 5) window.press(ShowKey::F12);
    };
    again.play();
    EXPECT_EQ(again.window.titleAtFrame[4], watchingTitle(frameRateTitle("Glowmotion", -1), static_cast<float>(1.0 + 4 * kFrame), false));
    EXPECT_EQ(again.window.titleAtFrame[5], title(1.0 + 5 * kFrame));
}

TEST(WatchControls, WithoutTheOptionTheNewKeysChangeNothing) {
    const ShowKey keys[] = {ShowKey::Space,  ShowKey::Left,     ShowKey::Right, ShowKey::Up,     ShowKey::Down,
                            ShowKey::PageUp, ShowKey::PageDown, ShowKey::Home,  ShowKey::Period, ShowKey::Comma};
    Watch w(50.0, 60, false);
    std::vector<float> heard;
    w.window.beforeFrame = [&](FakeWindow& window, int frame) {
        // Every key pressed and held with repeats, one after another.
        if (frame == 0) {
            for (const ShowKey key : keys) {
                window.press(key);
                window.repeat(key);
            }
            window.press(ShowKey::Space);  // and one more Space
        }
        const std::vector<float> part = w.pull(735);
        heard.insert(heard.end(), part.begin(), part.end());
    };
    EXPECT_EQ(w.play(), ShowEnd::Closed);
    std::vector<double> expected;
    for (int k = 0; k < 60; ++k) expected.push_back(50.0 + k * kFrame);
    expectTimes(w.renderedTimes(), expected);
    for (const std::string& text : w.window.titleAtFrame) EXPECT_EQ(text, "Glowmotion");
    EXPECT_LT(largestDifference(heard, straightRender(scaleModule(), 50.0, 735 * 60)), 1e-4f);
}
