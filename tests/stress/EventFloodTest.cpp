// The real window under a flood (a private Xvfb): 10,000 events of every
// kind waiting in SDL's queue around the keys the show acts on. One look at
// the window hands over those keys, in order, and nothing else; the next
// finds a close waiting behind thousands of mouse moves.
#include "common/Xvfb.h"

#include "app/Demo.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }

TEST(EventFlood, TenThousandEventsOfEveryKindHoldUpNoKeyAndNoClose) {
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.running()) << "Xvfb did not start";
    GLWindow window;
    window.setVsync(false);
    ASSERT_TRUE(window.create("Glowmotion", 800, 600, 32, false));
    std::vector<WindowEvent> taken;
    window.takeEvents(taken);  // whatever the server said on its own
    taken.clear();

    const SDL_Keycode showKeys[] = {
        SDLK_F12,    SDLK_SPACE,    SDLK_LEFT, SDLK_RIGHT,  SDLK_UP,   SDLK_DOWN,
        SDLK_PAGEUP, SDLK_PAGEDOWN, SDLK_HOME, SDLK_PERIOD, SDLK_COMMA};  // never Escape, which ends the show
    const SDL_Keycode otherKeys[] = {SDLK_a, SDLK_RETURN, SDLK_F1, SDLK_END, SDLK_APPLICATION, SDLK_KP_5};
    const Uint32 types[] = {SDL_KEYDOWN, SDL_KEYDOWN, SDL_KEYUP, SDL_MOUSEBUTTONDOWN, SDL_WINDOWEVENT, SDL_MOUSEMOTION};
    std::mt19937 random(16);
    auto pick = [&](int min, int max) { return std::uniform_int_distribution<int>(min, max)(random); };
    std::vector<WindowEvent> expected;  // the show's keys pushed down
    for (int i = 0; i < 10000; ++i) {
        const int kind = pick(0, 5);
        SDL_Event event{types[kind]};
        if (kind <= 2) event.key.keysym.sym = kind == 1 ? otherKeys[pick(0, 5)] : showKeys[pick(0, 10)];
        if (kind == 0) event.key.repeat = static_cast<Uint8>(pick(0, 1));
        if (kind == 4) event.window.event = pick(0, 1) ? SDL_WINDOWEVENT_EXPOSED : SDL_WINDOWEVENT_FOCUS_GAINED;
        if (kind == 5) event.motion.x = pick(0, 799);
        if (kind == 0) expected.emplace_back(), windowEventFromSdl(event, &expected.back());
        push(event);
    }
    window.takeEvents(taken);
    ASSERT_EQ(taken.size(), expected.size());
    for (size_t i = 0; i < taken.size(); ++i)
        EXPECT_TRUE(taken[i].type == WindowEvent::Type::Key && taken[i].key == expected[i].key &&
                    taken[i].repeat == expected[i].repeat)
            << i;
    taken.clear();
    for (int i = 0; i < 5000; ++i) push(SDL_Event{SDL_MOUSEMOTION});
    SDL_Event close{SDL_WINDOWEVENT};
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    push(close);
    window.takeEvents(taken);  // nothing left from before, the close found behind the mouse
    EXPECT_TRUE(taken.size() == 1 && taken[0].type == WindowEvent::Type::Close);
    window.destroy();
}

}  // namespace
