#pragma once
// A scene's clock: seconds of show time, read from the driver's frame clock
// (base/FrameClock.h). Made with the scene, started by the scene's start()
// right after the show clock starts; from then on it reads the show time
// (less the moment between the two starts, which a fixed-step clock does
// not have), paused, shifted and stepped with the show.
#include "base/FrameClock.h"

#include <cstdint>

class Timer {
public:
    explicit Timer(const FrameClock& frameClock) : clock(frameClock) {}
    void start() { zero = clock.elapsedTicks(); }
    double seconds() const { return static_cast<double>(clock.ticks() - zero) / 1e9; }

private:
    const FrameClock& clock;
    int64_t zero = 0;  // the clock's elapsed time at start()
};
