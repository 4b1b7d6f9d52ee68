// The driver's loop on a scripted window: the timeline, the end of the show,
// Escape, F12 and closing, the frame-rate title, the order in which scenes
// are loaded, started and destroyed, and the start at a later moment.
#include "common/FakeWindow.h"
#include "common/RecordingScene.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct Harness {
    SceneLog log;
    FakeWindow window;
    std::unique_ptr<Demo> demo;

    explicit Harness(std::vector<double> times, double startAt = 0.0,
                     double endAt = std::numeric_limits<double>::infinity()) {
        window.times = std::move(times);
        DemoSetup setup;
        setup.audio = makeSilentAudioOutput(), setup.musicPath = "/nonexistent/km_groov.it";
        setup.scenes = [this](const FrameClock& clock) { return recordingScenes(&log, clock); };
        setup.clockSource = window.ticks(), setup.startAt = startAt, setup.endAt = endAt;
        log.pass = &window.pass;
        demo = std::make_unique<Demo>(std::move(setup));
        demo->load(window);
    }
    ShowEnd play() { return demo->play(window); }
};

std::vector<double> framesAt60(double from, double to) {
    std::vector<double> times;
    for (int k = 0; from + k / 60.0 <= to; ++k) times.push_back(from + k / 60.0);
    return times;
}

const std::string kNoRateYet = "! Glowmotion  .:[fps ...]:.";

}  // namespace

TEST(Timeline, StrictBoundsLeaveGapsAndTheLoopEndsWithTheFramePastTheEnd) {
    // clang-format off
    const std::pair<float, int> cases[] = {
        {0.0f, kTurntableSlot},    {18.99f, kTurntableSlot},   {19.0f, -1},   {19.1f, -1},  {19.11f, kCreditsSlot},
        {35.99f, kCreditsSlot},    {36.0f, -1},    {36.1f, -1},  {36.11f, kStarTunnelSlot}, {43.79f, kStarTunnelSlot},
        {43.8f, -1},  {43.9f, -1}, {43.91f, kDanceFloorSlot},  {102.99f, kDanceFloorSlot},  {103.0f, -1},
        {103.1f, -1}, {103.11f, kEndSlot},  {124.89f, kEndSlot},   {124.9f, -1},  {125.0f, -1}, {125.01f, -1}};
    // clang-format on
    for (const auto& [t, slot] : cases) EXPECT_EQ(sceneAt(t), slot) << "t = " << t;

    Harness h({18.99, 19.0, 19.11, 43.8, 43.91, 124.9, 125.0, 125.01, 126.0});
    EXPECT_EQ(h.play(), ShowEnd::Finished);
    EXPECT_EQ(h.window.presented, 8);  // the frame at 125.01 is presented, then the loop ends
    EXPECT_EQ(h.log.passes, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(h.log.renders, (std::vector<std::pair<int, float>>{
                                 {kTurntableSlot, 18.99f}, {kCreditsSlot, 19.11f}, {kDanceFloorSlot, 43.91f}}));

    Harness until({10.0, 10.5, 11.0, 11.5, 12.0}, 0.0, 11.0);  // an end time: nothing drawn past it
    EXPECT_EQ(until.play(), ShowEnd::Finished);
    EXPECT_TRUE(until.window.presented == 3 && until.log.renders.size() == 3u);
}

TEST(Keys, EscapeEndsAfterTheFrameItIsSeenInAndClosingEndsAtOnce) {
    using Case = std::tuple<const char*, std::vector<WindowEvent>, ShowEnd, int, std::string>;
    const WindowEvent escape{WindowEvent::Type::Key, ShowKey::Escape, false},
        f12{WindowEvent::Type::Key, ShowKey::F12, false};
    const Case cases[] = {{"Escape", {escape}, ShowEnd::Escape, 6, "Glowmotion"},
                          {"F12 with Escape", {f12, escape}, ShowEnd::Escape, 6, "Glowmotion"},
                          {"close", {{WindowEvent::Type::Close}}, ShowEnd::Closed, 5, "Glowmotion"},
                          {"F12", {f12}, ShowEnd::Closed, 31, kNoRateYet}};
    for (const auto& [name, events, end, presented, title] : cases) {
        SCOPED_TRACE(name);
        Harness h(framesAt60(1.0, 1.5));
        h.window.beforeFrame = [&queued = events](FakeWindow& w, int pass) {
            if (pass == 5) w.queue.insert(w.queue.end(), queued.begin(), queued.end());
        };
        EXPECT_EQ(h.play(), end);
        EXPECT_TRUE(h.window.presented == presented && h.log.renders.size() == size_t(presented));
        EXPECT_EQ(h.window.title(), title);
    }
}

TEST(FrameRateTitle, ShownFromTheFirstWholeSecondAfterF12AndEachRepeatToggles) {
    EXPECT_EQ(frameRateTitle("Glowmotion", 60), "! Glowmotion  .:[fps  60 ]:.");
    EXPECT_EQ(frameRateTitle("Glowmotion", -1), kNoRateYet);
    Harness h(framesAt60(2.5, 6.0));
    h.window.beforeFrame = [](FakeWindow& w, int pass) {
        if (pass == 0 || pass == 30) w.press(ShowKey::F12);  // on at once, off at 3.0 s ...
        if (pass == 60) w.press(ShowKey::F12, true);         // ... on at 3.5 s by the key held down
    };
    h.play();
    const auto& titles = h.window.titleAtFrame;
    ASSERT_EQ(titles.size(), 211u);
    // From 4.0 s: the frames presented over the whole seconds since the loop
    // began; from 5.0 s the last text of the second stands.
    EXPECT_EQ(
        (std::vector<std::string>{titles[29], titles[30], titles[59], titles[89], titles[90], titles[149],
                                  titles[210]}),
        (std::vector<std::string>{kNoRateYet, "Glowmotion", "Glowmotion", kNoRateYet, frameRateTitle("Glowmotion", 22),
                                  frameRateTitle("Glowmotion", 37), frameRateTitle("Glowmotion", 37)}));
}

TEST(Lifecycle, ScenesLoadStartAndDieInSlotOrderAndAStartRunsTheFramesBeforeItUnseen) {
    Harness whole({1.0, 126.0});
    whole.play();
    EXPECT_EQ(whole.window.presentedWhileLoading, 1);
    whole.demo.reset();
    std::vector<std::string> expected;
    for (const char* what : {"load ", "start ", "destroy "})
        for (int slot = 0; slot < kSceneCount; ++slot) expected.push_back(what + std::to_string(slot));
    EXPECT_EQ(whole.log.events, expected);
    // From 124.5: every frame of the show at 60 fps before it, drawn unseen
    // on the show's and the scene's clock (none in the four gaps), then the
    // one the show presents.
    Harness h({0.0, 0.5}, 124.5, 124.9);
    h.play();
    size_t i = 0;
    for (int k = 0; k < 7470; ++k) {
        const double at = static_cast<double>(FrameClock::frameTicks(k, kReplayFps)) / 1e9;
        if (sceneAt(static_cast<float>(at)) < 0) continue;
        ASSERT_LT(i, h.log.renders.size());
        ASSERT_EQ(h.log.passes[i], -1) << at;
        ASSERT_EQ(h.log.renders[i], std::make_pair(sceneAt(static_cast<float>(at)), static_cast<float>(at)));
        ASSERT_DOUBLE_EQ(h.log.sceneClocks[i++], at);
    }
    ASSERT_EQ(h.log.renders.size(), i + 1);
    EXPECT_EQ(h.log.passes[i], 0);
    EXPECT_EQ(h.log.renders[i], std::make_pair(static_cast<int>(kEndSlot), 124.5f));
    EXPECT_DOUBLE_EQ(h.log.sceneClocks[i], 124.5);
}
