#pragma once
// The show's command line. No arguments: the show as it always runs.
#include "base/CommandLine.h"

#include <optional>
#include <string>

struct Options {
    bool windowed = false;      // --windowed: a captioned, resizable 800×600 window
    bool vsync = true;          // --no-vsync turns it off
    bool exclusive = false;     // --exclusive: a real 800×600 mode change
    double startAt = 0.0;       // --start-at SECONDS, 0 up to the show's end (excluded)
    std::optional<double> endAt;             // --end-at SECONDS
    std::optional<std::string> captureDir;   // --capture DIR
    int fps = 60;               // --fps N (capture only)
    bool overwrite = false;     // --overwrite: capture over the frames already in DIR
    std::optional<std::string> dataDir;      // --data DIR, an existing folder
};

// Allowed ranges of the numeric options.
constexpr int kMinFps = 1;
constexpr int kMaxFps = 240;
constexpr double kLatestEnd = 3600.0;

// What the command line asks for.
struct ParsedOptions {
    std::optional<Options> options;  // the show to run; empty when the program stops at once
    CommandLineOutcome outcome;      // status 0 after --help/--version, 2 after a mistake, with the texts
};

// Parses argv (nothing is printed).
ParsedOptions parseOptions(int argc, const char* const* argv);
