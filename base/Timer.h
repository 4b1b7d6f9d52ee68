#pragma once
// The show's clock.
//
// A Timer counts seconds since its own start() from a process-wide tick
// counter (nanoseconds). Normally the counter is the monotonic clock; the one
// injection point, setDrivenTime(), replaces it for every Timer at once with
// a time that the caller sets (tests, offscreen capture). Only the main
// thread touches Timers and the driven time.
#include <cstdint>

class Timer {
public:
    Timer();
    // Sets this clock back to the start position (0 unless setStartPosition
    // moved it).
    void start();
    // Seconds since start(); never decreases while the counter does not.
    double seconds();

    // Drives every Timer from `secondsNow` instead of the monotonic clock.
    static void setDrivenTime(double secondsNow);
    // Back to the monotonic clock.
    static void releaseDrivenTime();
    static bool isDriven();

    // Every Timer started from now on reads `seconds` right after start():
    // the whole show begins at that position (--start-at). Default 0.
    static void setStartPosition(double seconds);

private:
    static int64_t counter();

    int64_t startCount = 0;  // counter value taken by start()
    int64_t frequency = 0;   // counter ticks per second
};
