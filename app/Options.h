#pragma once
// The show's command line. No arguments: the show as it always runs.
#include <optional>
#include <string>

struct Options {
    bool help = false;
    bool windowed = false;      // --windowed: a captioned, resizable 800×600 window
    bool vsync = true;          // --no-vsync turns it off
    bool exclusive = false;     // --exclusive: a real 800×600 mode change
    double startAt = 0.0;       // --start-at SECONDS
    std::optional<double> endAt;             // --end-at SECONDS
    std::optional<std::string> captureDir;   // --capture DIR
    int fps = 60;               // --fps N (capture only)
    std::optional<std::string> dataDir;      // --data DIR
};

// Parses argv. On a bad command line returns nullopt and sets *error.
std::optional<Options> parseOptions(int argc, const char* const* argv, std::string* error);

// The usage text, starting with "usage:".
const char* usageText();
