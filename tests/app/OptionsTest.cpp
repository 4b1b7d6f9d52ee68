// The command line: what each option sets, what --capture names, and the
// mistakes refused (status 2, nothing on standard output, one line naming
// what is allowed).
#include "common/Files.h"

#include "app/CaptureTarget.h"
#include "app/Options.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
ParsedOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "glowmotion");
    return parseOptions(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(Options, EachOptionIsReadUpToItsLimitsAndHelpStopsWithStatusZero) {
    auto options = parse({"--windowed", "--no-vsync", "--start-at", "36.1", "--end-at", "36.1", "--controls"}).options;
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->windowed && options->controls && !options->vsync && !options->capture);
    EXPECT_TRUE(options->startAt == 36.1 && *options->endAt == 36.1);
    options = parse({"--capture", "/tmp/f", "--fps=240", "--start-at", "124.6", "--end-at", "125", "--overwrite",
                     "--size", "801x601"})
                  .options;  // a folder's frames may have odd sides
    ASSERT_TRUE(options);
    EXPECT_TRUE(*options->capture == "/tmp/f" && !options->captureTarget.video && options->overwrite);
    EXPECT_TRUE(options->fps == 240 && *options->endAt == 125.0 && options->width == 801 && options->height == 601);
    options =
        parse({"--capture", "a.webm", "--size", "16254x16258", "--crf", "63"}).options;  // the largest ffmpeg takes
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->captureTarget.container == VideoContainer::Webm && *options->crf == 63);
    const ParsedOptions help = parse({"--help"});
    EXPECT_TRUE(!help.options && help.outcome.status == 0 && help.outcome.err.empty() && !help.outcome.out.empty());
}

TEST(Options, MistakesAreRefusedNamingWhatIsAllowed) {
    testfiles::TempDir temp("options-refused");
    const std::string file = temp.write("notes", "x"), old = temp.file("old.mp4"), missing = temp.file("nowhere");
    std::filesystem::create_directories(old);
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--capture", "d", "--fps", "0"}, "--fps: Value 0 not in range 1 to 240"},
        {{"--capture", "d", "--fps", "241"}, "--fps: Value 241 not in range 1 to 240"},
        {{"--capture", "d", "--fps", "30.0"}, "--fps: Value 30.0 must be a whole number from 1 to 240"},
        {{"--capture", "d", "--fps", ""}, "--fps: Value  must be a whole number from 1 to 240"},
        {{"--start-at", "125"}, "--start-at: Value 125 not in range 0 to 125 (125 excluded) seconds"},
        {{"--end-at", "125.5"}, "--end-at: Value 125.5 not in range 0 to 125 seconds"},
        {{"--start-at", "50", "--end-at", "40"}, "--end-at: Value 40 not in range 50 (--start-at) to 125 seconds"},
        {{"--capture", "a.mp4", "--start-at", "50", "--end-at", "50"},
         "--end-at: Value 50 not in range 50 (--start-at, excluded) to 125 seconds"},
        {{"--data", missing.c_str()}, "--data: folder " + missing + " does not exist"},
        {{"--data", file.c_str()}, "--data: " + file + " is not a folder"},
        {{"--capture", ""}, "--capture: needs a file or folder name"},
        {{"--fps", "30"}, "--fps requires --capture"},
        {{"--capture", "d", "--no-vsync"}, "--no-vsync excludes --capture"},
        {{"--capture", "d", "--controls"}, "--capture excludes --controls"},
        {{"--windowed", "--exclusive"}, "--windowed excludes --exclusive"},
        {{"--capture", "a.mp4", "--size", "801x600"},
         "--size: Value 801x600 has an odd side; a video (yuv420p) needs an even width and height"},
        {{"--capture", "d", "--size", "0x600"}, "--size: Value 0x600 not a size WIDTHxHEIGHT from 1x1 to 32768x32768"},
        {{"--capture", "d", "--size", "99999x2"},
         "--size: Value 99999x2 not a size WIDTHxHEIGHT from 1x1 to 32768x32768"},
        {{"--capture", "a.mp4", "--size", "16254x16260"},
         "--size: Value 16254x16260 is too large for ffmpeg's pictures"},
        {{"--capture", "a.mp4", "--crf", "52"}, "--crf: Value 52 not in range 0 to 51 for this codec"},
        {{"--capture", "a.webm", "--crf", "64"}, "--crf: Value 64 not in range 0 to 63"},
        {{"--capture", "frames", "--crf", "20"}, "--crf: only a video has a quality (.mp4, .mkv, .webm or .mov)"},
        {{"--capture", "show.avi"}, "--capture: show.avi: no video of type .avi (.mp4, .mkv, .webm or .mov); "},
        {{"--capture", old.c_str()}, "--capture: " + old + ": found a folder, not a video file; "},
        {{"--capture", file.c_str()}, "--capture: " + file + " is not a folder"},
    };
    for (const auto& [args, why] : cases) {
        SCOPED_TRACE(why);
        const ParsedOptions parsed = parse(args);
        EXPECT_TRUE(!parsed.options && parsed.outcome.status == 2 && parsed.outcome.out.empty());
        const std::string& err = parsed.outcome.err;
        const size_t end = err.find('\n');  // a text ending in "; " goes on
        EXPECT_EQ(err.substr(0, why.back() == ' ' ? 12 + why.size() : end), "glowmotion: " + why) << err;
        EXPECT_EQ(err.substr(std::min(end, err.size())), "\nRun with --help for more information.\n");
    }
}

TEST(CaptureTargets, TheExtensionChoosesTheVideoAndAFolderIsNamedWithoutOne) {
    testfiles::TempDir temp("targets");
    std::filesystem::create_directories(temp.file("old.mp4"));
    for (const auto& [name, container] : {std::pair{"/x/SHOW.MKV", VideoContainer::Mkv},
                                          {"a.b/show.webm", VideoContainer::Webm},
                                          {"show.mov", VideoContainer::Mov}}) {
        const auto target = captureTargetFor(name, nullptr);
        EXPECT_TRUE(target && target->video && target->container == container) << name;
    }
    for (const std::string& folder : {std::string("/tmp/a.b/frames"), temp.path().string(), temp.file("old.mp4") + "/"})
        EXPECT_FALSE(captureTargetFor(folder, nullptr).value().video) << folder;
}
