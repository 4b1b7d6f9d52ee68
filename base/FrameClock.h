#pragma once
// The show's frame clock: the show time of the frame being made. The driver
// owns the one clock and sets how it runs; every scene reads it through a
// Timer of its own (base/Timer.h), so scene time is show time.
//
// Two kinds:
//   live        show time runs with the tick source (the monotonic clock);
//   fixed step  frame k shows start + k / fps; step() moves to the next one.
// Show time is counted in whole nanoseconds from the start position, so a
// frame's time is the same number however it is reached.
//
// Watching controls act on the clock, and so on every Timer: pause() holds
// the reading, shift() moves it (a seek, backwards too). runningSeconds()
// leaves both out: how long the clock has really run since start().
//
// One thread: the driver's.
#include <cstdint>
#include <functional>

class FrameClock {
public:
    // Nanoseconds, never decreasing.
    using TickSource = std::function<int64_t()>;
    static int64_t monotonicNanoseconds();

    explicit FrameClock(TickSource source = monotonicNanoseconds);

    void runLive();
    void runFixedStep(int framesPerSecond);
    // Show time `startAt` from now on: frame 0 at a fixed step; running and
    // unshifted.
    void start(double startAt);
    // Fixed step: on to the next frame. Live: nothing.
    void step();

    double seconds() const;
    int64_t ticks() const;         // show time in nanoseconds
    int64_t elapsedTicks() const;  // show time since start(), controls included
    double runningSeconds() const;

    // Holds (true) or lets go (false) the reading; the time held is left
    // out afterwards. Asking for the state in force changes nothing.
    void pause(bool hold);
    // Moves the reading by `seconds` (negative: back).
    void shift(double seconds);

private:
    int64_t sinceStart() const;  // before pause and shift

    TickSource source;
    int fps = 0;            // 0: live
    int64_t frame = 0;      // fixed step
    int64_t origin = 0;     // the tick source at start() (live)
    int64_t startTicks = 0;
    int64_t shiftTicks = 0;
    bool paused = false;
    int64_t pausedAt = 0;   // sinceStart() when paused
};
