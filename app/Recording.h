#pragma once
// `glowmotion --capture TARGET`: the show recorded offscreen, frame by frame
// at --fps over show time [--start-at, --end-at), with its music rendered
// sample for sample, into a video file (through ffmpeg) or a folder of PNG
// frames with audio.wav.
//
// Everything that can be checked is checked before the first frame: ffmpeg
// on PATH, the output writable, the size within the OpenGL context's limits.
// Progress goes to standard error (a live line on a terminal, a line every
// few seconds otherwise). SIGINT and SIGTERM end the recording cleanly with
// a complete file of what was done.
#include "app/Options.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Records as `options` say. Returns the exit status: 0 done, 1 failed,
// 2 the output already exists (no --overwrite), 128 + signal when stopped.
int recordShow(const Options& options);

// The progress report of a recording.
class RecordingProgress {
public:
    // `live`: redraw one line in place (standard error is a terminal).
    RecordingProgress(std::FILE* out, bool live);
    // Reports `done` of `total` frames when due (every quarter second live,
    // every five seconds otherwise).
    void update(int64_t done, int64_t total);
    // The show was run unseen up to the first frame's time `startAt`, which
    // took `seconds`: from now on the rate and the time elapsed count the
    // recording alone, and when the wait was noticeable (kNoticeable or
    // more) every line says what it went on.
    void prepared(double seconds, double startAt);
    // Ends the live line.
    void finish();

    static constexpr double kNoticeable = 0.25;

    // "frame 1234/7500, 98.2 fps, 0:12 elapsed, 1:04 left", then `note`
    // after a semicolon when there is one.
    static std::string text(int64_t done, int64_t total, double elapsedSeconds, const std::string& note = {});
    // "0.85 s running the show up to 120.000 s"
    static std::string preparedText(double seconds, double startAt);

private:
    static double now();

    std::FILE* out;
    bool live;
    double started;
    double lastShown;
    bool shown = false;
    std::string note;  // how the wait for the first frame went, when noticeable
};

// Stop requests (SIGINT, SIGTERM): installed for the length of a recording.
// The first signal is noted; a second one ends the program at once.
void installStopSignals();
void removeStopSignals();
// The signal that asked to stop, or 0.
int stopSignal();
