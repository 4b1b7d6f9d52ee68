#pragma once
// The show's command line. No arguments: the show as it always runs.
#include "app/CaptureTarget.h"
#include "base/CommandLine.h"

#include <optional>
#include <string>

struct Options {
    bool windowed = false;      // --windowed: a captioned, resizable 800×600 window
    bool vsync = true;          // --no-vsync turns it off
    bool exclusive = false;     // --exclusive: a real 800×600 mode change
    double startAt = 0.0;       // --start-at SECONDS, 0 up to the show's end (excluded)
    std::optional<double> endAt;             // --end-at SECONDS, --start-at up to the show's end
    std::optional<std::string> capture;      // --capture DIR or --capture FILE.mp4|.mkv|.webm|.mov
    CaptureTarget captureTarget;             // what --capture names: a folder or a video
    int fps = 60;               // --fps N (capture only)
    int width = 800;            // --size WxH (capture only): the frames' size in pixels
    int height = 600;
    std::optional<int> crf;     // --crf N (video capture only): the codec's quality, lower is better
    bool overwrite = false;     // --overwrite: capture over the frames in DIR, or over FILE
    std::optional<std::string> dataDir;      // --data DIR, an existing folder
    bool controls = false;      // --controls: keys to pause, seek and jump (not with --capture)
};

// Allowed ranges of the numeric options.
constexpr int kMinFps = 1;
constexpr int kMaxFps = 240;
constexpr int kLargestSide = 32768;  // --size; the OpenGL context may allow less

// What the command line asks for.
struct ParsedOptions {
    std::optional<Options> options;  // the show to run; empty when the program stops at once
    CommandLineOutcome outcome;      // status 0 after --help/--version, 2 after a mistake, with the texts
};

// Parses argv (nothing is printed).
ParsedOptions parseOptions(int argc, const char* const* argv);
