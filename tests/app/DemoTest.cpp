// The driver's loop: timeline, end of show, keys, frame-rate title, window
// events and the order in which scenes are loaded, started and destroyed.
#include "common/FakeWindow.h"
#include "common/RecordingScene.h"

#include "app/Demo.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
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
        setup.audio = makeSilentAudioOutput();
        setup.scenes = [this](const FrameClock& clock) { return recordingScenes(&log, clock); };
        setup.musicPath = "/nonexistent/km_groov.it";
        setup.clockSource = window.ticks();
        setup.startAt = startAt;
        setup.endAt = endAt;
        demo = std::make_unique<Demo>(std::move(setup));
        demo->load(window);
    }
    ShowEnd play() { return demo->play(window); }

    // Slot drawn in each presented frame, -1 where nothing drew.
    std::vector<int> drawnPerFrame() const {
        std::vector<int> drawn(window.presented, -1);
        size_t r = 0;
        for (int frame = 0; frame < window.presented && r < log.renders.size(); ++frame) {
            const float t = static_cast<float>(window.times[std::min<size_t>(frame, window.times.size() - 1)]);
            if (log.renders[r].second == t) drawn[frame] = log.renders[r++].first;
        }
        return drawn;
    }
};

std::vector<double> framesAt60(double from, double to) {
    std::vector<double> times;
    for (int k = 0; from + k / 60.0 <= to; ++k) times.push_back(from + k / 60.0);
    return times;
}

}  // namespace

TEST(Timeline, StrictBoundsLeaveGapsBetweenScenes) {
    struct Case { float t; int slot; };
    const Case cases[] = {
        {0.0f, kTurntableSlot},     {18.99f, kTurntableSlot},  {19.0f, -1},   {19.05f, -1},
        {19.1f, -1},                {19.11f, kCreditsSlot},    {35.99f, kCreditsSlot},
        {36.0f, -1},                {36.1f, -1},               {36.11f, kStarTunnelSlot},
        {43.79f, kStarTunnelSlot},  {43.8f, -1},               {43.9f, -1},   {43.91f, kDanceFloorSlot},
        {102.99f, kDanceFloorSlot}, {103.0f, -1},              {103.1f, -1},  {103.11f, kEndSlot},
        {124.89f, kEndSlot},        {124.9f, -1},              {125.0f, -1},  {125.01f, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(sceneAt(c.t), c.slot) << "t = " << c.t;
}

TEST(Timeline, LoopDrawsTheSceneOfEachMomentAndNothingInGaps) {
    Harness h({18.99, 19.0, 19.05, 19.1, 19.11, 43.8, 43.9, 43.91, 124.9, 125.0, 125.01, 126.0});
    EXPECT_EQ(h.play(), ShowEnd::Finished);
    // The frame at 125.01 is presented; then the loop ends.
    EXPECT_EQ(h.window.presented, 11);
    const std::vector<int> expected = {kTurntableSlot, -1, -1, -1, kCreditsSlot, -1, -1, kDanceFloorSlot, -1, -1, -1};
    EXPECT_EQ(h.drawnPerFrame(), expected);
    EXPECT_EQ(h.log.renders.size(), 3u);
}

TEST(Timeline, EndAtStopsBeforeDrawingPastIt) {
    Harness h({10.0, 10.5, 11.0, 11.5, 12.0}, 0.0, 11.0);
    EXPECT_EQ(h.play(), ShowEnd::Finished);
    EXPECT_EQ(h.window.presented, 3);
    EXPECT_EQ(h.log.renders.size(), 3u);
}

TEST(Keys, EscapeEndsTheShowAfterDrawingTheFrameItIsSeenIn) {
    Harness h(framesAt60(1.0, 3.0));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 5) w.press(ShowKey::Escape);
    };
    EXPECT_EQ(h.play(), ShowEnd::Escape);
    // Frame 5 sees Escape and is still drawn and presented; nothing after it.
    EXPECT_EQ(h.window.presented, 6);
    EXPECT_EQ(h.log.renders.size(), 6u);
}

TEST(Keys, OnlyEscapeActsWhenF12IsPressedToo) {
    Harness h(framesAt60(1.0, 3.0));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 2) {
            w.press(ShowKey::F12);
            w.press(ShowKey::Escape);
        }
    };
    EXPECT_EQ(h.play(), ShowEnd::Escape);
    EXPECT_EQ(h.window.presented, 3);
    EXPECT_EQ(h.window.title(), "Glowmotion");
}

TEST(FrameRateTitle, ExactTexts) {
    EXPECT_EQ(frameRateTitle("Glowmotion", -1), "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(frameRateTitle("Glowmotion", 60), "! Glowmotion  .:[fps  60 ]:.");
    EXPECT_EQ(frameRateTitle("Glowmotion", 0), "! Glowmotion  .:[fps  0 ]:.");
}

TEST(FrameRateTitle, F12AtTwoAndAHalfSecondsShowsTheRateFromFourSeconds) {
    Harness h(framesAt60(2.5, 6.0));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(ShowKey::F12);   // on at once
        if (frame == 30) w.press(ShowKey::F12);  // at 3.0 s: off again ...
        if (frame == 60) w.press(ShowKey::F12);  // ... and on at 3.5 s
    };
    h.play();
    const auto& titles = h.window.titleAtFrame;
    ASSERT_GE(titles.size(), 200u);
    EXPECT_EQ(titles[0], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(titles[29], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(titles[30], "Glowmotion");
    EXPECT_EQ(titles[59], "Glowmotion");
    EXPECT_EQ(titles[60], "! Glowmotion  .:[fps ...]:.");
    // Frame 90 is at 4.0 s: 90 frames presented before it, whole = 4.
    EXPECT_EQ(titles[89], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(titles[90], frameRateTitle("Glowmotion", 90 / 4));
    EXPECT_EQ(titles[149], frameRateTitle("Glowmotion", 149 / 4));  // 4.98 s: still counting
    // From 5.0 s the last text of the second stands.
    EXPECT_EQ(titles[151], titles[149]);
    EXPECT_EQ(titles.back(), titles[149]);
}

TEST(FrameRateTitle, NoRateBeforeOneSecondAndNoneWhileHidden) {
    Harness h(framesAt60(0.0, 4.5));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(ShowKey::F12);
    };
    h.play();
    for (int k = 0; k < 240; ++k) EXPECT_EQ(h.window.titleAtFrame[k], "! Glowmotion  .:[fps ...]:.") << k;
    EXPECT_EQ(h.window.titleAtFrame[240], "! Glowmotion  .:[fps  60 ]:.");  // 240 frames by 4.0 s
    EXPECT_EQ(h.window.titleAtFrame[241], frameRateTitle("Glowmotion", 241 / 4));

    Harness hidden(framesAt60(3.9, 4.5));
    hidden.play();
    for (const std::string& title : hidden.window.titleAtFrame) EXPECT_EQ(title, "Glowmotion");
}

TEST(FrameRateTitle, AfterStartAtTheRateCountsFromTheFirstFrame) {
    // Driven seconds since the clocks started; the show begins at 2.5.
    std::vector<double> times;
    for (int k = 0; k <= 120; ++k) times.push_back(k / 60.0);
    Harness h(times, 2.5);
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(ShowKey::F12);
    };
    h.play();
    EXPECT_EQ(h.window.titleAtFrame[89], "! Glowmotion  .:[fps ...]:.");  // show time 3.98
    // Show time 4.0 is 1.5 s after the first frame: whole second 1, 90 frames.
    EXPECT_EQ(h.window.titleAtFrame[90], "! Glowmotion  .:[fps  90 ]:.");
}

TEST(FrameRateTitle, HeldF12TogglesOnEveryRepeat) {
    Harness h(framesAt60(1.0, 1.2));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(ShowKey::F12);
        if (frame == 2 || frame == 4) w.repeat(ShowKey::F12);  // held: the keyboard repeats it
    };
    h.play();
    EXPECT_EQ(h.window.titleAtFrame[0], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(h.window.titleAtFrame[2], "Glowmotion");
    EXPECT_EQ(h.window.titleAtFrame[4], "! Glowmotion  .:[fps ...]:.");
}

TEST(Window, ClosingEndsTheShowAtOnceDrawingNothingMore) {
    Harness h(framesAt60(1.0, 1.5));
    h.window.beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 3) w.queue.push_back({WindowEvent::Type::Close});
    };
    EXPECT_EQ(h.play(), ShowEnd::Closed);
    EXPECT_EQ(h.window.presented, 3);
    EXPECT_EQ(h.log.renders.size(), 3u);
}

TEST(Lifecycle, ScenesLoadStartAndDieInSlotOrder) {
    Harness h({1.0, 126.0});
    h.play();
    EXPECT_EQ(h.window.presentedWhileLoading, 1);
    h.demo.reset();
    const std::vector<std::string> expected = {
        "load 0", "load 1", "load 2", "load 3", "load 4", "start 0", "start 1", "start 2", "start 3", "start 4",
        "destroy 0", "destroy 1", "destroy 2", "destroy 3", "destroy 4"};
    EXPECT_EQ(h.log.events, expected);
}

TEST(Lifecycle, StartAtRunsTheShowUpToItUnseenThenMovesEveryClock) {
    // Seconds since the clock started; the show begins at 124.5.
    Harness h({0.0, 0.5}, 124.5, 124.9);
    h.log.watchPasses(h.window);
    h.play();
    // Before the first pass, every frame of the show at 60 fps from 0 up to
    // 124.5 (7470, 7 in each of the four gaps passed drawing nothing), each
    // on the show's and the scene's clock; then the one the show presents.
    size_t i = 0;
    for (int k = 0; k < 7470; ++k) {
        const double at = static_cast<double>(FrameClock::frameTicks(k, kReplayFps)) / 1e9;
        if (sceneAt(static_cast<float>(at)) < 0) continue;
        ASSERT_LT(i, h.log.renders.size());
        ASSERT_EQ(h.log.passes[i], -1) << at;
        ASSERT_EQ(h.log.renders[i], std::make_pair(sceneAt(static_cast<float>(at)), static_cast<float>(at)));
        ASSERT_DOUBLE_EQ(h.log.sceneClocks[i++], at);
    }
    EXPECT_EQ(i, 7470u - 4 * 7);
    ASSERT_EQ(h.log.ownRenders(), std::vector<size_t>{i});
    EXPECT_EQ(h.log.renders[i], std::make_pair(static_cast<int>(kEndSlot), 124.5f));
    EXPECT_DOUBLE_EQ(h.log.sceneClocks[i], 124.5);
    EXPECT_EQ(h.window.presented, 1);
}

TEST(Window, SdlEventsBecomeTheShowsKeysAndCloseAndNothingElse) {
    auto translate = [](const SDL_Event& sdl, WindowEvent* event) { return windowEventFromSdl(sdl, event); };
    WindowEvent event;
    SDL_Event sdl{};
    for (const Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_TEXTINPUT}) {
        sdl.type = type;
        EXPECT_FALSE(translate(sdl, &event)) << type;
    }
    const std::pair<SDL_Keycode, ShowKey> keys[] = {
        {SDLK_ESCAPE, ShowKey::Escape}, {SDLK_F12, ShowKey::F12},        {SDLK_SPACE, ShowKey::Space},
        {SDLK_LEFT, ShowKey::Left},     {SDLK_RIGHT, ShowKey::Right},    {SDLK_UP, ShowKey::Up},
        {SDLK_DOWN, ShowKey::Down},     {SDLK_PAGEUP, ShowKey::PageUp},  {SDLK_PAGEDOWN, ShowKey::PageDown},
        {SDLK_HOME, ShowKey::Home},     {SDLK_PERIOD, ShowKey::Period},  {SDLK_COMMA, ShowKey::Comma},
    };
    for (const auto& [code, key] : keys) {
        sdl = SDL_Event{};
        sdl.type = SDL_KEYDOWN;
        sdl.key.keysym.sym = code;
        ASSERT_TRUE(translate(sdl, &event)) << code;
        EXPECT_EQ(event.type, WindowEvent::Type::Key);
        EXPECT_EQ(event.key, key);
        EXPECT_FALSE(event.repeat);
        sdl.key.repeat = 1;  // the key held down
        ASSERT_TRUE(translate(sdl, &event));
        EXPECT_TRUE(event.repeat);
        sdl.type = SDL_KEYUP;  // a release counts for nothing: the press already did
        EXPECT_FALSE(translate(sdl, &event)) << code;
    }
    sdl = SDL_Event{};
    sdl.type = SDL_KEYDOWN;
    for (const SDL_Keycode other : {SDLK_APPLICATION, SDLK_a, SDLK_F11, SDLK_END}) {
        sdl.key.keysym.sym = other;
        EXPECT_FALSE(translate(sdl, &event)) << other;
    }

    sdl = SDL_Event{};
    sdl.type = SDL_WINDOWEVENT;
    sdl.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_TRUE(translate(sdl, &event));
    EXPECT_EQ(event.type, WindowEvent::Type::Close);
    for (const Uint8 kind : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_MOVED,
                             SDL_WINDOWEVENT_ENTER, SDL_WINDOWEVENT_SIZE_CHANGED}) {
        sdl.window.event = kind;
        EXPECT_FALSE(translate(sdl, &event)) << int(kind);
    }
    sdl = SDL_Event{};
    sdl.type = SDL_QUIT;  // Ctrl-C at the terminal, or the last window closed
    ASSERT_TRUE(translate(sdl, &event));
    EXPECT_EQ(event.type, WindowEvent::Type::Close);
}
