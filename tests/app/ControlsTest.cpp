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
        if (!own.empty() && log.passes[own.back()] == log.passes[i]) own.back() = i;
        else own.push_back(i);
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
    ShowEnd play() { return demo->play(window); }
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

TEST(WatchControls, JumpsGoBetweenTheStartsOfScenesAndSequencesAndTheTitleNamesThePlace) {
    // (now, Page Up, Page Down); 19.1 - 1e-9: a clock a tick short of 19.1.
    for (const auto& [now, before, after] : {std::tuple{0.0, 0.0, 19.1}, {19.05, 0.0, 19.1}, {19.1, 0.0, 36.1},
             {19.1 - 1e-9, 0.0, 36.1}, {36.1, 19.1, 43.9}, {50.3, 36.1, 66.6}, {66.6, 43.9, 81.8}, {90.0, 66.6, 103.1},
             {103.1, 81.8, 103.1}, {124.0, 81.8, 124.0}})
        EXPECT_TRUE(momentBefore(now) == before && momentAfter(now) == after) << now;
    const std::pair<float, const char*> places[] = {{19.05f, "19.05 s | turntable"},
                                                    {19.1f, "19.10 s | credits"},
                                                    {40.0f, "40.00 s | star tunnel"},
                                                    {66.55f, "66.55 s | dance floor: groove"},
                                                    {66.6f, "66.60 s | dance floor: greetings"},
                                                    {90.0f, "90.00 s | dance floor: shower"},
                                                    {125.0f, "125.00 s | end"}};
    for (const auto& [t, place] : places)
        EXPECT_EQ(watchingTitle("Glowmotion", t, false), std::string("Glowmotion | ") + place);
    EXPECT_EQ(watchingTitle("X", 1.5f, true), "X | 1.50 s | turntable | paused");
}

TEST(WatchControls, EachSeekKeyMovesTheShowClockEverySceneClockAndTheMusic) {
    struct Case { ShowKey key; double startAt, target; };
    const Case cases[] = {{ShowKey::Right, 50.3, 55.3},      {ShowKey::Left, 50.3, 45.3},
                          {ShowKey::Left, 3.0, 0.0},         {ShowKey::Up, 50.3, 51.3},
                          {ShowKey::Down, 0.5, 0.0},         {ShowKey::PageDown, 50.3, 66.6},
                          {ShowKey::PageDown, 70.0, 81.8},   {ShowKey::PageDown, 10.0, 19.1},  // into a gap
                          {ShowKey::PageDown, 110.0, 110.0},  // in the last part: nowhere to go
                          {ShowKey::PageUp, 50.3, 36.1},     {ShowKey::Home, 50.3, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.key)) + " from " + std::to_string(c.startAt));
        Watch w(c.startAt, 3);
        bool musicThere = false;
        w.window.beforeFrame = [&](FakeWindow& window, int pass) {
            if (pass == 0) window.press(c.key);
            if (pass == 2) musicThere = w.musicAt(c.target);
        };
        EXPECT_TRUE(w.play() == ShowEnd::Closed && musicThere);
        EXPECT_EQ(w.window.titleAtFrame, (std::vector<std::string>{title(c.target), title(c.target + kFrame),
                                                                    title(c.target + 2 * kFrame)}));
        const std::vector<float> shown = w.shownTimes();
        ASSERT_FALSE(shown.empty());
        EXPECT_NEAR(shown.back(), c.target + 2 * kFrame, 1e-5);
        // Before the first frame shown the show's frames up to the target ran
        // at 60 fps: on from the start, or from 0 with the scenes rewound once.
        const bool back = c.target < c.startAt;
        std::vector<double> run;
        for (int k = back ? 0 : static_cast<int>(std::ceil(c.startAt * 60 - 1e-6)); k * kFrame < c.target - 1e-6; ++k)
            run.push_back(k * kFrame);
        run.push_back(c.target);
        std::vector<float> firstPass;
        for (size_t i = 0; i < w.log.renders.size(); ++i)
            if (w.log.passes[i] == 0) firstPass.push_back(w.log.renders[i].second);
        expectTimes(firstPass, run);
        EXPECT_EQ(std::count(w.log.events.begin(), w.log.events.end(), "rewind 0"), back ? 1 : 0);
    }
    for (const ShowKey key : {ShowKey::Right, ShowKey::Up}) {  // past the end: the show ends as the clock would
        Watch w(124.5, 10);
        w.window.press(key);
        EXPECT_EQ(w.play(), ShowEnd::Finished);
        EXPECT_TRUE(w.window.presented == 1 && ownRenders(w.log).empty());
        EXPECT_FALSE(w.record.open);  // the music stopped
    }
}

TEST(WatchControls, PauseHoldsEveryClockInSilenceStepsAndSeeksDrawOnceAndTheMusicResumesWhereThePictureIs) {
    Watch w(50.0, 22);
    std::vector<float> whilePaused;
    bool resumedThere = false;
    const double p = 50.0 + 3 * kFrame, q = p + kFrame - 10.0;  // paused at p; stepped, then sought back to q
    w.window.beforeFrame = [&](FakeWindow& window, int pass) {
        switch (pass) {
        case 1: window.press(ShowKey::Period); break;  // playing: no step
        case 3:  // held down: its repeats do not toggle it back and forth
            for (const bool repeat : {false, true, true, true}) window.press(ShowKey::Space, repeat);
            break;
        case 5: case 7: window.press(ShowKey::Period); break;  // one frame on, twice
        case 9: window.press(ShowKey::Comma); break;           // one back
        case 11: window.press(ShowKey::Left), window.press(ShowKey::Left, true); break;  // each repeat seeks
        case 13: whilePaused = pull(w.record, 2000); break;
        case 15: window.press(ShowKey::Space); break;
        case 16: resumedThere = w.musicAt(q); break;
        default: break;
        }
    };
    w.play();
    std::vector<double> expected = {50.0,       50.0 + kFrame,  50.0 + 2 * kFrame, p,
                                    p + kFrame, p + 2 * kFrame, p + kFrame,        q};
    for (int k = 0; k < 7; ++k) expected.push_back(q + k * kFrame);  // passes 15 to 21
    expectTimes(w.shownTimes(), expected);
    const auto& titles = w.window.titleAtFrame;  // every paused pass presents, titled with the held time
    EXPECT_EQ((std::vector<std::string>{titles[2], titles[4], titles[8], titles[14], titles[15]}),
              (std::vector<std::string>{title(50.0 + 2 * kFrame), title(p, true), title(p + 2 * kFrame, true),
                                        title(q, true), title(q)}));
    EXPECT_TRUE(allSilent(whilePaused) && resumedThere);
}

TEST(WatchControls, EscapeAndF12StillActTheRateCountsTheLoopsOwnTimeAndWithoutTheOptionNoKeyActs) {
    {
        Watch w(1.0, 400);
        w.window.beforeFrame = [](FakeWindow& window, int pass) {
            if (pass == 1) window.press(ShowKey::F12);
            if (pass == 31) window.press(ShowKey::Space);
            if (pass == 101) window.press(ShowKey::Left);  // to 0, still paused
            if (pass == 250) window.press(ShowKey::Escape);
        };
        EXPECT_EQ(w.play(), ShowEnd::Escape);
        EXPECT_EQ(w.window.presented, 251);  // pass 250 sees Escape and is the last
        // 4 s of the loop at pass 240, 240 frames presented, though the show
        // clock stood still and went back: the rate is the loop's.
        EXPECT_EQ(w.window.titleAtFrame[239], watchingTitle(frameRateTitle("Glowmotion", -1), 0.0f, true));
        EXPECT_EQ(w.window.titleAtFrame[240], watchingTitle(frameRateTitle("Glowmotion", 60), 0.0f, true));
    }
    Watch off(50.0, 60, false);
    bool musicOn = false;
    off.window.beforeFrame = [&](FakeWindow& window, int pass) {
        for (int key = int(ShowKey::Space); pass == 0 && key <= int(ShowKey::Comma); ++key)  // each pressed and held
            window.press(ShowKey(key)), window.press(ShowKey(key), true);
        if (pass == 59) musicOn = off.musicAt(50.0);
    };
    EXPECT_EQ(off.play(), ShowEnd::Closed);
    std::vector<double> expected;
    for (int k = 0; k < 60; ++k) expected.push_back(50.0 + k * kFrame);
    expectTimes(off.shownTimes(), expected);
    EXPECT_EQ(off.window.titleAtFrame, std::vector<std::string>(60, "Glowmotion"));
    EXPECT_TRUE(musicOn);
}
