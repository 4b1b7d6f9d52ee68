// The driver's loop: timeline, end of show, keys, frame-rate title, window
// messages and the order in which scenes are loaded, started and destroyed.
#include "FakeWindow.h"
#include "RecordingScene.h"

#include "app/Demo.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Harness {
    SceneLog log;
    FakeWindow* window = nullptr;
    std::unique_ptr<Demo> demo;

    explicit Harness(std::vector<double> times, double startAt = 0.0,
                     double endAt = std::numeric_limits<double>::infinity()) {
        auto fake = std::make_unique<FakeWindow>();
        fake->times = std::move(times);
        window = fake.get();
        DemoSetup setup;
        setup.window = std::move(fake);
        setup.audio = makeSilentAudioOutput();
        setup.scenes = [this] { return recordingScenes(&log); };
        setup.musicPath = "/nonexistent/km_groov.it";
        setup.startAt = startAt;
        setup.endAt = endAt;
        demo = std::make_unique<Demo>("Glowmotion", 800, 600, 32, true, std::move(setup));
        demo->loadAll();
    }
    ~Harness() {
        Timer::releaseDrivenTime();
        Timer::setStartPosition(0.0);
    }

    // Slot drawn in each presented frame, -1 where nothing drew.
    std::vector<int> drawnPerFrame() const {
        std::vector<int> drawn(window->presented, -1);
        size_t r = 0;
        for (int frame = 0; frame < window->presented && r < log.renders.size(); ++frame) {
            const float t = static_cast<float>(window->times[std::min<size_t>(frame, window->times.size() - 1)]);
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
    EXPECT_EQ(h.demo->run(), 0);
    // The frame at 125.01 is presented and counted; then the loop ends.
    EXPECT_EQ(h.window->presented, 11);
    EXPECT_EQ(h.demo->framesPresented(), 11);
    const std::vector<int> expected = {kTurntableSlot, -1, -1, -1, kCreditsSlot, -1, -1, kDanceFloorSlot, -1, -1, -1};
    EXPECT_EQ(h.drawnPerFrame(), expected);
    EXPECT_EQ(h.log.renders.size(), 3u);
}

TEST(Timeline, ShowTime125EndsNothing) {
    Harness h({125.0, 125.0, 125.0, 125.5});
    EXPECT_EQ(h.demo->run(), 0);
    EXPECT_EQ(h.window->presented, 4);
    EXPECT_TRUE(h.log.renders.empty());
}

TEST(Timeline, EndAtStopsBeforeDrawingPastIt) {
    Harness h({10.0, 10.5, 11.0, 11.5, 12.0}, 0.0, 11.0);
    EXPECT_EQ(h.demo->run(), 0);
    EXPECT_EQ(h.window->presented, 3);
    EXPECT_EQ(h.log.renders.size(), 3u);
}

TEST(Keys, EscapeEndsTheShowAfterDrawingTheFrameItIsSeenIn) {
    Harness h(framesAt60(1.0, 3.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 5) w.keyState->setKey(vk::Escape, true);
    };
    EXPECT_EQ(h.demo->run(), 0);
    // Frame 5 sees Escape and is still drawn; frame 6's pass takes the quit message.
    EXPECT_EQ(h.window->presented, 6);
    EXPECT_EQ(h.log.renders.size(), 6u);
}

TEST(Keys, OnlyEscapeActsWhenF12IsDownToo) {
    Harness h(framesAt60(1.0, 3.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 2) {
            w.keyState->setKey(vk::Escape, true);
            w.keyState->setKey(vk::F12, true);
        }
    };
    EXPECT_EQ(h.demo->run(), 0);
    EXPECT_EQ(h.window->presented, 3);
    EXPECT_STREQ(h.window->title, "Glowmotion");
    EXPECT_EQ(h.window->keyState->keys[vk::F12], 1);  // untouched
}

TEST(Keys, FrameThatTakesAMessageChecksNoKeysButIsDrawn) {
    Harness h(framesAt60(1.0, 1.2));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        w.keyState->setKey(vk::Escape, true);
        // A message every pass until frame 8: Escape stays unseen until then.
        if (frame < 8) w.release('A');
    };
    EXPECT_EQ(h.demo->run(), 0);
    EXPECT_EQ(h.window->presented, 9);
    EXPECT_EQ(h.log.renders.size(), 9u);
}

TEST(Keys, ATapWhosePressAndReleaseArriveTogetherIsNotLost) {
    // Press and release wait in the queue behind a slow frame: the two
    // passes that take them poll no keys, and the key is up again by the
    // pass that does. The press is remembered until then.
    Harness h(framesAt60(1.0, 3.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 3) {
            w.press(vk::F12);
            w.release(vk::F12);
        }
        if (frame == 10) {
            w.press(vk::Escape);
            w.release(vk::Escape);
        }
    };
    EXPECT_EQ(h.demo->run(), 0);
    // Frames 3 and 4 take the F12 messages, frame 5 toggles the title once.
    EXPECT_EQ(h.window->titleAtFrame[4], "Glowmotion");
    EXPECT_EQ(h.window->titleAtFrame[5], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(h.window->titleAtFrame[9], "! Glowmotion  .:[fps ...]:.");
    // Frames 10 and 11 take the Escape messages, frame 12 sees the press,
    // frame 13's pass takes the quit message.
    EXPECT_EQ(h.window->presented, 13);
}

TEST(Keys, KeyMessagesFillTheTableAndAutoRepeatStoresOneAgain) {
    FakeWindow w;
    w.dispatchMessage({WindowMessage::Type::KeyDown, 'A', 0, 0});
    w.dispatchMessage({WindowMessage::Type::KeyDown, 'A', 0, 0});
    EXPECT_EQ(w.keyState->keys['A'], 1);
    w.dispatchMessage({WindowMessage::Type::KeyUp, 'A', 0, 0});
    EXPECT_EQ(w.keyState->keys['A'], 0);
    w.dispatchMessage({WindowMessage::Type::KeyDown, 300, 0, 0});  // out of range: ignored
    for (int k = 0; k < 256; ++k) EXPECT_EQ(w.keyState->keys[k], 0) << k;
}

TEST(FrameRateTitle, ExactTexts) {
    EXPECT_EQ(frameRateTitle("Glowmotion", -1), "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(frameRateTitle("Glowmotion", 60), "! Glowmotion  .:[fps  60 ]:.");
    EXPECT_EQ(frameRateTitle("Glowmotion", 0), "! Glowmotion  .:[fps  0 ]:.");
}

TEST(FrameRateTitle, F12AtTwoAndAHalfSecondsShowsTheRateFromFourSeconds) {
    Harness h(framesAt60(2.5, 6.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(vk::F12);   // taken as a message in pass 0; seen in pass 1
        if (frame == 30) w.press(vk::F12);  // at 3.0 s: off again ...
        if (frame == 60) w.press(vk::F12);  // ... and on at 3.5 s
    };
    h.demo->run();
    const auto& titles = h.window->titleAtFrame;
    ASSERT_GE(titles.size(), 200u);
    EXPECT_EQ(titles[0], "Glowmotion");
    EXPECT_EQ(titles[1], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(titles[29], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(titles[31], "Glowmotion");
    EXPECT_EQ(titles[61], "! Glowmotion  .:[fps ...]:.");
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
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(vk::F12);
    };
    h.demo->run();
    for (int k = 1; k < 240; ++k) EXPECT_EQ(h.window->titleAtFrame[k], "! Glowmotion  .:[fps ...]:.") << k;
    EXPECT_EQ(h.window->titleAtFrame[240], "! Glowmotion  .:[fps  60 ]:.");  // 240 frames by 4.0 s
    EXPECT_EQ(h.window->titleAtFrame[241], frameRateTitle("Glowmotion", 241 / 4));

    Harness hidden(framesAt60(3.9, 4.5));
    hidden.demo->run();
    for (const std::string& title : hidden.window->titleAtFrame) EXPECT_EQ(title, "Glowmotion");
}

TEST(FrameRateTitle, AfterStartAtTheRateCountsFromTheFirstFrame) {
    // Driven seconds since the clocks started; the show begins at 2.5.
    std::vector<double> times;
    for (int k = 0; k <= 120; ++k) times.push_back(k / 60.0);
    Harness h(times, 2.5);
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 0) w.press(vk::F12);
    };
    h.demo->run();
    EXPECT_EQ(h.window->titleAtFrame[89], "! Glowmotion  .:[fps ...]:.");  // show time 3.98
    // Show time 4.0 is 1.5 s after the first frame: whole second 1, 90 frames.
    EXPECT_EQ(h.window->titleAtFrame[90], "! Glowmotion  .:[fps  90 ]:.");
}

TEST(FrameRateTitle, HeldF12TogglesOnEveryRepeat) {
    Harness h(framesAt60(1.0, 1.2));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame % 2 == 0 && frame < 6) w.press(vk::F12);  // auto-repeat: down, down, down
    };
    h.demo->run();
    EXPECT_EQ(h.window->titleAtFrame[1], "! Glowmotion  .:[fps ...]:.");
    EXPECT_EQ(h.window->titleAtFrame[3], "Glowmotion");
    EXPECT_EQ(h.window->titleAtFrame[5], "! Glowmotion  .:[fps ...]:.");
}

TEST(Messages, CloseDestroysTheWindowAndEndsWithStatusZero) {
    Harness h(framesAt60(1.0, 1.5));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 3 && w.destroyed == 0) w.queue.push_back({WindowMessage::Type::Close, 0, 0, 0});
        // The real exit handler never returns; this one does, so end the loop.
        if (w.exitCode == 0) w.postQuitMessage(7);
    };
    h.demo->run();
    EXPECT_EQ(h.window->exitCode, 0);
    EXPECT_EQ(h.window->destroyed, 1);
}

TEST(Messages, SizeWithHeightZeroKeepsHeightOne) {
    FakeWindow w;
    w.dispatchMessage({WindowMessage::Type::Size, 0, 640, 0});
    EXPECT_EQ(w.width, 640);
    EXPECT_EQ(w.height, 1);
}

TEST(Messages, QuitMessageEndsTheLoopWithItsCode) {
    Harness h(framesAt60(1.0, 2.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame == 4) w.queue.push_back({WindowMessage::Type::Quit, 3, 0, 0});
    };
    EXPECT_EQ(h.demo->run(), 3);
    EXPECT_EQ(h.window->presented, 4);  // the pass that takes it draws nothing
}

TEST(Lifecycle, ScenesLoadStartAndDieInSlotOrder) {
    Harness h({1.0, 126.0});
    h.demo->run();
    EXPECT_EQ(h.window->presentedWhileLoading, 1);
    h.demo->close();  // frees the window: h.window dangles from here on
    EXPECT_EQ(h.demo->window, nullptr);
    h.demo.reset();
    const std::vector<std::string> expected = {
        "load 0", "load 1", "load 2", "load 3", "load 4", "start 0", "start 1", "start 2", "start 3", "start 4",
        "destroy 0", "destroy 1", "destroy 2", "destroy 3", "destroy 4"};
    EXPECT_EQ(h.log.events, expected);
}

TEST(Lifecycle, FailedShowStartsNothing) {
    Harness h({1.0});
    h.window->showResult = false;
    EXPECT_EQ(h.demo->run(), 1);
    EXPECT_EQ(h.window->presented, 0);
    for (const std::string& event : h.log.events) EXPECT_EQ(event.rfind("start", 0), std::string::npos);
}

TEST(Lifecycle, StartAtMovesEveryClock) {
    // Driven seconds since the clocks started; the show begins at 124.5.
    Harness h({0.0, 0.5}, 124.5, 124.9);
    h.demo->run();
    ASSERT_EQ(h.log.renders.size(), 1u);
    EXPECT_EQ(h.log.renders[0].second, 124.5f);
    EXPECT_EQ(h.log.renders[0].first, kEndSlot);
    EXPECT_EQ(h.window->presented, 1);
    Timer scene;
    scene.start();
    EXPECT_DOUBLE_EQ(scene.seconds(), 124.5);
}

TEST(Keys, SdlKeysMapToWin32VirtualKeyCodes) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F1), 112);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 'A');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_z), 'Z');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_0), '0');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_9), '9');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT), 37);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_5), 101);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_APPLICATION), 0);  // no code: never reaches the table
}

TEST(Input, AThousandUnmappedEventsThenEscapeEndsTheShowOnTheNextPass) {
    // Escape pressed behind a flood of mouse motion, and pressed alone: the
    // show ends after the same two frames either way.
    for (const int flood : {1000, 0}) {
        SCOPED_TRACE(flood);
        Harness h(framesAt60(1.0, 30.0));
        h.window->beforeFrame = [flood](FakeWindow& w, int frame) {
            if (frame == 0) {
                w.unmapped(flood);
                w.press(vk::Escape);
            }
        };
        EXPECT_EQ(h.demo->run(), 0);
        // Pass 0 takes the key-down; pass 1 sees Escape down and posts the
        // quit; pass 2 takes it.
        EXPECT_EQ(h.window->presented, 2);
        EXPECT_TRUE(h.window->queue.empty());
    }
}

TEST(Input, APassWhoseEventsAreAllUnmappedStillPollsTheKeys) {
    Harness h(framesAt60(1.0, 30.0));
    h.window->beforeFrame = [](FakeWindow& w, int) {
        w.keyState->setKey(vk::Escape, true);
        w.unmapped(500);  // every pass, as a moving mouse would
    };
    EXPECT_EQ(h.demo->run(), 0);
    EXPECT_EQ(h.window->presented, 1);  // frame 0 sees Escape, pass 1 takes the quit
}

TEST(Input, RealMessagesStillCountOnePerPass) {
    Harness h(framesAt60(1.0, 30.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        if (frame != 0) return;
        w.unmapped(3);
        w.press('A');
        w.unmapped(3);
        w.release('A');
        w.unmapped(3);
        w.press(vk::Escape);
        w.unmapped(3);
    };
    EXPECT_EQ(h.demo->run(), 0);
    // Passes 0, 1 and 2 take A down, A up and Escape down; pass 3 posts the
    // quit; pass 4 takes it.
    EXPECT_EQ(h.window->presented, 4);
    EXPECT_EQ(h.window->keyState->keys['A'], 0);
}

TEST(Input, AnEndlessFloodStillLetsEveryPassEnd) {
    Harness h(framesAt60(1.0, 30.0));
    h.window->beforeFrame = [](FakeWindow& w, int frame) {
        w.keyState->setKey(vk::Escape, true);
        if (frame == 0) w.unmapped(GLWindow::kMaxSkippedEvents + 10);
    };
    EXPECT_EQ(h.demo->run(), 0);
    // Pass 0 stops after the most it consumes and counts as a message pass;
    // pass 1 consumes the rest and sees Escape; pass 2 takes the quit.
    EXPECT_EQ(h.window->presented, 2);
}

TEST(Input, SdlEventsTheDriverDoesNotActOnAreOther) {
    auto message = [](SDL_Event event) { return windowMessageFromSdl(event, nullptr); };
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    EXPECT_EQ(message(event).type, WindowMessage::Type::Other);
    event.type = SDL_MOUSEBUTTONDOWN;
    EXPECT_EQ(message(event).type, WindowMessage::Type::Other);
    event.type = SDL_TEXTINPUT;
    EXPECT_EQ(message(event).type, WindowMessage::Type::Other);

    event = SDL_Event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = SDLK_ESCAPE;
    EXPECT_EQ(message(event).type, WindowMessage::Type::KeyDown);
    EXPECT_EQ(message(event).wParam, vk::Escape);
    event.type = SDL_KEYUP;
    event.key.keysym.sym = SDLK_F12;
    EXPECT_EQ(message(event).type, WindowMessage::Type::KeyUp);
    EXPECT_EQ(message(event).wParam, vk::F12);
    event.key.keysym.sym = SDLK_APPLICATION;  // no virtual-key code
    EXPECT_EQ(message(event).type, WindowMessage::Type::Other);

    event = SDL_Event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_EQ(message(event).type, WindowMessage::Type::Close);
    for (const Uint8 kind : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_MOVED,
                             SDL_WINDOWEVENT_ENTER}) {
        event.window.event = kind;
        EXPECT_EQ(message(event).type, WindowMessage::Type::Other) << int(kind);
    }
    event = SDL_Event{};
    event.type = SDL_QUIT;
    EXPECT_EQ(message(event).type, WindowMessage::Type::Quit);
    EXPECT_EQ(message(event).wParam, 0);
}
