// The driver's loop on a scripted window: the timeline, the end of the show,
// Escape, F12 and closing, the frame-rate title, the order in which scenes
// are loaded, started and destroyed, and the start at a later moment.
#include "common/FakeWindow.h"
#include "common/RecordingScene.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <limits>
#include <set>

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
        log.pass = &window.pass;
        demo = std::make_unique<Demo>(std::move(setup));
        demo->load(window);
    }
    ShowEnd play() { return demo->play(window); }
    // The slot drawn in each loop pass, -1 where nothing drew.
    std::vector<int> drawnPerPass() const {
        std::vector<int> drawn(static_cast<size_t>(window.presented), -1);
        for (size_t i = 0; i < log.renders.size(); ++i) drawn.at(static_cast<size_t>(log.passes[i])) = log.renders[i].first;
        return drawn;
    }
};

std::vector<double> framesAt60(double from, double to) {
    std::vector<double> times;
    for (int k = 0; from + k / 60.0 <= to; ++k) times.push_back(from + k / 60.0);
    return times;
}

const std::string kNoRateYet = "! Glowmotion  .:[fps ...]:.";

}  // namespace

TEST(Timeline, StrictBoundsLeaveGapsAndTheLoopEndsWithTheFramePastTheEnd) {
    const std::pair<float, int> cases[] = {
        {0.0f, kTurntableSlot}, {18.99f, kTurntableSlot}, {19.0f, -1}, {19.1f, -1}, {19.11f, kCreditsSlot},
        {35.99f, kCreditsSlot}, {36.0f, -1}, {36.1f, -1}, {36.11f, kStarTunnelSlot}, {43.79f, kStarTunnelSlot},
        {43.8f, -1}, {43.9f, -1}, {43.91f, kDanceFloorSlot}, {102.99f, kDanceFloorSlot}, {103.0f, -1},
        {103.1f, -1}, {103.11f, kEndSlot}, {124.89f, kEndSlot}, {124.9f, -1}, {125.0f, -1}, {125.01f, -1}};
    for (const auto& [t, slot] : cases) EXPECT_EQ(sceneAt(t), slot) << "t = " << t;

    Harness h({18.99, 19.0, 19.11, 43.8, 43.91, 124.9, 125.0, 125.01, 126.0});
    EXPECT_EQ(h.play(), ShowEnd::Finished);
    const std::vector<int> drawn = {kTurntableSlot, -1, kCreditsSlot, -1, kDanceFloorSlot, -1, -1, -1};
    EXPECT_EQ(h.drawnPerPass(), drawn);  // the frame at 125.01 is presented, then the loop ends

    Harness until({10.0, 10.5, 11.0, 11.5, 12.0}, 0.0, 11.0);  // an end time: nothing drawn past it
    EXPECT_EQ(until.play(), ShowEnd::Finished);
    EXPECT_EQ(until.window.presented, 3);
    EXPECT_EQ(until.log.renders.size(), 3u);
}

TEST(Keys, EscapeEndsAfterTheFrameItIsSeenInAndClosingEndsAtOnce) {
    struct Case { const char* name; std::vector<WindowEvent> events; ShowEnd end; int presented; const char* title; };
    const WindowEvent escape{WindowEvent::Type::Key, ShowKey::Escape, false};
    const WindowEvent f12{WindowEvent::Type::Key, ShowKey::F12, false};
    const Case cases[] = {
        {"Escape", {escape}, ShowEnd::Escape, 6, "Glowmotion"},
        {"F12 with Escape", {f12, escape}, ShowEnd::Escape, 6, "Glowmotion"},
        {"close", {{WindowEvent::Type::Close}}, ShowEnd::Closed, 5, "Glowmotion"},
        {"F12", {f12}, ShowEnd::Closed, 31, kNoRateYet.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(framesAt60(1.0, 1.5));
        h.window.beforeFrame = [&c](FakeWindow& w, int pass) {
            if (pass == 5) w.queue.insert(w.queue.end(), c.events.begin(), c.events.end());
        };
        EXPECT_EQ(h.play(), c.end);
        EXPECT_EQ(h.window.presented, c.presented);
        EXPECT_EQ(h.log.renders.size(), static_cast<size_t>(c.presented));
        EXPECT_EQ(h.window.title(), c.title);
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
    EXPECT_EQ(titles[29], kNoRateYet);
    EXPECT_EQ(titles[30], "Glowmotion");
    EXPECT_EQ(titles[59], "Glowmotion");
    EXPECT_EQ(titles[89], kNoRateYet);  // 3.98 s
    // From 4.0 s: the frames presented over the whole seconds since the loop began.
    EXPECT_EQ(titles[90], frameRateTitle("Glowmotion", 90 / 4));
    EXPECT_EQ(titles[149], frameRateTitle("Glowmotion", 149 / 4));
    EXPECT_EQ(titles[210], titles[149]);  // from 5.0 s the last text of the second stands

    Harness later(framesAt60(0.0, 2.0), 2.5);  // started at 2.5: the rate counts from the first frame
    later.window.beforeFrame = [](FakeWindow& w, int pass) {
        if (pass == 0) w.press(ShowKey::F12);
    };
    later.play();
    EXPECT_EQ(later.window.titleAtFrame[89], kNoRateYet);  // show time 3.98
    EXPECT_EQ(later.window.titleAtFrame[90], "! Glowmotion  .:[fps  90 ]:.");
}

TEST(Lifecycle, ScenesLoadStartAndDieInSlotOrderAndAStartRunsTheFramesBeforeItUnseen) {
    {
        Harness h({1.0, 126.0});
        h.play();
        EXPECT_EQ(h.window.presentedWhileLoading, 1);
        h.demo.reset();
        const std::vector<std::string> expected = {
            "load 0",  "load 1",  "load 2",  "load 3",  "load 4",    "start 0",   "start 1",  "start 2",
            "start 3", "start 4", "destroy 0", "destroy 1", "destroy 2", "destroy 3", "destroy 4"};
        EXPECT_EQ(h.log.events, expected);
    }
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
    EXPECT_EQ(i, 7470u - 4 * 7);
    ASSERT_EQ(h.log.ownRenders(), std::vector<size_t>{i});
    EXPECT_EQ(h.log.renders[i], std::make_pair(static_cast<int>(kEndSlot), 124.5f));
    EXPECT_DOUBLE_EQ(h.log.sceneClocks[i], 124.5);
}

TEST(Window, SdlKeyPressesAndClosingAreTheOnlyEventsTheShowSees) {
    WindowEvent event;
    auto key = [&](Uint32 type, SDL_Keycode code, Uint8 repeat) {
        SDL_Event sdl{};
        sdl.type = type, sdl.key.keysym.sym = code, sdl.key.repeat = repeat;
        return windowEventFromSdl(sdl, &event);
    };
    ASSERT_TRUE(key(SDL_KEYDOWN, SDLK_ESCAPE, 0));
    EXPECT_EQ(event.key, ShowKey::Escape);
    EXPECT_FALSE(event.repeat);
    ASSERT_TRUE(key(SDL_KEYDOWN, SDLK_F12, 1));  // held down: the keyboard repeats it
    EXPECT_EQ(event.key, ShowKey::F12);
    EXPECT_TRUE(event.repeat);
    // Each watching key is a key of its own; releases and other keys are nothing.
    std::set<ShowKey> keys;
    for (const SDL_Keycode code : {SDLK_SPACE, SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_PAGEUP, SDLK_PAGEDOWN,
                                   SDLK_HOME, SDLK_PERIOD, SDLK_COMMA}) {
        ASSERT_TRUE(key(SDL_KEYDOWN, code, 0)) << code;
        EXPECT_EQ(event.type, WindowEvent::Type::Key);
        keys.insert(event.key);
        EXPECT_FALSE(key(SDL_KEYUP, code, 0)) << code;
    }
    EXPECT_EQ(keys.size(), 10u);
    EXPECT_EQ(keys.count(ShowKey::Escape) + keys.count(ShowKey::F12), 0u);
    for (const SDL_Keycode other : {SDLK_APPLICATION, SDLK_a, SDLK_F11, SDLK_END}) EXPECT_FALSE(key(SDL_KEYDOWN, other, 0));
    SDL_Event sdl{};
    sdl.type = SDL_MOUSEMOTION;
    EXPECT_FALSE(windowEventFromSdl(sdl, &event));
    sdl.type = SDL_WINDOWEVENT;
    for (const Uint8 kind : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_FOCUS_GAINED}) {
        sdl.window.event = kind;
        EXPECT_FALSE(windowEventFromSdl(sdl, &event)) << int(kind);
    }
    for (const Uint32 type : {Uint32(SDL_WINDOWEVENT), Uint32(SDL_QUIT)}) {  // the close box, or Ctrl-C at the terminal
        sdl.type = type, sdl.window.event = SDL_WINDOWEVENT_CLOSE;
        ASSERT_TRUE(windowEventFromSdl(sdl, &event));
        EXPECT_EQ(event.type, WindowEvent::Type::Close);
    }
}
