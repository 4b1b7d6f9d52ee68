// The command line: every option, the texts of --help and --version, and the
// mistakes that must be refused, each with a message naming what is allowed.
#include "app/Options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {
ParsedOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "glowmotion");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

// The error text for `args`, after checking it is a refusal with status 2
// that prints nothing on standard output.
std::string refusal(std::vector<const char*> args) {
    const ParsedOptions parsed = parse(args);
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_FALSE(parsed.options) << joined;
    EXPECT_EQ(parsed.outcome.status, 2) << joined;
    EXPECT_EQ(parsed.outcome.out, "") << joined;
    EXPECT_EQ(parsed.outcome.err.rfind("glowmotion: ", 0), 0u) << parsed.outcome.err;
    EXPECT_NE(parsed.outcome.err.find("\nRun with --help for more information.\n"), std::string::npos)
        << parsed.outcome.err;
    return parsed.outcome.err;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

struct TempFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glowmotion-options-" + std::to_string(getpid()));
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
};
}  // namespace

TEST(Options, NoArgumentsIsTheShowAsItAlwaysRuns) {
    const ParsedOptions parsed = parse({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.outcome.status, -1);
    const Options& options = *parsed.options;
    EXPECT_FALSE(options.windowed);
    EXPECT_TRUE(options.vsync);
    EXPECT_FALSE(options.exclusive);
    EXPECT_EQ(options.startAt, 0.0);
    EXPECT_FALSE(options.capture);
    EXPECT_EQ(options.width, 800);
    EXPECT_EQ(options.height, 600);
    EXPECT_FALSE(options.crf);
    EXPECT_FALSE(options.endAt);
    EXPECT_FALSE(options.dataDir);
    EXPECT_FALSE(options.overwrite);
    EXPECT_FALSE(options.controls);
}

TEST(Options, EveryOptionIsRead) {
    TempFolder media;
    const std::string dir = media.path.string();
    auto options = parse({"--windowed", "--no-vsync", "--start-at", "36.1", "--data", dir.c_str()}).options;
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->windowed);
    EXPECT_FALSE(options->vsync);
    EXPECT_DOUBLE_EQ(options->startAt, 36.1);
    EXPECT_EQ(*options->dataDir, dir);

    options = parse({"--capture", "/tmp/f", "--fps", "10", "--start-at", "120", "--end-at", "121.5", "--overwrite"})
                  .options;
    ASSERT_TRUE(options);
    EXPECT_EQ(*options->capture, "/tmp/f");
    EXPECT_FALSE(options->captureTarget.video);
    EXPECT_EQ(options->fps, 10);
    EXPECT_DOUBLE_EQ(*options->endAt, 121.5);
    EXPECT_TRUE(options->overwrite);
    EXPECT_EQ(parse({"--capture", "d"}).options->fps, 60);
    EXPECT_EQ(parse({"--capture", "d", "--fps", "240"}).options->fps, 240);
    EXPECT_EQ(parse({"--capture", "d", "--fps=1"}).options->fps, 1);
    EXPECT_TRUE(parse({"--exclusive"}).options->exclusive);
    EXPECT_TRUE(parse({"--windowed", "--controls"}).options->controls);
    EXPECT_DOUBLE_EQ(parse({"--start-at", "124.99"}).options->startAt, 124.99);
    EXPECT_DOUBLE_EQ(*parse({"--start-at", "50", "--end-at", "50"}).options->endAt, 50.0);
    EXPECT_DOUBLE_EQ(*parse({"--capture", "d", "--start-at", "124.6", "--end-at", "125"}).options->endAt, 125.0);
}

TEST(Options, HelpAndVersionStopWithStatusZero) {
    for (const char* flag : {"--help", "-h"}) {
        const ParsedOptions help = parse({flag});
        EXPECT_FALSE(help.options);
        EXPECT_EQ(help.outcome.status, 0);
        EXPECT_EQ(help.outcome.err, "");
        for (const char* option : {"--windowed", "--exclusive", "--no-vsync", "--start-at", "--end-at", "--capture",
                                   "--fps", "--overwrite", "--data", "--version", "Escape", "F12", "--controls",
                                   "Space", "Page Up", "Home"})
            EXPECT_NE(help.outcome.out.find(option), std::string::npos) << option;
        EXPECT_NE(help.outcome.out.find("Usage: glowmotion"), std::string::npos);
        EXPECT_NE(help.outcome.out.find("1 to 240"), std::string::npos);  // the ranges are in the help too
    }
    EXPECT_FALSE(parse({"--version"}).options);  // its text: tests/app/command_lines.sh
}

TEST(Options, BadNumbersAreRefusedNamingTheRange) {
    const std::pair<const char*, const char*> fpsCases[] = {
        {"0", "not in range 1 to 240"},
        {"241", "not in range 1 to 240"},
        {"-3", "not in range 1 to 240"},
        {"99999999999999999999", "not in range 1 to 240"},
        {"10.5", "must be a whole number from 1 to 240"},
        {"30.0", "must be a whole number from 1 to 240"},
        {"abc", "must be a whole number from 1 to 240"},
        {"", "must be a whole number from 1 to 240"},
    };
    for (const auto& [fps, why] : fpsCases) {
        EXPECT_EQ(firstLine(refusal({"--capture", "d", "--fps", fps})),
                  std::string("glowmotion: --fps: Value ") + fps + " " + why);
    }
    // The show ends at 125 seconds: a start there or later has nothing to show.
    const std::string startRange = "not in range 0 to 125 (125 excluded) seconds";
    for (const char* start : {"125", "125.0", "130", "-1", "nan", "inf", "12s", "abc"}) {
        EXPECT_EQ(firstLine(refusal({"--start-at", start})),
                  std::string("glowmotion: --start-at: Value ") + start + " " + startRange);
    }
    // Neither the show nor a recording goes on past its end.
    EXPECT_EQ(firstLine(refusal({"--end-at", "125.5"})),
              "glowmotion: --end-at: Value 125.5 not in range 0 to 125 seconds");
    EXPECT_EQ(firstLine(refusal({"--capture", "d", "--start-at", "124.6", "--end-at", "127"})),
              "glowmotion: --end-at: Value 127 not in range 0 to 125 seconds");
    EXPECT_EQ(firstLine(refusal({"--start-at", "50", "--end-at", "40"})),
              "glowmotion: --end-at: Value 40 not in range 50 (--start-at) to 125 seconds");
}

TEST(Options, DataMustBeAnExistingFolder) {
    TempFolder media;
    const std::string missing = (media.path / "nowhere").string();
    EXPECT_EQ(firstLine(refusal({"--data", missing.c_str()})),
              "glowmotion: --data: folder " + missing + " does not exist");
    const std::string file = (media.path / "km_groov.it").string();
    std::ofstream(file) << "not a folder";
    EXPECT_EQ(firstLine(refusal({"--data", file.c_str()})), "glowmotion: --data: " + file + " is not a folder");
    EXPECT_EQ(firstLine(refusal({"--data", "/dev/null"})), "glowmotion: --data: /dev/null is not a folder");
}

TEST(Options, MistakesAreRefusedWithAReason) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> bad = {
        {{"--bogus"}, "The following argument was not expected: --bogus"},
        {{"windowed"}, "The following argument was not expected: windowed"},
        {{"--start-at"}, "--start-at: 1 required SECONDS missing"},
        {{"--capture"}, "--capture: 1 required FILE|DIR missing"},
        {{"--capture", ""}, "--capture: needs a file or folder name"},
        {{"--data"}, "--data: 1 required DIR missing"},
        {{"--fps", "30"}, "--fps requires --capture"},
        {{"--overwrite"}, "--overwrite requires --capture"},
        {{"--capture", "d", "--windowed"}, "--windowed excludes --capture"},
        {{"--capture", "d", "--no-vsync"}, "--no-vsync excludes --capture"},
        {{"--capture", "d", "--controls"}, "--capture excludes --controls"},
        {{"--windowed", "--exclusive"}, "--windowed excludes --exclusive"},
    };
    for (const auto& [args, why] : bad) EXPECT_EQ(firstLine(refusal(args)), "glowmotion: " + why);
}
