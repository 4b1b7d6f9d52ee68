// The watching keys (--controls) through the real driver: a scripted window,
// scenes that log their own clocks, and music the test pulls as the mixer
// thread would, held against libopenmpt's render of the same place.
#include "common/FakeWindow.h"
#include "common/Files.h"
#include "common/ManualOutput.h"
#include "common/MiniModule.h"
#include "common/RecordingScene.h"
#include "common/ReferenceRender.h"

#include "app/WatchControls.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A new note every 0.1 s row, the 20 s pattern seven times: every place of
// the show sounds different from its neighbours.
const std::vector<uint8_t> kScale = miniItModule("scale", 200, true, 7, 150);
constexpr double kFrame = 1.0 / 60.0;
constexpr int kPulled = 4096;  // frames of music compared

// Index into the log's renders of the frame each pass showed: its last (any
// before it ran unseen, the frames before a jump).
std::vector<size_t> ownRenders(const SceneLog& log) {
    std::vector<size_t> own;
    for (size_t i = 0; i < log.renders.size(); ++i) {
        if (log.passes[i] < 0) continue;
        if (own.empty() || log.passes[own.back()] != log.passes[i]) own.push_back(i);
        own.back() = i;
    }
    return own;
}

struct Watch {
    testfiles::TempDir temp{"controls"};
    SceneLog log;
    FakeWindow window;
    ManualOutput::Record record;
    std::unique_ptr<Demo> demo;

    // The show from `startAt`, `passes` loop passes 1/60 s apart.
    Watch(double startAt, int passes, bool controls = true) {
        for (int k = 0; k < passes; ++k) window.times.push_back(k * kFrame);
        DemoSetup setup;
        setup.audio = std::make_unique<ManualOutput>(&record), setup.musicPath = temp.write("scale.it", kScale);
        setup.scenes = [this](const FrameClock& clock) { return recordingScenes(&log, clock); };
        setup.clockSource = window.ticks(), setup.startAt = startAt, setup.controls = controls;
        demo = std::make_unique<Demo>(std::move(setup));
        demo->load(window);
        log.pass = &window.pass;
    }
    // The show time of each frame the loop showed, checked against the scene's own clock.
    std::vector<float> shownTimes() const {
        std::vector<float> times;
        for (const size_t i : ownRenders(log)) {
            times.push_back(log.renders[i].second);
            EXPECT_NEAR(log.sceneClocks[i], log.renders[i].second, 1e-5) << "render " << i;
        }
        return times;
    }
    bool musicAt(double showTime) {
        return largestDifference(pull(record, kPulled), straightRender(kScale, showTime, kPulled)) < 1e-4f;
    }
};

std::string title(double showTime, bool paused = false) {
    return watchingTitle("Glowmotion", static_cast<float>(showTime), paused);
}

// `expected` without the moments in gaps, where nothing is drawn.
void expectTimes(const std::vector<float>& actual, std::vector<double> expected) {
    expected.erase(std::remove_if(expected.begin(), expected.end(), [](double t) { return sceneAt(float(t)) < 0; }),
                   expected.end());
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << "frame " << i;
}

}  // namespace

TEST(WatchControls, TheTitleNamesThePartOfTheDanceFloorAndAClockATickShortOfAStartJumpsPastIt) {
    EXPECT_TRUE(momentBefore(19.1 - 1e-9) == 0.0 && momentAfter(19.1 - 1e-9) == 36.1);
    for (const auto& [t, place] : {std::pair{66.55f, "66.55 s | dance floor: groove"},
                                   {66.6f, "66.60 s | dance floor: greetings"},
                                   {90.0f, "90.00 s | dance floor: shower"}})
        EXPECT_EQ(watchingTitle("Glowmotion", t, false), std::string("Glowmotion | ") + place);
}

TEST(WatchControls, EachSeekKeyMovesTheShowClockEverySceneClockAndTheMusic) {
    const std::tuple<ShowKey, double, double> cases[] = {
        {ShowKey::Right, 50.3, 55.3},      {ShowKey::Left, 50.3, 45.3},     {ShowKey::Left, 3.0, 0.0},
        {ShowKey::Up, 50.3, 51.3},         {ShowKey::Down, 0.5, 0.0},       {ShowKey::PageDown, 50.3, 66.6},
        {ShowKey::PageDown, 70.0, 81.8},   {ShowKey::PageDown, 10.0, 19.1},  // into a gap
        {ShowKey::PageDown, 110.0, 110.0},                                   // in the last part: nowhere to go
        {ShowKey::PageUp, 50.3, 36.1},     {ShowKey::Home, 50.3, 0.0}};
    for (const auto& [key, startAt, target] : cases) {
        SCOPED_TRACE(std::to_string(int(key)) + " from " + std::to_string(startAt));
        Watch w(startAt, 3);
        bool musicThere = false;
        w.window.beforeFrame = [&, k = key, to = target](FakeWindow& window, int pass) {
            if (pass == 0) window.press(k);
            if (pass == 2) musicThere = w.musicAt(to);
        };
        EXPECT_TRUE(w.demo->play(w.window) == ShowEnd::Closed && musicThere);
        EXPECT_EQ(w.window.titleAtFrame,
                  (std::vector<std::string>{title(target), title(target + kFrame), title(target + 2 * kFrame)}));
        const std::vector<float> shown = w.shownTimes();
        ASSERT_FALSE(shown.empty());
        EXPECT_NEAR(shown.back(), target + 2 * kFrame, 1e-5);
        // Before the first frame shown the show's frames up to the target ran
        // at 60 fps: on from the start, or from 0 with the scenes rewound once.
        const bool back = target < startAt;
        std::vector<double> run;
        for (int k = back ? 0 : static_cast<int>(std::ceil(startAt * 60 - 1e-6)); k * kFrame < target - 1e-6; ++k)
            run.push_back(k * kFrame);
        run.push_back(target);
        std::vector<float> firstPass;
        for (size_t i = 0; i < w.log.renders.size(); ++i)
            if (w.log.passes[i] == 0) firstPass.push_back(w.log.renders[i].second);
        expectTimes(firstPass, run);
        EXPECT_EQ(std::count(w.log.events.begin(), w.log.events.end(), "rewind 0"), back ? 1 : 0);
    }
    for (const ShowKey key : {ShowKey::Right, ShowKey::Up}) {  // past the end: the show ends as the clock would
        Watch w(124.5, 10);
        w.window.press(key);
        EXPECT_EQ(w.demo->play(w.window), ShowEnd::Finished);
        EXPECT_TRUE(w.window.presented == 1 && ownRenders(w.log).empty() && !w.record.open);  // the music stopped
    }
}

TEST(WatchControls, EscapeAndF12StillActTheRateCountsTheLoopsOwnTimeAndWithoutTheOptionNoKeyActs) {
    Watch w(1.0, 400);
    w.window.beforeFrame = [](FakeWindow& window, int pass) {
        if (pass == 1) window.press(ShowKey::F12);
        if (pass == 31) window.press(ShowKey::Space), window.press(ShowKey::Space, true);  // a repeat: no toggle
        if (pass == 101) window.press(ShowKey::Left);                                      // to 0, still paused
        if (pass == 250) window.press(ShowKey::Escape);
    };
    EXPECT_EQ(w.demo->play(w.window), ShowEnd::Escape);
    EXPECT_EQ(w.window.presented, 251);  // pass 250 sees Escape and is the last
    // 4 s of the loop at pass 240, 240 frames presented, though the show
    // clock stood still and went back: the rate is the loop's.
    EXPECT_EQ(w.window.titleAtFrame[239], watchingTitle(frameRateTitle("Glowmotion", -1), 0.0f, true));
    EXPECT_EQ(w.window.titleAtFrame[240], watchingTitle(frameRateTitle("Glowmotion", 60), 0.0f, true));
    Watch off(50.0, 60, false);
    bool musicOn = false;
    off.window.beforeFrame = [&](FakeWindow& window, int pass) {
        for (int key = int(ShowKey::Space); pass == 0 && key <= int(ShowKey::Comma); ++key)  // each pressed and held
            window.press(ShowKey(key)), window.press(ShowKey(key), true);
        if (pass == 59) musicOn = off.musicAt(50.0);
    };
    EXPECT_EQ(off.demo->play(off.window), ShowEnd::Closed);
    std::vector<double> expected;
    for (int k = 0; k < 60; ++k) expected.push_back(50.0 + k * kFrame);
    expectTimes(off.shownTimes(), expected);
    EXPECT_EQ(off.window.titleAtFrame, std::vector<std::string>(60, "Glowmotion"));
    EXPECT_TRUE(musicOn);
}
