#include "app/Options.h"

#include "base/Timeline.h"

#include <cstdio>

namespace {
std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}
}  // namespace

ParsedOptions parseOptions(int argc, const char* const* argv) {
    const std::string showEnd = numberText(kShowEnd);
    Options options;
    CLI::App app("Glowmotion: " + showEnd + " seconds of disco in OpenGL.");
    setUpCommandLine(app, "glowmotion");
    app.footer("With no options: the show, full-screen, with music.\n"
               "Keys: Escape ends the show, F12 shows the frame rate in the title.\n"
               "Exit status: 0 the show ended, 1 no display or the frames could not be written,\n"
               "2 a bad command line.");

    std::string captureDir, dataDir;
    double endAt = 0;
    bool noVsync = false;
    CLI::Option* windowed =
        app.add_flag("--windowed", options.windowed, "in an 800x600 window instead of full-screen");
    CLI::Option* exclusive =
        app.add_flag("--exclusive", options.exclusive, "full-screen by switching the display to 800x600");
    CLI::Option* vsyncOff = app.add_flag("--no-vsync", noVsync, "draw as fast as possible");
    app.add_option("--start-at", options.startAt,
                   "start the show (clocks and music) at that position, 0 to " + showEnd + " (" + showEnd +
                       " excluded)")
        ->type_name("SECONDS")
        ->check(numberIn(0.0, kShowEnd, "seconds", true));
    CLI::Option* endOption =
        app.add_option("--end-at", endAt, "stop after that show time, --start-at to " + numberText(kLatestEnd))
            ->type_name("SECONDS")
            ->check(numberIn(0.0, kLatestEnd, "seconds"));
    CLI::Option* capture =
        app.add_option("--capture", captureDir, "no window: render frames offscreen to DIR/NNNNNN.png")
            ->type_name("DIR")
            ->check(nonEmpty("folder name"));
    app.add_option("--fps", options.fps,
                   "frames per second of show time in capture, " + std::to_string(kMinFps) + " to " +
                       std::to_string(kMaxFps) + " (default 60)")
        ->type_name("N")
        ->check(integerIn(kMinFps, kMaxFps))
        ->needs(capture);
    app.add_flag("--overwrite", options.overwrite, "capture into a folder that already holds frames")
        ->needs(capture);
    CLI::Option* data = app.add_option("--data", dataDir, "read pictures, font and music from DIR, a folder")
                            ->type_name("DIR")
                            ->check(existingFolder());
    windowed->excludes(exclusive);
    capture->excludes(windowed)->excludes(exclusive)->excludes(vsyncOff);

    ParsedOptions parsed;
    parsed.outcome = readCommandLine(app, argc, argv);
    if (parsed.outcome.status >= 0) return parsed;

    options.vsync = !noVsync;
    if (capture->count() > 0) options.captureDir = captureDir;
    if (data->count() > 0) options.dataDir = dataDir;
    if (endOption->count() > 0) {
        if (endAt < options.startAt) {
            parsed.outcome.err = commandLineError(app, "--end-at: Value " + numberText(endAt) + " not in range " +
                                                           numberText(options.startAt) + " (--start-at) to " +
                                                           numberText(kLatestEnd) + " seconds");
            parsed.outcome.status = 2;
            return parsed;
        }
        options.endAt = endAt;
    }
    parsed.options = options;
    return parsed;
}
