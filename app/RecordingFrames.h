#pragma once
// Which frames and samples a recording holds. A recording covers show time
// [start, end): frame k shows start + k/fps, for every k whose time is below
// the end, so a recording ending at 60 and one starting at 60 join without a
// repeated frame. Its music is mixed at kRecordingMixRate, and frame k holds
// samples [first(k), first(k+1)) of it.
#include "app/Song.h"

#include <cmath>
#include <cstdint>

// Which show times a recording covers.
struct CaptureTiming {
    double startAt = 0.0;  // show time of frame 0
    double endAt = 125.0;  // first show time not recorded
    int fps = 60;
};

// Number of frames k >= 0 with start + k/fps < end (times compared in
// nanoseconds, so 43.9 + 678/30 is exactly 66.5 and not below it).
inline int64_t recordingFrameCount(const CaptureTiming& timing) {
    constexpr int64_t kNanoseconds = 1000000000;
    if (timing.fps <= 0) return 0;
    const int64_t span = std::llround(timing.endAt * 1e9) - std::llround(timing.startAt * 1e9);
    if (span <= 0) return 0;
    // k * 1e9 / fps < span  <=>  k < span * fps / 1e9
    return (span * timing.fps + kNanoseconds - 1) / kNanoseconds;
}

// First sample of frame k, counted from the recording's first sample:
// floor(k * 48000 / fps).
inline int64_t frameFirstSample(int64_t frame, int fps) { return frame * kRecordingMixRate / fps; }

// Sample of the song at show time t: round(t * 48000).
inline int64_t songSampleAt(double showTime) { return std::llround(showTime * kRecordingMixRate); }
