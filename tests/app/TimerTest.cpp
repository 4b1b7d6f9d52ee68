// The show's frame clock and the scenes' timers on it: monotonic, fixed
// step, start position, pause and shift.
#include "base/FrameClock.h"
#include "base/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {
// A live clock on a tick source the test sets, in seconds.
struct SetClock {
    int64_t now = 0;
    FrameClock clock{[this] { return now; }};
    void at(double seconds) { now = std::llround(seconds * 1e9); }
};
}  // namespace

TEST(FrameClock, MonotonicReadingsStartNearTheStartAndNeverDecrease) {
    FrameClock clock;
    clock.start(0.0);
    Timer timer(clock);
    timer.start();
    double previous = timer.seconds();
    EXPECT_GE(previous, 0.0);
    EXPECT_LT(previous, 1.0);
    for (int i = 0; i < 1000; ++i) {
        const double now = timer.seconds();
        EXPECT_GE(now, previous);
        EXPECT_GE(clock.seconds(), now);  // started a little later
        previous = now;
    }
}

TEST(FrameClock, FixedStepFrameKIsExactlyStartPlusKOverFps) {
    FrameClock clock([] { return int64_t{-1}; });  // never read at a fixed step
    clock.runFixedStep(10);
    clock.start(0.0);
    Timer timer(clock);
    timer.start();
    EXPECT_EQ(timer.seconds(), 0.0);
    // Frame k at 10 fps from 0 lands exactly on k/10 as the loop's float sees it.
    for (int k = 0; k < 50; ++k) clock.step();
    EXPECT_EQ(static_cast<float>(timer.seconds()), 5.0f);
    for (int k = 50; k < 191; ++k) clock.step();
    EXPECT_EQ(static_cast<float>(timer.seconds()), 19.1f);
    EXPECT_EQ(clock.seconds(), timer.seconds());
    // From another start position: frame 678 at 30 fps from 43.9.
    clock.runFixedStep(30);
    clock.start(43.9);
    timer.start();
    for (int k = 0; k < 678; ++k) clock.step();
    EXPECT_EQ(timer.seconds(), 66.5);
    EXPECT_EQ(clock.runningSeconds(), 678 / 30.0);
}

TEST(FrameClock, TheStartPositionIsEveryTimersAndALaterTimerCountsFromItsOwnStart) {
    SetClock set;
    set.clock.start(36.1);
    Timer scene(set.clock), later(set.clock);
    scene.start();
    set.at(2.0);
    later.start();  // started 2 s later: reads 2 s less
    set.at(3.0);
    EXPECT_DOUBLE_EQ(set.clock.seconds(), 39.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 39.1);
    EXPECT_DOUBLE_EQ(later.seconds(), 37.1);
    EXPECT_EQ(static_cast<float>(scene.seconds() - 3.0), 36.1f);
    // Starting the clock again sets it back to the position given.
    set.clock.start(0.0);
    scene.start();
    set.at(4.5);
    EXPECT_DOUBLE_EQ(scene.seconds(), 1.5);
}

TEST(FrameClock, PauseHoldsEveryTimerAndResumeGoesOnFromThere) {
    SetClock set;
    set.clock.start(0.0);
    Timer show(set.clock), scene(set.clock);
    show.start();
    set.at(2.0);
    scene.start();
    set.at(10.0);
    set.clock.pause(true);
    set.clock.pause(true);  // already paused: the held moment stays 10
    set.at(50.0);
    EXPECT_EQ(show.seconds(), 10.0);
    EXPECT_EQ(scene.seconds(), 8.0);
    EXPECT_EQ(set.clock.runningSeconds(), 50.0);  // the clock's own time runs on
    set.clock.pause(false);
    set.clock.pause(false);
    EXPECT_EQ(show.seconds(), 10.0);  // on from where it stopped
    set.at(51.5);
    EXPECT_EQ(show.seconds(), 11.5);
    EXPECT_EQ(scene.seconds(), 9.5);
}

TEST(FrameClock, ShiftMovesEveryTimerTheSameWhetherRunningOrPaused) {
    SetClock set;
    set.clock.start(36.1);
    Timer show(set.clock), scene(set.clock);
    show.start();
    scene.start();
    set.at(1.0);
    set.clock.shift(-5.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 32.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 32.1);
    EXPECT_EQ(set.clock.runningSeconds(), 1.0);  // neither the start position nor shifts
    set.clock.pause(true);
    set.clock.shift(1.0 / 60.0);
    set.at(3.0);
    EXPECT_NEAR(show.seconds(), 32.1 + 1.0 / 60.0, 1e-9);  // to the nanosecond tick
    set.clock.pause(false);
    set.at(4.0);
    EXPECT_NEAR(scene.seconds(), 33.1 + 1.0 / 60.0, 1e-9);
    // Seeking to an exact show time lands there to the tick.
    set.clock.shift(19.1 - show.seconds());
    EXPECT_EQ(static_cast<float>(show.seconds()), 19.1f);
    // A new start is running and unshifted again.
    set.clock.start(36.1);
    show.start();
    set.at(8.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 40.1);
}

TEST(FrameClock, PauseHoldsTheMonotonicClockAndTheTimeSpentPausedIsNotCounted) {
    FrameClock clock;
    clock.start(0.0);
    Timer show(clock);
    show.start();
    clock.pause(true);
    const double frozen = show.seconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(show.seconds(), frozen);
    const double beforeResume = clock.runningSeconds();
    clock.pause(false);
    const double resumed = show.seconds();
    const double afterResume = clock.runningSeconds();
    EXPECT_GE(resumed, frozen);
    EXPECT_LE(resumed - frozen, afterResume - beforeResume);  // not the 20 ms spent paused
    EXPECT_GE(beforeResume - frozen, 0.019);
    clock.shift(-100.0);
    EXPECT_LT(show.seconds(), resumed - 99.0);
    EXPECT_GE(clock.runningSeconds(), afterResume);
}
