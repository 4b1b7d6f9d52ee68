// A command line for the show: parseOptions either gives a show within every
// option's range, or stops with status 0 and text for standard output, or
// with status 2 and one named mistake for standard error.
#include "FuzzInputs.h"

#include "app/Options.h"
#include "base/Timeline.h"

#include <sys/stat.h>

#include <cmath>
#include <vector>

namespace fuzzinputs {

namespace {
// Arguments beyond this are dropped: the parser is linear in them.
constexpr size_t kMaxArguments = 64;

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }
}  // namespace

std::string runOptionsInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"glowmotion"};
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 0 && data[size - 1] != 0) words.push_back(word);
    if (words.size() > kMaxArguments + 1) words.resize(kMaxArguments + 1);
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
        if (o.endAt)
            require(std::isfinite(*o.endAt) && *o.endAt >= o.startAt && *o.endAt <= kShowEnd,
                    "--end-at outside its range");
        require(!(o.windowed && o.exclusive), "--windowed together with --exclusive");
        if (o.capture) {
            require(!o.capture->empty(), "an empty capture target");
            require(!o.windowed && !o.exclusive && o.vsync && !o.controls, "--capture together with a window option");
            require(o.width > 0 && o.height > 0, "a capture size of zero");
        } else {
            require(o.fps == 60 && !o.overwrite && !o.crf, "--fps, --overwrite or --crf without --capture");
        }
        if (o.dataDir) {
            struct stat info {};
            require(::stat(o.dataDir->c_str(), &info) == 0 && S_ISDIR(info.st_mode), "--data names no folder");
        }
        return "show";
    }
    if (outcome.status == 0) {
        require(!outcome.out.empty() && outcome.err.empty(), "help or version without text, or with an error");
        return "stop 0";
    }
    require(outcome.status == 2, "neither a show, nor status 0, nor status 2");
    require(outcome.out.empty(), "a mistake printed to standard output");
    require(startsWith(outcome.err, "glowmotion: ") && outcome.err.back() == '\n', "a mistake not named the shared way");
    return "stop 2: " + outcome.err.substr(0, outcome.err.find('\n'));
}

}  // namespace fuzzinputs
