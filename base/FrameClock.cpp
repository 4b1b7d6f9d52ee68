#include "base/FrameClock.h"

#include <cmath>
#include <ctime>
#include <utility>

namespace {
constexpr int64_t kTicksPerSecond = 1000000000;
}  // namespace

int64_t FrameClock::ticksOf(double seconds) { return std::llround(seconds * static_cast<double>(kTicksPerSecond)); }

int64_t FrameClock::frameTicks(int64_t frameIndex, int framesPerSecond) {
    return ticksOf(static_cast<double>(frameIndex) / framesPerSecond);
}

int64_t FrameClock::monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec;
}

FrameClock::FrameClock(TickSource tickSource) : source(std::move(tickSource)) {}

void FrameClock::runLive() { fps = 0; }

void FrameClock::runFixedStep(int framesPerSecond) { fps = framesPerSecond; }

void FrameClock::start(double startAt) {
    origin = fps == 0 ? source() : 0;
    startTicks = ticksOf(startAt);
    frame = firstFrame = 0;
    if (fps != 0) {
        const int64_t k = std::llround(startAt * fps);
        if (frameTicks(k, fps) == startTicks) frame = firstFrame = k;  // a frame of the whole show
    }
    shiftTicks = 0;
    paused = false;
    replaying = false;
}

void FrameClock::step() {
    if (fps != 0) ++frame;
}

int64_t FrameClock::sinceStart() const {
    if (fps == 0) return source() - origin;
    if (firstFrame != 0) return frameTicks(frame, fps) - startTicks;  // startTicks is frame firstFrame's
    return frameTicks(frame, fps);
}

int64_t FrameClock::elapsedTicks() const { return (paused ? pausedAt : sinceStart()) + shiftTicks; }

int64_t FrameClock::ticks() const { return replaying ? replayTicks : startTicks + elapsedTicks(); }

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

void FrameClock::shift(double seconds) { shiftTicks += ticksOf(seconds); }

void FrameClock::replayAt(int64_t showTicks) {
    replaying = true;
    replayTicks = showTicks;
}

void FrameClock::endReplay() { replaying = false; }
