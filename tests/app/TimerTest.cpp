// The show clock: monotonic, restartable, drivable, and movable to a start position.
#include "base/Timer.h"

#include <gtest/gtest.h>

namespace {
struct DrivenClock {
    ~DrivenClock() {
        Timer::releaseDrivenTime();
        Timer::setStartPosition(0.0);
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
