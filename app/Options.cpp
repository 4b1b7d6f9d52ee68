#include "app/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr double kLongestStart = 3600.0;
constexpr int kMaxFps = 1000;

bool parseSeconds(const char* text, double* out) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0.0 || value > kLongestStart) return false;
    *out = value;
    return true;
}

bool parseFps(const char* text, int* out) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > kMaxFps) return false;
    *out = static_cast<int>(value);
    return true;
}
}  // namespace

const char* usageText() {
    return "usage: glowmotion [options]\n"
           "  (no options)          the show, full-screen, with music\n"
           "  --windowed            in an 800x600 window instead of full-screen\n"
           "  --exclusive           full-screen by switching the display to 800x600\n"
           "  --no-vsync            draw as fast as possible\n"
           "  --start-at SECONDS    start the show (clocks and music) at that position\n"
           "  --end-at SECONDS      stop after that show time\n"
           "  --capture DIR         no window: render frames offscreen to DIR/NNNNNN.png\n"
           "  --fps N               frames per second of show time in capture (default 60)\n"
           "  --data DIR            read pictures, font and music from DIR\n"
           "  --help                this text\n"
           "Keys: Escape ends the show, F12 shows the frame rate in the title.\n";
}

std::optional<Options> parseOptions(int argc, const char* const* argv, std::string* error) {
    Options options;
    bool fpsGiven = false;
    auto fail = [&](const std::string& why) -> std::optional<Options> {
        if (error) *error = why;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needsValue = [&](const char* name) {
            return std::string(name) + " needs a value";
        };
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--windowed") == 0) {
            options.windowed = true;
        } else if (std::strcmp(arg, "--no-vsync") == 0) {
            options.vsync = false;
        } else if (std::strcmp(arg, "--exclusive") == 0) {
            options.exclusive = true;
        } else if (std::strcmp(arg, "--start-at") == 0) {
            if (!value) return fail(needsValue(arg));
            if (!parseSeconds(value, &options.startAt)) return fail(std::string("bad --start-at: ") + value);
            ++i;
        } else if (std::strcmp(arg, "--end-at") == 0) {
            double seconds = 0;
            if (!value) return fail(needsValue(arg));
            if (!parseSeconds(value, &seconds)) return fail(std::string("bad --end-at: ") + value);
            options.endAt = seconds;
            ++i;
        } else if (std::strcmp(arg, "--capture") == 0) {
            if (!value || !*value) return fail(needsValue(arg));
            options.captureDir = value;
            ++i;
        } else if (std::strcmp(arg, "--fps") == 0) {
            if (!value) return fail(needsValue(arg));
            if (!parseFps(value, &options.fps)) return fail(std::string("bad --fps: ") + value);
            fpsGiven = true;
            ++i;
        } else if (std::strcmp(arg, "--data") == 0) {
            if (!value || !*value) return fail(needsValue(arg));
            options.dataDir = value;
            ++i;
        } else {
            return fail(std::string("unknown option: ") + arg);
        }
    }
    if (fpsGiven && !options.captureDir) return fail("--fps goes with --capture");
    if (options.captureDir && (options.windowed || options.exclusive || !options.vsync))
        return fail("--capture draws no window: --windowed, --exclusive and --no-vsync do not apply");
    if (options.windowed && options.exclusive) return fail("--windowed and --exclusive exclude each other");
    if (options.endAt && *options.endAt < options.startAt) return fail("--end-at is before --start-at");
    return options;
}
