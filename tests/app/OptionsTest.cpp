// The command line: every option, and the mistakes that must be refused.
#include "app/Options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::optional<Options> parse(std::vector<const char*> args, std::string* error = nullptr) {
    args.insert(args.begin(), "glowmotion");
    return parseOptions(static_cast<int>(args.size()), args.data(), error);
}
}  // namespace

TEST(Options, NoArgumentsIsTheShowAsItAlwaysRuns) {
    const auto options = parse({});
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->windowed);
    EXPECT_TRUE(options->vsync);
    EXPECT_FALSE(options->exclusive);
    EXPECT_EQ(options->startAt, 0.0);
    EXPECT_FALSE(options->captureDir);
    EXPECT_FALSE(options->endAt);
    EXPECT_FALSE(options->dataDir);
}

TEST(Options, EveryOptionIsRead) {
    auto options = parse({"--windowed", "--no-vsync", "--start-at", "36.1", "--data", "/tmp/media"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->windowed);
    EXPECT_FALSE(options->vsync);
    EXPECT_DOUBLE_EQ(options->startAt, 36.1);
    EXPECT_EQ(*options->dataDir, "/tmp/media");

    options = parse({"--capture", "/tmp/f", "--fps", "10", "--start-at", "120", "--end-at", "121.5"});
    ASSERT_TRUE(options);
    EXPECT_EQ(*options->captureDir, "/tmp/f");
    EXPECT_EQ(options->fps, 10);
    EXPECT_DOUBLE_EQ(*options->endAt, 121.5);
    EXPECT_EQ(parse({"--capture", "d"})->fps, 60);
    EXPECT_TRUE(parse({"--exclusive"})->exclusive);
    EXPECT_TRUE(parse({"--help"})->help);
}

TEST(Options, MistakesAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"--start-at"},
        {"--start-at", "abc"},
        {"--start-at", "-1"},
        {"--start-at", "nan"},
        {"--start-at", "12s"},
        {"--capture"},
        {"--capture", "d", "--fps", "0"},
        {"--capture", "d", "--fps", "2.5"},
        {"--fps", "30"},
        {"--capture", "d", "--windowed"},
        {"--windowed", "--exclusive"},
        {"--start-at", "50", "--end-at", "40"},
        {"--data"},
        {"windowed"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    EXPECT_EQ(std::string(usageText()).rfind("usage:", 0), 0u);
}
