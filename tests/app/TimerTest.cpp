// The show clock: monotonic, restartable, drivable, and movable to a start position.
#include "base/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {
struct DrivenClock {
    ~DrivenClock() {
        Timer::releaseDrivenTime();
        Timer::setStartPosition(0.0);
        Timer::resetControls();
    }
};
}  // namespace

TEST(Timer, MonotonicReadingsStartNearZeroAndNeverDecrease) {
    Timer timer;
    timer.start();
    double previous = timer.seconds();
    EXPECT_GE(previous, 0.0);
    EXPECT_LT(previous, 1.0);
    for (int i = 0; i < 1000; ++i) {
        const double now = timer.seconds();
        EXPECT_GE(now, previous);
        previous = now;
    }
}

TEST(Timer, DrivenTimeIsReadExactlyAndStartSetsTheClockBack) {
    DrivenClock guard;
    Timer::setDrivenTime(10.0);
    Timer timer;
    timer.start();
    EXPECT_EQ(timer.seconds(), 0.0);
    Timer::setDrivenTime(130.0);
    EXPECT_EQ(timer.seconds(), 120.0);
    // Frame k at 10 fps from 0 lands exactly on k/10 as the loop's float sees it.
    Timer::setDrivenTime(10.0 + 50 / 10.0);
    EXPECT_EQ(static_cast<float>(timer.seconds()), 5.0f);
    Timer::setDrivenTime(10.0 + 191 / 10.0);
    EXPECT_EQ(static_cast<float>(timer.seconds()), 19.1f);
    timer.start();
    EXPECT_EQ(timer.seconds(), 0.0);
    EXPECT_TRUE(Timer::isDriven());
    Timer::releaseDrivenTime();
    EXPECT_FALSE(Timer::isDriven());
}

TEST(Timer, StartPositionAppliesToTimersStartedAfterwards) {
    DrivenClock guard;
    Timer::setDrivenTime(0.0);
    Timer before;
    before.start();
    Timer::setStartPosition(36.1);
    Timer after;
    after.start();
    Timer::setDrivenTime(1.0);
    EXPECT_DOUBLE_EQ(before.seconds(), 1.0);
    EXPECT_DOUBLE_EQ(after.seconds(), 37.1);
    EXPECT_EQ(static_cast<float>(after.seconds() - 1.0), 36.1f);
}

TEST(Timer, PauseFreezesEveryFollowingTimerAndResumeGoesOnFromThere) {
    DrivenClock guard;
    Timer::setDrivenTime(0.0);
    Timer show, scene, loop(ClockControl::Ignore);
    show.start();
    Timer::setDrivenTime(2.0);
    scene.start();  // started later: reads 2 s less
    loop.start();
    Timer::setDrivenTime(10.0);
    Timer::pause(true);
    Timer::pause(true);  // already paused: the frozen moment stays 10
    Timer::setDrivenTime(50.0);
    EXPECT_TRUE(Timer::isPaused());
    EXPECT_EQ(show.seconds(), 10.0);
    EXPECT_EQ(scene.seconds(), 8.0);
    EXPECT_EQ(loop.seconds(), 48.0);  // the loop's own clock runs on
    Timer::pause(false);
    Timer::pause(false);
    EXPECT_EQ(show.seconds(), 10.0);  // on from where it stopped
    Timer::setDrivenTime(51.5);
    EXPECT_EQ(show.seconds(), 11.5);
    EXPECT_EQ(scene.seconds(), 9.5);
    // A Timer started after the pause counts from its own start as usual.
    Timer later;
    later.start();
    EXPECT_EQ(later.seconds(), 0.0);
}

TEST(Timer, ShiftMovesEveryFollowingTimerTheSameWhetherRunningOrPaused) {
    DrivenClock guard;
    Timer::setStartPosition(36.1);
    Timer::setDrivenTime(0.0);
    Timer show, scene, loop(ClockControl::Ignore);
    show.start();
    scene.start();
    loop.start();
    Timer::setDrivenTime(1.0);
    Timer::shift(-5.0);
    EXPECT_DOUBLE_EQ(show.seconds(), 32.1);
    EXPECT_DOUBLE_EQ(scene.seconds(), 32.1);
    EXPECT_EQ(loop.seconds(), 1.0);  // neither the start position nor shifts
    Timer::pause(true);
    Timer::shift(1.0 / 60.0);
    Timer::setDrivenTime(3.0);
    EXPECT_NEAR(show.seconds(), 32.1 + 1.0 / 60.0, 1e-9);  // to the nanosecond tick
    Timer::pause(false);
    Timer::setDrivenTime(4.0);
    EXPECT_NEAR(scene.seconds(), 33.1 + 1.0 / 60.0, 1e-9);
    // Seeking to an exact show time lands there to the tick.
    Timer::shift(19.1 - show.seconds());
    EXPECT_EQ(static_cast<float>(show.seconds()), 19.1f);
    Timer::resetControls();
    EXPECT_DOUBLE_EQ(show.seconds(), 40.1);
    EXPECT_FALSE(Timer::isPaused());
}

TEST(Timer, PauseHoldsTheMonotonicClockAndTheTimeSpentPausedIsNotCounted) {
    DrivenClock guard;
    Timer show, loop(ClockControl::Ignore);
    show.start();
    loop.start();
    Timer::pause(true);
    const double frozen = show.seconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(show.seconds(), frozen);
    const double beforeResume = loop.seconds();
    Timer::pause(false);
    const double resumed = show.seconds();
    const double afterResume = loop.seconds();
    EXPECT_GE(resumed, frozen);
    EXPECT_LE(resumed - frozen, afterResume - beforeResume);  // not the 20 ms spent paused
    Timer::shift(-100.0);
    EXPECT_LT(show.seconds(), resumed - 99.0);
    EXPECT_GE(loop.seconds(), afterResume);
}
