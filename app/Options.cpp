#include "app/Options.h"

#include "base/Timeline.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// "WxH", two whole numbers from 1 to kLargestSide.
bool readSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    auto side = [](const std::string& digits, int* value) {
        if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        *value = std::atoi(digits.c_str());
        return *value >= 1 && *value <= kLargestSide;
    };
    return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

// --fps: a whole number of frames per second; "10.5" is told so rather than
// that it lies outside the range.
CLI::Validator wholeFps() {
    const std::string range = std::to_string(kMinFps) + " to " + std::to_string(kMaxFps);
    const CLI::Validator inRange = integerIn(kMinFps, kMaxFps);
    return CLI::Validator(
        [range, inRange](std::string& text) -> std::string {
            const size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
            const bool whole = text.size() > sign && text.find_first_not_of("0123456789", sign) == std::string::npos;
            if (!whole) return "Value " + text + " must be a whole number from " + range;
            std::string copy = text;
            return inRange(copy);
        },
        "");
}

const std::string kSizeRange = "1x1 to " + std::to_string(kLargestSide) + "x" + std::to_string(kLargestSide);

CLI::Validator sizeCheck() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            int w = 0, h = 0;
            if (!readSize(text, &w, &h)) return "Value " + text + " not a size WIDTHxHEIGHT from " + kSizeRange;
            return {};
        },
        "");
}
}  // namespace

ParsedOptions parseOptions(int argc, const char* const* argv) {
    const std::string showEnd = numberText(kShowEnd);
    Options options;
    CLI::App app("Glowmotion: " + showEnd + " seconds of disco in OpenGL.");
    setUpCommandLine(app, "glowmotion");
    app.footer("With no options: the show, full-screen, with music.\n"
               "Keys: Escape ends the show, F12 shows the frame rate in the title.\n"
               "With --controls also: Space pause/resume, Left/Right 5 s back/on, Up/Down 1 s on/back,\n"
               "Page Up/Page Down previous/next scene or sequence, Home the start,\n"
               "'.'/',' one frame on/back while paused.\n"
               "Recording: --capture FILE.mp4 renders every frame of [--start-at, --end-at) at\n"
               "--fps and its music sample for sample; Ctrl-C stops it and keeps what was done.\n"
               "Exit status: 0 the show ended, 1 no display or the recording failed,\n"
               "2 a bad command line, 130 (143) a recording stopped by Ctrl-C (SIGTERM).");

    std::string captureName, dataDir, size;
    int crf = 0;
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
        app.add_option("--end-at", endAt, "stop after that show time, --start-at to " + showEnd + " (the show's end)")
            ->type_name("SECONDS")
            ->check(numberIn(0.0, kShowEnd, "seconds"));
    CLI::Option* capture =
        app.add_option("--capture", captureName,
                       "no window: record the show offscreen into a video (" + std::string(kVideoExtensions) +
                           ", with its music; needs ffmpeg), or into a folder: DIR/NNNNNN.png and DIR/audio.wav")
            ->type_name("FILE|DIR")
            ->check(nonEmpty("file or folder name"));
    app.add_option("--fps", options.fps,
                   "frames per second of show time in capture, a whole number from " + std::to_string(kMinFps) +
                       " to " + std::to_string(kMaxFps) + " (default 60)")
        ->type_name("N")
        ->check(wholeFps())
        ->needs(capture);
    CLI::Option* sizeOption =
        app.add_option("--size", size,
                       "size of the recorded frames, " + kSizeRange +
                           " (default 800x600; even sides for a video); another shape than 4:3 gets black bars")
            ->type_name("WxH")
            ->check(sizeCheck())
            ->needs(capture);
    CLI::Option* crfOption =
        app.add_option("--crf", crf,
                       "video quality, lower is better: H.264 (.mp4, .mkv, .mov) 0 to 51, default 18; "
                       "VP9 (.webm) 0 to 63, default 31")
            ->type_name("N")
            ->check(integerIn(0, 63))
            ->needs(capture);
    app.add_flag("--overwrite", options.overwrite, "capture into a folder that already holds frames, or over FILE")
        ->needs(capture);
    CLI::Option* data = app.add_option("--data", dataDir, "read pictures, font and music from DIR, a folder")
                            ->type_name("DIR")
                            ->check(existingFolder());
    CLI::Option* controls = app.add_flag(
        "--controls", options.controls, "keys to pause, seek and jump to scenes, the music following (listed below)");
    windowed->excludes(exclusive);
    capture->excludes(windowed)->excludes(exclusive)->excludes(vsyncOff)->excludes(controls);

    ParsedOptions parsed;
    parsed.outcome = readCommandLine(app, argc, argv);
    if (parsed.outcome.status >= 0) return parsed;

    options.vsync = !noVsync;
    auto refuse = [&](const std::string& what) {
        parsed.outcome.err = commandLineError(app, what);
        parsed.outcome.status = 2;
        return parsed;
    };
    if (capture->count() > 0) {
        std::string why;
        const std::optional<CaptureTarget> target = captureTargetFor(captureName, &why);
        if (!target) return refuse("--capture: " + why);
        options.capture = captureName;
        options.captureTarget = *target;
    }
    if (sizeOption->count() > 0) {
        readSize(size, &options.width, &options.height);
        if (options.captureTarget.video && (options.width % 2 != 0 || options.height % 2 != 0))
            return refuse("--size: Value " + size + " has an odd side; a video (yuv420p) needs an even width and height");
        // ffmpeg takes no picture whose padded size passes INT_MAX / 8 bytes.
        const long long padded = (options.width + 128LL) * (options.height + 128LL);
        if (options.captureTarget.video && padded >= 0x7FFFFFFF / 8)
            return refuse("--size: Value " + size + " is too large for ffmpeg's pictures");
    }
    if (crfOption->count() > 0) {
        if (!options.captureTarget.video) return refuse("--crf: only a video has a quality (" + std::string(kVideoExtensions) + ")");
        const CrfRange range = crfRange(options.captureTarget.container);
        if (crf < range.lowest || crf > range.highest) {
            return refuse("--crf: Value " + std::to_string(crf) + " not in range " + std::to_string(range.lowest) +
                          " to " + std::to_string(range.highest) + " for this codec");
        }
        options.crf = crf;
    }
    if (data->count() > 0) options.dataDir = dataDir;
    if (endOption->count() > 0) {
        if (endAt < options.startAt || (options.capture && endAt == options.startAt)) {
            const std::string from = numberText(options.startAt) + (options.capture ? " (--start-at, excluded)" : " (--start-at)");
            return refuse("--end-at: Value " + numberText(endAt) + " not in range " + from + " to " + showEnd +
                          " seconds");
        }
        options.endAt = endAt;
    }
    parsed.options = options;
    return parsed;
}
