#pragma once
// The show's frame clock: the show time of the frame being made. The driver
// owns the one clock and sets how it runs; every scene reads it through a
// Timer of its own (base/Timer.h), so scene time is show time.
//
// Two kinds:
//   live        show time runs with the tick source (the monotonic clock);
//   fixed step  frame k of the show is k / fps seconds; step() moves to the
//               next one.
// Show time is counted in whole nanoseconds. A fixed-step clock started at
// a whole number of frames (k / fps) reads exactly what a clock started at
// 0 reads k frames later, so the frames of a part of the show are the very
// frames of the whole; from any other start, frame j reads start + j / fps.
//
// Replaying: while the driver runs frames nobody sees to bring the scenes
// to a place in the show, replayAt() sets the reading to each of those
// frames' show time, whatever the kind; endReplay() gives the reading back
// to the clock (the live one has run on meanwhile).
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
    // Show time of frame k at `fps` frames a second, in nanoseconds: what a
    // fixed-step clock reads there.
    static int64_t frameTicks(int64_t frame, int fps);
    // `seconds` in nanoseconds, as the clock counts them.
    static int64_t ticksOf(double seconds);

    explicit FrameClock(TickSource source = monotonicNanoseconds);

    void runLive();
    void runFixedStep(int framesPerSecond);
    // Show time `startAt` from now on: the first frame at a fixed step;
    // running, unshifted, not replaying.
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

    // The reading is `showTicks` until endReplay().
    void replayAt(int64_t showTicks);
    void endReplay();

private:
    int64_t sinceStart() const;  // before pause and shift

    TickSource source;
    int fps = 0;            // 0: live
    int64_t frame = 0;      // fixed step: the frame of the show being made
    int64_t firstFrame = 0; // fixed step: the frame start() began with
    int64_t origin = 0;     // the tick source at start() (live)
    int64_t startTicks = 0;
    int64_t shiftTicks = 0;
    bool paused = false;
    int64_t pausedAt = 0;   // sinceStart() when paused
    bool replaying = false;
    int64_t replayTicks = 0;
};
