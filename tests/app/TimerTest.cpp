// The show's frame clock and the scenes' timers on it: live and at a fixed
// step, the start position, pause and shift.
#include "base/FrameClock.h"
#include "base/Timer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// A live clock on a tick source the test sets, in seconds.
struct SetClock {
    int64_t now = 0;
    FrameClock clock{[this] { return now; }};
    void at(double seconds) { now = std::llround(seconds * 1e9); }
};
}  // namespace

TEST(FrameClock, LiveFromTheSystemClockAndAtAFixedStepExactlyStartPlusKOverFps) {
    FrameClock live;
    live.start(0.0);
    Timer timer(live);
    timer.start();
    double previous = timer.seconds();
    EXPECT_GE(previous, 0.0);
    EXPECT_LT(previous, 1.0);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_GE(timer.seconds(), previous);
        EXPECT_GE(live.seconds(), timer.seconds());  // started a little earlier
        previous = timer.seconds();
    }

    FrameClock clock([] { return int64_t{-1}; });  // never read at a fixed step
    clock.runFixedStep(10);
    clock.start(0.0);
    Timer stepped(clock);
    stepped.start();
    EXPECT_EQ(stepped.seconds(), 0.0);
    for (int k = 0; k < 191; ++k) clock.step();
    EXPECT_EQ(static_cast<float>(stepped.seconds()), 19.1f);  // frame 191 lands on 19.1 as the loop's float sees it
    // From another start position: frame 678 at 30 fps from 43.9.
    clock.runFixedStep(30);
    clock.start(43.9);
    stepped.start();
    for (int k = 0; k < 678; ++k) clock.step();
    EXPECT_EQ(stepped.seconds(), 66.5);
    EXPECT_EQ(clock.runningSeconds(), 678 / 30.0);
}

TEST(FrameClock, EveryTimerCountsFromItsStartAndPausesAndShiftsWithTheClock) {
    SetClock set;
    set.clock.start(36.1);
    Timer show(set.clock), scene(set.clock);
    show.start();
    set.at(2.0);
    scene.start();  // started 2 s later: reads 2 s less
    set.at(3.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 39.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 37.1);

    set.at(10.0);
    set.clock.pause(true);
    set.at(20.0);
    set.clock.pause(true);  // already paused: the held moment stays
    set.at(50.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 46.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 44.1);
    EXPECT_EQ(set.clock.runningSeconds(), 50.0);  // the clock's own time runs on
    set.clock.pause(false);
    set.clock.pause(false);
    set.at(51.5);
    EXPECT_DOUBLE_EQ(show.seconds(), 47.6);  // on from where it stopped

    set.clock.shift(-5.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 42.6);
    EXPECT_DOUBLE_EQ(scene.seconds(), 40.6);
    set.clock.pause(true);
    set.clock.shift(1.0 / 60.0);  // paused too
    set.at(53.0);
    EXPECT_NEAR(show.seconds(), 42.6 + 1.0 / 60.0, 1e-9);
    set.clock.pause(false);
    set.clock.shift(19.1 - show.seconds());  // a seek lands on the show time to the tick
    EXPECT_EQ(static_cast<float>(show.seconds()), 19.1f);
    // A new start is running and unshifted again.
    set.clock.start(0.0);
    show.start();
    set.at(54.5);
    EXPECT_DOUBLE_EQ(show.seconds(), 1.5);
}
