#include "base/Timer.h"

#include <cmath>
#include <ctime>

namespace {
constexpr int64_t kTicksPerSecond = 1000000000;

struct ClockState {
    bool driven = false;
    int64_t drivenCount = 0;
    int64_t startPositionTicks = 0;
};

ClockState& clockState() {
    static ClockState state;
    return state;
}

int64_t toTicks(double seconds) { return std::llround(seconds * static_cast<double>(kTicksPerSecond)); }
}  // namespace

Timer::Timer() : frequency(kTicksPerSecond) {}

int64_t Timer::counter() {
    const ClockState& state = clockState();
    if (state.driven) return state.drivenCount;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec;
}

void Timer::start() { startCount = counter() - clockState().startPositionTicks; }

double Timer::seconds() {
    return static_cast<double>(counter() - startCount) / static_cast<double>(frequency);
}

void Timer::setDrivenTime(double secondsNow) {
    clockState().driven = true;
    clockState().drivenCount = toTicks(secondsNow);
}

void Timer::releaseDrivenTime() { clockState().driven = false; }
bool Timer::isDriven() { return clockState().driven; }

void Timer::setStartPosition(double seconds) { clockState().startPositionTicks = toTicks(seconds); }
