// A command line for the show: parseOptions either gives a show within every
// option's range, or stops with status 0 and text for standard output, or
// with status 2 and one named mistake for standard error.
#include "FuzzInputs.h"

#include "app/Options.h"
#include "base/Timeline.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace fuzzinputs {

// Arguments beyond this are dropped: the parser is linear in them.
constexpr size_t kMaxArguments = 64;

std::string runOptionsInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"glowmotion"};
    const std::string all(reinterpret_cast<const char*>(data), size);
    for (size_t at = 0, end = 0; at < size && words.size() <= kMaxArguments; at = end + 1) {
        end = std::min(all.find('\0', at), size);
        words.push_back(all.substr(at, end - at));
    }
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);

    const ParsedOptions parsed = parseOptions(static_cast<int>(words.size()), argv.data());
    const CommandLineOutcome& outcome = parsed.outcome;
    if (parsed.options) {
        require(outcome.status == -1 && outcome.out.empty() && outcome.err.empty(), "a show to run with a stop status or text");
        const Options& o = *parsed.options;
        require(std::isfinite(o.startAt) && o.startAt >= 0.0 && o.startAt < kShowEnd, "--start-at outside 0..show end");
        require(o.fps >= kMinFps && o.fps <= kMaxFps, "--fps outside its range");
        require(!o.endAt || (std::isfinite(*o.endAt) && *o.endAt >= o.startAt && *o.endAt <= kShowEnd),
                "--end-at outside its range");
        require(!(o.windowed && o.exclusive), "--windowed together with --exclusive");
        if (o.capture) {
            require(!o.capture->empty(), "an empty capture target");
            require(!o.windowed && !o.exclusive && o.vsync && !o.controls, "--capture together with a window option");
            require(o.width > 0 && o.height > 0, "a capture size of zero");
        } else {
            require(o.fps == 60 && !o.overwrite && !o.crf, "--fps, --overwrite or --crf without --capture");
        }
        std::error_code error;
        require(!o.dataDir || std::filesystem::is_directory(*o.dataDir, error), "--data names no folder");
        return "show";
    }
    if (outcome.status == 0) {
        require(!outcome.out.empty() && outcome.err.empty(), "help or version without text, or with an error");
        return "stop 0";
    }
    require(outcome.status == 2, "neither a show, nor status 0, nor status 2");
    require(outcome.out.empty(), "a mistake printed to standard output");
    require(outcome.err.rfind("glowmotion: ", 0) == 0 && outcome.err.back() == '\n',
            "a mistake not named the shared way");
    return "stop 2: " + outcome.err.substr(0, outcome.err.find('\n'));
}

}  // namespace fuzzinputs
