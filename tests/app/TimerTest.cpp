// The show's frame clock and the scenes' timers on it: at a fixed step, the
// start position, pause and shift.
#include "base/FrameClock.h"
#include "base/Timer.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FrameClock, AFixedStepIsStartPlusKOverFpsAndEveryTimerCountsFromItsStartAndPausesAndShifts) {
    FrameClock fixed([] { return int64_t{-1}; });  // never read at a fixed step
    fixed.runFixedStep(30);                        // frame 678 at 30 fps from 43.9
    fixed.start(43.9);
    Timer stepped(fixed);
    stepped.start();
    for (int k = 0; k < 678; ++k) fixed.step();
    EXPECT_EQ(stepped.seconds(), 66.5);
    EXPECT_EQ(fixed.runningSeconds(), 678 / 30.0);

    int64_t now = 0;
    FrameClock clock([&now] { return now; });
    auto at = [&now](double seconds) { now = std::llround(seconds * 1e9); };
    clock.start(36.1);
    Timer show(clock), scene(clock);
    show.start();
    at(2.0);
    scene.start();  // started 2 s later: reads 2 s less
    at(10.0);
    clock.pause(true);
    at(20.0);
    clock.pause(true);  // already paused: the held moment stays
    at(50.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 46.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 44.1);
    EXPECT_EQ(clock.runningSeconds(), 50.0);  // the clock's own time runs on
    clock.pause(false);
    clock.pause(false);
    at(51.5);
    EXPECT_DOUBLE_EQ(show.seconds(), 47.6);  // on from where it stopped
    clock.shift(-5.0);
    EXPECT_DOUBLE_EQ(scene.seconds(), 40.6);
    clock.pause(true);
    clock.shift(1.0 / 60.0);  // paused too
    at(53.0);
    EXPECT_NEAR(show.seconds(), 42.6 + 1.0 / 60.0, 1e-9);
    clock.pause(false);
    clock.shift(19.1 - show.seconds());  // a seek lands on the show time to the tick
    EXPECT_EQ(static_cast<float>(show.seconds()), 19.1f);
    clock.start(0.0);  // a new start is running and unshifted again
    show.start();
    at(54.5);
    EXPECT_DOUBLE_EQ(show.seconds(), 1.5);
}
