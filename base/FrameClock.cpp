#include "base/FrameClock.h"

#include <cmath>
#include <ctime>
#include <utility>

namespace {
constexpr int64_t kTicksPerSecond = 1000000000;
int64_t toTicks(double seconds) { return std::llround(seconds * static_cast<double>(kTicksPerSecond)); }
}  // namespace

int64_t FrameClock::monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec;
}

FrameClock::FrameClock(TickSource tickSource) : source(std::move(tickSource)) {}

void FrameClock::runLive() { fps = 0; }

void FrameClock::runFixedStep(int framesPerSecond) { fps = framesPerSecond; }

void FrameClock::start(double startAt) {
    frame = 0;
    origin = fps == 0 ? source() : 0;
    startTicks = toTicks(startAt);
    shiftTicks = 0;
    paused = false;
}

void FrameClock::step() {
    if (fps != 0) ++frame;
}

int64_t FrameClock::sinceStart() const {
    if (fps != 0) return toTicks(static_cast<double>(frame) / fps);
    return source() - origin;
}

int64_t FrameClock::elapsedTicks() const { return (paused ? pausedAt : sinceStart()) + shiftTicks; }

int64_t FrameClock::ticks() const { return startTicks + elapsedTicks(); }

double FrameClock::seconds() const { return static_cast<double>(ticks()) / static_cast<double>(kTicksPerSecond); }

double FrameClock::runningSeconds() const {
    return static_cast<double>(sinceStart()) / static_cast<double>(kTicksPerSecond);
}

void FrameClock::pause(bool hold) {
    if (hold == paused) return;
    if (hold) pausedAt = sinceStart();
    else shiftTicks -= sinceStart() - pausedAt;
    paused = hold;
}

void FrameClock::shift(double seconds) { shiftTicks += toTicks(seconds); }
