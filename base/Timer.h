#pragma once
// The show's clock.
//
// A Timer counts seconds since its own start() from a process-wide tick
// counter (nanoseconds). Normally the counter is the monotonic clock; the one
// injection point, setDrivenTime(), replaces it for every Timer at once with
// a time that the caller sets (tests, offscreen capture). Only the main
// thread touches Timers and the driven time.
//
// Watching controls act on the same counter, for every Timer at once:
// pause() freezes every reading and resume() lets them run on from where
// they stopped; shift() moves every reading by the same number of seconds
// (a seek). They apply alike to the monotonic clock and the driven time, so
// the show clock and every scene's clock stay together without the scenes
// knowing. A Timer made with ClockControl::Ignore reads the counter as it
// is (the time the frame loop has really run, for the frame rate).
#include <cstdint>

enum class ClockControl {
    Follow,  // paused and shifted with the show (every clock of the show)
    Ignore,  // never paused or shifted
};

class Timer {
public:
    explicit Timer(ClockControl control = ClockControl::Follow);
    // Sets this clock back to the start position (0 unless setStartPosition
    // moved it).
    void start();
    // Seconds since start(); never decreases while the counter does not
    // and no shift moves it back.
    double seconds();

    // Drives every Timer from `secondsNow` instead of the monotonic clock.
    static void setDrivenTime(double secondsNow);
    // Back to the monotonic clock.
    static void releaseDrivenTime();
    static bool isDriven();

    // Every Timer started from now on reads `seconds` right after start():
    // the whole show begins at that position (--start-at). Default 0.
    static void setStartPosition(double seconds);

    // Freezes (true) or resumes (false) every following Timer; calling it
    // with the state already in force changes nothing.
    static void pause(bool paused);
    static bool isPaused();
    // Moves every following Timer's reading by `seconds` (negative: back).
    static void shift(double seconds);
    // Running and unshifted again.
    static void resetControls();

private:
    int64_t counter() const;
    static int64_t sourceCount();  // the driven time, or the monotonic clock

    int64_t startCount = 0;  // counter value taken by start()
    int64_t frequency = 0;   // counter ticks per second
    bool followsControls = true;
};
