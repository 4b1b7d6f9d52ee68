#include "base/Timer.h"

#include <cmath>
#include <ctime>

namespace {
constexpr int64_t kTicksPerSecond = 1000000000;

struct ClockState {
    bool driven = false;
    int64_t drivenCount = 0;
    int64_t startPositionTicks = 0;
    // Watching controls: what is added to the source for following Timers,
    // and while paused the source reading at the moment of pausing.
    int64_t shiftTicks = 0;
    bool paused = false;
    int64_t pausedAt = 0;
};

ClockState& clockState() {
    static ClockState state;
    return state;
}

int64_t toTicks(double seconds) { return std::llround(seconds * static_cast<double>(kTicksPerSecond)); }
}  // namespace

Timer::Timer(ClockControl control)
    : frequency(kTicksPerSecond), followsControls(control == ClockControl::Follow) {}

int64_t Timer::sourceCount() {
    const ClockState& state = clockState();
    if (state.driven) return state.drivenCount;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec;
}

int64_t Timer::counter() const {
    if (!followsControls) return sourceCount();
    const ClockState& state = clockState();
    return (state.paused ? state.pausedAt : sourceCount()) + state.shiftTicks;
}

void Timer::start() {
    startCount = counter() - (followsControls ? clockState().startPositionTicks : 0);
}

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

void Timer::pause(bool paused) {
    ClockState& state = clockState();
    if (paused == state.paused) return;
    if (paused) {
        state.pausedAt = sourceCount();
    } else {
        // The time that passed while paused is taken out of every reading.
        state.shiftTicks -= sourceCount() - state.pausedAt;
    }
    state.paused = paused;
}

bool Timer::isPaused() { return clockState().paused; }

void Timer::shift(double seconds) { clockState().shiftTicks += toTicks(seconds); }

void Timer::resetControls() {
    clockState().shiftTicks = 0;
    clockState().paused = false;
}
